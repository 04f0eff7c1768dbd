// Decimal text of an integer, locale-independent: the report's sizes and
// timings, and the figures in error messages.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

namespace Platform {

// Decimal digits with "-" in front when negative; no spaces, no group separators.
inline std::string DecimalText(std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

}  // namespace Platform
