#include "cli/lists/check_list.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <limits>
#include <utility>

#include "cli/output/escape.h"
#include "platform/system/os/directory.h"

namespace Cli {
namespace {

constexpr std::string_view kBlanks = " \t";
// Lines of no form held back before a list's form is decided: more than an
// archiver prints above its table.
constexpr std::size_t kMostHeld = 64;

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// `count` hex digits at the start of `text`, upper-cased.
std::optional<std::string> HexAt(std::string_view text, std::size_t count) {
    if (text.size() < count || !std::all_of(text.begin(), text.begin() + count, IsHexDigit)) {
        return std::nullopt;
    }
    std::string digits(text.substr(0, count));
    for (char& c : digits) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return digits;
}

// `text` when it is a CRC-32 and nothing else.
std::optional<std::string> Crc32Of(std::string_view text) {
    return text.size() == 8 ? HexAt(text, 8) : std::nullopt;
}

std::optional<std::int64_t> SizeOf(std::string_view digits) {
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit)) {
        return std::nullopt;
    }
    std::int64_t size = 0;
    for (const char c : digits) {
        const int digit = c - '0';
        if (size > (std::numeric_limits<std::int64_t>::max() - digit) / 10) {
            return std::nullopt;
        }
        size = size * 10 + digit;
    }
    return size;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

// The words of `text`, separated by blanks, with where each starts.
std::vector<std::pair<std::size_t, std::string_view>> Words(std::string_view text) {
    std::vector<std::pair<std::size_t, std::string_view>> words;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(kBlanks, at)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
        words.emplace_back(at, text.substr(at, end - at));
        at = end;
    }
    return words;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

ListLine Malformed() {
    return {ListLine::Kind::kMalformed, {}, {}};
}
ListLine Ignored() {
    return {ListLine::Kind::kIgnored, {}, {}};
}
ListLine Entry(ListEntry entry) {
    return {ListLine::Kind::kEntry, std::move(entry), {}};
}

// The line without the CRs before its '\n'.
std::string_view WithoutCarriageReturns(std::string_view line) {
    while (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(kBlanks) == std::string_view::npos;
}
bool IsHashComment(std::string_view line) {
    return line.starts_with('#') || line.starts_with("//");
}

// The name written after a line's leading backslash, or as it is.
std::optional<std::string> NameOf(std::string_view written, bool escaped) {
    std::optional<std::string> name =
        escaped ? UnescapedName(written) : std::optional<std::string>(written);
    return name && !name->empty() ? name : std::nullopt;
}

// "CRC32 CRC16 SIZE PATH", a leading backslash meaning PATH is escaped.
// Nothing when `line` does not have that shape.
std::optional<ListLine> ParseBriefLine(std::string_view line) {
    const bool escaped = line.starts_with('\\');
    const std::string_view body = escaped ? line.substr(1) : line;
    const auto crc32 = HexAt(body, 8);
    if (!crc32 || body.size() < 14 || body[8] != ' ' || body[13] != ' ') {
        return std::nullopt;
    }
    const auto crc16 = HexAt(body.substr(9), 4);
    if (!crc16) {
        return std::nullopt;
    }
    const std::string_view rest = body.substr(14);
    const std::size_t digits = std::find_if_not(rest.begin(), rest.end(), IsDigit) - rest.begin();
    if (digits == 0 || digits == rest.size() || rest[digits] != ' ') {
        return std::nullopt;
    }
    const auto size = SizeOf(rest.substr(0, digits));
    std::optional<std::string> path = NameOf(rest.substr(digits + 1), escaped);
    if (!size || !path) {
        return Malformed();
    }
    return Entry({std::move(*path), *crc32, *crc16, *size, {}});
}

// "CRC32  PATH" or "CRC32 *PATH", as checksum tools write them, a leading
// backslash meaning PATH is escaped. Nothing when `line` has another shape.
std::optional<ListLine> ParseDigestLine(std::string_view line) {
    const bool escaped = line.starts_with('\\');
    const std::string_view body = escaped ? line.substr(1) : line;
    const auto crc32 = HexAt(body, 8);
    if (!crc32 || body.size() < 10 || body[8] != ' ' || (body[9] != ' ' && body[9] != '*')) {
        return std::nullopt;
    }
    std::optional<std::string> path = NameOf(body.substr(10), escaped);
    if (!path) {
        return Malformed();
    }
    return Entry({std::move(*path), *crc32, std::nullopt, std::nullopt, {}});
}

// "CRC32 (PATH) = CRC32", blanks allowed after the CRC; a leading
// backslash means PATH is escaped. Nothing when `line` has another shape.
std::optional<ListLine> ParseTaggedLine(std::string_view line) {
    const bool escaped = line.starts_with('\\');
    std::string_view body = escaped ? line.substr(1) : line;
    body = body.substr(0, body.find_last_not_of(kBlanks) + 1);
    std::size_t tag = 0;
    for (const std::string_view name : {"CRC32 (", "CRC32B ("}) {
        tag = body.starts_with(name) ? name.size() : tag;
    }
    constexpr std::string_view kBetween = ") = ";
    if (tag == 0 || body.size() < tag + kBetween.size() + 8) {
        return std::nullopt;
    }
    const std::size_t crcAt = body.size() - 8;
    const auto crc32 = Crc32Of(body.substr(crcAt));
    if (!crc32 || body.substr(crcAt - kBetween.size(), kBetween.size()) != kBetween) {
        return std::nullopt;
    }
    std::optional<std::string> path =
        NameOf(body.substr(tag, crcAt - kBetween.size() - tag), escaped);
    if (!path) {
        return Malformed();
    }
    return Entry({std::move(*path), *crc32, std::nullopt, std::nullopt, {}});
}

// "CRC32<TAB>PATH", as Debian's crc32 writes it. Nothing when `line` has
// another shape.
std::optional<ListLine> ParseTabbedLine(std::string_view line) {
    const auto crc32 = HexAt(line, 8);
    if (!crc32 || line.size() < 10 || line[8] != '\t') {
        return std::nullopt;
    }
    return Entry({std::string(line.substr(9)), *crc32, std::nullopt, std::nullopt, {}});
}

// "PATH CRC32": eight hex digits after one space or tab, with spaces and
// tabs after them allowed, as hand-written lists have them. Nothing when
// `line` does not have that shape.
std::optional<ListLine> ParseSfvLine(std::string_view line) {
    const std::size_t end = line.find_last_not_of(kBlanks);
    if (end == std::string_view::npos || end < 9) {
        return std::nullopt;
    }
    const std::size_t start = end - 7;
    const auto crc32 = HexAt(line.substr(start), 8);
    if (!crc32 || !IsBlank(line[start - 1])) {
        return std::nullopt;
    }
    const std::string_view path = line.substr(0, start - 1);
    const std::string_view trimmed = path.substr(0, path.find_last_not_of(kBlanks) + 1);
    return Entry({std::string(path), *crc32, std::nullopt, std::nullopt,
                  trimmed.size() == path.size() ? std::string() : std::string(trimmed)});
}

std::optional<ListLine> ParseAs(std::string_view line, ListKind kind) {
    switch (kind) {
        case ListKind::kBrief:
            return ParseBriefLine(line);
        case ListKind::kDigest:
            return ParseDigestLine(line);
        case ListKind::kTagged:
            return ParseTaggedLine(line);
        case ListKind::kTabbed:
            return ParseTabbedLine(line);
        case ListKind::kSfv:
            return ParseSfvLine(line);
        default:
            return std::nullopt;
    }
}

// The file a list holding a CRC alone is about: the list's own name
// without its last extension, in the list's directory; empty when that
// leaves no name (standard input, a list without an extension).
std::string CrcOnlyName(const std::string& listPath) {
    const std::string name = listPath.substr(System::DirectoryPrefix(listPath).size());
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : name.substr(0, dot);
}

// The columns' places of a rule of dashes: [start, end) of each run.
std::vector<std::pair<std::size_t, std::size_t>> RuleRuns(std::string_view line) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    if (line.find_first_not_of(" \t-") != std::string_view::npos) {
        return runs;
    }
    for (const auto& [at, word] : Words(line)) {
        runs.emplace_back(at, at + word.size());
    }
    return runs;
}

}  // namespace

