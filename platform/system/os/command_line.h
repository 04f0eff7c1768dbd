// The arguments of a Windows command line, which a program splits itself:
// as the system splits them, and read again as the user meant them when a
// quoted path ends in a backslash. Text work, so it is built and tested on
// every system; ProgramArguments applies it to the program's own line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace System {

// How a backslash right before a quote is read.
enum class BackslashQuote {
    // The system's rule (CommandLineToArgvW): 2n backslashes and a quote
    // give n and open or close the quotes; 2n + 1 and a quote give n and a
    // quote kept in the argument.
    kEscapesQuote,
    // 2n + 1 backslashes and a quote give n + 1 and open or close the
    // quotes: "C:\" is C:\.
    kEndsQuote,
};

// The arguments after the program's name in `line`: split at spaces and
// tabs outside quotes; backslashes before a quote read by `rule`, other
// backslashes kept; a quote right after a closing one kept. The program's
// name ends at the next quote when it starts with one, else at the first
// blank; backslashes mean nothing in it.
std::vector<std::string> SplitCommandLine(std::string_view line,
                                          BackslashQuote rule = BackslashQuote::kEscapesQuote);

// The arguments as the user meant them: `split` (the system's split of
// `line`) as it is, unless an argument holds a quote, which no Windows name
// can. Then a quoted path ended in a backslash ("C:\", as Explorer passes a
// drive's root, which the system reads as an escaped quote), and `line` is
// split again with BackslashQuote::kEndsQuote.
std::vector<std::string> ArgumentsAsMeant(std::vector<std::string> split, std::string_view line);

// On Windows: the program's arguments after its name, in UTF-8, as meant.
std::vector<std::string> ProgramArguments();

}  // namespace System
