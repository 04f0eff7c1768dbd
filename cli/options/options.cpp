#include "cli/options/options.h"

#include <algorithm>
#include <utility>

#include "cli/lists/list_decoder.h"
#include "cli/options/system_help.h"
#include "cli/output/escape.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

// The parts that differ between systems (system_help.h) stand at their
// %MARK%s.
constexpr const char* kUsage = Platform::TrLater(
    "Usage: tallix-report [--brief | --sfv] [-r] [--files-from FILE [--null]] FILE...\n"
    "  or:  tallix-report --check [--quiet] [--ignore-missing]\n"
    "               [--list-encoding NAME] [LIST...]\n"
    "  or:  tallix-report --crc16-family | --identify HEX | --appended[32] le|be\n"
    "               [--range OFFSET:LENGTH] FILE...\n"
    "Print the CRC-32 and CRC-16 of each FILE, read whole, with the time each stage\n"
    "took; or check the files named in each LIST against the checksums it gives.\n"
    "A FILE or LIST of - is standard input, read to its end (once a run), as is a\n"
    "FILE that is a FIFO or pipe.\n"
    "\n"
    "  --brief           one line a file: CRC32 CRC16 SIZE PATH, without timings\n"
    "  --sfv             an SFV list: a ';' comment, then one line a file: PATH CRC32\n"
    "                    (a name holding a newline, or starting with ';', cannot be\n"
    "                    written in it and is an error for that file; - is refused)\n"
    "  -r, --recursive   report the files in each directory FILE and below, by name\n"
    "%WALK%"
    "  --files-from FILE\n"
    "                    report the files named in FILE too, one a line (- for\n"
    "                    standard input; a name - there is a file)\n"
    "  --null            with --files-from, names end in a NUL byte, not a newline\n"
    "  --list-encoding NAME\n"
    "                    read LISTs and the --files-from FILE as NAME (cp1252,\n"
    "                    UTF-16LE...; Shift_JIS, SJIS, MS_Kanji, Windows-31J as\n"
    "                    cp932); by default UTF-8 or UTF-16 as a byte-order mark\n"
    "                    or the NUL bytes show, other bytes as they are (on\n"
    "                    Windows, in the ANSI code page, then in the OEM one for a\n"
    "                    name not found); a byte-order mark starting a line is\n"
    "                    dropped\n"
    "  -c, --check       read each LIST (standard input when none is named) and\n"
    "                    print PATH: OK or PATH: FAILED (what differed) for each\n"
    "                    line naming a file, each line in its own form: --brief\n"
    "                    lines; 'CRC32  PATH' or 'CRC32 *PATH'; 'CRC32 (PATH) =\n"
    "                    CRC32'; 'CRC32<TAB>PATH'; SFV lines: PATH, a space or\n"
    "                    tab, CRC32; CRC32/Size/Name tables, the text around\n"
    "                    them passed over; or, first, a lone CRC32 for the file\n"
    "                    named as the LIST without its extension. A line that\n"
    "                    reads in two forms takes the form of the last line\n"
    "                    naming a file. Blank lines and lines starting with ';',\n"
    "                    '#' or '//' are comments; a line of no form or longer\n"
    "                    than 262144 bytes is reported and fails the run. A\n"
    "                    relative PATH is looked for in the current directory\n"
    "                    when it is not in the LIST's\n"
    "%LISTS%"
    "  --quiet           with --check, print only the files that failed\n"
    "  --ignore-missing  with --check, pass over listed files that do not exist\n"
    "  -j, --jobs N      with --brief, --sfv or --check, read N files at once (a\n"
    "                    single large file in N parts); the output is the same\n"
    "                    whatever N. Default: the CPUs the run may use, or 1 when\n"
    "                    the first file lies on a rotational disk and is not all\n"
    "                    in memory; fewer where an address-space limit would not\n"
    "                    hold N. The full report reads one file at a time\n"
    "  --no-progress     no progress line on standard error (shown only when it is\n"
    "                    a terminal and the run has taken a second)\n"
    "  --range OFFSET:LENGTH\n"
    "                    checksum only LENGTH bytes from OFFSET (either may be 0x\n"
    "                    hex); a LENGTH of -N takes all but the last N bytes. A\n"
    "                    file that does not hold the range is an error for it\n"
    "  --crc16-family    each CRC-16 of polynomial 0x1021 in the public catalogue\n"
    "                    (MCRF4XX, IBM-SDLC, KERMIT, RIELLO, TMS37157,\n"
    "                    ISO-IEC-14443-3-A, IBM-3740, SPI-FUJITSU, XMODEM, GENIBUS,\n"
    "                    GSM), also with its bytes swapped\n"
    "  --identify HEX    name each of those, and the CRC-32, that gives HEX, as it\n"
    "                    is or with its bytes swapped\n"
    "  --appended le|be  the last two bytes, little- or big-endian, hold a CRC-16\n"
    "                    of the rest: name each member it is, checked by value and,\n"
    "                    in the member's own byte order, by residue\n"
    "  --appended32 le|be\n"
    "                    the same for a CRC-32 in the last four bytes\n"
    "  --help, -?, /?    show this help and exit\n"
    "  --version         show the version and exit\n"
    "  --                treat every later argument as a FILE or LIST\n"
    "\n"
    "%NAMES%"
    "\n"
    "Exit status: 0 when every file was reported (or matched), 1 when any file\n"
    "failed or could not be read, a line of a LIST could not be read, a directory\n"
    "could not be walked, no listed file was found with --ignore-missing, no CRC\n"
    "gave the --identify HEX or matched an appended one, or output could not be\n"
    "written; 2 for a usage error (a --range beyond 2^63 too), a LIST or\n"
    "--files-from FILE that cannot be read to its end, or a LIST that holds no\n"
    "checksum line.\n");

