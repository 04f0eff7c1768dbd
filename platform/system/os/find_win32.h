// The one loop over a directory's entries that the Windows listings share
// (the window's lists and the walk of tallix-report --recursive).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace System {

// Calls `visit` with each entry of the directory `path` but "." and "..",
// in the order the system gives them. Throws PlatformError(Operation::kList, path)
// with the system's reason when the directory cannot be read; a drive's
// root with nothing in it has no entries.
void ForEachDirectoryEntry(const std::string& path,
                           const std::function<void(const WIN32_FIND_DATAW&)>& visit);

}  // namespace System
