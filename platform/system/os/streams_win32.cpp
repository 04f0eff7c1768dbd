#include <io.h>

#include "platform/system/os/streams.h"

namespace System {

// A C runtime descriptor that is a console (or another character device).
bool IsTerminal(int fd) {
    return ::_isatty(fd) != 0;
}

// Windows has no paths for the process's own descriptors (/dev/fd/N).
bool NamesOwnDescriptor(const std::string& /*path*/) {
    return false;
}

}  // namespace System
