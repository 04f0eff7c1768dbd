#include "platform/ui/win32/list_box.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

namespace Ui {

namespace {

// The focus frame: over the list's sunken edge, as wide as it, in the
// highlight colour.
void DrawFocusFrame(HWND list, HDC dc) {
    RECT frame{};
    ::GetWindowRect(list, &frame);
    ::OffsetRect(&frame, -frame.left, -frame.top);
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    for (int line = 0; line < edge; ++line) {
        ::FrameRect(dc, &frame, ::GetSysColorBrush(COLOR_HIGHLIGHT));
        ::InflateRect(&frame, -1, -1);
    }
}

}  // namespace

Win32ListBox::Win32ListBox(HWND form, DWORD style)
    : Win32Control(form, WC_LISTBOXW,
                   LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | style,
                   WS_EX_CLIENTEDGE) {
    Subclass();
}

std::optional<LRESULT> Win32ListBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            const LRESULT result = Default(message, wParam, lParam);
            ::RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
            return result;
        }
        case WM_NCPAINT: {
            const LRESULT result = Default(message, wParam, lParam);
            if (::GetFocus() == Handle()) {
                const HDC dc = ::GetWindowDC(Handle());
                DrawFocusFrame(Handle(), dc);
                ::ReleaseDC(Handle(), dc);
            }
            return result;
        }
        case WM_PRINT: {
            const LRESULT result = Default(message, wParam, lParam);
            if ((lParam & PRF_NONCLIENT) != 0 && ::GetFocus() == Handle()) {
                DrawFocusFrame(Handle(), reinterpret_cast<HDC>(wParam));
            }
            return result;
        }
        default:
            return std::nullopt;
    }
}

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

}  // namespace Ui
