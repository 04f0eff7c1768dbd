// The program's start: creates the main form on the current directory and
// runs the message loop until the form is closed.
#include <QApplication>
#include <QByteArray>

#include <string>

#include "platform/directory.h"
#include "platform/form_runtime.h"
#include "platform/main_form.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string start = "/";
    Platform::RunEvent(nullptr, [&] { start = Platform::CurrentDirectory(); });
    Platform::MainForm mainForm(start);
    mainForm.Show();
    return QApplication::exec();
}
