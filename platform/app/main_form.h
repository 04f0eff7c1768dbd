// The program's one form: Form1 on the Qt form runtime. Builds the form and
// its controls from Form1's layout table and wires them to Form1
// (form_wiring.h).
#pragma once

#include <memory>
#include <string>

#include "platform/app/form_wiring.h"
#include "platform/qt/form_runtime.h"
#include "window/form1.h"

namespace Platform {

class MainForm {
  public:
    // Opens on `startDirectory` and on the drive that holds it; when it
    // cannot be read, reports it and opens on the root instead.
    explicit MainForm(const std::string& startDirectory);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Raises Form_Load, then shows the form.
    void Show() { form_->ShowForm(); }

    QtForm& form() { return *form_; }
    QtDriveListBox& Drive1() { return *drive1_; }
    QtDirListBox& Dir1() { return *dir1_; }
    QtFileListBox& File1() { return *file1_; }
    QtLabel& Label1() { return *label1_; }

  private:
    void PlaceControls();
    void ConnectCopy();

    std::unique_ptr<QtForm> form_;
    QtDriveListBox* drive1_;  // the controls are children of the form
    QtDirListBox* dir1_;
    QtFileListBox* file1_;
    QtLabel* label1_;
    Window::Form1 form1_;
    MainFormWiring<QtForm, QtDriveListBox, QtDirListBox, QtFileListBox> wiring_;
};

}  // namespace Platform
