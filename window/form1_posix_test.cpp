// Form1's event procedures on stand-ins for the controls: what only POSIX
// systems have.
#include <gtest/gtest.h>

#include "window/form1_test.h"

namespace {

using Form1Testing::Form1Test;

// A name that starts with a dot is hidden: the file list never shows it.
TEST_F(Form1Test, ClickOnAHiddenFileLeavesTheLabel) {
    Write(".hidden", "x");
    File1.Click(".hidden");
    EXPECT_EQ(Label1.caption, "previous report");
}

// The label gets the report's checksums as values beside its text, the
// path its literal start, whatever the file's name holds
// (line breaks too, which only POSIX names may hold).
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

}  // namespace
