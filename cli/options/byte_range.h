// --range OFFSET:LENGTH: a part of each file checksummed instead of the
// whole. Its reading is the measuring's (cli/measure/range_reading.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace Cli {

// The bytes from `offset` on: `count` of them, or with `fromEnd` all but the
// file's last `count` (OFFSET:-N). The default range is the whole file.
struct ByteRange {
    std::int64_t offset = 0;
    std::int64_t count = 0;
    bool fromEnd = true;
};

// "OFFSET:LENGTH", each a whole number in decimal or 0x hex, LENGTH with an
// optional '-'. Both parts are needed ("0:-0" is the whole file), and the
// range's end must fit a 63-bit file offset. Throws UsageError.
ByteRange ParseRange(std::string_view text);

}  // namespace Cli
