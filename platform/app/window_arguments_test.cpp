// The window's command line and where a path takes the lists, the same on
// every system.
#include "platform/app/window_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/app/form_wiring.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "tests/support/temp_dir_test.h"

namespace {

using App::ReadWindowArguments;

TEST(WindowArgumentsTest, EachPathOpensAWindowUpToTheBound) {
    EXPECT_TRUE(ReadWindowArguments({}).error.empty());
    // No path: one window where the program starts.
    EXPECT_EQ(WindowStarts(ReadWindowArguments({})),
              std::vector<std::optional<std::string>>{std::nullopt});
    EXPECT_EQ(WindowStarts(ReadWindowArguments({"a", "b"})),
              (std::vector<std::optional<std::string>>{"a", "b"}));
    const std::string name = "a b/\xE3\x82\xAB\xE3\x82\xBF \xE3\x82\xAB\xE3\x83\x8A.txt";
    EXPECT_EQ(ReadWindowArguments({name}).paths, std::vector<std::string>{name});
    // After "--" a name may start with "-"; "--" alone is no path.
    EXPECT_EQ(ReadWindowArguments({"a", "--", "-name", "--help"}).paths,
              (std::vector<std::string>{"a", "-name", "--help"}));
    EXPECT_TRUE(ReadWindowArguments({"--"}).paths.empty());
    EXPECT_TRUE(ReadWindowArguments({"--"}).error.empty());

    std::vector<std::string> many;
    for (std::size_t i = 1; i <= App::kMostWindows + 3; ++i) {
        many.push_back(std::to_string(i));
    }
    EXPECT_FALSE(ReadWindowArguments({many.begin(), many.begin() + 15}).leftOut);
    const App::WindowArguments read = ReadWindowArguments(many);
    EXPECT_EQ(read.paths, (std::vector<std::string>{many.begin(), many.begin() + 15}));
    ASSERT_TRUE(read.leftOut);
    EXPECT_EQ(read.leftOut->path, "16");
    EXPECT_EQ(read.leftOut->reason,
              "18 paths were given and a window opens for the first 15 only: this one and the "
              "2 after it were left out");
    EXPECT_TRUE(read.error.empty());
}

TEST(WindowArgumentsTest, HelpAndVersionAreShownInsteadOfAWindow) {
    for (const char* asked : {"--help", "-?", "/?"}) {
        const App::WindowArguments read = ReadWindowArguments({"a", asked});
        EXPECT_TRUE(read.text.starts_with("Usage: tallix [[--] PATH...]\n")) << asked;
        EXPECT_TRUE(read.error.empty()) << asked;
    }
    EXPECT_EQ(ReadWindowArguments({"--version"}).text.rfind("tallix ", 0), 0U);
    EXPECT_TRUE(ReadWindowArguments({"--version"}).error.empty());
}

TEST(WindowArgumentsTest, OptionsAndAnEmptyPathAreRefusedWithTheUsage) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"-x"}, {"-"}, {""}, {"a", "", "b"}, {"a", "-x"}, {"--versions"}}) {
        const App::WindowArguments read = ReadWindowArguments(arguments);
        EXPECT_TRUE(read.paths.empty()) << arguments.front();
        EXPECT_TRUE(read.text.empty()) << arguments.front();
        EXPECT_NE(read.error.find("Usage: tallix [[--] PATH...]"), std::string::npos) << read.error;
    }
    EXPECT_TRUE(ReadWindowArguments({"--x"}).error.starts_with("tallix: unknown option '--x'\n"));
    // A control character cannot move the message's lines.
    EXPECT_TRUE(ReadWindowArguments({"-\x1B[2J\n"})
                    .error.starts_with("tallix: unknown option '-\\x1B[2J\\x0A'\n"));
}

class PlaceOfTest : public TestSupport::TempDirTest {};

TEST_F(PlaceOfTest, AFileIsClickedInItsFolderAndAFolderOpened) {
    const std::string folder = System::NormalDirectoryPath(dir_);
    const std::string file = System::JoinPath(folder, System::kPathSeparator, "a b.txt");
    Write("a b.txt", "1");

    const App::PathPlace ofFile = App::PlaceOf(file);
    EXPECT_EQ(ofFile.folder, folder);
    EXPECT_EQ(ofFile.file, "a b.txt");
    const App::PathPlace ofFolder = App::PlaceOf(folder);
    EXPECT_EQ(ofFolder.folder, folder);
    EXPECT_EQ(ofFolder.file, "");

    const std::string missing = System::JoinPath(folder, System::kPathSeparator, "missing");
    try {
        App::PlaceOf(missing);
        ADD_FAILURE() << "a missing path has a place";
    } catch (const System::PlatformError& error) {
        EXPECT_EQ(error.operation(), System::Operation::kOpen);
        EXPECT_EQ(error.path(), missing);
    }
}

}  // namespace
