#include <sys/mman.h>
#include <unistd.h>

#include <new>

#include "tests/support/guarded_pages.h"

namespace TestSupport {

GuardedPages::GuardedPages() {
    page_ = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* base =
        ::mmap(nullptr, 4 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) {
        throw std::bad_alloc();
    }
    base_ = static_cast<std::uint8_t*>(base);
    ::mprotect(base_, page_, PROT_NONE);
    ::mprotect(base_ + 3 * page_, page_, PROT_NONE);
}

GuardedPages::~GuardedPages() {
    ::munmap(base_, 4 * page_);
}

}  // namespace TestSupport
