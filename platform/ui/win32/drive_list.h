// The drive list: a drop-down of the machine's drives.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/win32/control.h"
#include "window/controls.h"
#include "window/keyboard_position.h"

namespace Ui {

class Win32DriveListBox : public Win32Control, public Window::DriveListBox {
  public:
    explicit Win32DriveListBox(HWND form);

    // Fills the list with `drives` ("C:"), each shown with its volume label
    // where it has one, and shows `current` without an event.
    void SetDrives(const std::vector<std::string>& drives, const std::string& current);
    void ShowDriveOf(const std::string& path) override;
    std::string Drive() const override;

    void OnCommand(WORD code) override;

  protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Choose(int index);
    void Highlight(int index);
    std::vector<std::string> drives_;
    int chosen_ = -1;  // the drive the change event sees
    Window::KeyboardPosition position_;
};

}  // namespace Ui
