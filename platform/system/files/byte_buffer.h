// An owning buffer of exactly n bytes whose contents start undefined: the
// whole-file read overwrites every byte, so zero-filling first would only
// cost a second pass over memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace System {

class ByteBuffer {
  public:
    // Sizes from here up come from their own anonymous mapping, aligned to
    // and asking for transparent huge pages: on first touch a 2 MiB page
    // costs one fault where 4 KiB pages would cost 512. (On Windows: from
    // VirtualAlloc, in ordinary pages.)
    static constexpr std::size_t kMappedThreshold = std::size_t{1} << 20;
    static constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

    ByteBuffer() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit ByteBuffer(std::size_t size);
    ~ByteBuffer();
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    std::uint8_t* data() noexcept { return data_; }
    const std::uint8_t* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::span<std::uint8_t> bytes() noexcept { return {data_, size_}; }
    std::span<const std::uint8_t> bytes() const noexcept { return {data_, size_}; }

    // Makes the buffer hold only its first `size` bytes (no effect when it
    // holds fewer); the memory stays with it until it is released.
    void ShrinkTo(std::size_t size) noexcept {
        if (size < size_) {
            size_ = size;
        }
    }

    // True when the bytes live in their own mapping rather than the heap.
    bool mapped() const noexcept { return mappedLength_ != 0; }
    // The most bytes the buffer's pages hold: the mapping's length, or 0 for
    // a heap buffer, whose size is fixed.
    std::size_t capacity() const noexcept { return mappedLength_; }

    // Makes a mapped buffer hold `size` bytes of its pages (size <=
    // capacity()), whose contents are undefined until written.
    void Refit(std::size_t size) noexcept;

    // Gives the contents of a mapped buffer's pages back to the system while
    // the mapping stays: until the system needs the memory the pages are
    // still there, and written to again they are the buffer's as before;
    // pages the system took meanwhile come back fresh on first touch. The
    // contents are undefined afterwards. No effect on a heap buffer.
    void DiscardContents() noexcept;

  private:
    void Release() noexcept;

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mappedLength_ = 0;  // 0: data_ came from new[]
};

}  // namespace System
