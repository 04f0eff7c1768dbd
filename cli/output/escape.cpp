#include "cli/output/escape.h"

#include <cstdint>

#include "platform/system/os/directory.h"

namespace Cli {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// One character of a name: a code point of `length` bytes, or a single
// byte that starts no valid UTF-8 sequence (`valid` false).
struct Character {
    char32_t code;
    std::size_t length;
    bool valid;
};

// The character at the start of `text` (not empty), decoded as UTF-8:
// shortest forms only, no surrogates, nothing beyond U+10FFFF.
Character CharacterAt(std::string_view text) {
    const auto byte = [&text](std::size_t at) { return static_cast<std::uint8_t>(text[at]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    const Character invalid{lead, 1, false};
    if (length == 0 || lead > 0xF4 || text.size() < length) {
        return invalid;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t at = 1; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80) {
            return invalid;
        }
        code = (code << 6) | (byte(at) & 0x3F);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return invalid;
    }
    return {code, length, true};
}

// Characters the window escapes too: controls, separators and direction
// marks, which a terminal acts on or which make text read otherwise; and
// the invisible ones (zero-width space, word joiner, byte-order mark) that
// would leave two names looking the same.
bool ActsOnTerminal(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029 ||
           (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ||
           code == 0x200E || code == 0x200F || code == 0x061C || code == 0x200B ||
           (code >= 0x2060 && code <= 0x2064) || code == 0xFEFF;
}

// The escape for `c` in `style`, or nothing when it is written as it is.
std::string EscapeFor(const Character& c, NameStyle style) {
    switch (c.code) {
        case '\\':
            return "\\\\";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        default:
            break;
    }
    if (style == NameStyle::kLine) {
        return {};
    }
    if (c.code == '\t') {
        return "\\t";
    }
    if (!c.valid || (c.code < 0x80 && ActsOnTerminal(c.code))) {
        return {'\\', 'x', kHexDigits[c.code >> 4], kHexDigits[c.code & 0xF]};
    }
    if (!ActsOnTerminal(c.code)) {
        return {};
    }
    std::string escape = "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        escape += kHexDigits[(c.code >> shift) & 0xF];
    }
    return escape;
}

// Calls `visit` with each character of `name` and its escape in `style`
// (empty when it has none); stops when `visit` returns false.
template <typename Visit>
void ForEachCharacter(std::string_view name, NameStyle style, Visit visit) {
    for (std::size_t at = 0; at < name.size();) {
        const Character c = CharacterAt(name.substr(at));
        if (!visit(name.substr(at, c.length), EscapeFor(c, style))) {
            return;
        }
        at += c.length;
    }
}

// The value of `count` hex digits at the start of `text`, or nothing.
std::optional<char32_t> HexValue(std::string_view text, std::size_t count) {
    if (text.size() < count) {
        return std::nullopt;
    }
    char32_t value = 0;
    for (std::size_t at = 0; at < count; ++at) {
        const char c = text[at];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<char32_t>(digit);
    }
    return value;
}

// `code` (below U+10000, not a surrogate) as UTF-8.
std::string Utf8(char32_t code) {
    if (code < 0x80) {
        return std::string(1, static_cast<char>(code));
    }
    if (code < 0x800) {
        return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
    }
    return {static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
            static_cast<char>(0x80 | (code & 0x3F))};
}

}  // namespace

bool NeedsEscaping(std::string_view name, NameStyle style) {
    // Where the backslash separates names (Windows), a name holds it only as
    // a separator: it alone calls for no escaping, though an escaped name
    // has it doubled like any other.
    const bool backslashSeparates = std::string_view(System::kPathSeparator) == "\\";
    if (style == NameStyle::kLine) {
        return name.find_first_of(backslashSeparates ? "\n\r" : "\\\n\r") != std::string_view::npos;
    }
    bool needs = false;
    ForEachCharacter(name, style, [&](std::string_view written, const std::string& escape) {
        needs = !escape.empty() && !(backslashSeparates && written == "\\");
        return !needs;
    });
    return needs;
}

std::string EscapedName(std::string_view name, NameStyle style) {
    if (!NeedsEscaping(name, style)) {
        return std::string(name);
    }
    std::string text;
    text.reserve(name.size() + 8);
    ForEachCharacter(name, style, [&text](std::string_view written, const std::string& escape) {
        if (escape.empty()) {
            text += written;
        } else {
            text += escape;
        }
        return true;
    });
    return text;
}

std::optional<std::string> UnescapedName(std::string_view text) {
    std::string name;
    name.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            name += text[at];
            continue;
        }
        if (++at == text.size()) {
            return std::nullopt;
        }
        switch (text[at]) {
            case '\\':
                name += '\\';
                break;
            case 'n':
                name += '\n';
                break;
            case 'r':
                name += '\r';
                break;
            case 't':
                name += '\t';
                break;
            case 'x': {
                const std::optional<char32_t> byte = HexValue(text.substr(at + 1), 2);
                if (!byte) {
                    return std::nullopt;
                }
                name += static_cast<char>(*byte);
                at += 2;
                break;
            }
            case 'u': {
                const std::optional<char32_t> code = HexValue(text.substr(at + 1), 4);
                if (!code || (*code >= 0xD800 && *code <= 0xDFFF)) {
                    return std::nullopt;
                }
                name += Utf8(*code);
                at += 4;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return name;
}

std::string_view LineStart(std::string_view name, NameStyle style) {
    return NeedsEscaping(name, style) ? "\\" : "";
}

}  // namespace Cli
