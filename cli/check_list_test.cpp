// The escaping of names and the lines of checksum lists.
#include "cli/check_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/escape.h"
#include "platform/os/directory.h"

namespace {

using Cli::ListLine;
using Cli::ParseListLine;

TEST(EscapeTest, EscapesOnlyNamesThatNeedItAndReadsThemBack) {
    EXPECT_EQ(Cli::EscapedName("plain name\t\xff.bin"), "plain name\t\xff.bin");
    // A backslash needs escaping only where it does not separate names.
    const bool backslashSeparates = std::string_view(Platform::kPathSeparator) == "\\";
    for (const std::string name : {"a\\b", "new\nline", "cr\r", "\\n", "\n\\\r\\\\", "\\"}) {
        const bool lineBreak = name.find_first_of("\n\r") != std::string::npos;
        EXPECT_EQ(Cli::NeedsEscaping(name), lineBreak || !backslashSeparates) << name;
        if (Cli::NeedsEscaping(name)) {
            const std::string escaped = Cli::EscapedName(name);
            EXPECT_EQ(escaped.find_first_of("\n\r"), std::string::npos);
            EXPECT_EQ(Cli::UnescapedName(escaped), name);
        }
    }
    EXPECT_EQ(Cli::EscapedName("a\\b\nc\rd"), "a\\\\b\\nc\\rd");
    for (const std::string bad : {"a\\", "a\\t", "\\0", "\\\\\\"}) {
        EXPECT_EQ(Cli::UnescapedName(bad), std::nullopt) << bad;
    }
}

TEST(CheckListTest, SplitsLinesWithOrWithoutAFinalNewline) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(Cli::SplitLines(""), Lines{});
    EXPECT_EQ(Cli::SplitLines("a\n"), Lines{"a"});
    EXPECT_EQ(Cli::SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(Cli::SplitLines("\n"), Lines{""});
}

TEST(CheckListTest, ReadsBriefLines) {
    const ListLine plain = ParseListLine("cbf43926 6f91 9 dir/a name  with spaces ");
    ASSERT_EQ(plain.kind, ListLine::Kind::kEntry);
    EXPECT_EQ(plain.entry.path, "dir/a name  with spaces ");
    EXPECT_EQ(plain.entry.crc32, "CBF43926");
    EXPECT_EQ(plain.entry.crc16, "6F91");
    EXPECT_EQ(plain.entry.size, 9);

    EXPECT_EQ(ParseListLine("\\CBF43926 6F91 9 a\\\\b\\nc\\rd\r").entry.path, "a\\b\nc\rd");
    EXPECT_EQ(ParseListLine("CBF43926 6F91 9 a\\nb").entry.path, "a\\nb");  // not escaped
    EXPECT_EQ(ParseListLine("CBF43926 6F91 9223372036854775807 x").entry.size, 9223372036854775807);
    // The --brief shape wins over SFV, whose CRC would be the last word.
    EXPECT_EQ(ParseListLine("CBF43926 6F91 9 ABCDEF01").entry.path, "ABCDEF01");
}

TEST(CheckListTest, ReadsSfvLines) {
    const ListLine line = ParseListLine("My File.bin   cbf43926 \t\r");
    ASSERT_EQ(line.kind, ListLine::Kind::kEntry);
    EXPECT_EQ(line.entry.path, "My File.bin");
    EXPECT_EQ(line.entry.crc32, "CBF43926");
    EXPECT_EQ(line.entry.crc16, std::nullopt);
    EXPECT_EQ(line.entry.size, std::nullopt);
    EXPECT_EQ(ParseListLine("\\dir\\name 00000000").entry.path, "\\dir\\name");  // as written
    EXPECT_EQ(ParseListLine("a b c 0000000F").entry.path, "a b c");
}

TEST(CheckListTest, PassesOverCommentsAndBlankLines) {
    for (const std::string line : {"", "\r", "  \t", "; a comment 12345678", ";"}) {
        EXPECT_EQ(ParseListLine(line).kind, ListLine::Kind::kIgnored) << line;
    }
}

TEST(CheckListTest, RefusesMalformedLines) {
    const std::vector<std::string> lines{
        "12345678",                              // no path
        " 12345678",                             // no path before the spaces
        "name\t12345678",                        // a tab is not the separator
        "name 1234567",                          // seven digits
        "name 123456789",                        // nine
        "name 1234567G",                         // not hex
        "CBF43926 6F91 9 ",                      // --brief without a path
        "CBF43926 6F91 99999999999999999999 x",  // size beyond 64 bits
        "\\CBF43926 6F91 9 bad\\tescape",        // an escape other than \\, \n, \r
        "\\CBF43926 6F91 9 ends\\",              // a lone backslash
        std::string("nul\0byte 12345678", 17),
        std::string("CBF43926 6F91 9 a\0b", 19),
        std::string(1 << 20, 'a'),  // a very long line
        "\\",
    };
    for (const std::string& line : lines) {
        EXPECT_EQ(ParseListLine(line).kind, ListLine::Kind::kMalformed) << line.substr(0, 40);
    }
}

}  // namespace
