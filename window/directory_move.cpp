#include "window/directory_move.h"

#include "platform/system/os/directory.h"

namespace Window {

void MoveDirectoryList(const std::string& path, const std::string& current,
                       const std::vector<std::string>& currentSubdirectories,
                       const ShowDirectory& show, const std::function<void()>& onChange) {
    const std::string target = System::NormalDirectoryPath(path);
    const std::vector<std::string> subdirectories = System::ListSubdirectories(target);
    if (target == current) {
        show(target, subdirectories);
        return;
    }
    // Copies: showing the new directory replaces what `current` refers to.
    const std::string previousPath = current;
    const std::vector<std::string> previousSubdirectories = currentSubdirectories;
    show(target, subdirectories);
    try {
        if (onChange) {
            onChange();
        }
    } catch (...) {
        show(previousPath, previousSubdirectories);
        throw;
    }
}

}  // namespace Window
