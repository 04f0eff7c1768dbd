#include "platform/ui/win32/drive_list.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/system/os/drives.h"
#include "platform/ui/win32/error_box.h"
#include "platform/ui/win32/text.h"
#include "window/list_choice.h"

namespace Ui {

Win32DriveListBox::Win32DriveListBox(HWND form)
    : Win32Control(form, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0) {
    Subclass();
}

void Win32DriveListBox::SetDrives(const std::vector<std::string>& drives,
                                  const std::string& current) {
    drives_ = drives;
    if (std::find(drives_.begin(), drives_.end(), current) == drives_.end()) {
        drives_.push_back(current);
    }
    ::SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    for (const std::string& drive : drives_) {
        const std::string label = System::VolumeLabel(drive);
        const std::wstring text =
            DisplayText(drive) + (label.empty() ? L"" : L" [" + DisplayText(label) + L"]");
        ::SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    chosen_ =
        static_cast<int>(std::find(drives_.begin(), drives_.end(), current) - drives_.begin());
    Highlight(chosen_);
    position_.Settle(chosen_);
}

void Win32DriveListBox::ShowDriveOf(const std::string& path) {
    SetDrives(System::ListDrives(), System::DriveOf(path));
}

std::string Win32DriveListBox::Drive() const {
    return chosen_ >= 0 ? drives_[static_cast<std::size_t>(chosen_)] : std::string();
}

// The user chooses with a click in the open list (it closes), Enter in it,
// or the arrow keys on the closed box; an open list that is cancelled
// changes nothing. The list is filled afresh each time it opens, so a drive
// that came since the start shows up.
void Win32DriveListBox::OnCommand(WORD code) {
    const int index = static_cast<int>(::SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
    switch (code) {
        case CBN_DROPDOWN:
            SetDrives(System::ListDrives(), Drive());
            break;
        case CBN_SELENDCANCEL:
            Highlight(chosen_);
            break;
        case CBN_CLOSEUP:
            Choose(index);
            break;
        case CBN_SELCHANGE:
            if (!::SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0)) {
                Choose(index);
            }
            break;
        default:
            break;
    }
}

void Win32DriveListBox::Choose(int index) {
    if (index == chosen_ || index < 0) {
        return;
    }
    const bool completed = RunEvent(Handle(), [this, index] {
        Window::ChangeChoice(chosen_, index, onChange, [this](int row) { Highlight(row); });
    });
    if (completed) {
        position_.Settle(index);
    } else {
        position_.Fail(index);
    }
}

void Win32DriveListBox::Highlight(int index) {
    ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// An arrow key on the closed box after a drive failed goes on from that
// drive. The open list is filled afresh, from the chosen drive.
std::optional<LRESULT> Win32DriveListBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_KEYDOWN || !position_.Away() ||
        ::SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0)) {
        return std::nullopt;
    }
    LRESULT result = 0;
    position_.Key([this](int index) { Highlight(index); },
                  [&] { result = Default(message, wParam, lParam); });
    return result;
}

}  // namespace Ui
