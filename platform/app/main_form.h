// The program's one form: Form1 on the Qt form runtime. Builds the form and
// its controls from Form1's layout table and wires them to Form1
// (form_wiring.h).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/app/form_wiring.h"
#include "platform/ui/qt/form_runtime.h"
#include "window/form1.h"

namespace App {

class MainForm {
  public:
    using Starts = MainFormWiring::Starts;

    // Opens on `startDirectory` and on the drive that holds it; when it
    // cannot be read, reports it and opens on the root instead.
    explicit MainForm(const std::string& startDirectory);
    // Opens on the folder of `path`, the file `path` names to be reported
    // once the form shows; without a path, or when it cannot be reached
    // (reported), on the first of `starts` that can be read.
    MainForm(const std::optional<std::string>& path, const Starts& starts);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Raises Form_Load, shows the form, then clicks the file it opened on.
    void Show() {
        form_->ShowForm();
        wiring_.ClickStartFile();
    }

    Ui::QtForm& form() { return *form_; }
    Ui::QtDriveListBox& Drive1() { return *drive1_; }
    Ui::QtDirListBox& Dir1() { return *dir1_; }
    Ui::QtFileListBox& File1() { return *file1_; }
    Ui::QtLabel& Label1() { return *label1_; }

  private:
    void PlaceControls();
    void ConnectCopy();

    std::unique_ptr<Ui::QtForm> form_;
    Ui::QtDriveListBox* drive1_;  // the controls are children of the form
    Ui::QtDirListBox* dir1_;
    Ui::QtFileListBox* file1_;
    Ui::QtLabel* label1_;
    Window::Form1 form1_;
    MainFormWiring wiring_;
};

}  // namespace App
