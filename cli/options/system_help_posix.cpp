#include "cli/options/system_help.h"

#include "platform/system/os/translation.h"

namespace Cli::SystemHelp {

const char* const kWalk = System::TrLater(
    "in byte order, hidden ones included; links to directories,\n"
    "FIFOs, sockets and devices found there are passed over\n");

const char* const kListsFromHere = System::TrLater(
    "directory (from the current directory when the LIST is -,\n"
    "a FIFO, /dev/stdin, /dev/fd/N or /proc/self/fd/N)\n");

const char* const kNames = System::TrLater(
    "A name holding a backslash, newline or carriage return is printed with \\\\, \\n\n"
    "and \\r in their place, on a line that starts with a backslash. On a terminal,\n"
    "and in messages (there without the leading backslash), other control\n"
    "characters and bytes that are not UTF-8 are escaped too (\\t, \\x1B, \\xFF,\n"
    "\\u202E).\n");

}  // namespace Cli::SystemHelp
