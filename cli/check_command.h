// --check: the files each list names, measured and compared with the
// checksums the list gives.
#pragma once

#include "cli/options.h"
#include "cli/session.h"

namespace Cli {

// Checks the files of each list `options` names, a list of "-" read from
// `input`. Returns the exit status.
int CheckLists(const Options& options, int input, Session& session);

}  // namespace Cli