ListLine ParseListLine(std::string_view line, ListKind kind) {
    line = WithoutCarriageReturns(line);
    if (IsBlankLine(line) || line.front() == ';') {
        return Ignored();
    }
    if (line.find('\0') != std::string_view::npos) {
        return Malformed();
    }
    std::optional<ListLine> parsed = ParseAs(line, kind);
    return parsed ? *std::move(parsed) : Malformed();
}

ListParser::ListParser(const std::string& listPath) : crcOnlyName_(CrcOnlyName(listPath)) {}

ListLine ListParser::Parse(std::string_view line) {
    ++number_;
    line = WithoutCarriageReturns(line);
    if (IsBlankLine(line) || line.front() == ';') {
        if (line.starts_with(';') && !InTable()) {
            preferred_ = ListKind::kSfv;  // the header an SFV writer puts first
        }
        return Ignored();
    }
    if (InTable()) {
        return TableLine(line);
    }
    return FreeLine(line);
}

std::vector<std::uint64_t> ListParser::Skip() {
    ++number_;
    return std::exchange(held_, {});
}

std::vector<std::uint64_t> ListParser::Finish() {
    if (table_ && table_->stage == Table::Stage::kRule) {
        held_.push_back(table_->header);  // a header no rule followed
    }
    table_.reset();
    return std::exchange(held_, {});
}

