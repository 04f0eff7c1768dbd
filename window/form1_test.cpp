#include "window/form1.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_dir_test.h"

namespace {

namespace fs = std::filesystem;
using Window::Form1;

// Stand-ins for the runtime's controls that only hold their properties.
struct FakeDrive : Window::DriveListBox {
    std::string drive;
    std::string Drive() const override { return drive; }
};
struct FakeDir : Window::DirListBox {
    std::string path;
    std::string Path() const override { return path; }
    void SetPath(const std::string& p) override { path = p; }
};
struct FakeFiles : Window::FileListBox {
    std::string path, selected;
    std::string Path() const override { return path; }
    void SetPath(const std::string& p) override { path = p; }
    std::string FileName() const override { return selected; }
};
struct FakeLabel : Window::Label {
    std::string caption;
    std::string Caption() const override { return caption; }
    void SetCaption(const std::string& c, std::size_t /*literalLength*/) override { caption = c; }
};

class Form1Test : public TestSupport::TempDirTest {
  protected:
    void SetUp() override {
        Dir1.path = dir_;
        Label1.caption = "previous report";
    }
    FakeDrive Drive1;
    FakeDir Dir1;
    FakeFiles File1;
    FakeLabel Label1;
    Form1 form{{Drive1, Dir1, File1, Label1}, "/"};
};

TEST_F(Form1Test, ClickOnAFileThatIsGoneOrNotOrdinaryLeavesTheLabel) {
    File1.selected = "deleted.txt";
    form.File1_Click();
    Write(".hidden", "x");
    File1.selected = ".hidden";
    form.File1_Click();
    fs::create_directory(dir_ + "/sub");
    File1.selected = "sub";
    form.File1_Click();
    EXPECT_EQ(Label1.caption, "previous report");
}

}  // namespace
