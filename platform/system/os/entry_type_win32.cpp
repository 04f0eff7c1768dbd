#include <windows.h>

#include "platform/system/os/entry_type.h"
#include "platform/system/os/text_win32.h"

namespace System {

// The attributes of a link are its own; the directory attribute of a link
// to a directory (or a junction) is set all the same.
bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw WindowsError(Operation::kOpen, path, ::GetLastError());
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace System
