#include "cli/options/option_table.h"

#include <algorithm>
#include <cstdint>

#include "cli/lists/list_decoder.h"
#include "cli/options/byte_range.h"
#include "cli/options/system_help.h"
#include "cli/output/escape.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

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
            System::Filled(System::Tr("invalid number of jobs '{1}' (1 to {2})"),
                           {EscapedName(text, NameStyle::kTerminal), std::to_string(kMostJobs)}));
    }
    return count;
}

// Sets `format`, refusing a second, different one.
void SetFormat(Options& options, Format format) {
    if (options.format != Format::kFull && options.format != format) {
        throw UsageError(System::Tr("--brief and --sfv cannot be used together"));
    }
    options.format = format;
}

// Sets the family mode, refusing a second one.
void SetFamily(Options& options, FamilyMode mode) {
    if (options.family != FamilyMode::kNone) {
        throw UsageError(
            System::Tr("only one of --crc16-family, --identify and --appended can be used"));
    }
    options.family = mode;
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
        throw UsageError(
            System::Filled(System::Tr("invalid checksum '{1}' for --identify (1 to 8 hex digits)"),
                           {EscapedName(text, NameStyle::kTerminal)}));
    }
    return value;
}

void SetAppended(Options& options, const std::string& order, unsigned bytes) {
    if (order != "le" && order != "be") {
        throw UsageError(System::Filled(System::Tr("invalid byte order '{1}' (le or be)"),
                                        {EscapedName(order, NameStyle::kTerminal)}));
    }
    SetFamily(options, FamilyMode::kAppended);
    options.appendedBytes = bytes;
    options.appendedBigEndian = order == "be";
}

void SetListEncoding(Options& options, const std::string& name) {
    options.listEncoding = name;
    if (!ListDecoder::KnowsEncoding(name)) {
        throw UsageError(System::Filled(System::Tr("unknown encoding '{1}'"),
                                        {EscapedName(name, NameStyle::kTerminal)}));
    }
}

using Value = const std::string&;

