// The window's command line and where a path takes the lists, the same on
// every system.
#include "platform/app/window_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/app/form_wiring.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "tests/support/temp_dir_test.h"

namespace {

using Platform::ReadWindowArguments;

TEST(WindowArgumentsTest, NoneOrOnePathOpensTheWindow) {
    EXPECT_FALSE(ReadWindowArguments({}).path);
    EXPECT_TRUE(ReadWindowArguments({}).error.empty());
    const std::string name = "a b/\xE3\x82\xAB\xE3\x82\xBF \xE3\x82\xAB\xE3\x83\x8A.txt";
    EXPECT_EQ(ReadWindowArguments({name}).path, name);
    // After "--" a name may start with "-"; "--" alone is no path.
    EXPECT_EQ(ReadWindowArguments({"--", "-name"}).path, "-name");
    EXPECT_FALSE(ReadWindowArguments({"--"}).path);
    EXPECT_TRUE(ReadWindowArguments({"--"}).error.empty());
}

TEST(WindowArgumentsTest, OptionsSeveralPathsAndAnEmptyOneAreRefusedWithTheUsage) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"-x"}, {"--help"}, {"-"}, {"a", "b"}, {"a", "--", "b"}, {""}, {"a", "-x"}}) {
        const Platform::WindowArguments read = ReadWindowArguments(arguments);
        EXPECT_FALSE(read.path) << arguments.front();
        EXPECT_NE(read.error.find("Usage: tallix [[--] PATH]"), std::string::npos) << read.error;
    }
    EXPECT_TRUE(ReadWindowArguments({"--x"}).error.starts_with("tallix: unknown option '--x'\n"));
    EXPECT_TRUE(ReadWindowArguments({"a", "b"}).error.starts_with("tallix: one path only, 2 "));
    // A control character cannot move the message's lines.
    EXPECT_TRUE(ReadWindowArguments({"-\x1B[2J\n"})
                    .error.starts_with("tallix: unknown option '-\\x1B[2J\\x0A'\n"));
}

class PlaceOfTest : public TestSupport::TempDirTest {};

TEST_F(PlaceOfTest, AFileIsClickedInItsFolderAndAFolderOpened) {
    const std::string folder = Platform::NormalDirectoryPath(dir_);
    const std::string file = Platform::JoinPath(folder, Platform::kPathSeparator, "a b.txt");
    Write("a b.txt", "1");

    const Platform::PathPlace ofFile = Platform::PlaceOf(file);
    EXPECT_EQ(ofFile.folder, folder);
    EXPECT_EQ(ofFile.file, "a b.txt");
    const Platform::PathPlace ofFolder = Platform::PlaceOf(folder);
    EXPECT_EQ(ofFolder.folder, folder);
    EXPECT_EQ(ofFolder.file, "");

    const std::string missing = Platform::JoinPath(folder, Platform::kPathSeparator, "missing");
    try {
        Platform::PlaceOf(missing);
        ADD_FAILURE() << "a missing path has a place";
    } catch (const Platform::PlatformError& error) {
        EXPECT_EQ(error.operation(), "open");
        EXPECT_EQ(error.path(), missing);
    }
}

}  // namespace
