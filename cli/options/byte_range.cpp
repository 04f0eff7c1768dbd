#include "cli/options/byte_range.h"

#include <limits>
#include <optional>

#include "cli/options/options.h"
#include "cli/output/escape.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();

// A whole number in decimal or 0x hex up to kMost, or nothing.
std::optional<std::int64_t> Number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : base;
        if (digit >= base || value > (kMost - digit) / base) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return value;
}

}  // namespace

ByteRange ParseRange(std::string_view text) {
    const std::size_t colon = text.find(':');
    const bool fromEnd = colon != std::string_view::npos && text.substr(colon + 1).starts_with('-');
    const std::optional<std::int64_t> offset = Number(text.substr(0, colon));
    const std::optional<std::int64_t> count = colon == std::string_view::npos
                                                  ? std::nullopt
                                                  : Number(text.substr(colon + (fromEnd ? 2 : 1)));
    if (!offset || !count || (!fromEnd && *count > kMost - *offset)) {
        throw UsageError(System::Filled(
            System::Tr("invalid range '{1}' (OFFSET:LENGTH, whole numbers within 2^63, LENGTH "
                       "-N for all but the last N bytes)"),
            {EscapedName(text, NameStyle::kTerminal)}));
    }
    return {*offset, *count, fromEnd};
}

}  // namespace Cli
