// The command-line front end: the window's file report, printed for each
// file named on the command line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace Cli {

// Exit statuses, as checksum tools use them.
inline constexpr int kAllReported = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kUsageError = 2;

// Runs `tallix-report` with `args` (the arguments after the program name),
// writing reports to `out` and messages to `err`. Returns the exit status.
int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace Cli
