#include "platform/system/files/byte_buffer.h"
#include "platform/system/files/byte_buffer_system.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace System {
namespace {

std::size_t RoundUp(std::size_t size, std::size_t unit) {
    return (size + unit - 1) / unit * unit;
}

// Maps `length` bytes (a multiple of the huge page size) starting on a huge
// page boundary: maps one huge page more than asked and trims the ends, as
// an unaligned range could not be backed by huge pages at its edges. Fresh
// anonymous pages arrive zeroed from the kernel on first touch, so nothing
// here writes to the memory.
std::uint8_t* MapHugePageAligned(std::size_t length) {
    const std::size_t slack = ByteBuffer::kHugePageSize;
    void* raw =
        ::mmap(nullptr, length + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = RoundUp(start, slack);
    const std::size_t head = aligned - start;
    if (head > 0) {
        ::munmap(raw, head);
    }
    if (slack - head > 0) {
        ::munmap(reinterpret_cast<void*>(aligned + length), slack - head);
    }
    auto* data = reinterpret_cast<std::uint8_t*>(aligned);
    // Only advice: without transparent huge pages the mapping still works
    // with ordinary pages.
    ::madvise(data, length, MADV_HUGEPAGE);
    return data;
}

}  // namespace

std::uint8_t* MapBufferPages(std::size_t size, std::size_t& length) {
    // Rounding up and the alignment slack must not wrap around.
    if (size > SIZE_MAX - 2 * ByteBuffer::kHugePageSize) {
        throw std::bad_alloc();
    }
    length = RoundUp(size, ByteBuffer::kHugePageSize);
    return MapHugePageAligned(length);
}

void UnmapBufferPages(std::uint8_t* data, std::size_t length) noexcept {
    ::munmap(data, length);
}

// MADV_FREE frees a page only when memory runs short, and a write before
// that cancels it; unlike a fresh page, a page still there costs no fault,
// nor (on a VM that hands free memory back to its host) a fault in the host.
// The range is whole huge pages, so none is split. Only advice: should the
// kernel refuse it, the pages simply stay the process's.
void DiscardBufferPages(std::uint8_t* data, std::size_t length) noexcept {
    ::madvise(data, length, MADV_FREE);
}

}  // namespace System
