// The program's main form with its controls at hand: the tests make the
// controls, keep their addresses and hand them to the form, which drives
// them as in the program.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/app/main_form.h"

namespace TestSupport {

class FormUnderTest {
  public:
    FormUnderTest(const std::optional<std::string>& path, const App::MainForm::Starts& starts)
        : FormUnderTest(App::MainFormControls(), path, starts) {}
    // Opens on `startDirectory`, or on the root when it cannot be read.
    explicit FormUnderTest(const std::string& startDirectory)
        : FormUnderTest(std::nullopt, {[startDirectory] { return startDirectory; },
                                       [] { return std::string("/"); }}) {}

    void Show() { mainForm_.Show(); }

    Ui::QtForm& form() { return form_; }
    Ui::QtDriveListBox& Drive1() { return drive1_; }
    Ui::QtDirListBox& Dir1() { return dir1_; }
    Ui::QtFileListBox& File1() { return file1_; }
    Ui::QtLabel& Label1() { return label1_; }

  private:
    FormUnderTest(App::MainFormControls controls, const std::optional<std::string>& path,
                  const App::MainForm::Starts& starts)
        : form_(*controls.form),
          drive1_(*controls.Drive1),
          dir1_(*controls.Dir1),
          file1_(*controls.File1),
          label1_(*controls.Label1),
          mainForm_(std::move(controls), path, starts) {}

    Ui::QtForm& form_;
    Ui::QtDriveListBox& drive1_;
    Ui::QtDirListBox& dir1_;
    Ui::QtFileListBox& file1_;
    Ui::QtLabel& label1_;
    App::MainForm mainForm_;
};

}  // namespace TestSupport
