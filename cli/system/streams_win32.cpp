#include <io.h>

#include "cli/system/streams.h"

namespace Cli::Os {

// A C runtime descriptor that is a console (or another character device).
bool IsTerminal(int fd) {
    return ::_isatty(fd) != 0;
}

// Windows has no paths for the process's own descriptors (/dev/fd/N).
bool NamesOwnDescriptor(const std::string& /*path*/) {
    return false;
}

}  // namespace Cli::Os
