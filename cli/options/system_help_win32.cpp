#include "cli/options/system_help.h"

#include "platform/system/os/translation.h"

namespace Cli::SystemHelp {

const char* const kWalk = System::TrLater(
    "in byte order, hidden ones included, \\ between names;\n"
    "links and junctions to directories found there are\n"
    "passed over\n");

const char* const kListsFromHere = System::TrLater(
    "directory (from the current directory when the LIST is -\n"
    "or a pipe)\n");

const char* const kNames = System::TrLater(
    "A FILE or LIST holding * or ? in its last name, quoted or not, stands for the\n"
    "files in its folder that match it, in byte order, and for the folders too\n"
    "with -r; one that matches none is an error. A quoted FILE ending in \\\n"
    "(\"C:\\data\\\") is the folder it names.\n"
    "\n"
    "On a terminal, and in messages, a name holding a character a terminal would\n"
    "act on (\\u202E, \\u009B) or half a surrogate pair (\\xED\\xA0\\x80) is printed\n"
    "with escapes, every backslash doubled, on a line that starts with a backslash.\n");

}  // namespace Cli::SystemHelp
