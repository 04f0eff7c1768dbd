// The option table: how the parser reads each kind of option, and the
// manual pages' lists of options against it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/options/option_table.h"
#include "cli/options/options.h"

namespace {

using Cli::ParseArguments;

// Why ParseArguments refuses `args`, or "" when it takes them.
std::string Refusal(const std::vector<std::string>& args) {
    try {
        ParseArguments(args);
    } catch (const Cli::UsageError& error) {
        return error.what();
    }
    return "";
}

TEST(Options, ValuesAttachedOrInTheNextArgument) {
    for (const auto& jobs : std::vector<std::vector<std::string>>{
             {"-j4", "f"}, {"-j", "4", "f"}, {"--jobs=4", "f"}, {"--jobs", "4", "f"}}) {
        const Cli::Options options = ParseArguments(jobs);
        EXPECT_EQ(options.jobs, 4u) << jobs.front();
        EXPECT_EQ(options.names, std::vector<std::string>{"f"}) << jobs.front();
    }
    EXPECT_EQ(ParseArguments({"--files-from="}).filesFrom, "");
    EXPECT_EQ(ParseArguments({"--files-from", "--brief"}).filesFrom, "--brief");
    EXPECT_EQ(ParseArguments({"--appended32=be", "f"}).appendedBytes, 4u);
    EXPECT_EQ(ParseArguments({"--appended", "be", "f"}).appendedBytes, 2u);
    const Cli::Options named = ParseArguments({"--", "-r", "/?", "--"});
    EXPECT_FALSE(named.recursive || named.help);
    EXPECT_EQ(named.names, (std::vector<std::string>{"-r", "/?", "--"}));
    EXPECT_TRUE(ParseArguments({"f", "/?"}).help);

    // Each kind's message names the option as it was given.
    EXPECT_EQ(Refusal({"f", "-j"}), "-j needs a number");
    EXPECT_EQ(Refusal({"f", "--jobs"}), "--jobs needs a number");
    EXPECT_EQ(Refusal({"--files-from"}), "--files-from needs a FILE");
    EXPECT_EQ(Refusal({"-c", "--list-encoding"}), "--list-encoding needs a NAME");
    EXPECT_EQ(Refusal({"f", "--appended32"}), "--appended32 needs a value");
    EXPECT_EQ(Refusal({"--files-from", "a", "--files-from"}),
              "--files-from can be given only once");
    EXPECT_EQ(Refusal({"-j="}), "invalid number of jobs '=' (1 to 1024)");
    for (const std::string wrong : {"--brief=", "-cr", "--help=x", "-?x", "--appended3"}) {
        EXPECT_EQ(Refusal({wrong, "f"}), "unrecognised option '" + wrong + "'");
    }
}

// A line of roff as it reads: the macro's arguments joined (with spaces
// by .B, .I; alternating fonts without), quotes and font changes gone, \-
// a hyphen.
std::string Rendered(const std::string& line) {
    std::istringstream words(line);
    std::string macro;
    words >> macro;
    std::vector<std::string> arguments;
    std::string rest;
    std::getline(words, rest);
    for (std::size_t at = 0; at < rest.size();) {
        if (rest[at] == ' ') {
            ++at;
        } else if (rest[at] == '"') {
            const std::size_t end = rest.find('"', at + 1);
            arguments.push_back(rest.substr(at + 1, end - at - 1));
            at = end == std::string::npos ? rest.size() : end + 1;
        } else {
            const std::size_t end = std::min(rest.find(' ', at), rest.size());
            arguments.push_back(rest.substr(at, end - at));
            at = end;
        }
    }
    std::string text;
    for (const std::string& argument : arguments) {
        text += (macro.size() == 2 && !text.empty() ? " " : "") + argument;
    }
    std::string plain;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.compare(at, 2, "\\f") == 0) {
            at += 2;  // and the font's letter
        } else if (text.compare(at, 2, "\\-") == 0) {
            plain += '-';
            ++at;
        } else {
            plain += text[at];
        }
    }
    return plain;
}

// The options a manual page describes: the headings of its tagged
// paragraphs that start as an option does.
std::vector<std::string> OptionsOfPage(const std::string& path) {
    std::ifstream page(path);
    EXPECT_TRUE(page) << path;
    std::vector<std::string> options;
    for (std::string line; std::getline(page, line);) {
        std::string heading;
        if (line == ".TP" && std::getline(page, heading)) {
            const std::string option = Rendered(heading);
            if (option.starts_with('-') || option.starts_with('/')) {
                options.push_back(option);
            }
        }
    }
    return options;
}

TEST(ManPage, DescribesEachOptionOfTheTable) {
    std::vector<std::string> table;
    for (const Cli::OptionRow& option : Cli::OptionTable()) {
        table.push_back(Cli::OptionColumn(option));
    }
    for (const std::string page : {"/tallix-report.1", "/ja/tallix-report.1"}) {
        EXPECT_EQ(OptionsOfPage(TALLIX_MAN_PAGES + page), table) << page;
    }
}

}  // namespace
