// Checksum lists as `tallix-report --check` reads them, a line at a time.
// Each line is read in its own form, whatever the lines before it had, so
// that lists appended to one another are read whole. The forms:
//   CRC32 CRC16 SIZE PATH   the lines `tallix-report --brief` writes
//   CRC32  PATH, CRC32 *PATH
//                           what checksum tools write (text or binary mode)
//   CRC32 (PATH) = CRC32    the BSD tag form
//   CRC32<TAB>PATH          what Debian's crc32 writes
//   PATH CRC32              SFV: PATH is everything before the one space or
//                           tab before the CRC, blanks at its ends included
//   a table                 a header naming CRC32, Size and Name columns, a
//                           rule of dashes under it, a row a file and a
//                           closing rule, as archivers' hash commands print;
//                           the text around tables (the totals under the
//                           closing rule, the banner above the header) is
//                           passed over
//   CRC32                   alone, as the first line naming a file: the
//                           checksum of the file named like the list without
//                           its last extension ("a.bin" for "a.bin.crc32")
// In the --brief, checksum-tool and tag forms a line starting with a
// backslash has an escaped PATH. A line that reads in two forms is read in
// the form of the last line that named a file, else in the first form of
// the order above; after a ';' comment (the header SFV writers put first)
// SFV comes first. Hexadecimal digits may be of either case. Blank lines,
// lines starting with ';', '#' or "//" are passed over (in SFV a '#' line
// shaped as an entry is one: a name may start so); a line may end in CRs
// (CR LF, or CR CR LF as some tools write it). A line of no form is
// malformed, known so once a line naming a file (or the list's end) shows
// it was not the text above a table. The text comes decoded
// (cli/list_decoder.h), without byte-order marks.
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
    std::optional<std::int64_t> size;  // --brief lines and tables only
    // SFV: `path` without the spaces and tabs at its end, to be tried when
    // `path` does not exist (lists padded with several blanks before the
    // CRC); empty when it is `path` itself.
    std::string trimmedPath;
};

struct ListLine {
    enum class Kind { kEntry, kIgnored, kMalformed };
    Kind kind = Kind::kIgnored;
    ListEntry entry;  // for kEntry
    // The numbers of earlier lines now known to be malformed: lines of no
    // form before the list's form was decided are held back, as they may
    // be the text an archiver prints above its table.
    std::vector<std::uint64_t> malformedBefore;
};

// The forms a line of a list may have.
enum class ListKind { kBrief, kSfv, kDigest, kTagged, kTabbed, kTable, kCrcOnly };

// What one line (without its '\n') says read as `kind`, one of the forms
// that stand alone (--brief, SFV, checksum tool, tag, tab). An invalid escape, a
// size beyond 64 bits or an empty path makes a line malformed, as does a
// NUL byte anywhere.
ListLine ParseListLine(std::string_view line, ListKind kind);

// Reads the lines of one list in order, keeping only what the lines to
// come need: the form used last, a table's columns, the lines held back.
class ListParser {
  public:
    // `listPath` as given, to name the file of a list holding a CRC alone.
    explicit ListParser(const std::string& listPath);

    // What the list's next line (without its '\n') says.
    ListLine Parse(std::string_view line);

    // Passes over the list's next line, not read (too long to hold), so
    // that the lines after it keep their numbers; returns the lines held
    // back before it, now known malformed.
    std::vector<std::uint64_t> Skip();

    // The lines still held back at the end of the list: malformed.
    std::vector<std::uint64_t> Finish();

  private:
    struct Table {
        std::vector<std::string> columns;  // the header's names, Name last
        std::size_t crcColumn = 0;
        std::size_t sizeColumn = 0;
        std::uint64_t header = 0;   // the header's line number
        std::size_t nameStart = 0;  // where a row's name starts
        std::size_t crcStart = 0;   // the CRC column's place, from its rule
        std::size_t crcEnd = 0;
        // kAfter: past the closing rule, in the text that follows a table.
        enum class Stage { kRule, kRows, kAfter } stage = Stage::kRule;
    };

    bool InTable() const;
    std::optional<ListLine> EntryOf(std::string_view line, bool hashComment);
    ListLine FreeLine(std::string_view line);
    bool StartTable(std::string_view line);
    bool IsTableSum(std::string_view line) const;
    ListLine TableLine(std::string_view line);
    ListLine Hold();

    std::uint64_t number_ = 0;           // of the line being read
    std::optional<ListKind> preferred_;  // the form of the last entry, or SFV after a ';' line
    bool entries_ = false;               // a line named a file
    std::vector<std::uint64_t> held_;
    bool holding_ = true;  // false once too many lines were held
    std::string crcOnlyName_;
    std::optional<Table> table_;  // from a table's header to the next entry of another form
};

}  // namespace Cli
