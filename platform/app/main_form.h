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

namespace Platform {

// The form and its four controls, made from Form1's layout table (the
// caption and the size); the controls are the form's children.
struct MainFormControls {
    MainFormControls();

    std::unique_ptr<QtForm> form;
    QtDriveListBox* Drive1;
    QtDirListBox* Dir1;
    QtFileListBox* File1;
    QtLabel* Label1;
};

class MainForm {
    using Wiring = MainFormWiring<QtForm, QtDriveListBox, QtDirListBox, QtFileListBox>;

  public:
    using Starts = Wiring::Starts;

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

    QtForm& form() { return *form_; }

  private:
    void PlaceControls();
    void ConnectCopy();

    std::unique_ptr<QtForm> form_;
    QtDriveListBox* drive1_;  // the controls are children of the form
    QtDirListBox* dir1_;
    QtFileListBox* file1_;
    QtLabel* label1_;
    Window::Form1 form1_;
    Wiring wiring_;
};

}  // namespace Platform
