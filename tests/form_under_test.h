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
    FormUnderTest(const std::optional<std::string>& path, const Platform::MainForm::Starts& starts)
        : FormUnderTest(Platform::MainFormControls(), path, starts) {}
    // Opens on `startDirectory`, or on the root when it cannot be read.
    explicit FormUnderTest(const std::string& startDirectory)
        : FormUnderTest(std::nullopt, {[startDirectory] { return startDirectory; },
                                       [] { return std::string("/"); }}) {}

    void Show() { mainForm_.Show(); }

    Platform::QtForm& form() { return form_; }
    Platform::QtDriveListBox& Drive1() { return drive1_; }
    Platform::QtDirListBox& Dir1() { return dir1_; }
    Platform::QtFileListBox& File1() { return file1_; }
    Platform::QtLabel& Label1() { return label1_; }

  private:
    FormUnderTest(Platform::MainFormControls controls, const std::optional<std::string>& path,
                  const Platform::MainForm::Starts& starts)
        : form_(*controls.form),
          drive1_(*controls.Drive1),
          dir1_(*controls.Dir1),
          file1_(*controls.File1),
          label1_(*controls.Label1),
          mainForm_(std::move(controls), path, starts) {}

    Platform::QtForm& form_;
    Platform::QtDriveListBox& drive1_;
    Platform::QtDirListBox& dir1_;
    Platform::QtFileListBox& file1_;
    Platform::QtLabel& label1_;
    Platform::MainForm mainForm_;
};

}  // namespace TestSupport
