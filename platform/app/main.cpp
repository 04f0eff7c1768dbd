// The program's start: creates the main form on the current directory and
// runs the message loop until the form is closed.
#include <QApplication>
#include <QByteArray>

#include <optional>
#include <string>

#include "platform/app/main_form.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/qt/form_runtime.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Started in a directory that is gone, the window opens on the root and
    // says why once it shows.
    std::string start = "/";
    std::optional<Platform::PlatformError> startError;
    try {
        start = Platform::CurrentDirectory();
    } catch (const Platform::PlatformError& error) {
        startError.emplace(error.operation(), "", error.reason());
    }
    Platform::MainForm mainForm(start);
    if (startError) {
        Platform::RunEvent(&mainForm.form(), [&] { throw *startError; });
    }
    mainForm.Show();
    return QApplication::exec();
}
