#include "cli/check_list.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "cli/escape.h"

namespace Cli {
namespace {

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

// "CRC32 CRC16 SIZE PATH", after the leading backslash of an escaped line.
// Nothing when `body` does not have that shape.
std::optional<ListLine> ParseBriefLine(std::string_view body, bool escaped) {
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
    return ListLine{ListLine::Kind::kEntry, {std::move(*path), *crc32, *crc16, *size}};
}

// "PATH CRC32": eight hex digits after the last run of spaces; spaces and
// tabs after them are allowed, as hand-written lists have them.
std::optional<ListLine> ParseSfvLine(std::string_view line) {
    const std::size_t end = line.find_last_not_of(" \t");
    if (end == std::string_view::npos || end < 8) {
        return std::nullopt;
    }
    const std::size_t start = end - 7;
    const auto crc32 = HexAt(line.substr(start), 8);
    if (!crc32 || line[start - 1] != ' ') {
        return std::nullopt;
    }
    const std::size_t pathEnd = line.find_last_not_of(' ', start - 1);
    if (pathEnd == std::string_view::npos) {
        return std::nullopt;
    }
    return ListLine{ListLine::Kind::kEntry,
                    {std::string(line.substr(0, pathEnd + 1)), *crc32, std::nullopt, std::nullopt}};
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

ListLine ParseListLine(std::string_view line) {
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == ';') {
        return {ListLine::Kind::kIgnored, {}};
    }
    if (line.find('\0') != std::string_view::npos) {
        return Malformed();
    }
    const bool escaped = line.front() == '\\';
    if (auto brief = ParseBriefLine(escaped ? line.substr(1) : line, escaped)) {
        return *std::move(brief);
    }
    if (auto sfv = ParseSfvLine(line)) {
        return *std::move(sfv);
    }
    return Malformed();
}

}  // namespace Cli
