// What the window's command line means, on every system: nothing (the
// window starts as usual) or one path to open on, as a file manager passes
// it ("tallix PATH"; "--" before a path that starts with "-").
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Platform {

// The exit status of a command line the window cannot take.
inline constexpr int kUsageExitStatus = 2;

struct WindowArguments {
    std::optional<std::string> path;  // the path to open on; none: as usual
    std::string error;                // not empty: why the line cannot be taken, and its usage
};

// Reads `arguments` (the program's name left out). An option (an argument
// starting with "-" before any "--"), more than one path or an empty one
// cannot be taken; the message names an option with its control
// characters escaped, so it shows on one line whatever it holds.
WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments);

}  // namespace Platform
