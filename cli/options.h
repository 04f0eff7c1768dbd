// The command line of tallix-report: its options, the names it was given,
// and the help text that describes them.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

// The name that stands for standard input, as a FILE or a LIST.
inline constexpr std::string_view kStandardInput = "-";

struct Options {
    bool brief = false;
    bool check = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> names;  // files, or lists with --check
};

// A command line that cannot be run; what() says why, names escaped.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The options and names of `args` (the arguments after the program name).
// Throws UsageError.
Options ParseArguments(const std::vector<std::string>& args);

// The text of --help.
std::string_view UsageText();

}  // namespace Cli
