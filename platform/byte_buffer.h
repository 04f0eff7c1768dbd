// An owning buffer of exactly n bytes whose contents start undefined: the
// whole-file read overwrites every byte, so zero-filling first would only
// cost a second pass over memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace Platform {

class ByteBuffer {
  public:
    ByteBuffer() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit ByteBuffer(std::size_t size);

    std::uint8_t* data() noexcept { return data_.get(); }
    const std::uint8_t* data() const noexcept { return data_.get(); }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::span<std::uint8_t> bytes() noexcept { return {data_.get(), size_}; }
    std::span<const std::uint8_t> bytes() const noexcept { return {data_.get(), size_}; }

  private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
};

}  // namespace Platform
