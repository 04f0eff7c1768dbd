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

// The form and its four controls, made from Form1's layout table (the
// caption and the size); the controls are the form's children.
struct MainFormControls {
    MainFormControls();

    std::unique_ptr<Ui::QtForm> form;
    Ui::QtDriveListBox* Drive1;
    Ui::QtDirListBox* Dir1;
    Ui::QtFileListBox* File1;
    Ui::QtLabel* Label1;
};

class MainForm {
  public:
    using Starts = MainFormWiring::Starts;

    // Opens on the folder of `path`, the file `path` names to be reported
    // once the form shows; without a path, or when it cannot be reached
    // (reported), on the first of `starts` that can be read.
    MainForm(const std::optional<std::string>& path, const Starts& starts)
        : MainForm(MainFormControls(), path, starts) {}
    // The same on controls made by the caller, who may keep their
    // addresses: the form is theirs to drive.
    MainForm(MainFormControls controls, const std::optional<std::string>& path,
             const Starts& starts);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Raises Form_Load, shows the form, then clicks the file it opened on.
    void Show() {
        form_->ShowForm();
        wiring_.ClickStartFile();
    }

    Ui::QtForm& form() { return *form_; }

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
