#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "tests/support/temp_dir_test.h"
#include "window/checksum_compare.h"
#include "window/directory_move.h"
#include "window/presentation.h"

namespace {

using Window::ChecksumMatch;

// A width in which every character takes one unit, and `units` fit.
Window::FitsWidth Units(std::size_t units) {
    return [units](std::string_view text) {
        std::size_t characters = 0;
        for (const char c : text) {
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }
        return characters <= units;
    };
}

TEST(MiddleElidedTest, KeepsTheFileNameAndSizeAndShortensTheDirectories) {
    const std::string line = "/home/me/projects/archive/2024/name.txt(9バイト)";
    const std::size_t name = line.find("name.txt");
    EXPECT_EQ(Window::MiddleElided(line, name, Units(100)).text, line);
    EXPECT_FALSE(Window::MiddleElided(line, name, Units(100)).Shortened());

    const Window::MiddleElision shown = Window::MiddleElided(line, name, Units(25));
    EXPECT_EQ(shown.text, "/home…2024/name.txt(9バイト)");
    EXPECT_TRUE(shown.Shortened());
    EXPECT_EQ(line.substr(0, shown.headBytes), "/home");
    EXPECT_EQ(line.substr(line.size() - shown.tailBytes), "2024/name.txt(9バイト)");

    // A name too long for the space keeps its end and the size, whole
    // characters only.
    const std::string katakana = "/d/" + std::string(40, 'n') + "サンプル.bin(123バイト)";
    const Window::MiddleElision cut = Window::MiddleElided(katakana, 3, Units(24));
    EXPECT_TRUE(Units(24)(cut.text));
    EXPECT_FALSE(Units(23)(cut.text));  // no character more would fit
    EXPECT_EQ(cut.text, "/d/nn…nnサンプル.bin(123バイト)");
}

TEST(IndentSpacesTest, ShallowLevelsStepEvenlyAndDeepOnesStayWithinAFixedWidth) {
    EXPECT_EQ(Window::IndentSpaces(0, 3), 0);
    EXPECT_EQ(Window::IndentSpaces(3, 3), 9);
    EXPECT_EQ(Window::IndentSpaces(100, 100), 12);
    EXPECT_EQ(Window::IndentSpaces(50, 100), 6);
    EXPECT_LE(Window::IndentSpaces(99, 100), Window::IndentSpaces(100, 100));
}

// Every operation gets a headline of its own; the words the command line
// shows for it (in what()) and a few headlines stay as they are.
TEST(ErrorHeadlineTest, EveryOperationSaysWhatCouldNotBeDone) {
    using System::Operation;
    std::set<std::string> headlines;
    int operations = 0;
    for (auto operation = Operation{}; !System::OperationName(operation).empty();
         operation = static_cast<Operation>(static_cast<int>(operation) + 1), ++operations) {
        const std::string headline = Window::ErrorHeadline(operation);
        EXPECT_TRUE(headline.starts_with("Could not ")) << System::OperationName(operation);
        EXPECT_TRUE(headlines.insert(headline).second) << headline;
    }
    EXPECT_EQ(operations, 15);
    EXPECT_EQ(Window::ErrorHeadline(Operation::kList), "Could not list the directory's entries.");
    EXPECT_EQ(Window::ErrorHeadline(Operation::kSizeOf), "Could not find the file's size.");
    EXPECT_EQ(Window::ErrorHeadline(Operation::kRunEvent), "Could not run the event.");
    EXPECT_STREQ(System::PlatformError(Operation::kSizeOf, "/a b", "gone").what(),
                 "size of /a b: gone");
    EXPECT_STREQ(System::SystemError(Operation::kRunEvent, "", ENOENT).what(),
                 "run the event : No such file or directory");
}

TEST(CompareChecksumTest, SaysWhichChecksumThePastedValueIsOrThatItIsNeither) {
    const Window::ReportChecksums report{"CBF43926", "6F91"};
    const auto match = [&](std::string_view clipboard) {
        return Window::CompareChecksum(clipboard, report).match;
    };
    EXPECT_EQ(match("CBF43926"), ChecksumMatch::kCRC32);
    EXPECT_EQ(match(" 0xcbf43926\n"), ChecksumMatch::kCRC32);
    EXPECT_EQ(match("cb f4 39 26"), ChecksumMatch::kCRC32);
    EXPECT_EQ(match("0X6f91"), ChecksumMatch::kCRC16);
    EXPECT_EQ(match("CBF43927"), ChecksumMatch::kNeither);
    EXPECT_EQ(match("6F92"), ChecksumMatch::kNeither);
    for (const char* notAChecksum : {"", "CBF4392", "CBF439260", "CBF4392G", "0x", "6F91 a.txt"}) {
        EXPECT_EQ(match(notAChecksum), ChecksumMatch::kNoChecksum) << notAChecksum;
    }
    EXPECT_EQ(Window::CompareChecksum("6f91", report).message,
              "Match: 6F91 is this file's CRC-16.");
    EXPECT_EQ(Window::CompareChecksum("12345678", report).message,
              "NO MATCH: 12345678 matches neither this file's CRC-32 (CBF43926) nor its CRC-16 "
              "(6F91).");
}

class DirectoryMoveTest : public TestSupport::TempDirTest {};

// A move shows the new directory, then raises the change event; a failed
// event puts the old one back and passes the error on; a directory that
// cannot be listed changes nothing at all.
TEST_F(DirectoryMoveTest, AFailedChangeEventPutsTheListBack) {
    std::filesystem::create_directories(dir_ + "/next/inner");
    const std::string start = System::NormalDirectoryPath(dir_);
    const std::string next = System::NormalDirectoryPath(dir_ + "/next");
    std::vector<std::string> shown;
    const auto show = [&](const std::string& path, const std::vector<std::string>& subdirectories) {
        shown.push_back(path + ":" + std::to_string(subdirectories.size()));
    };
    const auto fail = [] { throw std::runtime_error("change failed"); };

    EXPECT_THROW(Window::MoveDirectoryList(dir_ + "/next", start, {"next"}, show, fail),
                 std::runtime_error);
    EXPECT_EQ(shown, (std::vector<std::string>{next + ":1", start + ":1"}));

    shown.clear();
    EXPECT_ANY_THROW(Window::MoveDirectoryList(dir_ + "/missing", start, {"next"}, show, fail));
    EXPECT_TRUE(shown.empty());
}

}  // namespace
