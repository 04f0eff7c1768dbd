#include <sys/stat.h>

#include <cerrno>

#include "platform/system/os/entry_type.h"
#include "platform/system/os/error.h"

namespace System {

bool IsDirectory(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw SystemError(Operation::kOpen, path, errno);
    }
    return S_ISDIR(status.st_mode);
}

}  // namespace System
