// The millisecond counter and the timer-period requests around it.
#pragma once

#include <cstdint>

namespace System {

// Milliseconds from a monotonic clock, as a 32-bit reading that wraps: on
// Windows the multimedia timer's own timeGetTime.
std::int32_t timeGetTime();

// Milliseconds from `start` to `end`, two timeGetTime readings. Taken modulo
// 2^32, so a span across the reading's wrap or sign change is still right.
std::uint32_t ElapsedMilliseconds(std::int32_t start, std::int32_t end);

// Ask for, and give back, a timer granularity of `period` milliseconds,
// counting the requests. On Windows they are winmm's timeBeginPeriod and
// timeEndPeriod and return their result (0, TIMERR_NOERROR, on success).
// Linux timers already have that granularity, so there they only keep
// count and return 0.
std::uint32_t timeBeginPeriod(std::uint32_t period);
std::uint32_t timeEndPeriod(std::uint32_t period);

// Requests made by timeBeginPeriod and not yet withdrawn.
int OutstandingTimerPeriods();

}  // namespace System
