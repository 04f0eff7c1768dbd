#include "platform/directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/twips.h"
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
    EXPECT_EQ(Platform::ChildPath("/", "a"), "/a");
    EXPECT_EQ(Platform::ChildPath("/home", "a"), "/home/a");
}

TEST(TwipsTest, FifteenTwipsAPixelAt96DotsPerInch) {
    EXPECT_EQ(Platform::TwipsToPixels(7605, 96), 507);
    EXPECT_EQ(Platform::TwipsToPixels(4665, 96), 311);
    EXPECT_EQ(Platform::TwipsToPixels(7605, 144), 761);  // 760.5 rounds up
    EXPECT_EQ(Platform::TwipsToPixels(120, 120), 10);
}

}  // namespace
