// The form and controls the window needs, as it sees them: plain
// properties and the events they raise, no toolkit types. A form runtime
// implements them with real widgets; the program's start
// (platform/app/form_wiring.h) routes the events to Form1's event
// procedures. This is the whole contract between the window and a runtime.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace Window {

// The form that holds the controls: it raises its load event before it
// first shows and its unload event when it is closed (`cancel` keeps it
// open), and hands the path of a file or directory dropped on it to
// `onDrop`.
class Form {
  public:
    virtual ~Form() = default;
    std::function<void()> onLoad;
    std::function<void(bool& cancel)> onUnload;
    std::function<void(const std::string& path)> onDrop;
};

// A drop-down of the machine's drives; `Drive` is the chosen one as text.
class DriveListBox {
  public:
    virtual ~DriveListBox() = default;
    virtual std::string Drive() const = 0;
    // Fills the list with the machine's drives and shows the one that holds
    // `path`, without an event.
    virtual void ShowDriveOf(const std::string& path) = 0;

    // Raised when the user chooses a drive other than the current one. When
    // it fails, the list goes back to the drive it showed before, while the
    // keyboard goes on from the drive that failed, so the next arrow key
    // passes it (a drive with no medium).
    std::function<void()> onChange;
};

// The directories around the current path. Setting `Path` lists the new
// directory first and changes nothing when that fails (the error is thrown);
// on success it raises the list's change event.
class DirListBox {
  public:
    virtual ~DirListBox() = default;
    virtual std::string Path() const = 0;
    virtual void SetPath(const std::string& path) = 0;

    // Raised after the path has changed. When it fails, the list goes back
    // to the path and entries it showed before.
    std::function<void()> onChange;
};

// The ordinary files of one directory. Setting `Path` refills the list and
// raises no click event; `FileName` is the selected file's name (no
// directory), empty when none is selected.
class FileListBox {
  public:
    virtual ~FileListBox() = default;
    virtual std::string Path() const = 0;
    virtual void SetPath(const std::string& path) = 0;
    virtual std::string FileName() const = 0;
    // Highlights the file `name` and raises the click event, as a click on
    // it would; does nothing and returns false when the list does not hold
    // it.
    virtual bool ClickFile(const std::string& name) = 0;

    // Raised when a mouse click or a keyboard move selects a file. When it
    // fails, the highlight goes back to the file selected before (or none).
    std::function<void()> onClick;
};

// The two checksums a report shows, as upper-case hex text.
struct ReportChecksums {
    std::string crc32;  // 8 digits
    std::string crc16;  // 4 digits
};

// The report's label; the caption keeps its CR LF line breaks exactly. Its
// first `literalLength` bytes are literal text such as a path, which may
// hold any byte: a CR LF there is part of the text, not a line break, and
// the label shows it, like any control character, in a visible form. A
// checksum the user pastes is compared with `checksums`, the report's own.
class Label {
  public:
    virtual ~Label() = default;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption, std::size_t literalLength,
                            const ReportChecksums& checksums) = 0;
};

}  // namespace Window
