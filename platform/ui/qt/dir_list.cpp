#include "platform/ui/qt/dir_list.h"

#include <utility>

#include "platform/system/os/directory.h"
#include "window/directory_move.h"
#include "window/presentation.h"

namespace Ui {

QtDirListBox::QtDirListBox(QWidget* parent) : NativeListView(parent) {
    // A double-click or Enter opens an entry.
    connect(this, &QListView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            Open(index.row());
        }
    });
}

void QtDirListBox::Open(int row) {
    const std::string target = Native(row);
    RunEventRestoringHighlight(pathRow_, [this, &target] { SetPath(target); });
}

void QtDirListBox::SetPath(const std::string& path) {
    Window::MoveDirectoryList(
        path, path_, subdirectories_,
        [this](const std::string& shown, const std::vector<std::string>& subdirectories) {
            Display(shown, subdirectories);
        },
        onChange);
}

// The ancestors from the root down, each indented one step more, then the
// subdirectories one step below the current directory.
void QtDirListBox::Display(const std::string& path,
                           const std::vector<std::string>& subdirectories) {
    const std::vector<std::string> ancestors = System::PathAndAncestors(path);
    std::vector<NativeListModel::Row> rows;
    rows.reserve(ancestors.size() + subdirectories.size());
    const int deepest = static_cast<int>(ancestors.size()) - (subdirectories.empty() ? 1 : 0);
    int depth = 0;
    for (const std::string& ancestor : ancestors) {
        rows.push_back({ancestor, ancestor.size() - System::LastName(ancestor).size(),
                        Window::IndentSpaces(depth++, deepest)});
    }
    for (const std::string& name : subdirectories) {
        std::string native = System::JoinPath(path, System::kPathSeparator, name);
        const std::size_t nameStart = native.size() - name.size();
        rows.push_back({std::move(native), nameStart, Window::IndentSpaces(depth, deepest)});
    }
    path_ = path;
    subdirectories_ = subdirectories;
    pathRow_ = static_cast<int>(ancestors.size()) - 1;
    SetRows(std::move(rows), pathRow_);
}

}  // namespace Ui
