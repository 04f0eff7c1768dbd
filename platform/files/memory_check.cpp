#include "platform/files/memory_check.h"

#include <algorithm>

#include "platform/os/decimal_text.h"
#include "platform/os/error.h"

namespace Platform {

std::int64_t MemoryHeadroom::Bytes() const noexcept {
    if (available < 0) {
        return cgroup;
    }
    return cgroup < 0 ? available : std::min(available, cgroup);
}

void RequireMemoryFor(const std::string& path, std::int64_t length,
                      const MemoryHeadroom& headroom) {
    const std::int64_t room = headroom.Bytes();
    if (room >= 0 && length > room) {
        throw PlatformError("read", path,
                            "the file is " + ByteSizeText(length) +
                                ", more than the memory available, " + ByteSizeText(room));
    }
}

}  // namespace Platform
