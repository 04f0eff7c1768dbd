// The program's start: reads the command line, creates the main form on
// the path it names or on the current directory, and runs the event loop
// until the form is closed.
#include <QApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/app/main_form.h"
#include "platform/app/window_arguments.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/os/translation.h"
#include "platform/qt/qt_language.h"

namespace {

constexpr int kNoDisplayExitStatus = 1;

std::string Environment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

[[noreturn]] void ExitForNoDisplay(const char* why) {
    std::fprintf(stderr, "tallix: %s\n",
                 Platform::Filled(Platform::Tr("cannot open the window: {1}"), {why}).c_str());
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
            Platform::Filled(Platform::Tr("no display could be reached ({1})"), {where}).c_str());
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
        return Platform::CurrentDirectory();
    } catch (const Platform::PlatformError& error) {
        throw Platform::PlatformError(error.operation(), "", error.reason());
    }
}

}  // namespace

int main(int argc, char** argv) {
    Platform::UseUserLanguage(Platform::InstalledCatalogues());
    const Platform::WindowArguments arguments =
        Platform::ReadWindowArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "%s\n", arguments.error.c_str());
        return Platform::kUsageExitStatus;
    }
    // Qt finds a display through these; a Wayland session has a default.
    if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty() &&
        Environment("QT_QPA_PLATFORM").empty() && Environment("XDG_SESSION_TYPE") != "wayland") {
        ExitForNoDisplay(
            Platform::Tr("there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)"));
    }
    // Qt sees the program's name only: the arguments are the window's, none
    // of them Qt's options.
    int qtArgc = 1;
    qtHandler = qInstallMessageHandler(EndWithoutDisplay);
    QApplication application(qtArgc, argv);
    qInstallMessageHandler(qtHandler);
    Platform::UseQtTranslations(application);

    // Started in a directory that is gone, the window opens on the root and
    // says why once it shows.
    Platform::MainForm mainForm(arguments.path,
                                {CurrentDirectoryOrWhy, [] { return std::string("/"); }});
    mainForm.Show();
    return QApplication::exec();
}
