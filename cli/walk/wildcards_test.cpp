// Wildcards on a Windows command line: what a pattern stands for.
#include "cli/walk/wildcards.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/system/os/directory.h"

namespace {

using Strings = std::vector<std::string>;

TEST(WildcardsTest, ExpandsEachPatternInItsFolderInByteOrder) {
    const std::map<std::string, std::vector<Cli::FolderEntry>> folders{
        {".",
         {{"b.txt"},
          {"A.TXT"},
          {"c.bin"},
          {"noext"},
          {"テ.txt"},
          {"テスト.txt"},
          {"sub", true},
          {"d.txt", true},
          {"-"}}},
        {"sub/.", {{"x.txt"}, {"y.TxT"}}},
        {"only folders\\.", {{"f", true}}},
        {"\\\\?\\C:\\.", {{"z.txt"}}},
    };
    Strings asked;
    const Cli::FolderEntries entriesIn = [&](const std::string& folder) {
        asked.push_back(folder);
        const auto found = folders.find(folder);
        return found == folders.end() ? std::vector<Cli::FolderEntry>{} : found->second;
    };
    const Strings names{
        "*.txt",           "sub/*.TXT",        "?.txt", "*.*", "*.none", "s*/x.txt", "plain",
        "only folders\\*", "\\\\?\\C:\\*.txt", "?"};
    const std::string dash = std::string(".") + System::kPathSeparator + "-";
    EXPECT_EQ(Cli::ExpandWildcards(names, entriesIn, false),
              (Strings{"A.TXT",
                       "b.txt",
                       "テ.txt",
                       "テスト.txt",  // *.txt: files only
                       "sub/x.txt",
                       "sub/y.TxT",  // in its folder
                       "A.TXT",
                       "b.txt",
                       "テ.txt",  // ?: one character
                       dash,
                       "A.TXT",
                       "b.txt",
                       "c.bin",
                       "noext",
                       "テ.txt",
                       "テスト.txt",
                       "*.none",           // no match: left to fail in the system's words
                       "s*/x.txt",         // a wildcard in the folder part
                       "plain",            // no wildcard
                       "only folders\\*",  // folders alone are no match
                       "\\\\?\\C:\\z.txt",
                       dash}));
    EXPECT_EQ(asked,
              (Strings{".", "sub/.", ".", ".", ".", "only folders\\.", "\\\\?\\C:\\.", "."}));
    // Under -r the folders it matches are walked.
    EXPECT_EQ(Cli::ExpandWildcards({"*.txt", "only folders\\*"}, entriesIn, true),
              (Strings{"A.TXT", "b.txt", "d.txt", "テ.txt", "テスト.txt", "only folders\\f"}));
}

}  // namespace
