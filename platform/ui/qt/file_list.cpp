#include "platform/ui/qt/file_list.h"

#include <QMouseEvent>

#include <utility>
#include <vector>

#include "platform/system/os/directory.h"

namespace Ui {

QtFileListBox::QtFileListBox(QWidget* parent) : NativeListView(parent) {
    // A keyboard move, or the press of a click, that moves to another file.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!Quiet() && current.isValid()) {
                    Click();
                }
            });
    // A click on the file the keyboard was already on reports it afresh.
    connect(this, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (!Quiet() && index.isValid() && index.row() == keyboardBeforePress_) {
            Click();
        }
    });
}

void QtFileListBox::mousePressEvent(QMouseEvent* event) {
    keyboardBeforePress_ = KeyboardRow();
    NativeListView::mousePressEvent(event);
}

// The file the keyboard is on is the one selected while the event runs (a
// press moves the keyboard's position before the highlight).
void QtFileListBox::Click() {
    const int previous = highlighted_;
    HighlightOnly(KeyboardRow());
    if (RunEventRestoringHighlight(previous, onClick)) {
        highlighted_ = KeyboardRow();
    }
}

bool QtFileListBox::ClickFile(const std::string& name) {
    for (int row = 0; row < model()->rowCount(); ++row) {
        if (Native(row) == name) {
            Highlight(row);
            scrollTo(model()->index(row, 0));
            Click();
            return true;
        }
    }
    return false;
}

void QtFileListBox::SetPath(const std::string& path) {
    const std::string target = System::NormalDirectoryPath(path);
    std::vector<std::string> files = System::ListOrdinaryFiles(target);  // may throw
    std::vector<NativeListModel::Row> rows;
    rows.reserve(files.size());
    for (std::string& name : files) {
        rows.push_back({std::move(name), 0, 0});
    }
    path_ = target;
    SetRows(std::move(rows), -1);  // refilling raises no click
    highlighted_ = -1;
    keyboardBeforePress_ = -1;
}

std::string QtFileListBox::FileName() const {
    const int row = CurrentRow();
    return row >= 0 ? Native(row) : std::string();
}

}  // namespace Ui
