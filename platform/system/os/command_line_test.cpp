// A Windows command line split as the system splits it, and read again as
// the user meant it when a quoted path ends in a backslash.
#include "platform/system/os/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using System::ArgumentsAsMeant;
using System::BackslashQuote;
using System::SplitCommandLine;
using Strings = std::vector<std::string>;

TEST(CommandLineTest, SplitsAsTheSystem) {
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\t.exe\" --brief  *.txt \"*.bin\" a\"?\"b "
                               "\"a b\"\\\"c\\\\\"d\" e\\\\\\\\f \"\"  \"x\"\"y q\"*\"*\t"),
              (Strings{"--brief", "*.txt", "*.bin", "a?b", "a b\"c\\d", "e\\\\\\\\f", "", "x\"y",
                       "q**"}));
    EXPECT_TRUE(SplitCommandLine("t.exe").empty());
}

TEST(CommandLineTest, AQuotedPathEndingInABackslashIsReadAsMeant) {
    struct Case {
        const char* line;
        Strings system;  // what the system's rule gives
        Strings meant;
    };
    const Case cases[] = {
        {R"(t.exe -r "C:\data\with space\" digits.txt)",
         {"-r", R"(C:\data\with space" digits.txt)"},
         {"-r", R"(C:\data\with space\)", "digits.txt"}},
        {R"("C:\t.exe" "C:\")", {R"(C:")"}, {R"(C:\)"}},
        {R"(t "C:\" "D:\a b\")", {R"(C:" D:\a)", R"(b")"}, {R"(C:\)", R"(D:\a b\)"}},
        // Three backslashes: one pair halved, then the quote's end.
        {R"(t "C:\\\")", {R"(C:\")"}, {R"(C:\\)"}},
        // An even run before a quote is read alike by both rules.
        {R"(t "a b\\" x\"y)", {R"(a b\)", R"(x"y)"}, {R"(a b\)", R"(x\y)"}},
    };
    for (const Case& c : cases) {
        const Strings system = SplitCommandLine(c.line);
        EXPECT_EQ(system, c.system) << c.line;
        EXPECT_EQ(SplitCommandLine(c.line, BackslashQuote::kEndsQuote), c.meant) << c.line;
        EXPECT_EQ(ArgumentsAsMeant(system, c.line), c.meant) << c.line;
    }
    // Without a quote in any argument the system's split is taken as it is.
    EXPECT_EQ(ArgumentsAsMeant({"as", "given"}, R"(t "a\" b)"), (Strings{"as", "given"}));
}

}  // namespace
