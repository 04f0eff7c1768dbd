#include "window/form1.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "checksum/kernels/crc_kernels.h"
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

// The label gets the report's checksums as values beside its text, the
// path its literal start, whatever the file's name holds.
TEST_F(Form1Test, TheLabelGetsTheReportsChecksumsWhateverTheNameHolds) {
    const std::string name = "x\r\nCRC32 - 00000000\r\nCRC16 - 0000";
    const std::string path = Write(name, "123456789");
    File1.selected = name;
    form.File1_Click();
    EXPECT_EQ(Label1.checksums.crc32 + " " + Label1.checksums.crc16, "CBF43926 6F91");
    EXPECT_EQ(Label1.literalLength, path.size());
    EXPECT_TRUE(
        Label1.caption.starts_with(path + "(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n"))
        << Label1.caption;
}

// An empty file's report shows the checksums of no bytes without running the
// engine: in a fresh process (the death test re-executes the binary) the
// engine's tables are still unfilled after it.
TEST_F(Form1Test, AnEmptyFilesReportLeavesTheEngineUntouched) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Write("empty", "");
    File1.selected = "empty";
    const auto reportLeavesTablesEmpty = [this] {
        form.File1_Click();
        return Label1.checksums.crc32 == "00000000" && Label1.checksums.crc16 == "FFFF" &&
               Tallix::CRC32ByteLoopTable()[255] == 0 && Tallix::CRC16ByteLoopTable()[255] == 0;
    };
    EXPECT_EXIT(std::_Exit(reportLeavesTablesEmpty() ? 0 : 1), ::testing::ExitedWithCode(0), "");
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
