// Listings and paths on Windows: drive roots such as "C:\", "\" between
// names, UTF-16 names at the system and UTF-8 inside the program.
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/find_win32.h"
#include "platform/system/os/text_win32.h"
#include "platform/system/os/translation.h"
#include "platform/system/os/windows_path.h"

namespace System {

const char kPathSeparator[] = "\\";

namespace {

enum class Wanted { kDirectories, kFiles };

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "C:" alone, as the drive list names a drive.
bool IsBareDrive(const std::string& path) {
    return path.size() == 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

// A path in the system's verbatim form ("\\?\C:\a", "\\?\UNC\server\share")
// as the plain path it names, which the lists show under its drive.
std::string WithoutVerbatimPrefix(const std::string& path) {
    if (path.starts_with("\\\\?\\UNC\\")) {
        return "\\\\" + path.substr(8);
    }
    if (path.starts_with("\\\\?\\") && path.size() >= 6 && IsDriveLetter(path[4]) &&
        path[5] == ':') {
        return path.substr(4);
    }
    return path;
}

bool Wants(const WIN32_FIND_DATAW& entry, Wanted wanted) {
    const DWORD attributes = entry.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_HIDDEN) != 0) {
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return wanted == Wanted::kDirectories;
    }
    // System files are not ordinary files; the lookup of a click refuses them.
    return wanted == Wanted::kFiles && (attributes & FILE_ATTRIBUTE_SYSTEM) == 0;
}

// In Explorer's order: without regard to case, numbers by their value;
// names alike in it (in a folder that tells case apart) by their bytes.
std::vector<std::string> ListEntries(const std::string& path, Wanted wanted) {
    std::vector<std::pair<std::wstring, std::string>> entries;
    ForEachDirectoryEntry(path, [&](const WIN32_FIND_DATAW& entry) {
        if (Wants(entry, wanted)) {
            entries.emplace_back(entry.cFileName, Utf8Text(entry.cFileName));
        }
    });
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const int order = ::StrCmpLogicalW(a.first.c_str(), b.first.c_str());
        return order != 0 ? order < 0 : a.second < b.second;
    });
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (auto& entry : entries) {
        names.push_back(std::move(entry.second));
    }
    return names;
}

}  // namespace

std::vector<std::string> ListSubdirectories(const std::string& path) {
    return ListEntries(path, Wanted::kDirectories);
}

std::vector<std::string> ListOrdinaryFiles(const std::string& path) {
    return ListEntries(path, Wanted::kFiles);
}

std::string CurrentDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data());
        if (length == 0) {
            throw WindowsError(Operation::kFind, Tr("the current directory"), ::GetLastError());
        }
        if (length < path.size()) {
            path.resize(length);
            return Utf8Text(path);
        }
        path.resize(length);  // the size needed, with its terminating zero
    }
}

std::string NormalDirectoryPath(const std::string& given) {
    const std::string path = WithoutVerbatimPrefix(given);
    if (IsBareDrive(path)) {
        return path + kPathSeparator;  // a drive chosen in the drive list lands at its root
    }
    return FullWindowsPath(path.empty() ? "." : path, CurrentDirectoryOn);
}

std::vector<std::string> PathAndAncestors(const std::string& path) {
    const std::size_t root = WindowsRootLength(path);
    std::vector<std::string> chain{path.substr(0, root)};
    for (std::size_t at = path.find('\\', root); at != std::string::npos;
         at = path.find('\\', at + 1)) {
        chain.push_back(path.substr(0, at));
    }
    if (path.size() > root) {
        chain.push_back(path);
    }
    return chain;
}

std::string WithSystemSeparators(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool IsAbsolutePath(std::string_view path) {
    return (!path.empty() && IsSeparator(path[0])) ||
           (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':');
}

std::string DirectoryPrefix(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string::npos) {
        return path.substr(0, separator + 1);
    }
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

std::string LastName(const std::string& path) {
    const std::size_t root = WindowsRootLength(path);
    const std::size_t separator = path.find_last_of("\\/");
    if (path.size() <= root || separator == std::string::npos) {
        return path;
    }
    return path.substr(separator + 1);
}

}  // namespace System
