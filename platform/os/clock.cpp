#include "platform/os/clock.h"

#include <atomic>
#include <chrono>

namespace Platform {
namespace {
std::atomic<int> outstandingPeriods{0};
}

std::int32_t timeGetTime() {
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count();
    // Keep the low 32 bits, as the counter itself does.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

std::uint32_t ElapsedMilliseconds(std::int32_t start, std::int32_t end) {
    return static_cast<std::uint32_t>(end) - static_cast<std::uint32_t>(start);
}

std::uint32_t timeBeginPeriod(std::uint32_t /*period*/) {
    outstandingPeriods.fetch_add(1);
    return 0;
}

std::uint32_t timeEndPeriod(std::uint32_t /*period*/) {
    outstandingPeriods.fetch_sub(1);
    return 0;
}

int OutstandingTimerPeriods() {
    return outstandingPeriods.load();
}

}  // namespace Platform
