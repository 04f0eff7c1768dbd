// --range OFFSET:LENGTH: a part of each file checksummed instead of the
// whole, and the reading of that part a piece at a time, with the last bytes
// (an appended CRC) held apart from the rest.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/system/files/stream_read.h"

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

// Receives the bytes of a range in order.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;

// Reads `range` of `reader` (all of it when there is none), handing `body`
// every byte but the last `tail`, which are returned. `counter`, when not
// null, counts the bytes read. Throws PlatformError when a read fails and
// std::runtime_error when the file does not hold the range or the range
// holds fewer than `tail` bytes: known only once the file is seen, so these
// are the file's errors, not usage errors.
std::vector<std::uint8_t> ReadRange(System::FileReader& reader,
                                    const std::optional<ByteRange>& range, std::size_t tail,
                                    const ByteSink& body, std::atomic<std::int64_t>* counter);

}  // namespace Cli
