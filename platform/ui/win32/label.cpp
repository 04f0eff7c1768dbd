#include "platform/ui/win32/label.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/system/os/text_win32.h"
#include "platform/system/os/translation.h"
#include "platform/ui/win32/error_box.h"
#include "platform/ui/win32/text.h"
#include "window/checksum_compare.h"
#include "window/presentation.h"

namespace Ui {
namespace {

// The clipboard's text, empty when it holds none.
std::string ClipboardText(HWND owner) {
    std::string text;
    if (!::OpenClipboard(owner)) {
        throw System::WindowsError(System::Operation::kReadClipboard, "", ::GetLastError());
    }
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = System::Utf8Text(wide);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

}  // namespace

Win32Label::Win32Label(HWND form)
    : Win32Control(form, WC_EDITW, ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_NOHIDESEL, 0) {
    Subclass();
}

void Win32Label::SetCaption(const std::string& caption, std::size_t literalLength,
                            const Window::ReportChecksums& checksums) {
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
        throw System::WindowsError(System::Operation::kShowReport, "", error);
    }
    caption_ = caption;
    checksums_ = checksums;
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
    const std::string line = System::Utf8Text(first);
    const Window::MiddleElision elided =
        Window::MiddleElided(line, System::Utf8Text(first.substr(0, keepFrom_)).size(), fits);
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
        throw System::WindowsError(System::Operation::kCopyReport, "", ::GetLastError());
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
        throw System::WindowsError(System::Operation::kCopyReport, "", error);
    }
}

// The answer in a box of its own, so it cannot be missed.
void Win32Label::CompareWithClipboard() const {
    if (!checksums_) {
        return;
    }
    const HWND form = ::GetAncestor(Handle(), GA_ROOT);
    const Window::ChecksumComparison comparison =
        Window::CompareChecksum(ClipboardText(form), *checksums_);
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
            ::AppendMenuW(menu, MF_STRING | whenReport, kCopy,
                          System::WideText(System::Tr("&Copy\tCtrl+C")).c_str());
            ::AppendMenuW(menu, MF_STRING | whenReport, kSelectAll,
                          System::WideText(System::Tr("Select &All")).c_str());
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(menu, MF_STRING | (checksums_ ? MF_ENABLED : MF_GRAYED), kCompare,
                          System::WideText(System::Tr("Compare with clipboard")).c_str());
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

}  // namespace Ui
