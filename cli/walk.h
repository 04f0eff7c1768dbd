// The files a report covers: each FILE named, the files of a directory
// FILE and its subdirectories with --recursive, and the names read from
// --files-from.
#pragma once

#include <vector>

#include "cli/measure.h"
#include "cli/options.h"
#include "cli/session.h"
#include "platform/files/input_stream.h"

namespace Cli {

struct FileSet {
    std::vector<MeasureTarget> targets;  // in the order they are reported
    // kSomeFailed when a directory could not be walked or a name read
    // cannot be a file's; kUsageError when the --files-from file could not
    // be read. Each was named on standard error.
    int status = kAllReported;
};

// The files `options` names, in order: the FILEs given (each directory
// walked with --recursive: its entries in byte order, depth first), then
// those of --files-from, standard input read from `input`.
FileSet FilesToReport(const Options& options, Platform::InputStream input, Session& session);

}  // namespace Cli
