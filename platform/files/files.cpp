#include "platform/files/files.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/files/files_system.h"
#include "platform/files/memory_check.h"
#include "platform/os/decimal_text.h"
#include "platform/os/error.h"

namespace Platform {

// A buffer of `length` bytes, checked against the memory available when it
// is large enough for that to matter (kMemoryCheckThreshold).
ByteBuffer AllocateBuffer(const std::string& path, std::int64_t length) {
    if (length >= kMemoryCheckThreshold) {
        RequireMemoryFor(path, length, ReadMemoryHeadroom());
    }
    try {
        return ByteBuffer(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        throw PlatformError("read", path,
                            "not enough memory to hold its " + DecimalText(length) + " bytes");
    }
}

ByteBuffer GrownBuffer(const std::string& name, const ByteBuffer& buffer) {
    ByteBuffer larger;
    try {
        larger = AllocateBuffer(name, static_cast<std::int64_t>(2 * buffer.size()));
    } catch (const PlatformError&) {
        throw PlatformError("read", name,
                            "not enough memory to read past its first " +
                                DecimalText(static_cast<std::int64_t>(buffer.size())) + " bytes");
    }
    std::memcpy(larger.data(), buffer.data(), buffer.size());
    return larger;
}

Testing::ReadRequestHook& ReadRequestHookForTesting() {
    static Testing::ReadRequestHook hook;
    return hook;
}

void Testing::SetReadRequestHook(ReadRequestHook hook) {
    ReadRequestHookForTesting() = std::move(hook);
}

}  // namespace Platform
