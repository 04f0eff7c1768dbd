// Comparing a checksum the user has (pasted from a download page, say)
// with the report's: which of the two it is, or that it is neither.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "window/controls.h"

namespace Window {

// A CRC-32 or CRC-16 in hex as people write it: 8 or 4 hex digits in either
// case, with or without "0x", spaces or line breaks anywhere. Upper-case
// digits, or nothing when `text` holds anything else.
std::optional<std::string> HexChecksumIn(std::string_view text);

enum class ChecksumMatch { kCRC32, kCRC16, kNeither, kNoChecksum };

struct ChecksumComparison {
    ChecksumMatch match;
    std::string message;  // one plain sentence or two, saying which
};

// What `clipboard` is to the report's checksums.
ChecksumComparison CompareChecksum(std::string_view clipboard, const ReportChecksums& report);

}  // namespace Window
