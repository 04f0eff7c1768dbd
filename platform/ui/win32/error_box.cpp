#include "platform/ui/win32/error_box.h"

#include <utility>
#include <vector>

#include "platform/system/os/text_win32.h"
#include "platform/system/os/translation.h"
#include "platform/ui/win32/text.h"
#include "window/presentation.h"

namespace Ui {
namespace {

// A path or reason in an error box keeps this many characters: its
// beginning and end around an ellipsis.
constexpr std::size_t kMostBoxCharacters = 400;

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

// The boxes for errors raised before their form first showed, each with
// its form; a timer on the form shows them once it is visible, after it
// has been drawn (a timer's turn comes after painting), so that they open
// over it rather than alone.
struct PendingBox {
    HWND form;
    std::wstring text;
};
std::vector<PendingBox> pendingBoxes;
constexpr UINT_PTR kPendingBoxTimer = 0x7A11;

void CALLBACK ShowPendingBoxes(HWND form, UINT, UINT_PTR timer, DWORD) {
    if (!::IsWindowVisible(form)) {
        return;  // the next turn of the timer looks again
    }
    ::KillTimer(form, timer);
    std::vector<PendingBox> boxes;
    std::erase_if(pendingBoxes, [&](PendingBox& box) {
        if (box.form != form) {
            return false;
        }
        boxes.push_back(std::move(box));
        return true;
    });
    for (const PendingBox& box : boxes) {
        ShowBox(form, box.text, MB_ICONERROR);
    }
}

void ShowMessageBox(HWND form, const ErrorReportEntry& error) {
    if (form != nullptr && !::IsWindowVisible(form) &&
        ::SetTimer(form, kPendingBoxTimer, USER_TIMER_MINIMUM, ShowPendingBoxes) != 0) {
        pendingBoxes.push_back({form, ErrorReportText(error)});
        return;
    }
    ShowBox(form, ErrorReportText(error), MB_ICONERROR);
}

Window::ErrorReportSlot<HWND>& CurrentErrorReport() {
    static Window::ErrorReportSlot<HWND> report(ShowMessageBox);
    return report;
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

}  // namespace

// A message box owned by the form, under the form's caption and centred on
// it.
void ShowBox(HWND form, const std::wstring& text, UINT type) {
    const std::wstring caption = form != nullptr ? WindowText(form) : std::wstring();
    centringHook = ::SetWindowsHookExW(WH_CBT, CentreOnOwner, nullptr, ::GetCurrentThreadId());
    ::MessageBoxW(form, BoxParagraphs(text).c_str(), caption.c_str(), MB_OK | type);
    if (centringHook != nullptr) {
        ::UnhookWindowsHookEx(std::exchange(centringHook, nullptr));
    }
}

ErrorReport SetErrorReport(ErrorReport report) {
    return CurrentErrorReport().Replace(std::move(report));
}

std::wstring ErrorReportText(const ErrorReportEntry& error) {
    std::wstring text = DisplayText(Window::ErrorHeadline(error.operation));
    if (!error.path.empty()) {
        text += L"\n\n" + System::WideText(System::Tr("Path: ")) +
                ShortenedInTheMiddle(DisplayText(error.path), kMostBoxCharacters);
    }
    text += L"\n" + System::WideText(System::Tr("Reason: ")) +
            ShortenedInTheMiddle(DisplayText(error.reason), kMostBoxCharacters);
    return text;
}

bool RunEvent(HWND control, const std::function<void()>& procedure) {
    const HWND form = control != nullptr ? ::GetAncestor(control, GA_ROOT) : nullptr;
    return CurrentErrorReport().Run<WaitCursor>(form, procedure);
}

}  // namespace Ui
