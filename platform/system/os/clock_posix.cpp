#include <chrono>

#include "platform/system/os/clock.h"
#include "platform/system/os/clock_system.h"

namespace System {

std::int32_t timeGetTime() {
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count();
    // Keep the low 32 bits, as the counter itself does.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

// Linux timers already have millisecond granularity: nothing to ask for.
std::uint32_t SystemBeginPeriod(std::uint32_t /*period*/) {
    return 0;
}

std::uint32_t SystemEndPeriod(std::uint32_t /*period*/) {
    return 0;
}

}  // namespace System
