#include <unistd.h>

#include <algorithm>
#include <string_view>

#include "cli/system/streams.h"

namespace Cli::Os {
namespace {

bool IsNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

bool NamesOwnDescriptor(const std::string& path) {
    const std::string_view name(path);
    if (name == "/dev/stdin" || name == "/dev/stdout" || name == "/dev/stderr") {
        return true;
    }
    for (const std::string_view directory :
         {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/"}) {
        if (name.starts_with(directory) && IsNumber(name.substr(directory.size()))) {
            return true;
        }
    }
    return false;
}

}  // namespace Cli::Os
