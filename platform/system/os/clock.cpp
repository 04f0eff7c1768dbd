#include "platform/system/os/clock.h"

#include <atomic>

#include "platform/system/os/clock_system.h"

namespace System {
namespace {
std::atomic<int> outstandingPeriods{0};
}

std::uint32_t ElapsedMilliseconds(std::int32_t start, std::int32_t end) {
    return static_cast<std::uint32_t>(end) - static_cast<std::uint32_t>(start);
}

std::uint32_t timeBeginPeriod(std::uint32_t period) {
    outstandingPeriods.fetch_add(1);
    return SystemBeginPeriod(period);
}

std::uint32_t timeEndPeriod(std::uint32_t period) {
    outstandingPeriods.fetch_sub(1);
    return SystemEndPeriod(period);
}

int OutstandingTimerPeriods() {
    return outstandingPeriods.load();
}

}  // namespace System
