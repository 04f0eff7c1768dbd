// The walk on Windows. A directory reached through a reparse point (a
// symbolic link or junction) is passed over, as links to directories are
// on POSIX, so no walk loops or leaves its tree.
#include <windows.h>

#include <algorithm>

#include "platform/os/error.h"
#include "platform/os/find_win32.h"
#include "platform/os/text_win32.h"
#include "platform/os/walk.h"

namespace Platform {

PathKind KindOfPath(const std::string& path) {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    try {
        attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    } catch (const PlatformError&) {
        return PathKind::kMissing;  // not valid UTF-8: it names nothing
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME
                   ? PathKind::kMissing
                   : PathKind::kOther;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kDirectory : PathKind::kOther;
}

std::vector<WalkEntry> ListWalkEntries(const std::string& path) {
    std::vector<WalkEntry> entries;
    ForEachDirectoryEntry(path, [&entries](const WIN32_FIND_DATAW& entry) {
        const DWORD attributes = entry.dwFileAttributes;
        WalkEntry::Kind kind = WalkEntry::Kind::kFile;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? WalkEntry::Kind::kPassedOver
                                                                    : WalkEntry::Kind::kDirectory;
        }
        entries.push_back({Utf8Text(entry.cFileName), kind});
    });
    std::sort(entries.begin(), entries.end(),
              [](const WalkEntry& a, const WalkEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace Platform
