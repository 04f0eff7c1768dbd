// The program's start on Windows: reads the command line, creates a main
// form on each path it names or one on the current directory, and runs the
// message loop until the last form is closed.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/app/main_form_win32.h"
#include "platform/app/window_arguments.h"
#include "platform/system/os/command_line.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/drives.h"
#include "platform/system/os/error.h"
#include "platform/system/os/text_win32.h"
#include "platform/ui/win32/form_runtime.h"
#include "window/form1.h"

namespace {

// The root of the drive Windows runs from, where the form opens when the
// current directory cannot be read.
std::string SystemDriveRoot() {
    wchar_t windows[MAX_PATH]{};
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::string directory =
        length > 0 && length < MAX_PATH ? System::Utf8Text(windows) : std::string("C:\\");
    return System::NormalDirectoryPath(System::DriveOf(directory));
}

// A box without a form, under the form's caption: the program has no
// console to write to.
void ShowStartBox(const std::wstring& text, UINT icon = MB_ICONERROR) {
    ::MessageBoxW(nullptr, Ui::BoxParagraphs(text).c_str(),
                  Ui::DisplayText(Window::Form1::kLayout.Caption).c_str(), MB_OK | icon);
}

// Gives each message to the form it is for, until the last form is closed.
int RunMessageLoop(const std::vector<std::unique_ptr<App::MainForm>>& mainForms) {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        const bool handled = std::any_of(
            mainForms.begin(), mainForms.end(),
            [&](const auto& mainForm) { return mainForm->form().PreTranslate(message); });
        if (!handled) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // A drive without a medium is an error the form reports, not a system
    // box asking for a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const App::WindowArguments arguments = App::ReadWindowArguments(System::ProgramArguments());
    if (!arguments.error.empty()) {
        ShowStartBox(Ui::DecodedText(arguments.error));
        return App::kUsageExitStatus;
    }
    if (!arguments.text.empty()) {
        ShowStartBox(Ui::DecodedText(arguments.text), MB_ICONINFORMATION);
        return 0;
    }
    try {
        // A window on each path, or one as usual; the program ends when the
        // last is closed.
        const App::MainForm::Starts starts{System::CurrentDirectory,
                                           [] { return SystemDriveRoot(); }};
        std::vector<std::unique_ptr<App::MainForm>> mainForms;
        for (const std::optional<std::string>& path : App::WindowStarts(arguments)) {
            mainForms.push_back(std::make_unique<App::MainForm>(path, starts));
        }
        if (arguments.leftOut) {
            Ui::RunEvent(mainForms.front()->form().Handle(), [&] {
                throw System::PlatformError(System::Operation::kOpen, arguments.leftOut->path,
                                            arguments.leftOut->reason);
            });
        }
        for (const auto& mainForm : mainForms) {
            mainForm->Show(showCommand);
        }
        return RunMessageLoop(mainForms);
    } catch (const System::PlatformError& error) {
        // The form or a control could not be made: there is no form to
        // own the box.
        ShowStartBox(Ui::ErrorReportText({error.operation(), error.path(), error.reason()}));
        return 1;
    }
}
