#include <windows.h>

#include "platform/os/drives.h"

namespace Platform {

std::vector<std::string> ListDrives() {
    const DWORD letters = ::GetLogicalDrives();
    std::vector<std::string> drives;
    for (int letter = 0; letter < 26; ++letter) {
        if ((letters & (DWORD{1} << letter)) != 0) {
            drives.push_back(std::string(1, static_cast<char>('A' + letter)) + ":");
        }
    }
    return drives;
}

std::string DriveOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') {
        const char letter =
            path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 32) : path[0];
        return std::string(1, letter) + ":";
    }
    if (path.starts_with("\\\\")) {
        const std::size_t server = path.find('\\', 2);
        const std::size_t share =
            server == std::string::npos ? std::string::npos : path.find('\\', server + 1);
        return path.substr(0, share);
    }
    return path;
}

}  // namespace Platform
