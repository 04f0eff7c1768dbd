#include "platform/ui/win32/form.h"

#include <commctrl.h>
#include <shellapi.h>

#include "platform/system/os/text_win32.h"
#include "platform/ui/win32/drive_list.h"
#include "platform/ui/win32/error_box.h"
#include "platform/ui/win32/font.h"
#include "platform/ui/win32/text.h"

namespace Ui {
namespace {

constexpr wchar_t kFormClass[] = L"TallixForm";
constexpr int kIconResource = 1;
constexpr WORD kCopyCommand = 0x100;
// Rows the open drive list shows.
constexpr int kDriveListRows = 12;
// The forms whose windows are open; the program's message loop ends when
// the last one closes.
int openForms = 0;

}  // namespace

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
        throw System::WindowsError(System::Operation::kRegisterWindowClass, "", ::GetLastError());
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    hwnd_ = ::CreateWindowExW(0, kFormClass, DisplayText(caption).c_str(), style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 0, 0, nullptr, nullptr, ThisModule(), this);
    if (hwnd_ == nullptr) {
        throw System::WindowsError(System::Operation::kCreateWindow, "", ::GetLastError());
    }
    ++openForms;
    ::DragAcceptFiles(hwnd_, TRUE);
    ACCEL copy{FCONTROL | FVIRTKEY, 'C', kCopyCommand};
    accelerators_ = ::CreateAcceleratorTableW(&copy, 1);
    LayOut(::GetDpiForWindow(hwnd_));
}

Win32Form::~Win32Form() {
    if (::IsWindow(hwnd_)) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
        --openForms;
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
    // Another form's message is that form's to translate.
    if (message.hwnd != hwnd_ && !::IsChild(hwnd_, message.hwnd)) {
        return false;
    }
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
                onDrop(System::Utf8Text(path));
            }
            return 0;
        }
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            if (--openForms == 0) {
                ::PostQuitMessage(0);
            }
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace Ui
