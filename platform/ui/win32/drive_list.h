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

    // Raised when the user chooses a drive other than the current one. When
    // it fails, the list goes back to the drive it showed before, while the
    // keyboard goes on from the drive that failed, so the next arrow key
    // passes it (a drive with no medium).
    std::function<void()> onChange;

    // Fills the list with `drives` ("C:"), each shown with its volume label
    // where it has one, and shows `current` without an event.
    void SetDrives(const std::vector<std::string>& drives, const std::string& current);
    // Fills the list with the machine's drives and shows the one that holds
    // `path`, without an event.
    void ShowDriveOf(const std::string& path);
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
