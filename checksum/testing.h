// For tests only: a look at the engine's lookup tables and how often they
// were filled. Nothing in the program uses these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace Tallix::Testing {

// Read-only views of the lookup tables, and how many times each has been
// filled in this process: 0 before its first checksum, 1 ever after.
std::span<const std::uint32_t, 256> CRC32TableView();
std::span<const std::uint32_t, 256> CRC16TableView();
std::size_t CRC32TableFills();
std::size_t CRC16TableFills();

}  // namespace Tallix::Testing