// Why `options` cannot run together, or nothing.
std::optional<std::string> Conflict(const Options& options) {
    if (options.check && options.format != Format::kFull) {
        return Platform::Tr("--check cannot be used with --brief or --sfv");
    }
    if (options.check && (options.recursive || options.filesFrom)) {
        return Platform::Tr("--recursive and --files-from apply only to reports, not to --check");
    }
    if (!options.check && (options.quiet || options.ignoreMissing)) {
        return Platform::Tr("--quiet and --ignore-missing apply only to --check");
    }
    if (!options.listEncoding.empty() && !options.check && !options.filesFrom) {
        return Platform::Tr("--list-encoding applies only to --check and --files-from");
    }
    if (options.nullSeparated && !options.filesFrom) {
        return Platform::Tr("--null applies only to --files-from");
    }
    if (options.family != FamilyMode::kNone && (options.check || options.format != Format::kFull)) {
        return Platform::Tr(
            "--crc16-family, --identify and --appended cannot be used with --brief, --sfv or "
            "--check");
    }
    if (options.range && (options.check || options.format == Format::kSfv)) {
        return Platform::Tr(
            "--range cannot be used with --check or --sfv: their lists are of whole files");
    }
    if (options.names.empty() && !options.filesFrom) {
        return Platform::Tr("no file named");
    }
    const auto readsInput = std::count(options.names.begin(), options.names.end(), kStandardInput) +
                            (options.filesFrom == kStandardInput ? 1 : 0);
    if (readsInput > 1) {
        return Platform::Tr("standard input ('-') can be read only once");
    }
    if (options.format == Format::kSfv &&
        std::count(options.names.begin(), options.names.end(), kStandardInput) > 0) {
        // A line "- CRC" would be checked against a file of that name. (The
        // names --files-from reads there are files.)
        return Platform::Tr("standard input ('-') has no name to give it in an SFV list");
    }
    return std::nullopt;
}

// The N of -j N: a whole number from 1 to kMostJobs.
constexpr unsigned kMostJobs = 1024;

unsigned JobCount(const std::string& text) {
    unsigned count = 0;
    for (const char digit : text) {
        if (digit < '0' || digit > '9' || count > kMostJobs) {
            count = 0;
            break;
        }
        count = count * 10 + static_cast<unsigned>(digit - '0');
    }
    if (count < 1 || count > kMostJobs) {
        throw UsageError(
            Platform::Filled(Platform::Tr("invalid number of jobs '{1}' (1 to {2})"),
                             {EscapedName(text, NameStyle::kTerminal), std::to_string(kMostJobs)}));
    }
    return count;
}

// Sets `format`, refusing a second, different one.
void SetFormat(Options& options, Format format) {
    if (options.format != Format::kFull && options.format != format) {
        throw UsageError(Platform::Tr("--brief and --sfv cannot be used together"));
    }
    options.format = format;
}

// Sets the family mode, refusing a second one.
void SetFamily(Options& options, FamilyMode mode) {
    if (options.family != FamilyMode::kNone) {
        throw UsageError(
            Platform::Tr("only one of --crc16-family, --identify and --appended can be used"));
    }
    options.family = mode;
}

// The value of `option` when `args[at]` is it (the next argument, `at`
// moved past it) or "option=VALUE"; nothing for another argument.
std::optional<std::string> ValueOf(std::string_view option, const std::vector<std::string>& args,
                                   std::size_t& at) {
    const std::string& arg = args[at];
    if (arg == option) {
        if (++at == args.size()) {
            throw UsageError(Platform::Filled(Platform::Tr("{1} needs a value"), {option}));
        }
        return args[at];
    }
    if (arg.starts_with(option) && arg.size() > option.size() && arg[option.size()] == '=') {
        return arg.substr(option.size() + 1);
    }
    return std::nullopt;
}

// The HEX of --identify: one to eight hex digits, 0x allowed before them.
std::uint32_t SoughtValue(std::string_view text) {
    const std::string_view digits =
        text.starts_with("0x") || text.starts_with("0X") ? text.substr(2) : text;
    std::uint32_t value = 0;
    const bool valid = !digits.empty() && digits.size() <= 8 &&
                       std::all_of(digits.begin(), digits.end(), [&value](char c) {
                           const int digit = c >= '0' && c <= '9'   ? c - '0'
                                             : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                    : -1;
                           value = value << 4 | static_cast<std::uint32_t>(digit & 0xF);
                           return digit >= 0;
                       });
    if (!valid) {
        throw UsageError(Platform::Filled(
            Platform::Tr("invalid checksum '{1}' for --identify (1 to 8 hex digits)"),
            {EscapedName(text, NameStyle::kTerminal)}));
    }
    return value;
}

