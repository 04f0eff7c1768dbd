#include "platform/os/directory_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>

#include "platform/os/error.h"
#include "platform/os/translation.h"

namespace Platform {

const char kPathSeparator[] = "/";

namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const noexcept { ::closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

EntryKind KindOfMode(mode_t mode) {
    if (S_ISDIR(mode)) {
        return EntryKind::kDirectory;
    }
    return S_ISREG(mode) ? EntryKind::kFile : EntryKind::kOther;
}

// The names of the entries of `path` of kind `wanted` that are not hidden,
// sorted. The type each entry carries in the directory answers for most of
// them, so a listing of many files costs one read of the directory and no
// lookup per entry.
std::vector<std::string> ListEntries(const std::string& path, EntryKind wanted) {
    DirectoryHandle directory(::opendir(path.c_str()));
    if (!directory) {
        throw SystemError("list", path, errno);
    }
    const int fd = ::dirfd(directory.get());
    // Reading names needs read permission; using any of them (opening a
    // file, entering a subdirectory) needs search permission as well. A
    // directory with the one but not the other would list entries that
    // cannot be opened, so it is refused as a whole. Looking up "." in it
    // asks the system itself, with every rule it applies.
    struct stat self {};
    if (::fstatat(fd, ".", &self, 0) != 0) {
        throw SystemError("enter", path, errno);
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        if (!IsHiddenName(entry->d_name) &&
            KindOfEntry(fd, path, entry->d_name, entry->d_type) == wanted) {
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

EntryKind KindOfEntry(int directoryFd, const std::string& directory, const char* name,
                      unsigned char type) {
    switch (type) {
        case DT_DIR:
            return EntryKind::kDirectory;
        case DT_REG:
            return EntryKind::kFile;
        case DT_LNK:
        case DT_UNKNOWN:
            break;
        default:
            return EntryKind::kOther;
    }
    struct stat info {};
    if (type == DT_UNKNOWN) {
        if (::fstatat(directoryFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                return EntryKind::kOther;  // removed since the directory was read
            }
            throw SystemError("examine", JoinPath(directory, "/", name), errno);
        }
        if (!S_ISLNK(info.st_mode)) {
            return KindOfMode(info.st_mode);
        }
    }
    // A link is what it leads to. One that leads nowhere (dangling, a loop)
    // or only through a directory the user may not search is left out, as
    // nothing behind it could be opened.
    if (::fstatat(directoryFd, name, &info, 0) != 0) {
        return EntryKind::kOther;
    }
    return KindOfMode(info.st_mode);
}

std::vector<std::string> ListSubdirectories(const std::string& path) {
    return ListEntries(path, EntryKind::kDirectory);
}

std::vector<std::string> ListOrdinaryFiles(const std::string& path) {
    return ListEntries(path, EntryKind::kFile);
}

std::string CurrentDirectory() {
    std::error_code error;
    const auto path = std::filesystem::current_path(error);
    if (error) {
        throw PlatformError("find", Tr("the current directory"), error.message());
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

std::string WithSystemSeparators(std::string path) {
    return path;
}

bool IsAbsolutePath(std::string_view path) {
    return path.starts_with('/');
}

std::string DirectoryPrefix(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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
