// Which names POSIX hides: the rule the listings and the lookup of
// ordinary files share.
#pragma once

#include <string_view>

namespace System {

// Whether a file or directory name is hidden: on POSIX, it starts with ".".
bool IsHiddenName(std::string_view name);

}  // namespace System
