// The command line of tallix-report: its options, the names it was given,
// and the help text that describes them.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options/byte_range.h"

namespace Cli {

// The name that stands for standard input, as a FILE, a LIST or the
// --files-from file.
inline constexpr std::string_view kStandardInput = "-";

// How each file is reported.
enum class Format {
    kFull,   // the window's four lines
    kBrief,  // --brief: CRC32 CRC16 SIZE PATH
    kSfv,    // --sfv: PATH CRC32 after a ';' comment header
};

// The CRC-16 family's own reports, instead of the CRC-32 and CRC-16.
enum class FamilyMode {
    kNone,
    kList,      // --crc16-family: every member, in both byte orders
    kIdentify,  // --identify HEX: the members (and the CRC-32) that give HEX
    kAppended,  // --appended, --appended32: check the CRC in the last bytes
};

struct Options {
    Format format = Format::kFull;
    bool check = false;
    bool quiet = false;                    // --check: only the files that failed
    bool ignoreMissing = false;            // --check: pass over listed files that do not exist
    bool recursive = false;                // walk directories named as FILEs
    std::optional<std::string> filesFrom;  // more FILEs, one a line (or NUL-separated)
    bool nullSeparated = false;            // --null: names in filesFrom end in NUL
    // --list-encoding: what lists and filesFrom are written in; guessed
    // from their bytes when empty (cli/lists/list_decoder.h).
    std::string listEncoding;
    unsigned jobs = 0;               // -j, --jobs: files read at once; 0 for the default
    bool progress = true;            // the progress line (--no-progress turns it off)
    std::optional<ByteRange> range;  // --range: the part of each file checksummed
    FamilyMode family = FamilyMode::kNone;
    std::uint32_t identify = 0;  // --identify: the value sought
    unsigned appendedBytes = 2;  // --appended: 2 (a CRC-16), --appended32: 4 (the CRC-32)
    bool appendedBigEndian = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> names;  // files, or lists with --check
};

// A command line that cannot be run; what() says why, names escaped.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The options and names of `args` (the arguments after the program name).
// Throws UsageError.
Options ParseArguments(const std::vector<std::string>& args);

// The text of --help.
std::string_view UsageText();

}  // namespace Cli
