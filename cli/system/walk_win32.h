// How the walk on Windows takes a directory entry.
#pragma once

#include <windows.h>

#include "cli/system/walk.h"

namespace Cli::Os {

// How the walk takes an entry with `attributes` and, for a reparse point,
// `reparseTag`: a directory reached through a link (a name surrogate:
// symbolic link, junction) is passed over; any other directory is walked.
WalkEntry::Kind WalkKindOf(DWORD attributes, DWORD reparseTag);

}  // namespace Cli::Os
