#include "platform/os/directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/error.h"
#include "tests/support/temp_dir_test.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class DirectoryTest : public TestSupport::TempDirTest {
  protected:
    void Write(const std::string& name) { TempDirTest::Write(name, "x"); }
};

TEST_F(DirectoryTest, ListsVisibleSubdirectoriesAndOrdinaryFilesSortedWithRawNames) {
    Write("b.txt");
    Write("a.txt");
    Write(".hidden");
    Write("\xff\xfe raw");  // not valid UTF-8
    fs::create_directory(dir_ + "/sub");
    fs::create_directory(dir_ + "/.git");
    fs::create_directory(dir_ + "/Alpha");
    fs::create_symlink(dir_ + "/a.txt", dir_ + "/link-to-a");
    fs::create_symlink(dir_ + "/missing", dir_ + "/dangling");
    ASSERT_EQ(::mkfifo((dir_ + "/fifo").c_str(), 0600), 0);

    EXPECT_EQ(Platform::ListOrdinaryFiles(dir_),
              (Strings{"a.txt", "b.txt", "link-to-a", "\xff\xfe raw"}));
    EXPECT_EQ(Platform::ListSubdirectories(dir_), (Strings{"Alpha", "sub"}));
}

TEST_F(DirectoryTest, UnlistableDirectoryIsAnErrorNamingIt) {
    const std::string missing = dir_ + "/missing";
    try {
        Platform::ListOrdinaryFiles(missing);
        FAIL() << "no error";
    } catch (const Platform::PlatformError& error) {
        EXPECT_EQ(error.operation(), "list");
        EXPECT_EQ(error.path(), missing);
        EXPECT_EQ(error.reason(), "No such file or directory");
    }
    Write("file");
    EXPECT_THROW(Platform::ListSubdirectories(dir_ + "/file"), Platform::PlatformError);
}

TEST(DirectoryPathTest, NormalPathsAncestorsAndNames) {
    EXPECT_EQ(Platform::NormalDirectoryPath("/home//user/../data/./x/"), "/home/data/x");
    EXPECT_EQ(Platform::NormalDirectoryPath("/.."), "/");
    EXPECT_EQ(Platform::NormalDirectoryPath("/"), "/");
    EXPECT_EQ(Platform::NormalDirectoryPath("sub"), Platform::CurrentDirectory() + "/sub");

    EXPECT_EQ(Platform::PathAndAncestors("/"), (Strings{"/"}));
    EXPECT_EQ(Platform::PathAndAncestors("/home/a"), (Strings{"/", "/home", "/home/a"}));

    EXPECT_EQ(Platform::LastName("/home/a"), "a");
    EXPECT_EQ(Platform::LastName("/"), "/");
    // One separator between directory and name, whichever the platform's is.
    EXPECT_EQ(Platform::JoinPath("/", "/", "a"), "/a");
    EXPECT_EQ(Platform::JoinPath("/home", "/", "a"), "/home/a");
    EXPECT_EQ(Platform::JoinPath("C:\\", "\\", "a.txt"), "C:\\a.txt");
    EXPECT_EQ(Platform::JoinPath("C:\\data", "\\", "a.txt"), "C:\\data\\a.txt");
}

}  // namespace
