#include "platform/system/os/directory_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/system/os/error.h"
#include "tests/support/temp_dir_test.h"
#include "tests/support/unprivileged.h"

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
    Write("Item3");
    Write("item10");
    Write("item2");
    Write("item02");
    fs::create_directory(dir_ + "/sub");
    fs::create_directory(dir_ + "/.git");
    fs::create_directory(dir_ + "/Alpha");
    fs::create_directory(dir_ + "/beta");
    fs::create_symlink(dir_ + "/a.txt", dir_ + "/link-to-a");
    fs::create_symlink(dir_ + "/missing", dir_ + "/dangling");
    ASSERT_EQ(::mkfifo((dir_ + "/fifo").c_str(), 0600), 0);

    // As file managers sort: case aside, numbers by value, equals by bytes.
    EXPECT_EQ(System::ListOrdinaryFiles(dir_),
              (Strings{"a.txt", "b.txt", "item02", "item2", "Item3", "item10", "link-to-a",
                       "\xff\xfe raw"}));
    EXPECT_EQ(System::ListSubdirectories(dir_), (Strings{"Alpha", "beta", "sub"}));
}

TEST_F(DirectoryTest, UnlistableDirectoryIsAnErrorNamingIt) {
    const std::string missing = dir_ + "/missing";
    try {
        System::ListOrdinaryFiles(missing);
        FAIL() << "no error";
    } catch (const System::PlatformError& error) {
        EXPECT_EQ(error.operation(), System::Operation::kList);
        EXPECT_EQ(error.path(), missing);
        EXPECT_EQ(error.reason(), "No such file or directory");
    }
    Write("file");
    EXPECT_THROW(System::ListSubdirectories(dir_ + "/file"), System::PlatformError);
}

// The listing takes an entry's kind from the directory where it can; where
// the file system records none (DT_UNKNOWN) or the entry is a link, it looks
// the entry up, with the same result.
TEST_F(DirectoryTest, EntryKindsFromTheDirectoryTypeAndFromALookupAgree) {
    Write("file");
    fs::create_directory(dir_ + "/sub");
    fs::create_symlink(dir_ + "/file", dir_ + "/link-to-file");
    fs::create_symlink(dir_ + "/sub", dir_ + "/link-to-sub");
    fs::create_symlink(dir_ + "/missing", dir_ + "/dangling");
    fs::create_symlink("loop", dir_ + "/loop");
    ASSERT_EQ(::mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
    const int fd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    using System::EntryKind;
    const std::vector<std::pair<std::string, EntryKind>> expected{
        {"file", EntryKind::kFile},         {"sub", EntryKind::kDirectory},
        {"link-to-file", EntryKind::kFile}, {"link-to-sub", EntryKind::kDirectory},
        {"dangling", EntryKind::kOther},    {"loop", EntryKind::kOther},
        {"fifo", EntryKind::kOther},        {"removed-meanwhile", EntryKind::kOther},
    };
    for (const auto& [name, kind] : expected) {
        EXPECT_EQ(System::KindOfEntry(fd, dir_, name.c_str(), DT_UNKNOWN), kind) << name;
    }
    EXPECT_EQ(System::KindOfEntry(fd, dir_, "link-to-file", DT_LNK), EntryKind::kFile);
    EXPECT_EQ(System::KindOfEntry(fd, dir_, "dangling", DT_LNK), EntryKind::kOther);
    EXPECT_EQ(System::KindOfEntry(fd, dir_, "fifo", DT_FIFO), EntryKind::kOther);
    ::close(fd);
}

// A directory that may be read but not searched (r--) gives its names, but
// nothing in it can be opened or examined: listing it is an error, even
// when it is empty, never an empty or unusable list.
TEST_F(DirectoryTest, DirectoryThatCanBeReadButNotEnteredIsAnError) {
    const std::string full = dir_ + "/full";
    const std::string empty = dir_ + "/empty";
    fs::create_directory(full);
    fs::create_directory(empty);
    Write("full/a.txt");
    fs::create_directory(full + "/sub");
    ASSERT_EQ(::chmod(full.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(empty.c_str(), 0444), 0);
    const std::string faults = TestSupport::RunUnprivileged([&] {
        std::string found;
        for (const std::string& path : {full, empty}) {
            for (const auto list : {&System::ListOrdinaryFiles, &System::ListSubdirectories}) {
                try {
                    list(path);
                    found += "no error for " + path + "; ";
                } catch (const System::PlatformError& error) {
                    if (error.operation() != System::Operation::kEnter || error.path() != path ||
                        error.reason() != "Permission denied") {
                        found += std::string("wrong error: ") + error.what() + "; ";
                    }
                }
            }
        }
        // An entry of such a directory cannot be examined when the directory
        // does not say what it is.
        const int fd = ::open(full.c_str(), O_RDONLY | O_DIRECTORY);
        try {
            System::KindOfEntry(fd, full, "a.txt", DT_UNKNOWN);
            found += "examined an entry; ";
        } catch (const System::PlatformError& error) {
            if (error.operation() != System::Operation::kExamine ||
                error.path() != full + "/a.txt") {
                found += std::string("wrong error: ") + error.what() + "; ";
            }
        }
        ::close(fd);
        return found;
    });
    EXPECT_EQ(faults, "");
    ::chmod(full.c_str(), 0755);  // so the fixture can remove it
}

TEST(DirectoryPathTest, NormalPathsAncestorsAndNames) {
    EXPECT_EQ(System::NormalDirectoryPath("/home//user/../data/./x/"), "/home/data/x");
    EXPECT_EQ(System::NormalDirectoryPath("/.."), "/");
    EXPECT_EQ(System::NormalDirectoryPath("/"), "/");
    EXPECT_EQ(System::NormalDirectoryPath("sub"), System::CurrentDirectory() + "/sub");

    EXPECT_EQ(System::PathAndAncestors("/"), (Strings{"/"}));
    EXPECT_EQ(System::PathAndAncestors("/home/a"), (Strings{"/", "/home", "/home/a"}));

    EXPECT_EQ(System::LastName("/home/a"), "a");
    EXPECT_EQ(System::LastName("/"), "/");
    // One separator between directory and name, whichever the platform's is.
    EXPECT_EQ(System::JoinPath("/", "/", "a"), "/a");
    EXPECT_EQ(System::JoinPath("/home", "/", "a"), "/home/a");
    EXPECT_EQ(System::JoinPath("C:\\", "\\", "a.txt"), "C:\\a.txt");
    EXPECT_EQ(System::JoinPath("C:\\data", "\\", "a.txt"), "C:\\data\\a.txt");
}

}  // namespace
