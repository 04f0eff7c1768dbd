#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "cli/system/walk.h"
#include "platform/system/os/error.h"

namespace Cli::Os {
namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const noexcept { ::closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

WalkEntry::Kind KindOfTarget(int directoryFd, const char* name) {
    struct stat target {};
    if (::fstatat(directoryFd, name, &target, 0) != 0) {
        return WalkEntry::Kind::kFile;  // leads nowhere: measuring it says why
    }
    if (S_ISDIR(target.st_mode)) {
        return WalkEntry::Kind::kPassedOver;
    }
    return S_ISREG(target.st_mode) ? WalkEntry::Kind::kFile : WalkEntry::Kind::kPassedOver;
}

// The kind of entry `name`, whose type the directory read gave as `type`;
// the entry itself is looked up only when the type does not say.
WalkEntry::Kind KindOfWalkEntry(int directoryFd, const std::string& directory, const char* name,
                                unsigned char type) {
    if (type == DT_UNKNOWN) {
        struct stat info {};
        if (::fstatat(directoryFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) {
                return WalkEntry::Kind::kPassedOver;  // removed since the directory was read
            }
            throw System::SystemError(System::Operation::kExamine, directory + "/" + name, errno);
        }
        type = S_ISDIR(info.st_mode)   ? DT_DIR
               : S_ISREG(info.st_mode) ? DT_REG
               : S_ISLNK(info.st_mode) ? DT_LNK
                                       : DT_FIFO;
    }
    switch (type) {
        case DT_DIR:
            return WalkEntry::Kind::kDirectory;
        case DT_REG:
            return WalkEntry::Kind::kFile;
        case DT_LNK:
            return KindOfTarget(directoryFd, name);
        default:
            return WalkEntry::Kind::kPassedOver;
    }
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? PathKind::kMissing : PathKind::kOther;
    }
    return S_ISDIR(info.st_mode) ? PathKind::kDirectory : PathKind::kOther;
}

std::vector<WalkEntry> ListWalkEntries(const std::string& path) {
    DirectoryHandle directory(::opendir(path.c_str()));
    if (!directory) {
        throw System::SystemError(System::Operation::kList, path, errno);
    }
    const int fd = ::dirfd(directory.get());
    std::vector<WalkEntry> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            entries.push_back(
                {entry->d_name, KindOfWalkEntry(fd, path, entry->d_name, entry->d_type)});
        }
        errno = 0;
    }
    if (errno != 0) {
        throw System::SystemError(System::Operation::kList, path, errno);
    }
    std::sort(entries.begin(), entries.end(),
              [](const WalkEntry& a, const WalkEntry& b) { return a.name < b.name; });
    return entries;
}

}  // namespace Cli::Os
