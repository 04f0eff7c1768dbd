// The drive list: a drop-down of the machine's drives.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/control.h"
#include "window/controls.h"

namespace Platform {

class Win32DriveListBox : public Win32Control, public Window::DriveListBox {
  public:
    explicit Win32DriveListBox(HWND form);

    // Raised when the user chooses a drive other than the current one. When
    // it fails, the list goes back to the drive it showed before.
    std::function<void()> onChange;

    // Fills the list with `drives` ("C:"), each shown with its volume label
    // where it has one, and shows `current` without an event.
    void SetDrives(const std::vector<std::string>& drives, const std::string& current);
    // Fills the list with the machine's drives and shows the one that holds
    // `path`, without an event.
    void ShowDriveOf(const std::string& path);
    std::string Drive() const override;

    void OnCommand(WORD code) override;

  private:
    void Choose(int index);
    std::vector<std::string> drives_;
    int chosen_ = -1;
};

}  // namespace Platform
