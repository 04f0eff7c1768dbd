#include "window/form1.h"

#include <utility>

#include "platform/system/files/files.h"
#include "platform/system/os/clock.h"
#include "platform/system/os/directory.h"
#include "window/report.h"

namespace Window {

Form1::Form1(Form1Controls controls, std::string separator)
    : Drive1(controls.Drive1),
      Dir1(controls.Dir1),
      File1(controls.File1),
      Label1(controls.Label1),
      separator_(std::move(separator)) {}

void Form1::Form_Load() {
    System::timeBeginPeriod(1);
}

void Form1::Form_Unload(bool& /*Cancel*/) {
    System::timeEndPeriod(1);
    array_.Release();
}

void Form1::Drive1_Change() {
    Dir1.SetPath(Drive1.Drive());
}

void Form1::Dir1_Change() {
    File1.SetPath(Dir1.Path());
}

void Form1::File1_Click() {
    const std::string path = System::JoinPath(Dir1.Path(), separator_, File1.FileName());
    // A file removed since the list was filled is skipped without a word.
    if (System::FindOrdinaryFile(path).empty()) {
        return;
    }
    Tallix(path);
}

void Form1::Tallix(std::string filename) {
    // The report starts with the path as it was given; whatever bytes its
    // names hold are text of that line, never further lines.
    const FileReport report = MeasureFile(filename, array_);
    Label1.SetCaption(ReportText(report), filename.size(), {report.crc32, report.crc16});
}

}  // namespace Window
