// The program's start on Windows: reads the command line, creates the main
// form on the path it names or on the current directory, and runs the
// message loop until the form is closed.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/app/main_form_win32.h"
#include "platform/app/window_arguments.h"
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

// The program's arguments as UTF-8, its name left out, split as the C
// runtime splits them (quotes, backslashes before quotes).
std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> texts;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        texts.push_back(Platform::Utf8Text(arguments[i]));
    }
    ::LocalFree(arguments);
    return texts;
}

// A box without a form, under the form's caption: the program has no
// console to write to.
void ShowStartBox(const std::wstring& text) {
    ::MessageBoxW(nullptr, Platform::BoxParagraphs(text).c_str(),
                  Platform::DisplayText(Window::Form1::kLayout.Caption).c_str(),
                  MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // A drive without a medium is an error the form reports, not a system
    // box asking for a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const Platform::WindowArguments arguments = Platform::ReadWindowArguments(Arguments());
    if (!arguments.error.empty()) {
        ShowStartBox(Platform::DecodedText(arguments.error));
        return Platform::kUsageExitStatus;
    }
    try {
        Platform::MainForm mainForm(arguments.path,
                                    {Platform::CurrentDirectory, [] { return SystemDriveRoot(); }});
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
        ShowStartBox(Platform::ErrorReportText({error.operation(), error.path(), error.reason()}));
        return 1;
    }
}
