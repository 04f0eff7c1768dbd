// Form1 on stand-ins for the runtime's controls: they hold their properties
// and raise their events as a form runtime does, so the event procedures
// run in the order a user's action sets off.
#pragma once

#include <string>

#include "platform/system/os/directory.h"
#include "tests/support/temp_dir_test.h"
#include "window/form1.h"

namespace Form1Testing {

struct FakeDrive : Window::DriveListBox {
    std::string drive;
    std::string Drive() const override { return drive; }
    void ShowDriveOf(const std::string& /*path*/) override {}
    // The user picks `name`: the list raises its change event.
    void Choose(const std::string& name) {
        drive = name;
        onChange();
    }
};

// Setting the path raises the change event, as the contract says.
struct FakeDir : Window::DirListBox {
    std::string path;
    std::string Path() const override { return path; }
    void SetPath(const std::string& p) override {
        path = p;
        onChange();
    }
};

struct FakeFiles : Window::FileListBox {
    std::string path, selected;
    std::string Path() const override { return path; }
    void SetPath(const std::string& p) override { path = p; }
    std::string FileName() const override { return selected; }
    bool ClickFile(const std::string& /*name*/) override { return false; }
    // The user clicks the entry `name`.
    void Click(const std::string& name) {
        selected = name;
        onClick();
    }
};

struct FakeLabel : Window::Label {
    std::string caption;
    std::size_t literalLength = 0;
    Window::ReportChecksums checksums;
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c, std::size_t literal,
                    const Window::ReportChecksums& sums) override {
        caption = c;
        literalLength = literal;
        checksums = sums;
    }
};

// Form1 on the fakes, its event procedures wired to their events, the
// lists on a fresh temporary directory and the label holding a report.
class Form1Test : public TestSupport::TempDirTest {
  protected:
    Form1Test() {
        Drive1.onChange = [this] { form.Drive1_Change(); };
        Dir1.onChange = [this] { form.Dir1_Change(); };
        File1.onClick = [this] { form.File1_Click(); };
        Dir1.path = File1.path = dir_;
        Label1.caption = "previous report";
    }

    // The path of `name` in the test's directory, as the window joins it.
    std::string PathOf(const std::string& name) const {
        return System::JoinPath(dir_, System::kPathSeparator, name);
    }

    FakeDrive Drive1;
    FakeDir Dir1;
    FakeFiles File1;
    FakeLabel Label1;
    Window::Form1 form{{Drive1, Dir1, File1, Label1}, System::kPathSeparator};
};

}  // namespace Form1Testing
