#include "cli/check_list.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "cli/escape.h"

namespace Cli {
namespace {

constexpr std::string_view kBlanks = " \t";

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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

std::optional<std::int64_t> SizeOf(std::string_view digits) {
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

ListLine Malformed() {
    return {ListLine::Kind::kMalformed, {}};
}

ListLine Entry(ListEntry entry) {
    return {ListLine::Kind::kEntry, std::move(entry)};
}

// The line without the CRs before its '\n'.
std::string_view WithoutCarriageReturns(std::string_view line) {
    while (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// Blank lines and ';' comments name no file.
bool IsIgnored(std::string_view line) {
    return line.find_first_not_of(kBlanks) == std::string_view::npos || line.front() == ';';
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
    const std::string_view written = rest.substr(digits + 1);
    std::optional<std::string> path =
        escaped ? UnescapedName(written) : std::optional<std::string>(written);
    if (!size || !path || path->empty()) {
        return Malformed();
    }
    return Entry({std::move(*path), *crc32, *crc16, *size, {}});
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
    if (!crc32 || kBlanks.find(line[start - 1]) == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view path = line.substr(0, start - 1);
    if (path.empty()) {
        return std::nullopt;
    }
    const std::string_view trimmed = path.substr(0, path.find_last_not_of(kBlanks) + 1);
    return Entry({std::string(path), *crc32, std::nullopt, std::nullopt,
                  trimmed.size() == path.size() ? std::string() : std::string(trimmed)});
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

ListLine ParseListLine(std::string_view line, ListKind kind) {
    line = WithoutCarriageReturns(line);
    if (IsIgnored(line)) {
        return {ListLine::Kind::kIgnored, {}};
    }
    if (line.find('\0') != std::string_view::npos) {
        return Malformed();
    }
    std::optional<ListLine> parsed =
        kind == ListKind::kBrief ? ParseBriefLine(line) : ParseSfvLine(line);
    return parsed ? *std::move(parsed) : Malformed();
}

std::vector<ListLine> ParseList(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);  // the byte-order mark some editors put before UTF-8 text
    }
    std::vector<ListLine> parsed;
    std::optional<ListKind> kind;
    bool commented = false;
    for (std::string_view line : SplitLines(text)) {
        if (!kind) {
            const std::string_view bare = WithoutCarriageReturns(line);
            commented = commented || bare.starts_with(';');
            if (!IsIgnored(bare) && bare.find('\0') == std::string_view::npos) {
                const std::optional<ListLine> brief =
                    commented ? std::nullopt : ParseBriefLine(bare);
                if (brief && brief->kind == ListLine::Kind::kEntry) {
                    kind = ListKind::kBrief;
                } else if (ParseSfvLine(bare)) {
                    kind = ListKind::kSfv;
                }
            }
        }
        parsed.push_back(kind ? ParseListLine(line, *kind) : ParseListLine(line, ListKind::kBrief));
    }
    return parsed;
}

}  // namespace Cli
