#include "platform/os/directory_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <memory>
#include <utility>

#include "platform/os/error.h"

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

// A name as the file managers of the desktop order it: runs of digits by
// the number they write, the text between them without regard to case and
// in the collation of the user's locale. Bytes the locale cannot decode
// order after every character, by their value.
class NameOrderKey {
  public:
    explicit NameOrderKey(const std::string& name) {
        std::mbstate_t state{};
        std::wstring text;
        for (std::size_t at = 0; at < name.size();) {
            if (IsDigit(name[at])) {
                AddText(text);
                std::size_t end = at;
                while (end < name.size() && IsDigit(name[end])) {
                    ++end;
                }
                const std::size_t first = std::min(name.find_first_not_of('0', at), end - 1);
                parts_.push_back({true, std::wstring(name.begin() + static_cast<long>(first),
                                                     name.begin() + static_cast<long>(end))});
                at = end;
                continue;
            }
            wchar_t c = 0;
            const std::size_t length = std::mbrtowc(&c, name.data() + at, name.size() - at, &state);
            if (length == 0 || length > name.size() - at) {
                state = {};
                text += static_cast<wchar_t>(0x110000 + static_cast<unsigned char>(name[at]));
                ++at;
            } else {
                text += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
                at += length;
            }
        }
        AddText(text);
    }

    // <0, 0 or >0 as `a` comes before, with or after `b`; a number before
    // text in the same place, as a digit comes before a letter.
    static int Compare(const NameOrderKey& a, const NameOrderKey& b) {
        const std::size_t common = std::min(a.parts_.size(), b.parts_.size());
        for (std::size_t i = 0; i < common; ++i) {
            const Part& x = a.parts_[i];
            const Part& y = b.parts_[i];
            if (x.number != y.number) {
                return x.number ? -1 : 1;
            }
            if (x.number && x.key.size() != y.key.size()) {
                return x.key.size() < y.key.size() ? -1 : 1;
            }
            if (const int order = x.key.compare(y.key); order != 0) {
                return order;
            }
        }
        return static_cast<int>(a.parts_.size()) - static_cast<int>(b.parts_.size());
    }

  private:
    struct Part {
        bool number;       // a run of digits, its leading zeros left out
        std::wstring key;  // the digits, or the text's collation key
    };

    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    void AddText(std::wstring& text) {
        if (!text.empty()) {
            std::wstring key(std::wcsxfrm(nullptr, text.c_str(), 0) + 1, L'\0');
            key.resize(std::wcsxfrm(key.data(), text.c_str(), key.size()));
            parts_.push_back({false, std::move(key)});
            text.clear();
        }
    }

    std::vector<Part> parts_;
};

// `names` in the file managers' order; names alike in it by their bytes.
void SortAsFileManagers(std::vector<std::string>& names) {
    std::vector<std::pair<NameOrderKey, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        keyed.emplace_back(NameOrderKey(name), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const int order = NameOrderKey::Compare(a.first, b.first);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = std::move(keyed[i].second);
    }
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
    SortAsFileManagers(names);
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
