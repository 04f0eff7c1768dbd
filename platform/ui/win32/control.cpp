#include "platform/ui/win32/control.h"

#include "platform/system/os/text_win32.h"

namespace Ui {

HINSTANCE ThisModule() {
    return ::GetModuleHandleW(nullptr);
}

Win32Control::Win32Control(HWND form, const wchar_t* windowClass, DWORD style, DWORD extendedStyle)
    : hwnd_(::CreateWindowExW(extendedStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | style, 0, 0,
                              0, 0, form, nullptr, ThisModule(), nullptr)) {
    if (hwnd_ == nullptr) {
        throw System::WindowsError(System::Operation::kCreateControl, "", ::GetLastError());
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

}  // namespace Ui
