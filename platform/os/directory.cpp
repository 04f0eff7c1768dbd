#include "platform/os/directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>

#include "platform/os/error.h"

namespace Platform {
namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const noexcept { ::closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

// Calls `keep` with the mode of every entry that is not hidden (links
// followed) and collects the names it accepts, sorted. Entries that vanish
// or cannot be examined while the list is read are left out.
template <typename Keep>
std::vector<std::string> ListEntries(const std::string& path, Keep keep) {
    DirectoryHandle directory(::opendir(path.c_str()));
    if (!directory) {
        throw SystemError("list", path, errno);
    }
    const int fd = ::dirfd(directory.get());
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        struct stat info {};
        if (!IsHiddenName(entry->d_name) && ::fstatat(fd, entry->d_name, &info, 0) == 0 &&
            keep(info.st_mode)) {
            names.emplace_back(entry->d_name);
        }
        errno = 0;
    }
    if (errno != 0) {
        throw SystemError("list", path, errno);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::vector<std::string> ListSubdirectories(const std::string& path) {
    return ListEntries(path, [](mode_t mode) { return S_ISDIR(mode); });
}

std::vector<std::string> ListOrdinaryFiles(const std::string& path) {
    return ListEntries(path, [](mode_t mode) { return S_ISREG(mode); });
}

std::string CurrentDirectory() {
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    if (error) {
        throw PlatformError("find", "the current directory", error.message());
    }
    return path.native();
}

std::string NormalDirectoryPath(const std::string& path) {
    std::filesystem::path absolute(path);
    if (absolute.is_relative()) {
        absolute = std::filesystem::path(CurrentDirectory()) / absolute;
    }
    std::string normal = absolute.lexically_normal().native();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

std::vector<std::string> PathAndAncestors(const std::string& path) {
    std::vector<std::string> chain{"/"};
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        chain.push_back(path.substr(0, slash));
    }
    if (path != "/") {
        chain.push_back(path);
    }
    return chain;
}

std::string JoinPath(const std::string& directory, std::string_view separator,
                     const std::string& name) {
    std::string path = directory;
    if (!path.ends_with(separator)) {
        path += separator;
    }
    return path + name;
}

std::string LastName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (path == "/" || slash == std::string::npos) {
        return path;
    }
    return path.substr(slash + 1);
}

bool IsHiddenName(std::string_view name) {
    return name.starts_with('.');
}

}  // namespace Platform
