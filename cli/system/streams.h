// The process's own streams: whether one is shown on a terminal, and the
// paths that name a descriptor the process already holds.
#pragma once

#include <string>

namespace Cli::Os {

// Whether the open descriptor `fd` is a terminal.
bool IsTerminal(int fd);

// Whether `path` names one of the process's open descriptors rather than a
// file of its own: /dev/stdin, /dev/fd/N, /proc/self/fd/N and the like.
// What such a path leads to is a stream (a pipe, a redirected file) whose
// place says nothing of the names it holds.
bool NamesOwnDescriptor(const std::string& path);

}  // namespace Cli::Os
