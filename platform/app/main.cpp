// The program's start: reads the command line, creates the main form on
// the path it names or on the current directory, and runs the event loop
// until the form is closed.
#include <QApplication>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/app/main_form.h"
#include "platform/app/window_arguments.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"

namespace {

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
    const Platform::WindowArguments arguments =
        Platform::ReadWindowArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "%s\n", arguments.error.c_str());
        return Platform::kUsageExitStatus;
    }
    // Qt sees the program's name only: the arguments are the window's, none
    // of them Qt's options.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);

    // Started in a directory that is gone, the window opens on the root and
    // says why once it shows.
    Platform::MainForm mainForm(arguments.path,
                                {CurrentDirectoryOrWhy, [] { return std::string("/"); }});
    mainForm.Show();
    return QApplication::exec();
}
