// The walk on Windows. A directory reached through a link (a symbolic link
// or junction: a name-surrogate reparse point) is passed over, as links to
// directories are on POSIX, so no walk loops or leaves its tree. Other
// reparse points (a cloud file's placeholder folder, a deduplicated
// volume's) are directories like any other.
#include <windows.h>

#include <algorithm>

#include "cli/system/walk.h"
#include "cli/system/walk_win32.h"
#include "platform/system/os/error.h"
#include "platform/system/os/find_win32.h"
#include "platform/system/os/text_win32.h"

namespace Cli::Os {

WalkEntry::Kind WalkKindOf(DWORD attributes, DWORD reparseTag) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return WalkEntry::Kind::kFile;
    }
    const bool link =
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(reparseTag);
    return link ? WalkEntry::Kind::kPassedOver : WalkEntry::Kind::kDirectory;
}

PathKind KindOfPath(const std::string& path) {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    try {
        attributes = ::GetFileAttributesW(System::SystemPath(path).c_str());
    } catch (const System::PlatformError&) {
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
    System::ForEachDirectoryEntry(path, [&entries](const WIN32_FIND_DATAW& entry) {
        // The listing gives a reparse point's tag in dwReserved0.
        entries.push_back({System::Utf8Text(entry.cFileName),
                           WalkKindOf(entry.dwFileAttributes, entry.dwReserved0)});
    });
    std::sort(entries.begin(), entries.end(),
              [](const WalkEntry& a, const WalkEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace Cli::Os
