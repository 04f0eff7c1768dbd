// How many large memory mappings the process's own code has asked the
// system for: buffers of a megabyte and more get pages of their own, so a
// test can tell an array reused from one mapped afresh. Counted at the
// system call the test program is linked to go through (test_mappings).
#pragma once

#include <cstddef>

namespace TestSupport {

std::size_t LargeMappingsMade() noexcept;

}  // namespace TestSupport
