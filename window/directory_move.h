// How a directory list moves, whatever toolkit draws it: the new directory
// is listed before anything changes, then shown, then the list's change
// event is raised; an event that fails puts the list back where it was.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Window {

// Shows a directory and its subdirectories in a directory list.
using ShowDirectory =
    std::function<void(const std::string& path, const std::vector<std::string>& subdirectories)>;

// Moves a directory list showing `current` (with `currentSubdirectories`) to
// `path`, normalised: throws without showing anything when it cannot be
// listed; shows it again, raising nothing, when it is the current one;
// otherwise shows it and calls `onChange` (when set), and when that throws,
// shows `current` again and passes the error on.
void MoveDirectoryList(const std::string& path, const std::string& current,
                       const std::vector<std::string>& currentSubdirectories,
                       const ShowDirectory& show, const std::function<void()>& onChange);

}  // namespace Window
