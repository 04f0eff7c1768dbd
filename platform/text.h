// Number-to-text conversions shared by the engine and the window: plain
// decimal digits and upper-case hexadecimal, locale-independent.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Platform {

// Decimal digits with "-" in front when negative; no spaces, no group separators.
inline std::string DecimalText(std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

// Upper-case hexadecimal of an unsigned value, left-filled with "0" to at
// least minWidth characters (no prefix).
inline std::string HexText(std::uint64_t value, std::size_t minWidth = 0) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    std::string text(digits, end);
    for (char& c : text) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (text.size() < minWidth) {
        text.insert(0, minWidth - text.size(), '0');
    }
    return text;
}

}  // namespace Platform
