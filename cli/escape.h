// The escaping that keeps a file name on one line of output. A name holding
// a backslash, a newline or a carriage return is written with "\\", "\n" and
// "\r" in their place, and the line that carries it starts with a backslash;
// every other name is written as it is. A backslash in a written name
// therefore always means the name was escaped. On Windows, where the
// backslash separates directory names (and no name on disk holds a line
// break), only a name with a line break is escaped: "C:\data\a.txt" is
// written as it is, and a line escaped for a line break has every
// backslash doubled as well.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Cli {

// Whether `name` holds a newline, a carriage return or (where the
// backslash is not the path separator) a backslash.
bool NeedsEscaping(std::string_view name);

// `name` with each backslash, newline and carriage return written as "\\",
// "\n" and "\r" when NeedsEscaping(name); `name` unchanged otherwise.
std::string EscapedName(std::string_view name);

// The name that EscapedName wrote as `text` (which NeedsEscaping held for),
// or nothing when `text` holds a backslash followed by anything but '\\',
// 'n' or 'r', or ends in a lone backslash.
std::optional<std::string> UnescapedName(std::string_view text);

}  // namespace Cli
