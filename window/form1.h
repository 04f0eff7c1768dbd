// The main window: its layout table, the report method and the event
// procedures that keep the drive, directory and file lists in step. It
// reaches its controls only through the plain interfaces of controls.h.
#pragma once

#include <string>
#include <string_view>

#include "platform/system/files/files.h"
#include "window/controls.h"

namespace Window {

// A control's place on the form in twips (1/1440 inch) and its tab index.
struct ControlLayout {
    int Left;
    int Top;
    int Width;
    int Height;
    int TabIndex;
};

struct FormLayout {
    std::string_view Caption;  // UTF-8
    int ClientWidth;           // twips
    int ClientHeight;          // twips
    ControlLayout Drive1;
    ControlLayout Dir1;
    ControlLayout File1;
    ControlLayout Label1;
};

// The controls the form works on; the runtime owns them.
struct Form1Controls {
    DriveListBox& Drive1;
    DirListBox& Dir1;
    FileListBox& File1;
    Label& Label1;
};

class Form1 {
  public:
    static constexpr FormLayout kLayout{
        "Tallixサンプル",
        7605,
        4665,
        // Left, Top, Width, Height, TabIndex
        {120, 3120, 3255, 300, 0},   // Drive1
        {120, 240, 3255, 2820, 1},   // Dir1
        {3480, 240, 3975, 3150, 2},  // File1
        {120, 3600, 7335, 975, 3},   // Label1
    };

    // `separator` is the one the platform puts between directory names.
    Form1(Form1Controls controls, std::string separator);

    // Event procedures, raised by the form runtime. They throw what the
    // platform throws; the runtime reports it and the program goes on.
    void Form_Load();
    void Form_Unload(bool& Cancel);
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();

    // Shows the report of the file at `filename` in Label1.
    void Tallix(std::string filename);

  private:
    DriveListBox& Drive1;
    DirListBox& Dir1;
    FileListBox& File1;
    Label& Label1;
    std::string separator_;
    // The report's array, its pages kept from click to click until the
    // window closes.
    System::ReportArray array_;
};

}  // namespace Window
