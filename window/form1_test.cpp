#include "window/form1.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system/files/files.h"
#include "tests/support/temp_dir_test.h"

namespace {

namespace fs = std::filesystem;
using Window::Form1;

// Stand-ins for the runtime's controls that only hold their properties.
struct FakeDrive : Window::DriveListBox {
    std::string drive;
    std::string Drive() const override { return drive; }
    void ShowDriveOf(const std::string& /*path*/) override {}
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
    bool ClickFile(const std::string& /*name*/) override { return false; }
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

// The window keeps one array from click to click: the second click of a
// large file maps nothing new and shows the same report; closing the window
// gives the pages back for good.
TEST_F(Form1Test, ClicksShareOneArrayUntilTheWindowCloses) {
    Write("large.bin", std::string(3 << 20, 'x'));
    File1.selected = "large.bin";
    const std::size_t before = System::Testing::BufferMappingsMade();
    form.File1_Click();
    const std::string first = Label1.caption.substr(0, Label1.caption.rfind("\r\n"));
    EXPECT_NE(first.find("(3145728バイト)"), std::string::npos) << first;
    Label1.caption.clear();
    form.File1_Click();
    EXPECT_EQ(Label1.caption.substr(0, Label1.caption.rfind("\r\n")), first);
    EXPECT_EQ(System::Testing::BufferMappingsMade(), before + 1);

    bool cancel = false;
    form.Form_Unload(cancel);
    form.File1_Click();
    EXPECT_EQ(System::Testing::BufferMappingsMade(), before + 2);
}

}  // namespace
