#include "cli/options.h"

#include <algorithm>

#include "cli/escape.h"

namespace Cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: tallix-report [--brief] FILE...\n"
    "  or:  tallix-report --check [--quiet] LIST...\n"
    "Print the CRC-32 and CRC-16 of each FILE, read whole, with the time each stage\n"
    "took; or check the files named in each LIST against the checksums it gives.\n"
    "A FILE or LIST of - is standard input, read to its end (once a run).\n"
    "\n"
    "  --brief      one line a file: CRC32 CRC16 SIZE PATH, without timings\n"
    "  -c, --check  read each LIST (--brief lines, or SFV lines: PATH CRC32, with ';'\n"
    "               comments) and print PATH: OK or PATH: FAILED (what differed);\n"
    "               a relative PATH is taken from the LIST's directory (from the\n"
    "               current directory when the LIST is - or a FIFO)\n"
    "  --quiet      with --check, print only the files that failed\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "  --           treat every later argument as a FILE or LIST\n"
    "\n"
    "A name holding a backslash, newline or carriage return is printed with \\\\, \\n\n"
    "and \\r in their place, on a line that starts with a backslash.\n"
    "\n"
    "Exit status: 0 when every file was reported (or matched), 1 when any file\n"
    "failed or could not be read, or output could not be written, 2 for a usage\n"
    "error or a LIST that cannot be read or holds no checksum line.\n";

}  // namespace

Options ParseArguments(const std::vector<std::string>& args) {
    Options options;
    bool onlyNames = false;
    for (const std::string& arg : args) {
        if (onlyNames || arg.size() < 2 || arg.front() != '-') {
            options.names.push_back(arg);
        } else if (arg == "--") {
            onlyNames = true;
        } else if (arg == "--brief") {
            options.brief = true;
        } else if (arg == "--check" || arg == "-c") {
            options.check = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            throw UsageError("unrecognised option '" + EscapedName(arg) + "'");
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.check && options.brief) {
        throw UsageError("--brief and --check cannot be used together");
    }
    if (options.quiet && !options.check) {
        throw UsageError("--quiet applies only to --check");
    }
    if (options.names.empty()) {
        throw UsageError(options.check ? "no list named" : "no file named");
    }
    if (std::count(options.names.begin(), options.names.end(), kStandardInput) > 1) {
        throw UsageError("standard input ('-') can be read only once");
    }
    return options;
}

std::string_view UsageText() {
    return kUsage;
}

}  // namespace Cli
