#include "window/checksum_compare.h"

#include <cctype>

#include "platform/system/os/translation.h"

namespace Window {
namespace {

// The fixed-width hex text that follows `label` on a line of its own, after
// `from`.
std::optional<std::string> ValueAfter(std::string_view text, std::size_t from,
                                      std::string_view label, std::size_t digits) {
    const std::size_t at = text.find(label, from);
    if (at == std::string_view::npos || text.size() - at - label.size() < digits) {
        return std::nullopt;
    }
    return std::string(text.substr(at + label.size(), digits));
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<ReportChecksums> ChecksumsOfReport(std::string_view caption,
                                                 std::size_t literalLength) {
    if (literalLength > caption.size()) {
        return std::nullopt;
    }
    const std::optional<std::string> crc32 = ValueAfter(caption, literalLength, "\r\nCRC32 - ", 8);
    const std::optional<std::string> crc16 = ValueAfter(caption, literalLength, "\r\nCRC16 - ", 4);
    if (!crc32 || !crc16) {
        return std::nullopt;
    }
    return ReportChecksums{*crc32, *crc16};
}

std::optional<std::string> HexChecksumIn(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (!IsBlank(c)) {
            digits += c;
        }
        if (digits.size() > 10) {
            return std::nullopt;  // "0x" and 8 digits at most
        }
    }
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.erase(0, 2);
    }
    if (digits.size() != 8 && digits.size() != 4) {
        return std::nullopt;
    }
    for (char& c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return digits;
}

ChecksumComparison CompareChecksum(std::string_view clipboard, const ReportChecksums& report) {
    const std::optional<std::string> value = HexChecksumIn(clipboard);
    if (!value) {
        return {ChecksumMatch::kNoChecksum,
                System::Tr("The clipboard holds no checksum to compare: a CRC-32 is 8 "
                           "hexadecimal digits, a CRC-16 4.")};
    }
    if (*value == report.crc32) {
        return {ChecksumMatch::kCRC32,
                System::Filled(System::Tr("Match: {1} is this file's CRC-32."), {*value})};
    }
    if (*value == report.crc16) {
        return {ChecksumMatch::kCRC16,
                System::Filled(System::Tr("Match: {1} is this file's CRC-16."), {*value})};
    }
    return {ChecksumMatch::kNeither,
            System::Filled(System::Tr("NO MATCH: {1} matches neither this file's CRC-32 ({2}) "
                                      "nor its CRC-16 ({3})."),
                           {*value, report.crc32, report.crc16})};
}

}  // namespace Window
