// Text as this system writes it to terminals and text files.
#pragma once

namespace Cli::Os {

// The end of a line of text: "\n" on POSIX, "\r\n" on Windows.
extern const char kLineEnd[];

}  // namespace Cli::Os
