// The system's side of a large ByteBuffer: pages of its own, whose contents
// can be handed back to the system while they stay mapped, and which go back
// to the system at once when the buffer is released. One implementation per
// system (byte_buffer_posix.cpp, byte_buffer_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace System {

// Fresh pages for at least `size` bytes; `length` receives the length
// mapped, which UnmapBufferPages takes back. Throws std::bad_alloc.
std::uint8_t* MapBufferPages(std::size_t size, std::size_t& length);
void UnmapBufferPages(std::uint8_t* data, std::size_t length) noexcept;
// Lets the system take the pages' memory whenever it needs it, without
// writing their contents anywhere; the range stays mapped and usable.
void DiscardBufferPages(std::uint8_t* data, std::size_t length) noexcept;

}  // namespace System
