#include "platform/files/byte_buffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace Platform {
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

ByteBuffer::ByteBuffer(std::size_t size) : size_(size) {
    if (size == 0) {
        return;
    }
    if (size < kMappedThreshold) {
        data_ = new std::uint8_t[size];
        return;
    }
    // Rounding up and the alignment slack must not wrap around.
    if (size > SIZE_MAX - 2 * kHugePageSize) {
        throw std::bad_alloc();
    }
    mappedLength_ = RoundUp(size, kHugePageSize);
    data_ = MapHugePageAligned(mappedLength_);
}

ByteBuffer::~ByteBuffer() {
    Release();
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mappedLength_(std::exchange(other.mappedLength_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mappedLength_ = std::exchange(other.mappedLength_, 0);
    }
    return *this;
}

// Unmapping returns the pages to the system at once, with no pass over them.
void ByteBuffer::Release() noexcept {
    if (mappedLength_ != 0) {
        ::munmap(data_, mappedLength_);
    } else {
        delete[] data_;
    }
    data_ = nullptr;
    size_ = 0;
    mappedLength_ = 0;
}

}  // namespace Platform
