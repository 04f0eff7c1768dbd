// Decimal text of an integer, locale-independent: the report's sizes and
// timings, and the figures in error messages.
#pragma once

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/system/os/translation.h"

namespace System {

// Decimal digits with "-" in front when negative; no spaces, no group separators.
inline std::string DecimalText(std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

// A size as people read it, then exactly: "100 GiB (107374182400 bytes)",
// with one decimal below 10 of a unit ("1.5 KiB (1536 bytes)"); below
// 1 KiB only the bytes ("512 bytes").
inline std::string ByteSizeText(std::int64_t bytes) {
    static constexpr std::array<const char*, 6> kUnits{"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    const std::string exact = Filled(Tr("{1} bytes"), {DecimalText(bytes)});
    if (bytes < 1024) {
        return exact;
    }
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < kUnits.size()) {
        value /= 1024;
        ++unit;
    }
    const std::int64_t tenths = std::llround(value * 10);
    const std::string figure = value < 10 && tenths % 10 != 0
                                   ? DecimalText(tenths / 10) + "." + DecimalText(tenths % 10)
                                   : DecimalText(std::llround(value));
    return figure + " " + kUnits[unit] + " (" + exact + ")";
}

}  // namespace System
