// Wildcards on a Windows command line: what was quoted, what stands for the
// names it matches.
#include "cli/wildcards.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

TEST(WildcardsTest, SplitsAsTheSystemAndMarksOnlyUnquotedWildcards) {
    const auto args = Cli::SplitCommandLine(
        "\"C:\\Program Files\\t.exe\" --brief  *.txt \"*.bin\" a\"?\"b "
        "\"a b\"\\\"c\\\\\"d\" e\\\\\\\\f \"\"  \"x\"\"y q\"*\"*\t");
    std::vector<std::pair<std::string, bool>> got;
    for (const Cli::CommandLineArgument& arg : args) {
        got.emplace_back(arg.text, arg.wild);
    }
    EXPECT_EQ(got, (std::vector<std::pair<std::string, bool>>{{"--brief", false},
                                                              {"*.txt", true},
                                                              {"*.bin", false},
                                                              {"a?b", false},
                                                              {"a b\"c\\d", false},
                                                              {"e\\\\\\\\f", false},
                                                              {"", false},
                                                              {"x\"y", false},
                                                              {"q**", true}}));
    EXPECT_TRUE(Cli::SplitCommandLine("t.exe").empty());
}

TEST(WildcardsTest, ExpandsEachPatternInItsFolderInByteOrder) {
    const std::map<std::string, Strings> folders{
        {".", {"b.txt", "A.TXT", "c.bin", "noext", "テ.txt", "テスト.txt"}},
        {"sub/.", {"x.txt", "y.TxT"}},
    };
    Strings asked;
    const Cli::FolderNames namesIn = [&](const std::string& folder) {
        asked.push_back(folder);
        const auto found = folders.find(folder);
        return found == folders.end() ? Strings{} : found->second;
    };
    const auto wild = [](std::string text) { return Cli::CommandLineArgument{text, true}; };
    EXPECT_EQ(Cli::ExpandWildcards({wild("*.txt"),
                                    {"*.bin", false},
                                    wild("sub/*.TXT"),
                                    wild("?.txt"),
                                    wild("*.*"),
                                    wild("*.none"),
                                    wild("s*/x.txt")},
                                   namesIn),
              (Strings{"A.TXT", "b.txt", "テ.txt", "テスト.txt",  // *.txt
                       "*.bin",                                   // quoted: as it is
                       "sub/x.txt", "sub/y.TxT",                  // in its folder
                       "A.TXT", "b.txt", "テ.txt",                // ?: one character
                       "A.TXT", "b.txt", "c.bin", "noext", "テ.txt", "テスト.txt",
                       "*.none",       // no match: left to fail, naming it
                       "s*/x.txt"}));  // a wildcard in the folder part
    EXPECT_EQ(asked, (Strings{".", "sub/.", ".", ".", "."}));
}

}  // namespace
