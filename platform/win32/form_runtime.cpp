#include "platform/win32/form_runtime.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "platform/os/directory.h"
#include "platform/os/drives.h"
#include "platform/os/error.h"
#include "platform/os/text_win32.h"
#include "window/checksum_compare.h"
#include "window/directory_move.h"
#include "window/presentation.h"

namespace Platform {
namespace {

constexpr wchar_t kFormClass[] = L"TallixForm";
constexpr int kIconResource = 1;
constexpr WORD kCopyCommand = 0x100;
// The report's font, in points.
constexpr int kFontPoints = 9;
// A path or reason in an error box keeps this many characters: its
// beginning and end around an ellipsis.
constexpr std::size_t kMostBoxCharacters = 400;
// Rows the open drive list shows.
constexpr int kDriveListRows = 12;

// ---- Text ----

// UTF-16 for UTF-8 text, invalid bytes as replacement characters.
std::wstring DecodedText(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

// The escape for a character that would move or break the text it is in,
// or an empty text for any other character.
std::wstring EscapeFor(wchar_t c) {
    switch (c) {
        case L'\n':
            return L"\\n";
        case L'\r':
            return L"\\r";
        case L'\t':
            return L"\\t";
        default:
            break;
    }
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool separator = c == 0x2028 || c == 0x2029;
    const bool direction = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
                           c == 0x200E || c == 0x200F || c == 0x061C;
    if (!control && !separator && !direction) {
        return {};
    }
    wchar_t escape[8];
    if (c <= 0x7F) {
        ::swprintf(escape, 8, L"\\x%02X", static_cast<unsigned>(c));
    } else {
        ::swprintf(escape, 8, L"\\u%04X", static_cast<unsigned>(c));
    }
    return escape;
}

// `text` with its middle left out when it is longer than `most`
// characters.
std::wstring ShortenedInTheMiddle(const std::wstring& text, std::size_t most) {
    if (text.size() <= most) {
        return text;
    }
    const std::size_t head = most / 2;
    const std::size_t tail = most - head - 1;
    return text.substr(0, head) + L"\u2026" + text.substr(text.size() - tail);
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// ---- Error report ----

// Centres the message box the thread is about to show on its owner, as
// the box would otherwise sit in the middle of the screen.
HHOOK centringHook = nullptr;

LRESULT CALLBACK CentreOnOwner(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        const HWND owner = ::GetWindow(box, GW_OWNER);
        RECT boxRect{};
        RECT ownerRect{};
        if (owner != nullptr && ::IsWindowVisible(owner) && ::GetWindowRect(box, &boxRect) &&
            ::GetWindowRect(owner, &ownerRect)) {
            const int width = boxRect.right - boxRect.left;
            const int height = boxRect.bottom - boxRect.top;
            const int x = (ownerRect.left + ownerRect.right - width) / 2;
            const int y = (ownerRect.top + ownerRect.bottom - height) / 2;
            ::SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        ::UnhookWindowsHookEx(std::exchange(centringHook, nullptr));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A message box owned by the form, under the form's caption and centred on
// it.
void ShowBox(HWND form, const std::wstring& text, UINT type) {
    const std::wstring caption = form != nullptr ? WindowText(form) : std::wstring();
    centringHook = ::SetWindowsHookExW(WH_CBT, CentreOnOwner, nullptr, ::GetCurrentThreadId());
    ::MessageBoxW(form, text.c_str(), caption.c_str(), MB_OK | type);
    if (centringHook != nullptr) {
        ::UnhookWindowsHookEx(std::exchange(centringHook, nullptr));
    }
}

void ShowMessageBox(HWND form, const ErrorReportEntry& error) {
    ShowBox(form, ErrorReportText(error), MB_ICONERROR);
}

ErrorReport& CurrentErrorReport() {
    static ErrorReport report = ShowMessageBox;
    return report;
}

ErrorReportEntry EntryForCurrentException() {
    try {
        throw;
    } catch (const PlatformError& error) {
        return {error.operation(), error.path(), error.reason()};
    } catch (const std::bad_alloc&) {
        return {"allocate memory", "", "not enough memory"};
    } catch (const std::exception& error) {
        return {"run the event", "", error.what()};
    } catch (...) {
        return {"run the event", "", "unknown error"};
    }
}

// Shows the wait cursor for as long as it lives. SetCursor applies it at
// once; no message is processed meanwhile, so nothing sets it back early.
class WaitCursor {
  public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

// ---- Font ----

int CALLBACK NoteFontFound(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD, LPARAM found) {
    // Vertical forms of a family ("@MS UI Gothic") are not for rows of text.
    if (font->lfFaceName[0] != L'@') {
        // The bit named fixed pitch is set for proportional fonts.
        const bool proportional = (metrics->tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
        reinterpret_cast<std::vector<std::pair<std::wstring, bool>>*>(found)->emplace_back(
            font->lfFaceName, proportional);
    }
    return 1;
}

// The families that exist on this machine with `charset`, the proportional
// ones first.
std::vector<std::wstring> FontFamilies(HDC dc, BYTE charset) {
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    std::vector<std::pair<std::wstring, bool>> found;
    ::EnumFontFamiliesExW(dc, &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    std::stable_partition(found.begin(), found.end(),
                          [](const auto& family) { return family.second; });
    std::vector<std::wstring> names;
    for (auto& [name, proportional] : found) {
        names.push_back(std::move(name));
    }
    return names;
}

// Whether the family `name` draws Latin letters, digits and katakana with
// glyphs of its own (a fallback font may lack Latin letters, and a family
// name may be missing altogether).
bool ShowsReportText(HDC dc, const std::wstring& name) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(wanted.lfFaceName, name.c_str(), LF_FACESIZE);
    const HFONT font = ::CreateFontIndirectW(&wanted);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    wchar_t face[LF_FACESIZE]{};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    const std::wstring sample = L"Aa0(-)バイトファ";  // バイトファ
    std::vector<WORD> glyphs(sample.size());
    const bool all =
        ::GetGlyphIndicesW(dc, sample.c_str(), static_cast<int>(sample.size()), glyphs.data(),
                           GGI_MARK_NONEXISTING_GLYPHS) == sample.size() &&
        std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) == glyphs.end();
    ::SelectObject(dc, previous);
    ::DeleteObject(font);
    return all && ::lstrcmpiW(face, name.c_str()) == 0;
}

// The user-interface families of Windows that show katakana, newest first;
// failing those (Wine, a machine without Japanese support) the first family
// with Japanese characters that has Latin ones too, a proportional one if
// there is one, and failing that the system's message font.
std::wstring KatakanaFontFamily() {
    static const std::wstring family = [] {
        const HDC dc = ::GetDC(nullptr);
        std::vector<std::wstring> candidates{L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"};
        for (std::wstring& name : FontFamilies(dc, SHIFTJIS_CHARSET)) {
            candidates.push_back(std::move(name));
        }
        const auto found =
            std::find_if(candidates.begin(), candidates.end(),
                         [dc](const std::wstring& name) { return ShowsReportText(dc, name); });
        ::ReleaseDC(nullptr, dc);
        if (found != candidates.end()) {
            return *found;
        }
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        return std::wstring(metrics.lfMessageFont.lfFaceName);
    }();
    return family;
}

HFONT CreateFormFont(unsigned dpi) {
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(kFontPoints, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    ::lstrcpynW(font.lfFaceName, KatakanaFontFamily().c_str(), LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

HINSTANCE ThisModule() {
    return ::GetModuleHandleW(nullptr);
}

}  // namespace

ErrorReport SetErrorReport(ErrorReport report) {
    return std::exchange(CurrentErrorReport(), std::move(report));
}

std::wstring ErrorReportText(const ErrorReportEntry& error) {
    std::wstring text = DisplayText(Window::ErrorHeadline(error.operation));
    if (!error.path.empty()) {
        text += L"\n\nPath: " + ShortenedInTheMiddle(DisplayText(error.path), kMostBoxCharacters);
    }
    text += L"\nReason: " + ShortenedInTheMiddle(DisplayText(error.reason), kMostBoxCharacters);
    return text;
}

bool RunEvent(HWND control, const std::function<void()>& procedure) {
    if (!procedure) {
        return true;
    }
    try {
        const WaitCursor wait;
        procedure();
        return true;
    } catch (...) {
        const ErrorReportEntry entry = EntryForCurrentException();
        const HWND form = control != nullptr ? ::GetAncestor(control, GA_ROOT) : nullptr;
        if (const ErrorReport& report = CurrentErrorReport()) {
            report(form, entry);
        }
        return false;
    }
}

std::wstring DisplayText(std::string_view text) {
    const std::wstring decoded = DecodedText(text);
    std::wstring shown;
    shown.reserve(decoded.size());
    for (const wchar_t c : decoded) {
        const std::wstring escape = EscapeFor(c);
        if (escape.empty()) {
            shown += c;
        } else {
            shown += escape;
        }
    }
    return shown;
}

int PixelsForTwips(int twips, unsigned dotsPerInch) {
    return ::MulDiv(twips, static_cast<int>(dotsPerInch), 1440);
}

// ---- Controls ----

Win32Control::Win32Control(HWND form, const wchar_t* windowClass, DWORD style, DWORD extendedStyle)
    : hwnd_(::CreateWindowExW(extendedStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0,
                              0, 0, form, nullptr, ThisModule(), nullptr)) {
    if (hwnd_ == nullptr) {
        throw WindowsError("create a control", "", ::GetLastError());
    }
}

Win32Control::~Win32Control() {
    if (::IsWindow(hwnd_)) {
        if (controlProc_ != nullptr) {
            ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProc_));
        }
        ::DestroyWindow(hwnd_);
    }
}

// The control's own window procedure is replaced, not chained with
// SetWindowSubclass: that looks its data up in a window property for every
// message, which under Wine is a call to the server, and filling a list
// sends a message a row.
void Win32Control::Subclass() {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    controlProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

std::optional<LRESULT> Win32Control::OnMessage(UINT, WPARAM, LPARAM) {
    return std::nullopt;
}

LRESULT Win32Control::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(controlProc_, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Win32Control::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = reinterpret_cast<Win32Control*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (const std::optional<LRESULT> result = control->OnMessage(message, wParam, lParam)) {
        return *result;
    }
    return control->Default(message, wParam, lParam);
}

// ---- Drive list ----

Win32DriveListBox::Win32DriveListBox(HWND form)
    : Win32Control(form, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0) {}

void Win32DriveListBox::SetDrives(const std::vector<std::string>& drives,
                                  const std::string& current) {
    drives_ = drives;
    if (std::find(drives_.begin(), drives_.end(), current) == drives_.end()) {
        drives_.push_back(current);
    }
    ::SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    for (const std::string& drive : drives_) {
        const std::string label = VolumeLabel(drive);
        const std::wstring text =
            DisplayText(drive) + (label.empty() ? L"" : L" [" + DisplayText(label) + L"]");
        ::SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    chosen_ =
        static_cast<int>(std::find(drives_.begin(), drives_.end(), current) - drives_.begin());
    ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(chosen_), 0);
}

std::string Win32DriveListBox::Drive() const {
    return chosen_ >= 0 ? drives_[static_cast<std::size_t>(chosen_)] : std::string();
}

// The user chooses with a click in the open list (it closes), Enter in it,
// or the arrow keys on the closed box; an open list that is cancelled
// changes nothing. The list is filled afresh each time it opens, so a drive
// that came since the start shows up.
void Win32DriveListBox::OnCommand(WORD code) {
    const int index = static_cast<int>(::SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
    switch (code) {
        case CBN_DROPDOWN:
            SetDrives(ListDrives(), Drive());
            break;
        case CBN_SELENDCANCEL:
            ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(chosen_), 0);
            break;
        case CBN_CLOSEUP:
            Choose(index);
            break;
        case CBN_SELCHANGE:
            if (!::SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0)) {
                Choose(index);
            }
            break;
        default:
            break;
    }
}

void Win32DriveListBox::Choose(int index) {
    if (index == chosen_ || index < 0) {
        return;
    }
    RunEvent(Handle(), [this, index] {
        const int previous = std::exchange(chosen_, index);
        try {
            if (onChange) {
                onChange();
            }
        } catch (...) {
            chosen_ = previous;
            ::SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(previous), 0);
            throw;
        }
    });
}

// ---- Lists ----

Win32ListBox::Win32ListBox(HWND form, DWORD style)
    : Win32Control(form, WC_LISTBOXW,
                   LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | style,
                   WS_EX_CLIENTEDGE) {}

int Win32ListBox::CurrentRow() const {
    return static_cast<int>(::SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
}

int Win32ListBox::RowCount() const {
    return static_cast<int>(::SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
}

std::wstring Win32ListBox::RowText(int row) const {
    const LRESULT length = ::SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::SendMessageW(
        Handle(), LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void Win32ListBox::SetRows(const std::vector<std::wstring>& texts, int current) {
    const HWND list = Handle();
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    std::size_t characters = 0;
    for (const std::wstring& text : texts) {
        characters += text.size() + 1;
    }
    ::SendMessageW(list, LB_INITSTORAGE, texts.size(), characters * sizeof(wchar_t));
    for (const std::wstring& text : texts) {
        if (::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0) {
            ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
            ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
            throw std::bad_alloc();
        }
    }
    // The rows with the most characters are, near enough, the widest.
    constexpr std::size_t kMeasuredRows = 64;
    std::vector<const std::wstring*> byLength;
    byLength.reserve(texts.size());
    for (const std::wstring& text : texts) {
        byLength.push_back(&text);
    }
    const auto measured =
        byLength.begin() + static_cast<std::ptrdiff_t>(std::min(kMeasuredRows, byLength.size()));
    std::partial_sort(byLength.begin(), measured, byLength.end(),
                      [](const auto* a, const auto* b) { return a->size() > b->size(); });
    longest_.clear();
    for (auto row = byLength.begin(); row != measured; ++row) {
        longest_.push_back(**row);
    }
    FitScrollWidth();
    Highlight(current);
    if (current < 0) {
        ::SendMessageW(list, LB_SETTOPINDEX, 0, 0);
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void Win32ListBox::FitScrollWidth() {
    const HDC dc = ::GetDC(Handle());
    const HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::wstring& text : longest_) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(Handle(), dc);
    // Room for the margin the list draws before each row.
    const int margin = ::MulDiv(6, static_cast<int>(::GetDpiForWindow(Handle())), 96);
    ::SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + margin), 0);
}

void Win32ListBox::Highlight(int row) {
    ::SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

// ---- Directory list ----

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
        path.empty() ? std::vector<std::string>() : PathAndAncestors(path);
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
        texts.push_back(indent(depth++) + DisplayText(LastName(ancestor)));
        paths.push_back(ancestor);
    }
    for (const std::string& name : subdirectories) {
        texts.push_back(indent(depth) + DisplayText(name));
        paths.push_back(JoinPath(path, kPathSeparator, name));
    }
    path_ = path;
    subdirectories_ = subdirectories;
    rowPaths_ = std::move(paths);
    pathRow_ = static_cast<int>(ancestors.size()) - 1;
    SetRows(texts, pathRow_);
}

// ---- File list ----

Win32FileListBox::Win32FileListBox(HWND form) : Win32ListBox(form, 0) {
    Subclass();
}

// A mouse press or a keyboard move that highlights another file reports it.
// The list notifies again when the button goes up; the highlight is then
// the file already reported (or, after an error, put back), so that
// notification does nothing.
void Win32FileListBox::OnCommand(WORD code) {
    const int row = CurrentRow();
    if (code == LBN_SELCHANGE && row >= 0 && row != reportedRow_) {
        Click(row);
    }
}

std::optional<LRESULT> Win32FileListBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            pressedRow_ = CurrentRow();
            keyboardRow_.reset();
            break;
        case WM_LBUTTONUP: {
            // A click on the file already highlighted reports it afresh.
            const int clicksBefore = clicks_;
            const LRESULT result = Default(message, wParam, lParam);
            const LRESULT hit = ::SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, lParam);
            const int row = CurrentRow();
            if (clicks_ == clicksBefore && HIWORD(hit) == 0 && LOWORD(hit) == row &&
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
            if (!keyboardRow_) {
                break;
            }
            Highlight(*std::exchange(keyboardRow_, std::nullopt));
            const int clicksBefore = clicks_;
            const LRESULT result = Default(message, wParam, lParam);
            if (clicks_ == clicksBefore) {
                Highlight(reportedRow_);
            }
            return result;
        }
        default:
            break;
    }
    return std::nullopt;
}

int Win32FileListBox::FirstKeyboardRow(UINT key) const {
    const bool modified =
        ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
    const int last = RowCount() - 1;
    if (keyboardRow_ || CurrentRow() >= 0 || last < 0 || modified) {
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
    ++clicks_;
    if (RunEvent(Handle(), onClick)) {
        reportedRow_ = row;
        keyboardRow_.reset();
    } else {
        Highlight(reportedRow_);
        keyboardRow_ = row;
    }
}

void Win32FileListBox::ClickFile(const std::string& name) {
    const auto found = std::find(names_.begin(), names_.end(), name);
    if (found == names_.end()) {
        return;
    }
    const int row = static_cast<int>(found - names_.begin());
    Highlight(row);
    Click(row);
}

void Win32FileListBox::SetPath(const std::string& path) {
    const std::string target = NormalDirectoryPath(path);
    std::vector<std::string> names = ListOrdinaryFiles(target);  // may throw
    std::vector<std::wstring> texts;
    texts.reserve(names.size());
    for (const std::string& name : names) {
        texts.push_back(DisplayText(name));
    }
    SetRows(texts, -1);  // refilling raises no click
    path_ = target;
    names_ = std::move(names);
    reportedRow_ = -1;
    keyboardRow_.reset();
}

std::string Win32FileListBox::FileName() const {
    const int row = CurrentRow();
    return row >= 0 && row < static_cast<int>(names_.size()) ? names_[static_cast<std::size_t>(row)]
                                                             : std::string();
}

// ---- Label ----

Win32Label::Win32Label(HWND form)
    : Win32Control(form, WC_EDITW, ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_NOHIDESEL, 0) {
    Subclass();
}

void Win32Label::SetCaption(const std::string& caption, std::size_t literalLength) {
    const std::string_view text(caption);
    const std::size_t literal = std::min(literalLength, text.size());
    std::wstring whole = DisplayText(text.substr(0, literal));
    const std::size_t separator = whole.rfind(L'\\');
    const std::size_t keepFrom = separator == std::wstring::npos ? 0 : separator + 1;
    const std::string_view lineBreak = "\r\n";
    std::size_t start = literal;
    for (std::size_t end; (end = text.find(lineBreak, start)) != std::string_view::npos;
         start = end + lineBreak.size()) {
        whole += DisplayText(text.substr(start, end - start)) + L"\r\n";
    }
    whole += DisplayText(text.substr(start));
    const std::wstring previousWhole = std::exchange(whole_, std::move(whole));
    const std::size_t previousKeepFrom = std::exchange(keepFrom_, keepFrom);
    if (!Show()) {
        const DWORD error = ::GetLastError();
        whole_ = previousWhole;
        keepFrom_ = previousKeepFrom;
        Show();
        throw WindowsError("show the report", "", error);
    }
    caption_ = caption;
    literalLength_ = literal;
}

bool Win32Label::Show() {
    const std::size_t lineEnd = std::min(whole_.find(L"\r\n"), whole_.size());
    const std::wstring first = whole_.substr(0, lineEnd);
    // The room the edit control gives a line: its width less its margins.
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const auto margins = static_cast<DWORD>(::SendMessageW(Handle(), EM_GETMARGINS, 0, 0));
    const int room = client.right - LOWORD(margins) - HIWORD(margins) - 2;
    const HDC dc = ::GetDC(Handle());
    const HGDIOBJ previous =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    const auto fits = [dc, room](std::string_view line) {
        const std::wstring wide = DecodedText(line);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return size.cx <= room;
    };
    const std::string line = Utf8Text(first);
    const Window::MiddleElision elided =
        Window::MiddleElided(line, Utf8Text(first.substr(0, keepFrom_)).size(), fits);
    ::SelectObject(dc, previous);
    ::ReleaseDC(Handle(), dc);
    std::wstring shown = whole_;
    ellipsisAt_ = 0;
    ellipsisStandsFor_ = 0;
    if (elided.Shortened()) {
        const std::size_t head =
            DecodedText(std::string_view(line).substr(0, elided.headBytes)).size();
        const std::size_t tail =
            DecodedText(std::string_view(line).substr(line.size() - elided.tailBytes)).size();
        shown = DecodedText(elided.text) + whole_.substr(lineEnd);
        ellipsisAt_ = head;
        ellipsisStandsFor_ = first.size() - head - tail;
    }
    return ::SetWindowTextW(Handle(), shown.c_str()) != FALSE;
}

std::size_t Win32Label::WholePosition(std::size_t shown) const {
    if (ellipsisStandsFor_ == 0 || shown <= ellipsisAt_) {
        return shown;
    }
    return shown - 1 + ellipsisStandsFor_;
}

void Win32Label::Copy() const {
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    const std::size_t from = WholePosition(start);
    const std::size_t to = std::min(WholePosition(end), whole_.size());
    const std::wstring copied = from < to ? whole_.substr(from, to - from) : whole_;
    if (!::OpenClipboard(::GetAncestor(Handle(), GA_ROOT))) {
        throw WindowsError("copy the report", "", ::GetLastError());
    }
    const std::size_t bytes = (copied.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* place = memory != nullptr ? ::GlobalLock(memory) : nullptr;
    bool copiedAll = false;
    if (place != nullptr) {
        std::copy_n(copied.c_str(), copied.size() + 1, static_cast<wchar_t*>(place));
        ::GlobalUnlock(memory);
        copiedAll = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    const DWORD error = ::GetLastError();
    ::CloseClipboard();
    if (!copiedAll) {
        if (memory != nullptr) {
            ::GlobalFree(memory);
        }
        throw WindowsError("copy the report", "", error);
    }
}

// The clipboard's text, empty when it holds none.
static std::string ClipboardText(HWND owner) {
    std::string text;
    if (!::OpenClipboard(owner)) {
        throw WindowsError("read the clipboard", "", ::GetLastError());
    }
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = Utf8Text(wide);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

// The answer in a box of its own, so it cannot be missed.
void Win32Label::CompareWithClipboard() const {
    const std::optional<Window::ReportChecksums> report =
        Window::ChecksumsOfReport(caption_, literalLength_);
    if (!report) {
        return;
    }
    const HWND form = ::GetAncestor(Handle(), GA_ROOT);
    const Window::ChecksumComparison comparison =
        Window::CompareChecksum(ClipboardText(form), *report);
    const bool matched = comparison.match == Window::ChecksumMatch::kCRC32 ||
                         comparison.match == Window::ChecksumMatch::kCRC16;
    ShowBox(form, DisplayText(comparison.message), matched ? MB_ICONINFORMATION : MB_ICONWARNING);
}

// The label takes no focus: a click selects text in it and hands the focus
// back to the list that had it. Its menu copies and selects.
std::optional<LRESULT> Win32Label::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT:
        case WM_SIZE: {
            // Another font or width: the first line is fitted again.
            const LRESULT result = Default(message, wParam, lParam);
            if (!whole_.empty()) {
                Show();
            }
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const HWND focus = ::GetFocus();
            const LRESULT result = Default(message, wParam, lParam);
            if (focus != nullptr && focus != Handle()) {
                ::SetFocus(focus);
            }
            return result;
        }
        case WM_CONTEXTMENU: {
            enum : UINT { kCopy = 1, kSelectAll, kCompare };
            const HMENU menu = ::CreatePopupMenu();
            const UINT whenReport = caption_.empty() ? MF_GRAYED : MF_ENABLED;
            ::AppendMenuW(menu, MF_STRING | whenReport, kCopy, L"&Copy\tCtrl+C");
            ::AppendMenuW(menu, MF_STRING | whenReport, kSelectAll, L"Select &All");
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            const bool report = Window::ChecksumsOfReport(caption_, literalLength_).has_value();
            ::AppendMenuW(menu, MF_STRING | (report ? MF_ENABLED : MF_GRAYED), kCompare,
                          L"Compare with clipboard");
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (at.x == -1 && at.y == -1) {
                at = {0, 0};
                ::ClientToScreen(Handle(), &at);
            }
            const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
                menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr));
            ::DestroyMenu(menu);
            if (chosen == kCopy) {
                RunEvent(Handle(), [this] { Copy(); });
            } else if (chosen == kSelectAll) {
                ::SendMessageW(Handle(), EM_SETSEL, 0, -1);
            } else if (chosen == kCompare) {
                RunEvent(Handle(), [this] { CompareWithClipboard(); });
            }
            return 0;
        }
        default:
            break;
    }
    return std::nullopt;
}

// ---- Form ----

Win32Form::Win32Form(std::string_view caption, int clientWidthTwips, int clientHeightTwips)
    : clientWidth_(clientWidthTwips), clientHeight_(clientHeightTwips) {
    static const ATOM formClass = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = ThisModule();
        windowClass.hIcon = ::LoadIconW(ThisModule(), MAKEINTRESOURCEW(kIconResource));
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kFormClass;
        return ::RegisterClassExW(&windowClass);
    }();
    if (formClass == 0) {
        throw WindowsError("register the window class", "", ::GetLastError());
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    hwnd_ = ::CreateWindowExW(0, kFormClass, DisplayText(caption).c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 0, 0, nullptr, nullptr, ThisModule(), this);
    if (hwnd_ == nullptr) {
        throw WindowsError("create the window", "", ::GetLastError());
    }
    ::DragAcceptFiles(hwnd_, TRUE);
    ACCEL copy{FCONTROL | FVIRTKEY, 'C', kCopyCommand};
    accelerators_ = ::CreateAcceleratorTableW(&copy, 1);
    LayOut(::GetDpiForWindow(hwnd_));
}

Win32Form::~Win32Form() {
    if (::IsWindow(hwnd_)) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (accelerators_ != nullptr) {
        ::DestroyAcceleratorTable(accelerators_);
    }
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
}

void Win32Form::Add(Win32Control& control, const Place& place) {
    const HWND previous = controls_.empty() ? HWND_TOP : controls_.back().control->Handle();
    controls_.push_back({&control, place});
    // The dialog keys go through the controls in their window order.
    ::SetWindowPos(control.Handle(), previous, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    LayOut(dpi_);
}

// The form's client size and every control's place and font at `dpi`.
void Win32Form::LayOut(unsigned dpi) {
    dpi_ = dpi != 0 ? dpi : 96;
    const HFONT font = CreateFormFont(dpi_);
    RECT frame{0, 0, Pixels(clientWidth_), Pixels(clientHeight_)};
    ::AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                               FALSE, 0, dpi_);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& [control, place] : controls_) {
        const HWND hwnd = control->Handle();
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        control->OnFontChanged();
        int height = Pixels(place.height);
        wchar_t windowClass[32]{};
        ::GetClassNameW(hwnd, windowClass, 32);
        if (::lstrcmpiW(windowClass, WC_COMBOBOXW) == 0) {
            // The closed box is as tall as the layout says; the window's
            // height is the open list's.
            const int edges = 2 * ::GetSystemMetricsForDpi(SM_CYEDGE, dpi_) + 2;
            ::SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - edges);
            const auto row = ::SendMessageW(hwnd, CB_GETITEMHEIGHT, 0, 0);
            height += static_cast<int>(row) * kDriveListRows;
        }
        ::MoveWindow(hwnd, Pixels(place.left), Pixels(place.top), Pixels(place.width), height,
                     TRUE);
    }
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
    font_ = font;
}

void Win32Form::ShowForm(int showCommand) {
    if (!loaded_) {
        loaded_ = true;
        RunEvent(hwnd_, onLoad);
    }
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
    if (!controls_.empty()) {
        ::SetFocus(controls_.front().control->Handle());
    }
}

bool Win32Form::PreTranslate(MSG& message) {
    if (::TranslateAcceleratorW(hwnd_, accelerators_, &message)) {
        return true;
    }
    return ::IsDialogMessageW(hwnd_, &message);
}

void Win32Form::Close() {
    bool cancel = false;
    if (loaded_) {
        RunEvent(hwnd_, [this, &cancel] {
            if (onUnload) {
                onUnload(cancel);
            }
        });
    }
    if (cancel) {
        return;
    }
    loaded_ = false;
    ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK Win32Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* form = static_cast<Win32Form*>(create->lpCreateParams);
        form->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return form != nullptr ? form->HandleMessage(message, wParam, lParam)
                           : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            // A control's notification; Enter, which the dialog keys turn
            // into IDOK, for the control with the focus; the copy shortcut.
            const auto from = reinterpret_cast<HWND>(lParam);
            const HWND target = from != nullptr ? from : ::GetFocus();
            for (const auto& [control, place] : controls_) {
                if (control->Handle() != target) {
                    continue;
                }
                if (from != nullptr) {
                    control->OnCommand(HIWORD(wParam));
                } else if (LOWORD(wParam) == IDOK) {
                    control->OnEnter();
                }
            }
            if (from == nullptr && LOWORD(wParam) == kCopyCommand && copySource_ != nullptr) {
                RunEvent(hwnd_, [this] { copySource_->Copy(); });
            }
            return 0;
        }
        case WM_ACTIVATE:
            // The focus comes back to the control that had it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                lastFocus_ = ::GetFocus();
            } else if (lastFocus_ != nullptr && ::IsChild(hwnd_, lastFocus_)) {
                ::SetFocus(lastFocus_);
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            LayOut(HIWORD(wParam));
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_DROPFILES: {
            // One file or directory at a time, as the lists show one.
            const auto drop = reinterpret_cast<HDROP>(wParam);
            std::wstring path;
            if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
                path.resize(::DragQueryFileW(drop, 0, nullptr, 0) + 1);
                path.resize(::DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
            }
            ::DragFinish(drop);
            if (!path.empty() && onDrop) {
                onDrop(Utf8Text(path));
            }
            return 0;
        }
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace Platform
