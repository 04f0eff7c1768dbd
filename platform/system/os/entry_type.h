// What a path the user gives names, for opening it in the window's lists.
#pragma once

#include <string>

namespace System {

// Whether `path` names a directory (through a link too). Throws
// PlatformError(Operation::kOpen, path, reason) when it names nothing that can be
// examined: it is missing, or a directory on the way cannot be searched.
bool IsDirectory(const std::string& path);

}  // namespace System
