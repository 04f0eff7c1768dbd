// --check: the files each list names, measured and compared with the
// checksums the list gives.
#pragma once

#include "cli/options/options.h"
#include "cli/output/session.h"
#include "platform/system/files/input_stream.h"

namespace Cli {

// Checks the files of each list `options` names, a list of "-" read from
// `input`. Returns the exit status.
int CheckLists(const Options& options, System::InputStream input, Session& session);

}  // namespace Cli
