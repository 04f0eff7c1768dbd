// What the directory and file lists share: a list view of native names.
#pragma once

#include <QAbstractListModel>
#include <QListView>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Ui {

// The frame a list with the focus shows: along the inside of `surface`'s
// edge, over what it holds, in the highlight colour.
void DrawFocusFrame(QWidget& surface);

// The rows of a list: each stands for native bytes (a name or a path) and
// shows its name, indented.
class NativeListModel : public QAbstractListModel {
  public:
    // A row's indentation, in spaces of the list's font: drawn as room in
    // front of the name, not as spaces in its text, where a name in
    // another script would draw them in its own, wider, font.
    static constexpr int kIndentRole = Qt::UserRole;

    struct Row {
        std::string native;     // what the row stands for
        std::size_t nameStart;  // where the name it shows starts in `native`
        int indentSpaces;       // spaces in front of the name
    };

    // Replaces every row at once.
    void SetRows(std::vector<Row> rows);
    const std::string& Native(int row) const { return rows_[static_cast<std::size_t>(row)].native; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    std::vector<Row> rows_;
};

// A list view over native rows, all of one height, so a directory of a
// hundred thousand names fills it in one step and lays it out without
// measuring each row; an entry too long for it shows whole in its
// tooltip. When an event fails it puts the highlight back where
// the window's state says, before the error shows and again once the view
// has finished with the input event that raised it; the keyboard's
// position (the focus frame of an entry) stays where the user moved it, so
// the next key goes on past an entry that failed. With no position yet,
// End and Up go to the last entry and Page Down to the last in view. The
// list draws a frame in the highlight colour while it has the focus.
class NativeListView : public QListView {
  public:
    explicit NativeListView(QWidget* parent);

    // The highlighted row, -1 when none.
    int CurrentRow() const;

  protected:
    // Refills the list and highlights `current` (none for -1), raising no
    // event; the keyboard's position goes there too.
    void SetRows(std::vector<NativeListModel::Row> rows, int current);
    const std::string& Native(int row) const { return model_.Native(row); }

    // Highlights `row` (none for -1) and puts the keyboard's position there,
    // without raising events.
    void Highlight(int row);
    // Highlights `row` (none for -1) and leaves the keyboard's position
    // where it is, without raising events.
    void HighlightOnly(int row);
    // The row the keyboard is on, -1 when none.
    int KeyboardRow() const;
    // Runs `procedure` as an event of this list (RunEvent). When it fails,
    // the highlight goes back to `row` before the error is reported, and
    // again after the mouse or key event being handled (the view may still
    // move the highlight while it finishes that event); when it completes,
    // the highlight stays where it is.
    // Returns whether the procedure completed.
    bool RunEventRestoringHighlight(int row, const std::function<void()>& procedure);

    // Whether the highlight is being moved by the list itself, not by the
    // user: no event is raised then.
    bool Quiet() const { return quiet_; }

    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void ApplyPendingHighlight(bool finished);
    void ShowToolTip(const QHelpEvent& event);
    int FirstKeyboardRow(int key) const;
    NativeListModel model_;
    bool quiet_ = false;
    std::optional<int> pendingRow_;
};

}  // namespace Ui
