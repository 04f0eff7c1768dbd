#include "platform/ui/win32/dir_list.h"

#include <utility>

#include "platform/system/os/directory.h"
#include "platform/ui/win32/error_box.h"
#include "platform/ui/win32/text.h"
#include "window/directory_move.h"
#include "window/presentation.h"

namespace Ui {

Win32DirListBox::Win32DirListBox(HWND form) : Win32ListBox(form, 0) {}

void Win32DirListBox::OnCommand(WORD code) {
    if (code == LBN_DBLCLK) {
        Open(CurrentRow());
    }
}

void Win32DirListBox::OnEnter() {
    Open(CurrentRow());
}

void Win32DirListBox::Open(int row) {
    if (row < 0 || row >= static_cast<int>(rowPaths_.size())) {
        return;
    }
    const std::string target = rowPaths_[static_cast<std::size_t>(row)];
    if (!RunEvent(Handle(), [this, &target] { SetPath(target); })) {
        Highlight(pathRow_);
    }
}

void Win32DirListBox::SetPath(const std::string& path) {
    Window::MoveDirectoryList(
        path, path_, subdirectories_,
        [this](const std::string& shown, const std::vector<std::string>& subdirectories) {
            Display(shown, subdirectories);
        },
        onChange);
}

// The ancestors from the root down, each indented one step more, then the
// subdirectories one step below the current directory; the steps narrow on
// a deep path, so every name stays in view.
void Win32DirListBox::Display(const std::string& path,
                              const std::vector<std::string>& subdirectories) {
    const std::vector<std::string> ancestors =
        path.empty() ? std::vector<std::string>() : System::PathAndAncestors(path);
    const int deepest = static_cast<int>(ancestors.size());
    const auto indent = [deepest](int depth) {
        return std::wstring(static_cast<std::size_t>(Window::IndentSpaces(depth, deepest)), L' ');
    };
    std::vector<std::wstring> texts;
    std::vector<std::string> paths;
    texts.reserve(ancestors.size() + subdirectories.size());
    paths.reserve(texts.capacity());
    int depth = 0;
    for (const std::string& ancestor : ancestors) {
        texts.push_back(indent(depth++) + DisplayText(System::LastName(ancestor)));
        paths.push_back(ancestor);
    }
    for (const std::string& name : subdirectories) {
        texts.push_back(indent(depth) + DisplayText(name));
        paths.push_back(System::JoinPath(path, System::kPathSeparator, name));
    }
    path_ = path;
    subdirectories_ = subdirectories;
    rowPaths_ = std::move(paths);
    pathRow_ = static_cast<int>(ancestors.size()) - 1;
    SetRows(texts, pathRow_);
}

}  // namespace Ui
