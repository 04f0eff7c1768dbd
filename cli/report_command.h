// The command-line front end: the window's file report, printed for each
// file named on the command line, and the check of files against lists of
// their checksums.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/output/output.h"
#include "cli/output/session.h"
#include "platform/system/files/input_stream.h"

namespace Cli {

// What a run makes of the FILEs or LISTs it is given before reading them:
// Windows expands their wildcards (wildcards.h), which the shell expands
// elsewhere. `walkFolders` is -r.
using NameExpansion = std::function<std::vector<std::string>(const std::vector<std::string>& names,
                                                             bool walkFolders)>;

// Runs `tallix-report` with `args` (the arguments after the program name),
// writing reports to `out` and messages to `err`, and reading standard
// input ("-") from `input`. The arguments are read first, so a usage error
// is one whatever the output; then nothing is read when `out` cannot be
// written. Ends `out` with Close() after the last write, unless a write
// failed or the arguments were wrong. `errTerminal` says whether `err` is
// shown on a terminal, where a long run shows its progress. The names are
// taken through `expand`, when given. Returns the exit status.
int RunReportCommand(const std::vector<std::string>& args, Output& out, std::ostream& err,
                     System::InputStream input = System::StandardInput(), bool errTerminal = false,
                     const NameExpansion& expand = nullptr);

}  // namespace Cli
