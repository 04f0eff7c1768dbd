// The Windows listings and paths: drive roots and "\" joins, names in any
// script through the UTF-8/UTF-16 boundary, the hidden attribute, and paths
// beyond MAX_PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/os/clock.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/drives.h"
#include "platform/system/os/error.h"
#include "platform/system/os/find_win32.h"
#include "platform/system/os/text_win32.h"
#include "tests/support/temp_dir_win32_test.h"

namespace {

using Strings = std::vector<std::string>;

using DirectoryWin32Test = TestSupport::TempDirWin32Test;

TEST(DirectoryWin32PathTest, DriveRootsAndBackslashJoins) {
    EXPECT_EQ(System::kPathSeparator, std::string("\\"));
    EXPECT_EQ(System::NormalDirectoryPath("C:"), "C:\\");  // a drive lands at its root
    EXPECT_EQ(System::NormalDirectoryPath("C:\\"), "C:\\");
    EXPECT_EQ(System::NormalDirectoryPath("C:/data//x/../y/"), "C:\\data\\y");
    EXPECT_EQ(System::NormalDirectoryPath("C:\\.."), "C:\\");
    // The verbatim form names what the plain one does, on its drive.
    EXPECT_EQ(System::NormalDirectoryPath("\\\\?\\C:\\data\\x."), "C:\\data\\x.");
    EXPECT_EQ(System::NormalDirectoryPath("\\\\?\\d:"), "d:\\");
    EXPECT_EQ(System::NormalDirectoryPath("\\\\?\\UNC\\server\\share\\a"), "\\\\server\\share\\a");
    EXPECT_EQ(System::DriveOf(System::NormalDirectoryPath("\\\\?\\c:\\a")), "C:");

    EXPECT_EQ(System::PathAndAncestors("C:\\"), (Strings{"C:\\"}));
    EXPECT_EQ(System::PathAndAncestors("C:\\data\\a"),
              (Strings{"C:\\", "C:\\data", "C:\\data\\a"}));
    EXPECT_EQ(System::PathAndAncestors("\\\\server\\share\\a"),
              (Strings{"\\\\server\\share\\", "\\\\server\\share\\a"}));
    EXPECT_EQ(System::LastName("C:\\data\\a.txt"), "a.txt");
    EXPECT_EQ(System::LastName("C:\\"), "C:\\");
    EXPECT_EQ(System::JoinPath("C:\\", System::kPathSeparator, "a.txt"), "C:\\a.txt");
    EXPECT_EQ(System::JoinPath("C:\\data", System::kPathSeparator, "a.txt"), "C:\\data\\a.txt");

    const Strings drives = System::ListDrives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:"), drives.end());
    EXPECT_EQ(System::DriveOf("c:\\data"), "C:");
    EXPECT_EQ(System::DriveOf("\\\\server\\share\\a"), "\\\\server\\share");
}

TEST(DirectoryWin32PathTest, TextCrossesTheUtf16BoundaryBothWays) {
    const std::string katakana = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88";  // テスト
    EXPECT_EQ(System::WideText(katakana), L"\u30C6\u30B9\u30C8");
    EXPECT_EQ(System::Utf8Text(L"\u30C6\u30B9\u30C8"), katakana);
    const std::wstring beyondBmp = L"\xD83D\xDE00";  // U+1F600, a surrogate pair
    EXPECT_EQ(System::Utf8Text(beyondBmp), "\xF0\x9F\x98\x80");
    EXPECT_EQ(System::WideText("\xF0\x9F\x98\x80"), beyondBmp);
    // A lone half, which Windows names may hold, survives the round trip.
    const std::wstring lone = L"a\xD800z";
    EXPECT_EQ(System::WideText(System::Utf8Text(lone)), lone);
    for (const char* invalid : {"\xFF", "a\xC3", "\xC0\xAF", "\xE3\x83"}) {
        EXPECT_THROW(System::WideText(invalid), System::PlatformError) << invalid;
    }
}

TEST_F(DirectoryWin32Test, ListsKatakanaNamesAndLeavesOutHiddenEntries) {
    const std::string katakana = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88.txt";  // テスト.txt
    Create(katakana);
    Create("b.txt");
    Create("Item3");
    Create("item10");
    Create("item2");
    const std::string hidden = Create("hidden.txt");
    MakeDirectory("sub");
    MakeDirectory("Alpha");
    const std::string hiddenDir = MakeDirectory("hidden-dir");
    ASSERT_TRUE(::SetFileAttributesW(System::SystemPath(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::SetFileAttributesW(System::SystemPath(hiddenDir).c_str(), FILE_ATTRIBUTE_HIDDEN));
    if ((::GetFileAttributesW(System::SystemPath(hidden).c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0) {
        GTEST_SKIP() << "this file system does not keep the hidden attribute";
    }

    const Strings files = System::ListOrdinaryFiles(dir_);
    // In Explorer's order: case aside, numbers by value.
    EXPECT_EQ(files, (Strings{"b.txt", "item2", "Item3", "item10", katakana}));
    EXPECT_EQ(System::ListSubdirectories(dir_), (Strings{"Alpha", "sub"}));
    // The listed name opens the file it came from.
    const HANDLE file =
        ::CreateFileW(System::SystemPath(dir_ + "\\" + files[1]).c_str(), GENERIC_READ,
                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
}

TEST_F(DirectoryWin32Test, PathsBeyondMaxPathAreListedAndNormalised) {
    std::string deep = dir_;
    const std::string name(60, 'd');
    while (deep.size() <= 300) {
        deep += "\\" + name;
        ASSERT_TRUE(::CreateDirectoryW(System::SystemPath(deep).c_str(), nullptr))
            << System::SystemMessage(::GetLastError());
    }
    ASSERT_GT(deep.size(), std::size_t{MAX_PATH});
    MakeDirectory(deep.substr(dir_.size() + 1) + "\\inner");
    Create(deep.substr(dir_.size() + 1) + "\\file.txt");
    EXPECT_EQ(System::ListOrdinaryFiles(deep), (Strings{"file.txt"}));
    EXPECT_EQ(System::ListSubdirectories(deep), (Strings{"inner"}));
    EXPECT_EQ(System::NormalDirectoryPath(deep + "\\inner\\..\\"), deep);
}

TEST_F(DirectoryWin32Test, ErrorsCarryTheSystemsMessageAndThePath) {
    const std::string missing = dir_ + "\\missing";
    try {
        System::ListOrdinaryFiles(missing);
        FAIL() << "no error";
    } catch (const System::PlatformError& error) {
        EXPECT_EQ(error.operation(), System::Operation::kList);
        EXPECT_EQ(error.path(), missing);
        EXPECT_EQ(error.reason(), System::SystemMessage(ERROR_PATH_NOT_FOUND));
        EXPECT_FALSE(error.reason().starts_with("error "));  // a message, not a bare number
    }
}

TEST(ClockWin32Test, TheMultimediaTimerGrantsTheOneMillisecondPeriod) {
    EXPECT_EQ(System::timeBeginPeriod(1), 0u);  // TIMERR_NOERROR
    EXPECT_EQ(System::timeEndPeriod(1), 0u);
}

}  // namespace
