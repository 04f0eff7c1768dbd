#include <windows.h>

#include <new>

#include "platform/system/files/byte_buffer_system.h"

namespace System {

// Committed pages of their own, zeroed by the system on first touch; large
// pages would need a privilege ordinary users lack.
std::uint8_t* MapBufferPages(std::size_t size, std::size_t& length) {
    void* data = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (data == nullptr) {
        throw std::bad_alloc();
    }
    length = size;
    return static_cast<std::uint8_t*>(data);
}

void UnmapBufferPages(std::uint8_t* data, std::size_t /*length*/) noexcept {
    ::VirtualFree(data, 0, MEM_RELEASE);
}

// MEM_RESET: the contents are of no more interest, so the system may drop
// the pages without writing them to the paging file; they stay committed
// and usable. Only advice: should it fail, the pages stay as they are.
void DiscardBufferPages(std::uint8_t* data, std::size_t length) noexcept {
    ::VirtualAlloc(data, length, MEM_RESET, PAGE_READWRITE);
}

}  // namespace System
