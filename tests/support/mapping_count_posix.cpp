#include <sys/mman.h>

#include <atomic>

#include "tests/support/mapping_count.h"

// The program is linked with --wrap=mmap: its own calls to mmap come here
// first, the C library's (malloc's) do not.
extern "C" void* __real_mmap(void* address, std::size_t length, int protection, int flags, int fd,
                             off_t offset);

namespace {

constexpr std::size_t kLarge = std::size_t{1} << 20;
std::atomic<std::size_t> largeMappings{0};

}  // namespace

extern "C" void* __wrap_mmap(void* address, std::size_t length, int protection, int flags, int fd,
                             off_t offset) {
    if ((flags & MAP_ANONYMOUS) != 0 && length >= kLarge) {
        largeMappings.fetch_add(1, std::memory_order_relaxed);
    }
    return __real_mmap(address, length, protection, flags, fd, offset);
}

std::size_t TestSupport::LargeMappingsMade() noexcept {
    return largeMappings.load(std::memory_order_relaxed);
}
