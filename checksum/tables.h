// Read-only access to the engine's lookup tables, for code that inspects
// them (tests, diagnostics). Only the engine itself fills them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace Tallix {

std::span<const std::uint32_t, 256> CRC32TableView();
std::span<const std::uint32_t, 256> CRC16TableView();

// How many times each table has been filled in this run: 0 before the first
// checksum, 1 ever after.
std::size_t CRC32TableFills();
std::size_t CRC16TableFills();

}  // namespace Tallix
