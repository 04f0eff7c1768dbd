// The walk on Windows: every entry with its kind, hidden ones and names the
// system's clean-up of a path would change included, and links to
// directories passed over.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/system/walk.h"
#include "cli/system/walk_win32.h"
#include "platform/system/os/text_win32.h"
#include "tests/support/temp_dir_win32_test.h"

namespace {

using WalkWin32Test = TestSupport::TempDirWin32Test;

// The walk of --recursive takes every entry, hidden ones too, in byte order.
TEST_F(WalkWin32Test, TheWalkListsEveryEntryWithItsKind) {
    const std::string hidden = Create("b-hidden.txt");
    ::SetFileAttributesW(System::SystemPath(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
    MakeDirectory("a-sub");
    Create("C.txt");
    using Kind = Cli::Os::WalkEntry::Kind;
    std::vector<std::pair<std::string, Kind>> found;
    for (const Cli::Os::WalkEntry& entry : Cli::Os::ListWalkEntries(dir_)) {
        found.emplace_back(entry.name, entry.kind);
    }
    EXPECT_EQ(found, (std::vector<std::pair<std::string, Kind>>{{"C.txt", Kind::kFile},
                                                                {"a-sub", Kind::kDirectory},
                                                                {"b-hidden.txt", Kind::kFile}}));
    EXPECT_EQ(Cli::Os::KindOfPath(dir_ + "\\a-sub"), Cli::Os::PathKind::kDirectory);
    EXPECT_EQ(Cli::Os::KindOfPath(dir_ + "\\C.txt"), Cli::Os::PathKind::kOther);
    EXPECT_EQ(Cli::Os::KindOfPath(dir_ + "\\missing\\x"), Cli::Os::PathKind::kMissing);
}

// Only links (name surrogates) are passed over; a cloud file's placeholder
// folder or a deduplicated one is walked like any other.
TEST(WalkKindTest, OnlyLinksToDirectoriesArePassedOver) {
    using Kind = Cli::Os::WalkEntry::Kind;
    constexpr DWORD kReparseDirectory = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_EQ(Cli::Os::WalkKindOf(kReparseDirectory, IO_REPARSE_TAG_SYMLINK), Kind::kPassedOver);
    EXPECT_EQ(Cli::Os::WalkKindOf(kReparseDirectory, IO_REPARSE_TAG_MOUNT_POINT),
              Kind::kPassedOver);
    EXPECT_EQ(Cli::Os::WalkKindOf(kReparseDirectory, IO_REPARSE_TAG_CLOUD_6), Kind::kDirectory);
    EXPECT_EQ(Cli::Os::WalkKindOf(kReparseDirectory, IO_REPARSE_TAG_DEDUP), Kind::kDirectory);
    EXPECT_EQ(Cli::Os::WalkKindOf(FILE_ATTRIBUTE_DIRECTORY, IO_REPARSE_TAG_SYMLINK),
              Kind::kDirectory);  // the tag means nothing without the attribute
    EXPECT_EQ(Cli::Os::WalkKindOf(FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK),
              Kind::kFile);
}

// A directory whose name ends in a dot is walked as the directory it is.
TEST_F(WalkWin32Test, ADirectoryNamedWithATrailingDotIsWalked) {
    const std::string dot = MakeDirectory("dot.");
    Create("dot.\\in.txt");
    EXPECT_EQ(Cli::Os::KindOfPath(dot), Cli::Os::PathKind::kDirectory);
    ASSERT_EQ(Cli::Os::ListWalkEntries(dot).size(), 1u);
    EXPECT_EQ(Cli::Os::ListWalkEntries(dot)[0].name, "in.txt");
    ::DeleteFileW(System::SystemPath(dot + "\\in.txt").c_str());
    ::RemoveDirectoryW(System::SystemPath(dot).c_str());
}

}  // namespace