bool ListParser::InTable() const {
    return table_ && table_->stage != Table::Stage::kAfter;
}

// The entry `line` is in the form the list used last or, failing that, in
// the first of the forms in their order that reads it; nothing when none
// does. A '#' line is an entry only in an SFV list, where a name may start
// so.
std::optional<ListLine> ListParser::EntryOf(std::string_view line, bool hashComment) {
    if (hashComment && preferred_ != ListKind::kSfv) {
        return std::nullopt;
    }
    if (const auto crc = Crc32Of(Trimmed(line));
        crc && !hashComment && !entries_ && !crcOnlyName_.empty() && !preferred_) {
        preferred_ = ListKind::kCrcOnly;  // the list holds one CRC, for one file
        return Entry({crcOnlyName_, *crc, std::nullopt, std::nullopt, {}});
    }
    // The form used last first, then the others in their order.
    constexpr ListKind kOrder[] = {ListKind::kBrief, ListKind::kDigest, ListKind::kTagged,
                                   ListKind::kTabbed, ListKind::kSfv};
    const bool standsAlone = preferred_ && std::find(std::begin(kOrder), std::end(kOrder),
                                                     *preferred_) != std::end(kOrder);
    const auto tried = [&](ListKind kind) -> std::optional<ListLine> {
        std::optional<ListLine> parsed = ParseAs(line, kind);
        if (!parsed || parsed->kind != ListLine::Kind::kEntry) {
            return std::nullopt;
        }
        preferred_ = kind;
        return parsed;
    };
    if (hashComment) {
        return tried(ListKind::kSfv);
    }
    if (standsAlone) {
        if (std::optional<ListLine> entry = tried(*preferred_)) {
            return entry;
        }
    }
    for (const ListKind kind : kOrder) {
        if (std::optional<ListLine> entry = tried(kind)) {
            return entry;
        }
    }
    return std::nullopt;
}

// A line outside a table's rows: an entry in any form, the header of a
// table, a comment, the text closing a table, or a line of no form.
ListLine ListParser::FreeLine(std::string_view line) {
    const bool hashComment = IsHashComment(line);
    const bool closingText = table_.has_value();
    if (line.find('\0') != std::string_view::npos) {
        return hashComment || closingText ? Ignored() : Hold();
    }
    if (!hashComment && StartTable(line)) {
        return Ignored();
    }
    if (closingText && IsTableSum(line)) {
        return Ignored();
    }
    if (std::optional<ListLine> entry = EntryOf(line, hashComment)) {
        entries_ = true;
        table_.reset();
        holding_ = true;
        entry->malformedBefore = std::exchange(held_, {});
        return *std::move(entry);
    }
    return hashComment || closingText ? Ignored() : Hold();
}

