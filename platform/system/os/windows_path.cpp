#include "platform/system/os/windows_path.h"

#include <algorithm>
#include <string>

namespace System {
namespace {

constexpr std::string_view kExtendedPrefix = "\\\\?\\";
constexpr std::string_view kDevicePrefix = "\\\\.\\";

bool HasDrive(std::string_view path) {
    const bool letter = path.size() >= 2 &&
                        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return letter && path[1] == ':';
}

bool IsVerbatim(std::string_view path) {
    return path.starts_with(kExtendedPrefix) || path.starts_with(kDevicePrefix);
}

// The length of "\\server\share\" at the start of `path` (from `start`, just
// past the two leading separators), the separator after the share counted
// when there is one.
std::size_t ShareRootLength(std::string_view path, std::size_t start) {
    const std::size_t server = path.find('\\', start);
    if (server == std::string_view::npos) {
        return path.size();
    }
    const std::size_t share = path.find('\\', server + 1);
    return share == std::string_view::npos ? path.size() : share + 1;
}

// `full` with the names of `rest` ("\\" between them) added, "." passed over and ".." taking
// away the last name, never the root (the first `root` characters).
void AppendNames(std::string& full, std::size_t root, std::string_view rest) {
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\\'), rest.size());
        const std::string_view name = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            const std::size_t last = full.find_last_of('\\');
            full.resize(std::max(last == std::string::npos ? 0 : last, root));
            continue;
        }
        if (!full.empty() && full.back() != '\\') {
            full += '\\';
        }
        full.append(name);
    }
}

// `directory` (a full path) with `rest` resolved against it.
std::string Resolved(std::string directory, std::string_view rest) {
    const std::size_t root = WindowsRootLength(directory);
    while (directory.size() > root && directory.back() == '\\') {
        directory.pop_back();
    }
    AppendNames(directory, root, rest);
    return directory;
}

}  // namespace

std::size_t WindowsRootLength(std::string_view path) {
    if (path.starts_with("\\\\?\\UNC\\")) {
        return ShareRootLength(path, 8);
    }
    if (path.starts_with(kExtendedPrefix)) {
        return path.size() >= 7 && path[5] == ':' && path[6] == '\\' ? 7 : path.size();
    }
    if (path.starts_with("\\\\")) {
        return ShareRootLength(path, 2);
    }
    return HasDrive(path) && path.size() >= 3 && path[2] == '\\' ? 3 : 0;
}

std::string FullWindowsPath(std::string_view given, const CurrentDirectoryOf& current) {
    if (given.empty() || IsVerbatim(given)) {
        return std::string(given);
    }
    std::string path(given);
    std::replace(path.begin(), path.end(), '/', '\\');
    if (path.starts_with("\\\\")) {
        const std::size_t root = WindowsRootLength(path);
        std::string full = path.substr(0, root);
        if (root == path.size() && full.find('\\', 2) != std::string::npos) {
            full += '\\';  // "\\server\share" names the share's root
        }
        AppendNames(full, full.size(), std::string_view(path).substr(root));
        return full;
    }
    if (HasDrive(path)) {
        if (path.size() >= 3 && path[2] == '\\') {
            std::string full = path.substr(0, 3);
            AppendNames(full, 3, std::string_view(path).substr(3));
            return full;
        }
        return Resolved(current(path.substr(0, 2)), std::string_view(path).substr(2));
    }
    std::string directory = current("");
    if (path.starts_with('\\')) {
        directory.resize(WindowsRootLength(directory));  // the current drive's root
    }
    return Resolved(std::move(directory), path);
}

std::string ExtendedWindowsPath(std::string_view fullPath) {
    if (fullPath.empty() || IsVerbatim(fullPath)) {
        return std::string(fullPath);
    }
    if (fullPath.starts_with("\\\\")) {
        return "\\\\?\\UNC\\" + std::string(fullPath.substr(2));
    }
    return std::string(kExtendedPrefix) + std::string(fullPath);
}

}  // namespace System