constexpr OptionRow kOptions[] = {
    {.spellings = {"--brief"},
     .set = [](Options& o, Value) { SetFormat(o, Format::kBrief); },
     // Translators: each option's lines of --help are a message like this
     // one, as many lines as the language needs, without the column of the
     // option's names, which is put before them.
     .help = System::TrLater("one line a file: CRC32 CRC16 SIZE PATH, without timings\n")},
    {.spellings = {"--sfv"},
     .set = [](Options& o, Value) { SetFormat(o, Format::kSfv); },
     .help = System::TrLater("an SFV list: a ';' comment, then one line a file: PATH CRC32\n"
                             "(a name holding a newline, or starting with ';', cannot be\n"
                             "written in it and is an error for that file; - is refused)\n")},
    {.spellings = {"-r", "--recursive"},
     .set = [](Options& o, Value) { o.recursive = true; },
     .help = System::TrLater("report the files in each directory FILE and below, by name\n"),
     .systemHelp = &SystemHelp::kWalk},
    {.spellings = {"--files-from"},
     .takes = Takes::kFile,
     .valueName = "FILE",
     .once = true,
     .set = [](Options& o, Value file) { o.filesFrom = file; },
     .help = System::TrLater("report the files named in FILE too, one a line (- for\n"
                             "standard input; a name - there is a file)\n")},
    {.spellings = {"--null"},
     .set = [](Options& o, Value) { o.nullSeparated = true; },
     .help = System::TrLater("with --files-from, names end in a NUL byte, not a newline\n")},
    {.spellings = {"--list-encoding"},
     .takes = Takes::kName,
     .valueName = "NAME",
     .set = SetListEncoding,
     .help = System::TrLater("read LISTs and the --files-from FILE as NAME (cp1252,\n"
                             "UTF-16LE...; Shift_JIS, SJIS, MS_Kanji, Windows-31J as\n"
                             "cp932); by default UTF-8 or UTF-16 as a byte-order mark\n"
                             "or the NUL bytes show, other bytes as they are (on\n"
                             "Windows, in the ANSI code page, then in the OEM one for a\n"
                             "name not found); a byte-order mark starting a line is\n"
                             "dropped\n")},
    {.spellings = {"-c", "--check"},
     .set = [](Options& o, Value) { o.check = true; },
     .help = System::TrLater("read each LIST (standard input when none is named) and\n"
                             "print PATH: OK or PATH: FAILED (what differed) for each\n"
                             "line naming a file, each line in its own form: --brief\n"
                             "lines; 'CRC32  PATH' or 'CRC32 *PATH'; 'CRC32 (PATH) =\n"
                             "CRC32'; 'CRC32<TAB>PATH'; SFV lines: PATH, a space or\n"
                             "tab, CRC32; CRC32/Size/Name tables, the text around\n"
                             "them passed over; or, first, a lone CRC32 for the file\n"
                             "named as the LIST without its extension. A line that\n"
                             "reads in two forms takes the form of the last line\n"
                             "naming a file. Blank lines and lines starting with ';',\n"
                             "'#' or '//' are comments; a line of no form or longer\n"
                             "than 262144 bytes is reported and fails the run. A\n"
                             "relative PATH is looked for in the current directory\n"
                             "when it is not in the LIST's\n"),
     .systemHelp = &SystemHelp::kListsFromHere},
    {.spellings = {"--quiet"},
     .set = [](Options& o, Value) { o.quiet = true; },
     .help = System::TrLater("with --check, print only the files that failed\n")},
    {.spellings = {"--ignore-missing"},
     .set = [](Options& o, Value) { o.ignoreMissing = true; },
     .help = System::TrLater("with --check, pass over listed files that do not exist\n")},
    {.spellings = {"-j", "--jobs"},
     .takes = Takes::kNumber,
     .valueName = "N",
     .set = [](Options& o, Value count) { o.jobs = JobCount(count); },
     .help = System::TrLater("with --brief, --sfv or --check, read N files at once (a\n"
                             "single large file in N parts); the output is the same\n"
                             "whatever N. Default: the CPUs the run may use, or 1 when\n"
                             "the first file lies on a rotational disk and is not all\n"
                             "in memory; fewer where an address-space limit would not\n"
                             "hold N. The full report reads one file at a time\n")},
    {.spellings = {"--no-progress"},
     .set = [](Options& o, Value) { o.progress = false; },
     .help = System::TrLater("no progress line on standard error (shown only when it is\n"
                             "a terminal and the run has taken a second)\n")},
    {.spellings = {"--range"},
     .takes = Takes::kValue,
     .valueName = "OFFSET:LENGTH",
     .set = [](Options& o, Value range) { o.range = ParseRange(range); },
     .help = System::TrLater("checksum only LENGTH bytes from OFFSET (either may be 0x\n"
                             "hex); a LENGTH of -N takes all but the last N bytes. A\n"
                             "file that does not hold the range is an error for it\n")},
    {.spellings = {"--crc16-family"},
     .set = [](Options& o, Value) { SetFamily(o, FamilyMode::kList); },
     .help = System::TrLater("each CRC-16 of polynomial 0x1021 in the public catalogue\n"
                             "(MCRF4XX, IBM-SDLC, KERMIT, RIELLO, TMS37157,\n"
                             "ISO-IEC-14443-3-A, IBM-3740, SPI-FUJITSU, XMODEM, GENIBUS,\n"
                             "GSM), also with its bytes swapped\n")},
    {.spellings = {"--identify"},
     .takes = Takes::kValue,
     .valueName = "HEX",
     .set =
         [](Options& o, Value sought) {
             SetFamily(o, FamilyMode::kIdentify);
             o.identify = SoughtValue(sought);
         },
     .help = System::TrLater("name each of those, and the CRC-32, that gives HEX, as it\n"
                             "is or with its bytes swapped\n")},
    {.spellings = {"--appended"},
     .takes = Takes::kValue,
     .valueName = "le|be",
     .set = [](Options& o, Value order) { SetAppended(o, order, 2); },
     .help = System::TrLater("the last two bytes, little- or big-endian, hold a CRC-16\n"
                             "of the rest: name each member it is, checked by value and,\n"
                             "in the member's own byte order, by residue\n")},
    {.spellings = {"--appended32"},
     .takes = Takes::kValue,
     .valueName = "le|be",
     .set = [](Options& o, Value order) { SetAppended(o, order, 4); },
     .help = System::TrLater("the same for a CRC-32 in the last four bytes\n")},
    // -? and /? as Windows programs are asked.
    {.spellings = {"--help", "-?", "/?"},
     .set = [](Options& o, Value) { o.help = true; },
     .help = System::TrLater("show this help and exit\n")},
    {.spellings = {"--version"},
     .set = [](Options& o, Value) { o.version = true; },
     .help = System::TrLater("show the version and exit\n")},
    {.spellings = {kEndOfOptions},
     .help = System::TrLater("treat every later argument as a FILE or LIST\n")},
};

}  // namespace

std::span<const OptionRow> OptionTable() {
    return kOptions;
}

std::string OptionColumn(const OptionRow& option) {
    std::string column;
    for (const std::string_view spelling : option.spellings) {
        if (!spelling.empty()) {
            column.append(column.empty() ? "" : ", ").append(spelling);
        }
    }
    if (!option.valueName.empty()) {
        column.append(" ").append(option.valueName);
    }
    return column;
}

}  // namespace Cli
