// The reading of a --range (cli/options/byte_range.h) a piece at a time,
// with the last bytes (an appended CRC) held apart from the rest.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "cli/options/byte_range.h"
#include "platform/system/files/stream_read.h"

namespace Cli {

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