// Starts a table when `line` is a header naming CRC32, Size and Name
// columns, Name last.
bool ListParser::StartTable(std::string_view line) {
    constexpr std::string_view kName = "Name";
    const std::string_view trimmed = Trimmed(line);
    if (trimmed.size() < kName.size() ||
        !SameWord(trimmed.substr(trimmed.size() - kName.size()), kName)) {
        return false;  // most lines: not split into words
    }
    const std::vector<std::pair<std::size_t, std::string_view>> words = Words(line);
    const auto named = [&](std::string_view column) {
        return static_cast<std::size_t>(
            std::find_if(words.begin(), words.end(),
                         [&](const auto& word) { return SameWord(word.second, column); }) -
            words.begin());
    };
    if (words.size() < 3 || !SameWord(words.back().second, "Name") ||
        named("CRC32") == words.size() || named("Size") == words.size()) {
        return false;
    }
    Table table;
    for (const auto& word : words) {
        table.columns.emplace_back(word.second);
    }
    table.crcColumn = named("CRC32");
    table.sizeColumn = named("Size");
    table.header = number_;
    table_ = std::move(table);
    return true;
}

// What an archiver prints under a table's closing rule about the table as
// a whole: the row of totals, without a name, and lines starting with the
// CRC column's name ("CRC32  for data: ...").
bool ListParser::IsTableSum(std::string_view line) const {
    const std::vector<std::pair<std::size_t, std::string_view>> words = Words(line);
    if (!words.empty() && SameWord(words.front().second, table_->columns[table_->crcColumn]) &&
        !ParseTaggedLine(line)) {
        return true;
    }
    const std::size_t nameStart = std::min(line.size(), table_->nameStart);
    const auto fields = Words(line.substr(0, nameStart));
    return fields.size() + 1 == table_->columns.size() && IsBlankLine(line.substr(nameStart)) &&
           Crc32Of(fields[table_->crcColumn].second) && SizeOf(fields[table_->sizeColumn].second);
}

// The current line held back, or all held lines given up when there are
// too many to be the text above a table.
ListLine ListParser::Hold() {
    if (!holding_) {
        return Malformed();
    }
    held_.push_back(number_);
    if (held_.size() <= kMostHeld) {
        return Ignored();
    }
    holding_ = false;
    held_.pop_back();
    ListLine line = Malformed();
    line.malformedBefore = std::exchange(held_, {});
    return line;
}

// A line from a table's header on: its rule, then its rows up to its
// closing rule. A header no rule follows was not one.
ListLine ListParser::TableLine(std::string_view line) {
    Table& table = *table_;
    const auto runs = RuleRuns(line);
    if (table.stage == Table::Stage::kRule) {
        if (runs.size() != table.columns.size()) {
            // The header was a line of no form, held back or malformed.
            const std::uint64_t header = table.header;
            table_.reset();
            const bool held = holding_;
            if (held) {
                held_.push_back(header);
            }
            ListLine parsed = FreeLine(line);
            if (!held) {
                parsed.malformedBefore.insert(parsed.malformedBefore.begin(), header);
            }
            return parsed;
        }
        table.nameStart = runs.back().first;
        table.crcStart = runs[table.crcColumn].first;
        table.crcEnd = runs[table.crcColumn].second;
        table.stage = Table::Stage::kRows;
        held_.clear();  // the text above the table
        holding_ = true;
        return Ignored();
    }
    if (!runs.empty()) {
        table.stage = Table::Stage::kAfter;
        return Ignored();
    }
    if (IsHashComment(line)) {
        return Ignored();
    }
    if (line.size() <= table.nameStart || !IsBlank(line[table.nameStart - 1]) ||
        line.find('\0') != std::string_view::npos) {
        return Malformed();
    }
    const auto fields = Words(line.substr(0, table.nameStart));
    if (fields.size() + 1 != table.columns.size()) {
        // A folder's row has no checksum.
        const std::string_view crcPlace =
            line.substr(table.crcStart, table.crcEnd - table.crcStart);
        return IsBlankLine(crcPlace) ? Ignored() : Malformed();
    }
    const auto crc32 = Crc32Of(fields[table.crcColumn].second);
    const auto size = SizeOf(fields[table.sizeColumn].second);
    if (!crc32 || !size) {
        return Malformed();
    }
    entries_ = true;
    return Entry({std::string(line.substr(table.nameStart)), *crc32, std::nullopt, *size, {}});
}

}  // namespace Cli
