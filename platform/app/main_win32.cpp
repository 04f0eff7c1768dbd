// The program's start on Windows: creates the main form on the current
// directory and runs the message loop until the form is closed.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "platform/app/main_form_win32.h"
#include "platform/os/directory.h"
#include "platform/os/drives.h"
#include "platform/os/error.h"
#include "platform/os/text_win32.h"
#include "platform/win32/form_runtime.h"
#include "window/form1.h"

namespace {

// The root of the drive Windows runs from, where the form opens when the
// current directory cannot be read.
std::string SystemDriveRoot() {
    wchar_t windows[MAX_PATH]{};
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::string directory =
        length > 0 && length < MAX_PATH ? Platform::Utf8Text(windows) : std::string("C:\\");
    return Platform::NormalDirectoryPath(Platform::DriveOf(directory));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // A drive without a medium is an error the form reports, not a system
    // box asking for a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    try {
        Platform::MainForm mainForm(Platform::CurrentDirectory, SystemDriveRoot());
        mainForm.Show(showCommand);
        MSG message{};
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!mainForm.form().PreTranslate(message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        return static_cast<int>(message.wParam);
    } catch (const Platform::PlatformError& error) {
        // The form or a control could not be made: there is no form to
        // own the box.
        const std::wstring text =
            Platform::ErrorReportText({error.operation(), error.path(), error.reason()});
        ::MessageBoxW(nullptr, text.c_str(),
                      Platform::DisplayText(Window::Form1::kLayout.Caption).c_str(),
                      MB_OK | MB_ICONERROR);
        return 1;
    }
}
