// The system's side of the timer-period requests, one implementation per
// system (clock_posix.cpp, clock_win32.cpp); clock.cpp counts the requests
// around them.
#pragma once

#include <cstdint>

namespace System {

std::uint32_t SystemBeginPeriod(std::uint32_t period);
std::uint32_t SystemEndPeriod(std::uint32_t period);

}  // namespace System
