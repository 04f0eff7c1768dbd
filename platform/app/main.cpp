// The program's start: creates the main form on the current directory and
// runs the message loop until the form is closed.
#include <QApplication>
#include <QByteArray>

#include <string>

#include "platform/app/main_form.h"
#include "platform/os/directory.h"
#include "platform/qt/form_runtime.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string start = "/";
    Platform::RunEvent(nullptr, [&] { start = Platform::CurrentDirectory(); });
    Platform::MainForm mainForm(start);
    mainForm.Show();
    return QApplication::exec();
}
