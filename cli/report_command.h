// The command-line front end: the window's file report, printed for each
// file named on the command line, and the check of files against lists of
// their checksums.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/output.h"
#include "platform/files/input_stream.h"

namespace Cli {

// Exit statuses, as checksum tools use them.
inline constexpr int kAllReported = 0;
inline constexpr int kSomeFailed = 1;  // a file failed or was not read, or output was lost
inline constexpr int kUsageError = 2;  // also a list that cannot be read or has no checksum line

// Runs `tallix-report` with `args` (the arguments after the program name),
// writing reports to `out` and messages to `err`, and reading standard
// input ("-") from `input`. Ends `out` with Close() after the last write,
// unless a write failed or the arguments were wrong. Returns the exit status.
int RunReportCommand(const std::vector<std::string>& args, Output& out, std::ostream& err,
                     Platform::InputStream input = Platform::StandardInput());

}  // namespace Cli
