// The form runtime on the Win32 API: a top-level form of fixed client size
// laid out in twips at the monitor's resolution, the drive, directory and
// file lists and the label as native controls with the properties and
// events the window code uses, and the report of errors raised by an event.
// Every Win32 type of the program stays behind this layer and the start.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/controls.h"

namespace Platform {

// An error that ended an event procedure, as the error report shows it.
struct ErrorReportEntry {
    std::string operation;
    std::string path;
    std::string reason;
};
using ErrorReport = std::function<void(HWND form, const ErrorReportEntry& error)>;

// Replaces the error report (a message box by default) and returns the one
// it replaced; tests put a recorder in its place.
ErrorReport SetErrorReport(ErrorReport report);

// The text for an error: what failed, on which path, and why. A path or
// reason too long for a message box keeps its beginning and end around an
// ellipsis.
std::wstring ErrorReportText(const ErrorReportEntry& error);

// Runs an event procedure at the boundary between the controls and the
// window code, with the wait cursor showing until it returns: whatever it
// throws is shown by the error report, owned by the form that holds
// `control` (the wait cursor gone by then), and the program goes on.
// Returns whether the procedure completed. Processes no messages of its
// own, so input that comes meanwhile waits for it.
bool RunEvent(HWND control, const std::function<void()>& procedure);

// Text of the program (UTF-8 names, paths, the report) as the controls
// show it: bytes that are not valid UTF-8 as replacement characters, and
// characters that would move or break a line (controls such as a newline,
// carriage return or tab, DEL, line and paragraph separators, direction
// overrides) as escapes such as \n, \r, \t, \x7F or \u2028, so a name
// always shows on one line and as it is stored.
std::wstring DisplayText(std::string_view text);

// Pixels for a length in twips (1/1440 inch) at `dotsPerInch`: 15 twips a
// pixel at 96, 10 at 144, 7.5 at 192; halves round up.
int PixelsForTwips(int twips, unsigned dotsPerInch);

// A native control, a child of the form, that the form routes its
// notifications to.
class Win32Control {
  public:
    Win32Control(const Win32Control&) = delete;
    Win32Control& operator=(const Win32Control&) = delete;
    virtual ~Win32Control();

    HWND Handle() const { return hwnd_; }

    // A WM_COMMAND notification (`code`) from this control.
    virtual void OnCommand(WORD code) { (void)code; }
    // Enter pressed while this control has the focus.
    virtual void OnEnter() {}
    // The form gave the control another font (another resolution).
    virtual void OnFontChanged() {}

  protected:
    // Creates the window of class `windowClass` as a child of `form`.
    Win32Control(HWND form, const wchar_t* windowClass, DWORD style, DWORD extendedStyle);
    // Routes the control's own messages through OnMessage first; what it
    // leaves (nullopt) goes on to the control's own handling.
    void Subclass();
    virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The control's own handling of a message, for OnMessage to run first.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_;
    WNDPROC controlProc_ = nullptr;  // the control's own, once subclassed
};

class Win32DriveListBox : public Win32Control, public Window::DriveListBox {
  public:
    explicit Win32DriveListBox(HWND form);

    // Raised when the user chooses a drive other than the current one. When
    // it fails, the list goes back to the drive it showed before.
    std::function<void()> onChange;

    // Fills the list with `drives` ("C:"), each shown with its volume label
    // where it has one, and shows `current` without an event.
    void SetDrives(const std::vector<std::string>& drives, const std::string& current);
    std::string Drive() const override;

    void OnCommand(WORD code) override;

  private:
    void Choose(int index);
    std::vector<std::string> drives_;
    int chosen_ = -1;
};

// A list box whose rows each stand for a name or path of the program and
// show its display text; refilled in one step without redrawing between.
class Win32ListBox : public Win32Control {
  public:
    // The highlighted row, -1 when none.
    int CurrentRow() const;
    int RowCount() const;
    // The text row `row` shows.
    std::wstring RowText(int row) const;

  protected:
    Win32ListBox(HWND form, DWORD style);
    // Replaces the rows with `texts` and highlights `current` (none for
    // -1), raising no event.
    void SetRows(const std::vector<std::wstring>& texts, int current);
    // Highlights `row` (none for -1) without raising events.
    void Highlight(int row);

    void OnFontChanged() override { FitScrollWidth(); }

  private:
    // Lets the list scroll sideways as far as its widest rows need, so a
    // name too long for it can be read; measures the longest rows only,
    // which a list of 100,000 names fills in no time.
    void FitScrollWidth();
    std::vector<std::wstring> longest_;
};

class Win32DirListBox : public Win32ListBox, public Window::DirListBox {
  public:
    explicit Win32DirListBox(HWND form);

    // Raised after the path has changed. When it fails, the list goes back
    // to the path and entries it showed before.
    std::function<void()> onChange;

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;

    // A double-click or Enter opens the highlighted entry.
    void OnCommand(WORD code) override;
    void OnEnter() override;

