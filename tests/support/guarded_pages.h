// Two pages of readable, writable memory between inaccessible pages, so a
// read of one byte before the start or past the end crashes the test that
// made it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace TestSupport {

class GuardedPages {
  public:
    GuardedPages();  // throws std::bad_alloc when the pages cannot be had
    ~GuardedPages();
    GuardedPages(const GuardedPages&) = delete;
    GuardedPages& operator=(const GuardedPages&) = delete;

    std::uint8_t* begin() { return base_ + page_; }
    std::uint8_t* end() { return base_ + 3 * page_; }

  private:
    std::size_t page_ = 0;
    std::uint8_t* base_ = nullptr;
};

}  // namespace TestSupport
