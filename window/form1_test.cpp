// Form1's event procedures on stand-ins for the controls, on every system.
#include "window/form1.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>

#include "checksum/kernels/crc_kernels.h"
#include "platform/system/files/files.h"
#include "tests/support/mapping_count.h"
#include "window/form1_test.h"

namespace {

namespace fs = std::filesystem;
using Form1Testing::Form1Test;

// A drive chosen moves the directory list there, whose change refills the
// file list; the label keeps its report.
TEST_F(Form1Test, DriveChangeReachesTheFileListThroughTheDirectoryList) {
    const std::string other = PathOf("other");
    fs::create_directory(other);
    Drive1.Choose(other);
    EXPECT_EQ(Dir1.path, other);
    EXPECT_EQ(File1.path, other);
    EXPECT_EQ(Label1.caption, "previous report");
}

TEST_F(Form1Test, DirectoryChangeRefillsTheFileList) {
    const std::string sub = PathOf("sub");
    fs::create_directory(sub);
    Dir1.SetPath(sub);
    EXPECT_EQ(File1.path, sub);
    EXPECT_EQ(Label1.caption, "previous report");
}

// A click reports the file at the directory list's path in the label, the
// path as literal text and the checksums as values beside it.
TEST_F(Form1Test, ClickOnAFileShowsItsReportInTheLabel) {
    Write("a.txt", "123456789");
    File1.Click("a.txt");
    const std::string path = PathOf("a.txt");
    const std::string lines = path + "(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n";
    EXPECT_EQ(Label1.caption.substr(0, lines.size()), lines);
    EXPECT_EQ(Label1.literalLength, path.size());
    EXPECT_EQ(Label1.checksums.crc32 + " " + Label1.checksums.crc16, "CBF43926 6F91");
}

TEST_F(Form1Test, ClickOnAFileThatIsGoneOrADirectoryLeavesTheLabel) {
    File1.Click("deleted.txt");
    fs::create_directory(PathOf("sub"));
    File1.Click("sub");
    EXPECT_EQ(Label1.caption, "previous report");
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
    const std::size_t before = TestSupport::LargeMappingsMade();
    File1.Click("large.bin");
    const std::string first = Label1.caption.substr(0, Label1.caption.rfind("\r\n"));
    EXPECT_NE(first.find("(3145728バイト)"), std::string::npos) << first;
    Label1.caption.clear();
    File1.Click("large.bin");
    EXPECT_EQ(Label1.caption.substr(0, Label1.caption.rfind("\r\n")), first);
    EXPECT_EQ(TestSupport::LargeMappingsMade(), before + 1);

    bool cancel = false;
    form.Form_Unload(cancel);
    File1.Click("large.bin");
    EXPECT_EQ(TestSupport::LargeMappingsMade(), before + 2);
}

}  // namespace
