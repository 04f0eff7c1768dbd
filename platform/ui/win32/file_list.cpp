#include "platform/ui/win32/file_list.h"

#include <algorithm>
#include <utility>

#include "platform/system/os/directory.h"
#include "platform/ui/win32/error_box.h"
#include "platform/ui/win32/text.h"

namespace Ui {

Win32FileListBox::Win32FileListBox(HWND form) : Win32ListBox(form, 0) {}

// A mouse press or a keyboard move that highlights another file reports it.
// The list notifies again when the button goes up; the highlight is then
// the file already reported (or, after an error, put back), so that
// notification does nothing.
void Win32FileListBox::OnCommand(WORD code) {
    const int row = CurrentRow();
    if (code == LBN_SELCHANGE && row >= 0 && row != position_.Shown()) {
        Click(row);
    }
}

std::optional<LRESULT> Win32FileListBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            pressedRow_ = CurrentRow();
            position_.Return();
            break;
        case WM_LBUTTONUP: {
            // A click on the file already highlighted reports it afresh.
            const unsigned eventsBefore = position_.Events();
            const LRESULT result = Default(message, wParam, lParam);
            const LRESULT hit = ::SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, lParam);
            const int row = CurrentRow();
            if (position_.Events() == eventsBefore && HIWORD(hit) == 0 && LOWORD(hit) == row &&
                row == pressedRow_ && row >= 0) {
                Click(row);
            }
            pressedRow_ = -1;
            return result;
        }
        case WM_KEYDOWN: {
            // With nothing highlighted the list box starts every key at the
            // first file; End, Up and Page Down start at the end instead.
            if (const int first = FirstKeyboardRow(static_cast<UINT>(wParam)); first >= 0) {
                Highlight(first);
                Click(first);
                return 0;
            }
            // After a file failed, the keyboard goes on from it, while the
            // highlight shows the file reported before; a key that moves
            // nowhere new puts that highlight back.
            if (!position_.Away()) {
                break;
            }
            LRESULT result = 0;
            position_.Key([this](int row) { Highlight(row); },
                          [&] { result = Default(message, wParam, lParam); });
            return result;
        }
        default:
            break;
    }
    return Win32ListBox::OnMessage(message, wParam, lParam);
}

int Win32FileListBox::FirstKeyboardRow(UINT key) const {
    const bool modified =
        ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
    const int last = RowCount() - 1;
    if (position_.Away() || CurrentRow() >= 0 || last < 0 || modified) {
        return -1;
    }
    switch (key) {
        case VK_END:
        case VK_UP:
            return last;
        case VK_NEXT: {
            // The last file in view.
            RECT client{};
            ::GetClientRect(Handle(), &client);
            const auto top = static_cast<int>(::SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0));
            const auto height = static_cast<int>(::SendMessageW(Handle(), LB_GETITEMHEIGHT, 0, 0));
            const int rows = static_cast<int>(client.bottom) / std::max(1, height);
            return std::min(last, top + std::max(1, rows) - 1);
        }
        default:
            return -1;
    }
}

void Win32FileListBox::Click(int row) {
    if (RunEvent(Handle(), onClick)) {
        position_.Settle(row);
    } else {
        Highlight(position_.Shown());
        position_.Fail(row);
    }
}

// Windows names a file in any case: "A.TXT" finds a.txt when the list has
// no A.TXT.
bool Win32FileListBox::ClickFile(const std::string& name) {
    auto found = std::find(names_.begin(), names_.end(), name);
    if (found == names_.end()) {
        const std::wstring wanted = DecodedText(name);
        found = std::find_if(names_.begin(), names_.end(), [&wanted](const std::string& listed) {
            const std::wstring wide = DecodedText(listed);
            return ::CompareStringOrdinal(wide.c_str(), static_cast<int>(wide.size()),
                                          wanted.c_str(), static_cast<int>(wanted.size()),
                                          TRUE) == CSTR_EQUAL;
        });
    }
    if (found == names_.end()) {
        return false;
    }
    const int row = static_cast<int>(found - names_.begin());
    Highlight(row);
    Click(row);
    return true;
}

void Win32FileListBox::SetPath(const std::string& path) {
    const std::string target = System::NormalDirectoryPath(path);
    std::vector<std::string> names = System::ListOrdinaryFiles(target);  // may throw
    std::vector<std::wstring> texts;
    texts.reserve(names.size());
    for (const std::string& name : names) {
        texts.push_back(DisplayText(name));
    }
    SetRows(texts, -1);  // refilling raises no click
    path_ = target;
    names_ = std::move(names);
    position_.Settle(-1);
}

std::string Win32FileListBox::FileName() const {
    const int row = CurrentRow();
    return row >= 0 && row < static_cast<int>(names_.size()) ? names_[static_cast<std::size_t>(row)]
                                                             : std::string();
}

}  // namespace Ui
