// The escaping of names and the lines of checksum lists.
#include "cli/lists/check_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/output/escape.h"
#include "platform/system/os/directory.h"
#include "tests/support/whole_list.h"

namespace {

using Cli::ListKind;
using Cli::ListLine;
using Cli::NameStyle;
using Cli::ParseListLine;

TEST(EscapeTest, EscapesOnlyNamesThatNeedItAndReadsThemBack) {
    const std::string plain = "plain name\t\x1B[31m\xff.bin";  // nothing that breaks a line
    EXPECT_EQ(Cli::EscapedName(plain), plain);
    EXPECT_EQ(Cli::EscapedName(plain, NameStyle::kTerminal), "plain name\\t\\x1B[31m\\xFF.bin");
    EXPECT_EQ(Cli::EscapedName("a\\b\nc\rd"), "a\\\\b\\nc\\rd");
    // Direction marks and C1 controls by code point; other UTF-8 as it is.
    EXPECT_EQ(Cli::EscapedName("\u202Egpj.exe \u0085 é 日本\x7F\uFEFF\u200B", NameStyle::kTerminal),
              "\\u202Egpj.exe \\u0085 é 日本\\x7F\\uFEFF\\u200B");
    // Bytes that are not UTF-8: a stray continuation, an overlong form, a
    // surrogate, a sequence cut short.
    EXPECT_EQ(Cli::EscapedName("\x80\xC0\xAF\xED\xA0\x80\xE6\x97", NameStyle::kTerminal),
              "\\x80\\xC0\\xAF\\xED\\xA0\\x80\\xE6\\x97");
    EXPECT_FALSE(Cli::NeedsEscaping("日本 é", NameStyle::kTerminal));

    for (const std::string name : {"a\\b", "new\nline", "cr\r", "\\n", "\n\\\r\\\\", "\\",
                                   "\x1B]0;title\x07", "\xff\xfe\t\u2028\u0085\\x41"}) {
        for (const NameStyle style : {NameStyle::kLine, NameStyle::kTerminal}) {
            const std::string escaped = Cli::EscapedName(name, style);
            EXPECT_EQ(escaped.find_first_of("\n\r"), std::string::npos);
            if (Cli::NeedsEscaping(name, style)) {  // not so for separators alone on Windows
                EXPECT_EQ(Cli::UnescapedName(escaped), name) << escaped;
            }
        }
    }
    // Where the backslash separates names, it alone calls for no escaping.
    const bool backslashSeparates = std::string_view(System::kPathSeparator) == "\\";
    for (const NameStyle style : {NameStyle::kLine, NameStyle::kTerminal}) {
        EXPECT_EQ(Cli::NeedsEscaping("C:\\data\\a.txt", style), !backslashSeparates);
        EXPECT_EQ(Cli::EscapedName("C:\\a\n", style), "C:\\\\a\\n");
    }
    for (const std::string bad :
         {"a\\", "a\\q", "\\0", "\\\\\\", "\\x1", "\\xZZ", "\\u12", "\\uD800"}) {
        EXPECT_EQ(Cli::UnescapedName(bad), std::nullopt) << bad;
    }
}

TEST(CheckListTest, SplitsLinesWithOrWithoutAFinalNewline) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(TestSupport::SplitLines(""), Lines{});
    EXPECT_EQ(TestSupport::SplitLines("a\n"), Lines{"a"});
    EXPECT_EQ(TestSupport::SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(TestSupport::SplitLines("\n"), Lines{""});
}

TEST(CheckListTest, ReadsBriefLines) {
    const ListLine plain =
        ParseListLine("cbf43926 6f91 9 dir/a name  with spaces ", ListKind::kBrief);
    ASSERT_EQ(plain.kind, ListLine::Kind::kEntry);
    EXPECT_EQ(plain.entry.path, "dir/a name  with spaces ");
    EXPECT_EQ(plain.entry.crc32, "CBF43926");
    EXPECT_EQ(plain.entry.crc16, "6F91");
    EXPECT_EQ(plain.entry.size, 9);
    EXPECT_EQ(plain.entry.trimmedPath, "");

    const auto path = [](std::string_view line) {
        return ParseListLine(line, ListKind::kBrief).entry.path;
    };
    EXPECT_EQ(path("\\CBF43926 6F91 9 a\\\\b\\nc\\rd\\x1B\r\r"), "a\\b\nc\rd\x1B");
    EXPECT_EQ(path("CBF43926 6F91 9 a\\nb"), "a\\nb");  // not escaped
    EXPECT_EQ(ParseListLine("CBF43926 6F91 9223372036854775807 x", ListKind::kBrief).entry.size,
              9223372036854775807);
    EXPECT_EQ(path("CBF43926 6F91 9 ABCDEF01"), "ABCDEF01");
}

TEST(CheckListTest, ReadsSfvLines) {
    // The name is all before the one space or tab before the CRC.
    const ListLine spaced = ParseListLine("trailing space  ea97a0e3 \t\r\r", ListKind::kSfv);
    ASSERT_EQ(spaced.kind, ListLine::Kind::kEntry);
    EXPECT_EQ(spaced.entry.path, "trailing space ");
    EXPECT_EQ(spaced.entry.trimmedPath, "trailing space");
    EXPECT_EQ(spaced.entry.crc32, "EA97A0E3");
    EXPECT_EQ(spaced.entry.crc16, std::nullopt);
    EXPECT_EQ(spaced.entry.size, std::nullopt);

    const auto path = [](std::string_view line) {
        return ParseListLine(line, ListKind::kSfv).entry.path;
    };
    EXPECT_EQ(path("tab\tCBF43926"), "tab");
    EXPECT_EQ(path(" lead 00000000"), " lead");
    EXPECT_EQ(path("\\dir\\name 00000000"), "\\dir\\name");  // as written
    EXPECT_EQ(path("CBF43926 6F91 9 x 0000000F"), "CBF43926 6F91 9 x");
}

// Each line is read in its own form; one that reads in two is read in the
// form of the last line naming a file: a name shaped like a --brief line in
// an SFV list is a name.
TEST(CheckListTest, ReadsALineInTheFormUsedLast) {
    const auto lines = [](std::string_view text) {
        std::vector<std::string> shown;
        for (const ListLine& line : TestSupport::ParseList(text)) {
            shown.push_back(line.kind == ListLine::Kind::kEntry     ? line.entry.path
                            : line.kind == ListLine::Kind::kIgnored ? "-"
                                                                    : "malformed");
        }
        return shown;
    };
    using Names = std::vector<std::string>;
    const std::string forged = "DEADBEEF CAFE 12 foo 3610A686";
    EXPECT_EQ(lines("; made by an SFV writer\r\n" + forged + "\r\n"),
              (Names{"-", "DEADBEEF CAFE 12 foo"}));
    EXPECT_EQ(lines("plain 12345678\n" + forged), (Names{"plain", "DEADBEEF CAFE 12 foo"}));
    EXPECT_EQ(lines("bad line\n" + forged + "\nname 12345678\n" + forged),
              (Names{"malformed", "foo 3610A686", "name", "DEADBEEF CAFE 12 foo"}));
}

TEST(CheckListTest, PassesOverCommentsAndBlankLines) {
    for (const std::string line : {"", "\r", "  \t", "; a comment 12345678", ";"}) {
        for (const ListKind kind : {ListKind::kBrief, ListKind::kSfv}) {
            EXPECT_EQ(ParseListLine(line, kind).kind, ListLine::Kind::kIgnored) << line;
        }
    }
}

TEST(CheckListTest, RefusesMalformedLines) {
    const std::vector<std::string> sfv{
        "12345678",        // no path
        " 12345678",       // no path before the separator
        "name 1234567",    // seven digits
        "name 123456789",  // nine
        "name 1234567G",   // not hex
        "name\n12345678",  // only a space or tab separates
        std::string("nul\0byte 12345678", 17),
        std::string(1 << 20, 'a'),  // a very long line
    };
    for (const std::string& line : sfv) {
        EXPECT_EQ(ParseListLine(line, ListKind::kSfv).kind, ListLine::Kind::kMalformed)
            << line.substr(0, 40);
    }
    const std::vector<std::string> brief{
        "CBF43926 6F91 9 ",                      // no path
        "CBF43926  6F91 9 x",                    // a column out of place
        "6F91 CBF43926 9 x",                     // columns swapped
        "CBF43926 6F91 x 9",                     // the size after the path
        "CBF43926 6F91 99999999999999999999 x",  // size beyond 64 bits
        "\\CBF43926 6F91 9 bad\\qescape",        // an escape it never writes
        "\\CBF43926 6F91 9 ends\\",              // a lone backslash
        "CBF43926 6F91512 x",                    // the CRC-16 run into the size
        "digits CBF43926",                       // SFV in a --brief list
        std::string("CBF43926 6F91 9 a\0b", 19),
        "\\",
    };
    for (const std::string& line : brief) {
        EXPECT_EQ(ParseListLine(line, ListKind::kBrief).kind, ListLine::Kind::kMalformed) << line;
    }
}

// Each form a list may have, as the tools that write it do: what every
// line of a list reads as ("-" passed over).
TEST(CheckListTest, ReadsEachForm) {
    using Names = std::vector<std::string>;
    const auto lines = [](std::string_view text, const std::string& listPath) {
        Names shown;
        for (const ListLine& line : TestSupport::ParseList(text, listPath)) {
            const Cli::ListEntry& entry = line.entry;
            if (line.kind != ListLine::Kind::kEntry) {
                shown.emplace_back(line.kind == ListLine::Kind::kIgnored ? "-" : "malformed");
                continue;
            }
            shown.push_back(std::string(1, '[').append(entry.path).append("] ") + entry.crc32);
            if (entry.size) {
                shown.back().append(" ").append(std::to_string(*entry.size));
            }
        }
        return shown;
    };
    // An archiver's table: text above it, a folder's row without a CRC,
    // totals below its closing rule.
    const auto row = [](std::string crc, std::string size, std::string name) {
        crc.resize(8, ' ');
        return crc + "  " + std::string(13 - size.size(), ' ') + size + "  " + name + "\r\n";
    };
    const std::string rule = "--------  -------------  ------------\r\n";
    const std::string table =
        "\r\nArchiver 1.0 : (c) someone\r\n\r\nScanning\r\n"
        "2 files, 9 bytes\r\n\r\nCRC32              Size  Name\r\n" +
        rule + row("cbf43926", "9", " lead") + row("", "", "folder") + row("CBF43926", "x", "bad") +
        row("00000000", "0", "sub\\e") + rule + row("CBF43926", "9", "") +
        "\r\nCRC32 for data: CBF43926\r\n";
    const Names tableLines{"-", "-",         "-",
                           "-", "-",         "-",
                           "-", "-",         "[ lead] CBF43926 9",
                           "-", "malformed", "[sub\\e] 00000000 0",
                           "-", "-",         "-",
                           "-"};
    Names twoTables = tableLines;
    twoTables.insert(twoTables.end(), tableLines.begin(), tableLines.end());
    twoTables.insert(twoTables.end(), {"[z] CBF43926", "malformed", "[w] CBF43926"});
    const struct {
        std::string listPath, text;
        Names lines;
    } cases[] = {
        {"l",
         "cbf43926  a b\n\\CBF43926 *c\\nd\n0000000F  x 12345678\nname 12345678\nno form\n",
         {"[a b] CBF43926", "[c\nd] CBF43926", "[x 12345678] 0000000F", "[name] 12345678",
          "malformed"}},
        {"l",
         "CRC32 (a (1)) = cbf43926\n\\CRC32 (b\\\\c) = 00000000\nCRC32B (d) = 00000001 \n"
         "ABCDEF01  x\n",
         {"[a (1)] CBF43926", "[b\\c] 00000000", "[d] 00000001", "[x] ABCDEF01"}},
        {"l",
         "cbf43926\tdir/a b \n00000000\tABCDEF01\n",
         {"[dir/a b ] CBF43926", "[ABCDEF01] 00000000"}},
        {"l",
         "# by hand\n// too\nbad line\nCBF43926 *a\n#x 00000000\n",
         {"-", "-", "malformed", "[a] CBF43926", "-"}},
        {"l",
         "; SFV\nname\t\tCBF43926\n#x 00000000\n# comment\nCBF43926  y\n",
         {"-", "[name\t] CBF43926", "[#x] 00000000", "-", "[y] CBF43926"}},
        {"dir/file.bin.crc32",
         "\n cbf43926 \r\nCBF43926\n",
         {"-", "[file.bin] CBF43926", "malformed"}},
        {"-", "CBF43926\n", {"malformed"}},  // no list name to take the file's from
        {"l.txt", table, tableLines},
        // Two tables, then the lines of another tool; a header no rule follows.
        {"l.txt", table + table + "CBF43926  z\nCRC32 Size Name\nCBF43926  w\n", twoTables},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lines(c.text, c.listPath), c.lines) << c.text;
    }
    // Text of no form is held back for a table only so long.
    std::string text;
    for (int i = 0; i < 70; ++i) {
        text += "no form\n";
    }
    const Names held = lines(text + "CRC32 Size Name\n----- ---- ----\n", "l");
    EXPECT_EQ(std::count(held.begin(), held.end(), "malformed"), 70);
}

}  // namespace
