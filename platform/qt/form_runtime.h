// The form runtime on Qt Widgets: a top-level form of fixed client size,
// the drive, directory and file lists and the label with the properties and
// events the window code uses, and the report of errors raised by an event.
// Every Qt type of the program stays behind this layer and main.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

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

// The message box text for an error: what failed, on which path, and why.
QString ErrorReportText(const ErrorReportEntry& error);

// Runs an event procedure at the boundary between the toolkit and the
// window code: whatever it throws is shown by the error report, in the
// form that holds `control`, and the program goes on. Returns whether the
// procedure completed.
bool RunEvent(QWidget* control, const std::function<void()>& procedure);

// Native paths and the toolkit's text. A name that is not valid UTF-8 shows
// with replacement characters; the native bytes are kept alongside it.
QString DisplayText(const std::string& native);

// The mount points of the mounted file systems that are directories, sorted.
std::vector<std::string> MountedDrives();
// The mount point of the file system that holds `path`.
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
    // since the start shows up.
    void showPopup() override;

  private:
    void Choose(int index);
    std::vector<std::string> drives_;
    int chosen_ = -1;
};

class QtDirListBox : public QListWidget, public Window::DirListBox {
  public:
    explicit QtDirListBox(QWidget* parent);

    // Raised after the path has changed. When it fails, the list goes back
    // to the path and entries it showed before.
    std::function<void()> onChange;

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;

  private:
    void Display(const std::string& path, const std::vector<std::string>& subdirectories);
    void Open(QListWidgetItem* item);
    std::string path_;
    std::vector<std::string> subdirectories_;
};

class QtFileListBox : public QListWidget, public Window::FileListBox {
  public:
    explicit QtFileListBox(QWidget* parent);

    // Raised when a mouse click or a keyboard move selects a file.
    std::function<void()> onClick;

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;
    std::string FileName() const override;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void Click();
    std::string path_;
    int rowBeforePress_ = -1;
};

class QtLabel : public QPlainTextEdit, public Window::Label {
  public:
    explicit QtLabel(QWidget* parent);

    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption) override;

  private:
    std::string caption_;
};

// A top-level form with a fixed client size that raises its load event
// before it first shows and its unload event when it is closed.
class QtForm : public QWidget {
  public:
    QtForm(const QString& caption, int clientWidthTwips, int clientHeightTwips);

    std::function<void()> onLoad;
    std::function<void(bool& cancel)> onUnload;

    // Pixels for a length in twips at this form's screen resolution.
    int HorizontalPixels(int twips) const;
    int VerticalPixels(int twips) const;

    // Raises the load event once, then shows the form.
    void ShowForm();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    bool loaded_ = false;
};

}  // namespace Platform
