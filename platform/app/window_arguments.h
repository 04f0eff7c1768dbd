// What the window's command line means, on every system: nothing (one
// window as usual), the paths to open a window on each, as a file manager
// passes them ("tallix PATH...", Send to with a selection; "--" before a
// path that starts with "-"), or a request for the usage or the version.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace App {

// The exit status of a command line the window cannot take.
inline constexpr int kUsageExitStatus = 2;

// The most windows one command line opens, as Explorer offers a verb on
// at most 15 files at once.
inline constexpr std::size_t kMostWindows = 15;

struct WindowArguments {
    std::vector<std::string> paths;  // a window on each; none: one window as usual
    std::string error;               // not empty: why the line cannot be taken, and its usage
    std::string text;  // not empty: the usage or version asked for, instead of a window
    // Beyond kMostWindows paths: the first that opens no window, and why.
    struct LeftOut {
        std::string path;
        std::string reason;
    };
    std::optional<LeftOut> leftOut;
};

// Reads `arguments` (the program's name left out). "--help", "-?" or "/?"
// asks for the usage, "--version" for the version; another option (an
// argument starting with "-" before any "--") or an empty path cannot be
// taken, and the message names an option with its control characters
// escaped, so it shows on one line whatever it holds.
WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments);

// Where each window opens: on each path given, or, when none was, one
// window where the program starts (no path).
std::vector<std::optional<std::string>> WindowStarts(const WindowArguments& arguments);

}  // namespace App