void SetAppended(Options& options, const std::string& order, unsigned bytes) {
    if (order != "le" && order != "be") {
        throw UsageError(Platform::Filled(Platform::Tr("invalid byte order '{1}' (le or be)"),
                                          {EscapedName(order, NameStyle::kTerminal)}));
    }
    SetFamily(options, FamilyMode::kAppended);
    options.appendedBytes = bytes;
    options.appendedBigEndian = order == "be";
}

}  // namespace

Options ParseArguments(const std::vector<std::string>& args) {
    Options options;
    bool onlyNames = false;
    constexpr std::string_view kFilesFrom = "--files-from";
    constexpr std::string_view kListEncoding = "--list-encoding";
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& arg = args[at];
        if (!onlyNames && (arg == "-?" || arg == "/?")) {
            options.help = true;  // as Windows programs are asked
        } else if (onlyNames || arg.size() < 2 || arg.front() != '-') {
            options.names.push_back(arg);
        } else if (arg == "--") {
            onlyNames = true;
        } else if (arg == "--brief") {
            SetFormat(options, Format::kBrief);
        } else if (arg == "--sfv") {
            SetFormat(options, Format::kSfv);
        } else if (arg == "--check" || arg == "-c") {
            options.check = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--ignore-missing") {
            options.ignoreMissing = true;
        } else if (arg == "--recursive" || arg == "-r") {
            options.recursive = true;
        } else if (arg == "--null") {
            options.nullSeparated = true;
        } else if (arg == kFilesFrom || arg.starts_with(std::string(kFilesFrom) + "=")) {
            if (options.filesFrom) {
                throw UsageError(Platform::Tr("--files-from can be given only once"));
            }
            if (arg == kFilesFrom && ++at == args.size()) {
                throw UsageError(Platform::Tr("--files-from needs a FILE"));
            }
            options.filesFrom = arg == kFilesFrom ? args[at] : arg.substr(kFilesFrom.size() + 1);
        } else if (arg == kListEncoding || arg.starts_with(std::string(kListEncoding) + "=")) {
            if (arg == kListEncoding && ++at == args.size()) {
                throw UsageError(Platform::Tr("--list-encoding needs a NAME"));
            }
            options.listEncoding =
                arg == kListEncoding ? args[at] : arg.substr(kListEncoding.size() + 1);
            if (!ListDecoder::KnowsEncoding(options.listEncoding)) {
                throw UsageError(
                    Platform::Filled(Platform::Tr("unknown encoding '{1}'"),
                                     {EscapedName(options.listEncoding, NameStyle::kTerminal)}));
            }
        } else if (arg == "-j" || arg == "--jobs") {
            if (++at == args.size()) {
                throw UsageError(Platform::Filled(Platform::Tr("{1} needs a number"), {arg}));
            }
            options.jobs = JobCount(args[at]);
        } else if (arg.starts_with("--jobs=") ||
                   (arg.starts_with("-j") && !arg.starts_with("--"))) {
            options.jobs = JobCount(arg.substr(arg.starts_with("--jobs=") ? 7 : 2));
        } else if (const auto range = ValueOf("--range", args, at)) {
            options.range = ParseRange(*range);
        } else if (arg == "--crc16-family") {
            SetFamily(options, FamilyMode::kList);
        } else if (const auto sought = ValueOf("--identify", args, at)) {
            SetFamily(options, FamilyMode::kIdentify);
            options.identify = SoughtValue(*sought);
        } else if (const auto order = ValueOf("--appended", args, at)) {
            SetAppended(options, *order, 2);
        } else if (const auto order32 = ValueOf("--appended32", args, at)) {
            SetAppended(options, *order32, 4);
        } else if (arg == "--no-progress") {
            options.progress = false;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            throw UsageError(Platform::Filled(Platform::Tr("unrecognised option '{1}'"),
                                              {EscapedName(arg, NameStyle::kTerminal)}));
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.check && options.names.empty()) {
        options.names.emplace_back(kStandardInput);  // a list piped in, as checksum tools read it
    }
    if (const std::optional<std::string> conflict = Conflict(options)) {
        throw UsageError(*conflict);
    }
    return options;
}

std::string_view UsageText() {
    static const std::string text = [] {
        std::string usage(Platform::Tr(kUsage));
        for (const auto& [mark, part] : {std::pair{"%WALK%", SystemHelp::kWalk},
                                         std::pair{"%LISTS%", SystemHelp::kListsFromHere},
                                         std::pair{"%NAMES%", SystemHelp::kNames}}) {
            // A translation that lost a mark goes without that part.
            const std::size_t at = usage.find(mark);
            if (at != std::string::npos) {
                usage.replace(at, std::string_view(mark).size(), Platform::Tr(part));
            }
        }
        return usage;
    }();
    return text;
}

}  // namespace Cli
