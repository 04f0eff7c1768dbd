#include "platform/system/files/byte_buffer.h"

#include <cstdint>
#include <new>
#include <utility>

#include "platform/system/files/byte_buffer_system.h"

namespace System {
ByteBuffer::ByteBuffer(std::size_t size) : size_(size) {
    if (size == 0) {
        return;
    }
    if (size < kMappedThreshold) {
        data_ = new std::uint8_t[size];
        return;
    }
    data_ = MapBufferPages(size, mappedLength_);
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

void ByteBuffer::Refit(std::size_t size) noexcept {
    if (size <= mappedLength_) {
        size_ = size;
    }
}

void ByteBuffer::DiscardContents() noexcept {
    if (mappedLength_ != 0) {
        DiscardBufferPages(data_, mappedLength_);
    }
}

// Unmapping returns the pages to the system at once, with no pass over them.
void ByteBuffer::Release() noexcept {
    if (mappedLength_ != 0) {
        UnmapBufferPages(data_, mappedLength_);
    } else {
        delete[] data_;
    }
    data_ = nullptr;
    size_ = 0;
    mappedLength_ = 0;
}

}  // namespace System
