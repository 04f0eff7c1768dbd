// What the reader is on every system: its state and how it moves. Opening,
// reading and closing are the system's (stream_read_posix.cpp,
// stream_read_win32.cpp).
#include "platform/system/files/stream_read.h"

#include <utility>

namespace System {

FileReader::FileReader(std::intptr_t handle, bool owned, std::string name, std::int64_t length,
                       bool sparse) noexcept
    : handle_(handle), owned_(owned), sparse_(sparse), name_(std::move(name)), length_(length) {}

FileReader::FileReader(FileReader&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)),
      owned_(other.owned_),
      wait_(other.wait_),
      sparse_(other.sparse_),
      name_(std::move(other.name_)),
      length_(other.length_),
      position_(other.position_) {}

FileReader& FileReader::operator=(FileReader&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, kNoHandle);
        owned_ = other.owned_;
        wait_ = other.wait_;
        sparse_ = other.sparse_;
        name_ = std::move(other.name_);
        length_ = other.length_;
        position_ = other.position_;
    }
    return *this;
}

FileReader::~FileReader() {
    Close();
}

}  // namespace System
