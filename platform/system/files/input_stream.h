// A stream the program reads to its end, such as standard input or a pipe:
// a file descriptor on POSIX, a HANDLE on Windows, held in an integer wide
// enough for either so the callers stay free of system types.
#pragma once

#include <cstdint>

namespace System {

struct InputStream {
    std::intptr_t handle;
};

// The process's standard input.
InputStream StandardInput();

}  // namespace System
