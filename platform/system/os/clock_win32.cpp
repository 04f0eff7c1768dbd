// The multimedia timer of winmm: the system's millisecond count and the
// requests for its 1 ms granularity.
#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include "platform/system/os/clock.h"
#include "platform/system/os/clock_system.h"

namespace System {

std::int32_t timeGetTime() {
    return static_cast<std::int32_t>(::timeGetTime());
}

std::uint32_t SystemBeginPeriod(std::uint32_t period) {
    return ::timeBeginPeriod(period);
}

std::uint32_t SystemEndPeriod(std::uint32_t period) {
    return ::timeEndPeriod(period);
}

}  // namespace System
