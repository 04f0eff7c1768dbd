#include "window/checksum_compare.h"

#include <cctype>

#include "platform/system/os/translation.h"

namespace Window {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

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
