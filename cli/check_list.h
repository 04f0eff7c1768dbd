// Checksum lists as `tallix-report --check` reads them. Two kinds of line
// name a file:
//   CRC32 CRC16 SIZE PATH   the lines `tallix-report --brief` writes; a line
//                           starting with a backslash has an escaped PATH
//   PATH CRC32              SFV: the CRC-32 after the last run of spaces
// Hexadecimal digits may be of either case. Blank lines and lines starting
// with ';' are passed over; a line may end in CR LF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

// One file named by a list, with what it should hold.
struct ListEntry {
    std::string path;                  // as the list gives it, unescaped
    std::string crc32;                 // 8 upper-case hex digits
    std::optional<std::string> crc16;  // 4 upper-case hex digits; --brief lines only
    std::optional<std::int64_t> size;  // --brief lines only
};

struct ListLine {
    enum class Kind { kEntry, kIgnored, kMalformed };
    Kind kind = Kind::kIgnored;
    ListEntry entry;  // for kEntry
};

// The lines of `text`, without their '\n'. A last line without one is a
// line too; nothing follows a final '\n'.
std::vector<std::string_view> SplitLines(std::string_view text);

// What one line (without its '\n') says. A line of the --brief shape is
// never read as SFV: an invalid escape, a size beyond 64 bits or an empty
// path makes it malformed. A NUL byte anywhere makes a line malformed.
ListLine ParseListLine(std::string_view line);

}  // namespace Cli
