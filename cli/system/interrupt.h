// What the process writes when it is interrupted (Ctrl+C, SIGINT, SIGTERM,
// Ctrl+Break, the console closed): a line of its own on a terminal, such
// as a progress line, would otherwise stay there.
#pragma once

#include <cstddef>
#include <string_view>

namespace Cli::Os {

// From now on an interrupt writes `text` (at most kLongestInterruptText
// bytes) to standard error, then ends the process as the interrupt would
// have: by the signal on POSIX (a shell shows 130 for SIGINT, 143 for
// SIGTERM), with status 130 (Ctrl+C) or 143 (the others) on Windows. An
// interrupt the process was started ignoring stays ignored.
inline constexpr std::size_t kLongestInterruptText = 32;
void WriteOnInterrupt(std::string_view text);

}  // namespace Cli::Os
