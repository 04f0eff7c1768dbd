// Windows paths made full and extended as text, on every system.
#include "platform/system/os/windows_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Full(std::string_view path) {
    return System::FullWindowsPath(path, [](std::string_view drive) -> std::string {
        return drive.empty() ? "C:\\work\\" : std::string(drive) + "\\on " + std::string(drive);
    });
}

TEST(WindowsPathTest, MakesPathsFullAndKeepsEveryNameAsWritten) {
    EXPECT_EQ(Full("a.txt"), "C:\\work\\a.txt");
    EXPECT_EQ(Full("sub/./x//..\\b.bin"), "C:\\work\\sub\\b.bin");
    EXPECT_EQ(Full("..\\..\\..\\up"), "C:\\up");  // never above the root
    EXPECT_EQ(Full("\\top\\"), "C:\\top");
    EXPECT_EQ(Full("D:rel"), "D:\\on D:\\rel");  // the drive's own current directory
    EXPECT_EQ(Full("d:\\x\\.."), "d:\\");
    EXPECT_EQ(Full("\\\\server\\share\\a\\..\\.."), "\\\\server\\share\\");
    EXPECT_EQ(Full("//server/share"), "\\\\server\\share\\");
    // What the system's clean-up would trim or turn into a device stays.
    EXPECT_EQ(Full("dot.\\a."), "C:\\work\\dot.\\a.");
    EXPECT_EQ(Full("b "), "C:\\work\\b ");
    EXPECT_EQ(Full("CON"), "C:\\work\\CON");
    EXPECT_EQ(Full("C:\\d\\nul.txt"), "C:\\d\\nul.txt");
    for (const char* verbatim : {"", "\\\\?\\C:\\a.", "\\\\.\\pipe\\x"}) {
        EXPECT_EQ(Full(verbatim), verbatim);
    }
}

TEST(WindowsPathTest, ExtendedFormsAndRoots) {
    EXPECT_EQ(System::ExtendedWindowsPath("C:\\a."), "\\\\?\\C:\\a.");
    EXPECT_EQ(System::ExtendedWindowsPath("\\\\server\\share\\a"), "\\\\?\\UNC\\server\\share\\a");
    EXPECT_EQ(System::ExtendedWindowsPath("\\\\?\\C:\\a"), "\\\\?\\C:\\a");
    EXPECT_EQ(System::WindowsRootLength("C:\\a"), 3u);
    EXPECT_EQ(System::WindowsRootLength("C:a"), 0u);
    EXPECT_EQ(System::WindowsRootLength("\\\\?\\C:\\a"), 7u);
    EXPECT_EQ(System::WindowsRootLength("\\\\server\\share\\a"), 15u);
    EXPECT_EQ(System::WindowsRootLength("\\\\?\\UNC\\server\\share\\a"), 21u);
}

}  // namespace
