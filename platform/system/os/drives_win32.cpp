#include <windows.h>

#include "platform/system/os/drives.h"
#include "platform/system/os/text_win32.h"

namespace System {

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

std::string VolumeLabel(const std::string& drive) {
    if (drive.size() != 2 || drive[1] != ':') {
        return {};
    }
    const std::wstring root = WideText(drive) + L"\\";
    if (::GetDriveTypeW(root.c_str()) == DRIVE_REMOTE) {
        return {};
    }
    wchar_t label[MAX_PATH + 1]{};
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                 nullptr, 0)) {
        return {};
    }
    return Utf8Text(label);
}

}  // namespace System
