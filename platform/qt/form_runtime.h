// The form runtime on Qt Widgets: a top-level form of fixed client size,
// the drive, directory and file lists and the label with the properties and
// events the window code uses, and the report of errors raised by an event.
// Every Qt type of the program stays behind this layer and main.
#pragma once

#include <QAbstractListModel>
#include <QComboBox>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window/checksum_compare.h"
#include "window/controls.h"

namespace Platform {

// An error that ended an event procedure, as the error report shows it.
struct ErrorReportEntry {
    std::string operation;
    std::string path;
    std::string reason;
};
using ErrorReport = std::function<void(QWidget* form, const ErrorReportEntry& error)>;

// Replaces the error report (a message box by default) and returns the one
// it replaced; tests put a recorder in its place.
ErrorReport SetErrorReport(ErrorReport report);

// The text for an error: what failed, on which path, and why, each in full.
// A box for an error raised before its form first shows waits for the form
// and opens over it.
QString ErrorReportText(const ErrorReportEntry& error);

// The message box the default error report shows (not yet shown). It fits
// on the screen whatever the length of the path: its lines break at less
// than half the screen's width, inside a word (a path) where they must, and
// a path (or reason) too long for a few lines shows its beginning and end
// around an ellipsis. When a word was cut or a part left out, the box's
// details hold the whole text. The text can be selected and copied.
std::unique_ptr<QMessageBox> ErrorReportBox(QWidget* form, const ErrorReportEntry& error);

// Runs an event procedure at the boundary between the toolkit and the
// window code, with the wait cursor showing until it returns: whatever it
// throws is shown by the error report, in the form that holds `control`
// (the wait cursor gone by then), and the program goes on. Returns whether
// the procedure completed. Processes no events of its own.
bool RunEvent(QWidget* control, const std::function<void()>& procedure);

// The local path a drop's data names, as native bytes (names that are not
// valid UTF-8 included); nothing unless it names exactly one local file or
// directory.
std::optional<std::string> DroppedPath(const QMimeData& data);

// Native text (names, paths) as the toolkit's text, to be shown. Bytes that
// are not valid UTF-8 show as replacement characters, and characters that
// would move or break the text (controls such as a newline, carriage return
// or tab, DEL, line and paragraph separators, direction overrides) as
// escapes such as \n, \r, \t, \x7F or \u2028, so a name always shows
// on one line and as it is stored. The native bytes are kept alongside it.
QString DisplayText(const std::string& native);

// The mount points in the mount table `table` that are directories, sorted,
// as the native bytes of their names (valid UTF-8 or not).
std::vector<std::string> MountedDrives(const std::string& table = "/proc/self/mounts");
// The mount point of the file system that holds `path`: the longest of
// MountedDrives() that `path` lies in.
std::string DriveOf(const std::string& path);

class QtDriveListBox : public QComboBox, public Window::DriveListBox {
  public:
    explicit QtDriveListBox(QWidget* parent);

    // Raised when the user chooses a drive other than the current one. When
    // it fails, the list goes back to the drive it showed before.
    std::function<void()> onChange;

    // Fills the list with `drives` and shows `current` without an event.
    void SetDrives(const std::vector<std::string>& drives, const std::string& current);
    std::string Drive() const override;

    // Lists the drives afresh each time the list opens, so a medium mounted
    // since the start shows up. A mount point too long for the window is
    // shortened in the middle in the list, so it opens no wider than the
    // window, and shows whole in its tooltip, as the chosen one does in the
    // closed box's.
    void showPopup() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Choose(int index);
    int TextRoom() const;
    void ShowChosenInToolTip();
    std::vector<std::string> drives_;
    int chosen_ = -1;
};

// The rows of a list: each stands for native bytes (a name or a path) and
// shows its name, indented.
class NativeListModel : public QAbstractListModel {
  public:
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
    void DrawFocusFrame();
    NativeListModel model_;
    bool quiet_ = false;
    std::optional<int> pendingRow_;
};

class QtDirListBox : public NativeListView, public Window::DirListBox {
  public:
    explicit QtDirListBox(QWidget* parent);

    // Raised after the path has changed. When it fails, the list goes back
    // to the path and entries it showed before.
    std::function<void()> onChange;

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;

  private:
    void Display(const std::string& path, const std::vector<std::string>& subdirectories);
    void Open(int row);
    std::string path_;
    std::vector<std::string> subdirectories_;
    int pathRow_ = -1;
};

class QtFileListBox : public NativeListView, public Window::FileListBox {
  public:
    explicit QtFileListBox(QWidget* parent);

    // Raised when a mouse click or a keyboard move selects a file. When it
    // fails, the highlight goes back to the file selected before (or none).
    std::function<void()> onClick;

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;
    std::string FileName() const override;

    // Highlights the file `name` and raises the click event, as a click on
    // it would; does nothing when the list does not hold it.
    void ClickFile(const std::string& name);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void Click();
    std::string path_;
    int highlighted_ = -1;  // the file the last completed click selected
    int keyboardBeforePress_ = -1;
};

// The report label: each line of the caption on one row, never wrapped, so
// the lines below a long path stay in view. A first line too long for the
// label is shortened in the middle, keeping the end of the file name and
// its size in view, and its tooltip shows it whole. The text can be
// selected with the mouse and copied, whole where it is shortened. Its menu
// offers Copy, Select All and Compare with clipboard.
class QtLabel : public QPlainTextEdit, public Window::Label {
  public:
    explicit QtLabel(QWidget* parent);

    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption, std::size_t literalLength) override;

    // The report as the label shows it, its lines separated by "\n" and the
    // first one whole.
    QString ReportText() const { return lines_.join(QLatin1Char('\n')); }
    // Copies the selected text, or the whole report when none is selected.
    void CopyReport();
    // The checksum in the clipboard compared with the report's; nothing
    // when the label shows no report.
    std::optional<Window::ChecksumComparison> CompareWithClipboard() const;
    // The label's menu, as a right-click opens it.
    std::unique_ptr<QMenu> ContextMenu();

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    void ShowLines();
    int WholeTextPosition(int shownPosition) const;
    void ShowComparison();
    std::string caption_;
    std::size_t literalLength_ = 0;
    QStringList lines_;            // as shown, the first one whole
    std::size_t nameStart_ = 0;    // where the file name starts in the first line (UTF-8)
    qsizetype keptHead_ = 0;       // characters shown before the ellipsis
    qsizetype hiddenLength_ = -1;  // characters the ellipsis stands for; -1 when none
};

// A top-level form with a fixed client size that raises its load event
// before it first shows and its unload event when it is closed. A file or
// directory dropped on it is handed to `onDrop`.
class QtForm : public QWidget {
  public:
    QtForm(const QString& caption, int clientWidthTwips, int clientHeightTwips);

    std::function<void()> onLoad;
    std::function<void(bool& cancel)> onUnload;
    // The native path of the one local file or directory dropped.
    std::function<void(const std::string& path)> onDrop;

    // Pixels for a length in twips at this form's screen resolution.
    int HorizontalPixels(int twips) const;
    int VerticalPixels(int twips) const;

    // Raises the load event once, then shows the form.
    void ShowForm();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool loaded_ = false;
};

}  // namespace Platform