  private:
    void Display(const std::string& path, const std::vector<std::string>& subdirectories);
    void Open(int row);
    std::string path_;
    std::vector<std::string> subdirectories_;
    std::vector<std::string> rowPaths_;
    int pathRow_ = -1;
};

class Win32FileListBox : public Win32ListBox, public Window::FileListBox {
  public:
    explicit Win32FileListBox(HWND form);

    // Raised when a mouse click or a keyboard move selects a file, and when
    // a click lands on the file already selected; with nothing selected,
    // End and Up select the last file and Page Down the last in view. When
    // it fails, the
    // highlight goes back to the file selected before (or none), while the
    // keyboard goes on from the file that failed, so the next key passes it.
    std::function<void()> onClick;

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;
    std::string FileName() const override;

    // Highlights the file `name` and raises the click event, as a click on
    // it would; does nothing when the list does not hold it.
    void ClickFile(const std::string& name);

    void OnCommand(WORD code) override;

  protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // The row a key starts at when nothing is highlighted and the list box
    // would start it at the first: the last for End and Up, the last in
    // view for Page Down; -1 for any other key or case.
    int FirstKeyboardRow(UINT key) const;
    void Click(int row);
    std::string path_;
    std::vector<std::string> names_;
    int reportedRow_ = -1;            // the row whose click last completed
    std::optional<int> keyboardRow_;  // where the keyboard goes on from
    int pressedRow_ = -1;             // the row highlighted when the button went down
    int clicks_ = 0;                  // clicks raised, to tell whether input raised one
};

// The report label: a read-only text box without a frame or the focus,
// each line of the caption on one row cut at the right edge (a first line
// too long for it is shortened in the middle, keeping the file's name and
// size in view), its text
// selectable with the mouse and copied with its menu or Ctrl+C (the whole
// report when nothing is selected). Its menu also compares a checksum on
// the clipboard with the report's.
class Win32Label : public Win32Control, public Window::Label {
  public:
    explicit Win32Label(HWND form);

    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption, std::size_t literalLength) override;

    // The selected text, or the whole text when none is selected, to the
    // clipboard, with the part of a shortened line the ellipsis stands for.
    // Throws PlatformError when the clipboard refuses it.
    void Copy() const;
    // Which of the report's checksums the clipboard's text is, in a box;
    // nothing while the label shows no report.
    void CompareWithClipboard() const;

  protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Shows `whole_`, its first line shortened in the middle when it is too
    // wide for the label; false when the control refused the text.
    bool Show();
    // Where position `shown` of the text shown stands in `whole_`.
    std::size_t WholePosition(std::size_t shown) const;

    std::string caption_;
    std::size_t literalLength_ = 0;
    std::wstring whole_;                 // the caption as shown, never shortened
    std::size_t keepFrom_ = 0;           // the first line's file name starts here
    std::size_t ellipsisAt_ = 0;         // where the ellipsis stands, when shortened
    std::size_t ellipsisStandsFor_ = 0;  // characters it stands for; 0: not shortened
};

// A top-level form with a fixed client size, laid out in twips, that raises
// its load event before it first shows and its unload event when it is
// closed. It routes its controls' notifications to them, gives them a font
// that shows katakana, and lays them out again when it moves to a monitor
// of another resolution.
class Win32Form {
  public:
    // `caption` is UTF-8; the client size is in twips.
    Win32Form(std::string_view caption, int clientWidthTwips, int clientHeightTwips);
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;
    ~Win32Form();

    HWND Handle() const { return hwnd_; }

    std::function<void()> onLoad;
    std::function<void(bool& cancel)> onUnload;
    // A file or directory dropped on the form, by its path.
    std::function<void(const std::string& path)> onDrop;

    // A control's place on the form, in twips.
    struct Place {
        int left;
        int top;
        int width;
        int height;
    };
    // Places `control` at `place`, next in the form's tab order, which is
    // the order controls are added in.
    void Add(Win32Control& control, const Place& place);
    // Ctrl+C anywhere on the form copies from `label`.
    void SetCopySource(const Win32Label& label) { copySource_ = &label; }

    // The form's resolution in dots per inch, and pixels for twips at it.
    unsigned Dpi() const { return dpi_; }
    int Pixels(int twips) const { return PixelsForTwips(twips, dpi_); }

    // Raises the load event once, then shows the form with the focus on the
    // first control.
    void ShowForm(int showCommand);

    // Handles the form's keyboard shortcuts and dialog navigation (Tab,
    // Enter) for `message`; false when it is the message loop's to dispatch.
    bool PreTranslate(MSG& message);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void LayOut(unsigned dpi);
    void Close();

    struct Placed {
        Win32Control* control;
        Place place;
    };
    int clientWidth_;   // twips
    int clientHeight_;  // twips
    HWND hwnd_ = nullptr;
    unsigned dpi_ = 96;
    HFONT font_ = nullptr;
    HACCEL accelerators_ = nullptr;
    std::vector<Placed> controls_;
    const Win32Label* copySource_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool loaded_ = false;
};

}  // namespace Platform
