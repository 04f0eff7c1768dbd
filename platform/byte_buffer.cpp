#include "platform/byte_buffer.h"

namespace Platform {

ByteBuffer::ByteBuffer(std::size_t size)
    : data_(size == 0 ? nullptr : std::make_unique_for_overwrite<std::uint8_t[]>(size)),
      size_(size) {}

}  // namespace Platform
