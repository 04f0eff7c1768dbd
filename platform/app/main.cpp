// The program's start: reads the command line, creates a main form on each
// path it names or one on the current directory, and runs the event loop
// until the last form is closed.
#include <QApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/app/main_form.h"
#include "platform/app/window_arguments.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"
#include "platform/ui/qt/qt_language.h"

namespace {

constexpr int kNoDisplayExitStatus = 1;

std::string Environment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

[[noreturn]] void ExitForNoDisplay(const char* why) {
    std::fprintf(stderr, "tallix: %s\n",
                 System::Filled(System::Tr("cannot open the window: {1}"), {why}).c_str());
    std::_Exit(kNoDisplayExitStatus);
}

// Qt ends the program with abort() when no platform plugin can start, the
// display it names being unreachable; while the application is made, such
// an end becomes a message and exit status 1. Qt's own messages go on as
// they would.
QtMessageHandler qtHandler = nullptr;

void EndWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const std::string where = "DISPLAY=" + Environment("DISPLAY") +
                                  " WAYLAND_DISPLAY=" + Environment("WAYLAND_DISPLAY");
        ExitForNoDisplay(
            System::Filled(System::Tr("no display could be reached ({1})"), {where}).c_str());
    }
    if (qtHandler != nullptr) {
        qtHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

// The current directory, or why there is none; a directory that is gone
// has no path to show.
std::string CurrentDirectoryOrWhy() {
    try {
        return System::CurrentDirectory();
    } catch (const System::PlatformError& error) {
        throw System::PlatformError(error.operation(), "", error.reason());
    }
}

}  // namespace

int main(int argc, char** argv) {
    System::UseUserLanguage(System::InstalledCatalogues());
    const App::WindowArguments arguments =
        App::ReadWindowArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "%s\n", arguments.error.c_str());
        return App::kUsageExitStatus;
    }
    if (!arguments.text.empty()) {
        std::printf("%s\n", arguments.text.c_str());
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    // Qt finds a display through these; a Wayland session has a default.
    if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty() &&
        Environment("QT_QPA_PLATFORM").empty() && Environment("XDG_SESSION_TYPE") != "wayland") {
        ExitForNoDisplay(
            System::Tr("there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)"));
    }
    // Qt sees the program's name only: the arguments are the window's, none
    // of them Qt's options.
    int qtArgc = 1;
    qtHandler = qInstallMessageHandler(EndWithoutDisplay);
    QApplication application(qtArgc, argv);
    qInstallMessageHandler(qtHandler);
    Ui::UseQtTranslations(application);

    // A window on each path, or one as usual. Started in a directory that is
    // gone, a window opens on the root and says why once it shows. The
    // program ends when the last window is closed.
    const App::MainForm::Starts starts{CurrentDirectoryOrWhy, [] { return std::string("/"); }};
    std::vector<std::unique_ptr<App::MainForm>> mainForms;
    for (const std::optional<std::string>& path : App::WindowStarts(arguments)) {
        mainForms.push_back(std::make_unique<App::MainForm>(path, starts));
    }
    if (arguments.leftOut) {
        Ui::RunEvent(&mainForms.front()->form(), [&] {
            throw System::PlatformError(System::Operation::kOpen, arguments.leftOut->path,
                                        arguments.leftOut->reason);
        });
    }
    for (const auto& mainForm : mainForms) {
        mainForm->Show();
    }
    return QApplication::exec();
}
