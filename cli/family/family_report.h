// The reports of the CRC-16 family for each FILE: every member in both
// byte orders (--crc16-family), which member or the CRC-32 gives a value
// (--identify), and the check of a CRC stored after the data (--appended,
// --appended32).
#pragma once

#include "cli/options/options.h"
#include "cli/output/session.h"
#include "platform/system/files/input_stream.h"

namespace Cli {

// Reports each file `options` names in its family mode, standard input read
// from `input`. Returns the exit status: 1 also for a file where nothing
// gave the value sought, or whose appended CRC matched nothing.
int ReportFamily(const Options& options, System::InputStream input, Session& session);

}  // namespace Cli
