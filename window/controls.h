// The controls the window needs, as it sees them: plain properties, no
// toolkit types. A form runtime implements them with real widgets, and
// routes the events a control raises to Form1's event procedures.
#pragma once

#include <cstddef>
#include <string>

namespace Window {

// A drop-down of the machine's drives; `Drive` is the chosen one as text.
class DriveListBox {
  public:
    virtual ~DriveListBox() = default;
    virtual std::string Drive() const = 0;
};

// The directories around the current path. Setting `Path` lists the new
// directory first and changes nothing when that fails (the error is thrown);
// on success it raises the list's change event.
class DirListBox {
  public:
    virtual ~DirListBox() = default;
    virtual std::string Path() const = 0;
    virtual void SetPath(const std::string& path) = 0;
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
