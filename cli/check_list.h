// Checksum lists as `tallix-report --check` reads them. A list is of one of
// two kinds, and every line of it is read as that kind:
//   CRC32 CRC16 SIZE PATH   the lines `tallix-report --brief` writes; a line
//                           starting with a backslash has an escaped PATH
//   PATH CRC32              SFV: PATH, one space or tab, the CRC-32; PATH is
//                           everything before that separator, spaces at its
//                           ends included
// The kind is decided by the list's first line that names a file: SFV when
// a ';' comment came before it (the header SFV writers put first, which
// --brief never writes) or when it has only the SFV shape; --brief
// otherwise. Hexadecimal digits may be of either case. Blank lines and
// lines starting with ';' are passed over; a line may end in CRs before
// its '\n' (CR LF, or CR CR LF as some tools write it); a UTF-8 byte-order
// mark before the first line is passed over.
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
    // SFV: `path` without the spaces and tabs at its end, to be tried when
    // `path` does not exist (lists padded with several blanks before the
    // CRC); empty when it is `path` itself.
    std::string trimmedPath;
};

struct ListLine {
    enum class Kind { kEntry, kIgnored, kMalformed };
    Kind kind = Kind::kIgnored;
    ListEntry entry;  // for kEntry
};

enum class ListKind { kBrief, kSfv };

// The lines of `text`, without their '\n'. A last line without one is a
// line too; nothing follows a final '\n'.
std::vector<std::string_view> SplitLines(std::string_view text);

// What one line (without its '\n') of a list of `kind` says. An invalid
// escape, a size beyond 64 bits or an empty path makes a line malformed,
// as does a NUL byte anywhere.
ListLine ParseListLine(std::string_view line, ListKind kind);

// Every line of the list `text`, in order (line N is element N - 1), each
// read as the list's kind.
std::vector<ListLine> ParseList(std::string_view text);

}  // namespace Cli
