// The program's one form: Form1 on the Qt form runtime. Builds the form and
// its controls from Form1's layout table, fills the lists for the starting
// directory and routes each control's events to Form1's event procedures.
#pragma once

#include <memory>
#include <string>

#include "platform/qt/form_runtime.h"
#include "window/form1.h"

namespace Platform {

class MainForm {
  public:
    // Opens on `startDirectory` and on the drive that holds it.
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
    void OpenOn(const std::string& startDirectory);
    void ConnectEvents();
    void OpenDropped(const std::string& path);

    std::unique_ptr<QtForm> form_;
    QtDriveListBox* drive1_;  // the controls are children of the form
    QtDirListBox* dir1_;
    QtFileListBox* file1_;
    QtLabel* label1_;
    Window::Form1 form1_;
};

}  // namespace Platform
