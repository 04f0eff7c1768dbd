#include "platform/system/files/memory_check.h"

#include <algorithm>

#include "platform/system/os/decimal_text.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace System {

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
        throw PlatformError(Operation::kRead, path,
                            Filled(Tr("the file is {1}, more than the memory available, {2}"),
                                   {ByteSizeText(length), ByteSizeText(room)}));
    }
}

}  // namespace System
