#include "platform/system/os/directory_posix.h"

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

#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace System {

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

// Names as the file managers of the desktop order them: runs of digits by
// the number they write, the text between them without regard to case and
// in the collation of the user's locale; names alike in that order by
// their bytes. A byte the locale cannot decode counts as a character of
// its own, beyond Unicode. Each name's order key is made once, into one
// buffer for all names, so sorting 100,000 names compares keys without
// allocating.
class NameOrder {
  public:
    explicit NameOrder(const std::vector<std::string>& names) : names_(names) {
        std::size_t bytes = 0;
        for (const std::string& name : names) {
            bytes += name.size() + 6;  // most names hold at most three parts
        }
        keys_.reserve(bytes);
        starts_.reserve(names.size() + 1);
        for (const std::string& name : names) {
            starts_.push_back(keys_.size());
            AppendKey(name);
        }
        starts_.push_back(keys_.size());
    }

    // Whether the name at `a` comes before the one at `b`.
    bool Before(std::size_t a, std::size_t b) const {
        const int order = Compare(a, b);
        return order != 0 ? order < 0 : names_[a] < names_[b];
    }

  private:
    // A key is a row of parts, each its kind, its length and its wide
    // characters: a number (its digits, leading zeros left out) or a text
    // (the collation key of its lower case). A number comes before a text
    // in the same place, as a digit comes before a letter.
    enum Kind : wchar_t { kNumber, kText };

    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    void AppendPart(Kind kind, const wchar_t* characters, std::size_t length) {
        keys_.push_back(kind);
        keys_.push_back(static_cast<wchar_t>(length));
        keys_.insert(keys_.end(), characters, characters + length);
    }

    void AppendText() {
        if (text_.empty()) {
            return;
        }
        collated_.resize(std::wcsxfrm(nullptr, text_.c_str(), 0) + 1);
        collated_.resize(std::wcsxfrm(collated_.data(), text_.c_str(), collated_.size()));
        AppendPart(kText, collated_.data(), collated_.size());
        text_.clear();
    }

    void AppendKey(const std::string& name) {
        std::mbstate_t state{};
        for (std::size_t at = 0; at < name.size();) {
            const auto byte = static_cast<unsigned char>(name[at]);
            if (IsDigit(name[at])) {
                AppendText();
                std::size_t end = at;
                while (end < name.size() && IsDigit(name[end])) {
                    ++end;
                }
                const std::size_t first = std::min(name.find_first_not_of('0', at), end - 1);
                const std::wstring digits(name.begin() + static_cast<std::ptrdiff_t>(first),
                                          name.begin() + static_cast<std::ptrdiff_t>(end));
                AppendPart(kNumber, digits.data(), digits.size());
                at = end;
                continue;
            }
            wchar_t c = 0;
            std::size_t length = 1;
            if (byte < 0x80) {  // every locale's multibyte encoding keeps ASCII as it is
                c = static_cast<wchar_t>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            } else {
                length = std::mbrtowc(&c, name.data() + at, name.size() - at, &state);
                if (length == 0 || length > name.size() - at) {
                    state = {};
                    length = 1;
                    c = static_cast<wchar_t>(0x110000 + byte);
                } else {
                    c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
                }
            }
            text_ += c;
            at += length;
        }
        AppendText();
    }

    int Compare(std::size_t a, std::size_t b) const {
        std::size_t x = starts_[a];
        std::size_t y = starts_[b];
        const std::size_t xEnd = starts_[a + 1];
        const std::size_t yEnd = starts_[b + 1];
        for (; x < xEnd && y < yEnd;) {
            if (keys_[x] != keys_[y]) {
                return keys_[x] == kNumber ? -1 : 1;
            }
            const auto xLength = static_cast<std::size_t>(keys_[x + 1]);
            const auto yLength = static_cast<std::size_t>(keys_[y + 1]);
            if (keys_[x] == kNumber && xLength != yLength) {
                return xLength < yLength ? -1 : 1;
            }
            const int order =
                std::wmemcmp(&keys_[x + 2], &keys_[y + 2], std::min(xLength, yLength));
            if (order != 0) {
                return order;
            }
            if (xLength != yLength) {
                return xLength < yLength ? -1 : 1;
            }
            x += 2 + xLength;
            y += 2 + yLength;
        }
        return (x < xEnd ? 1 : 0) - (y < yEnd ? 1 : 0);
    }

    const std::vector<std::string>& names_;
    std::vector<wchar_t> keys_;
    std::vector<std::size_t> starts_;
    std::wstring text_;              // the text part being read
    std::vector<wchar_t> collated_;  // its collation key
};

// `names` in the file managers' order.
void SortAsFileManagers(std::vector<std::string>& names) {
    std::vector<std::size_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    {
        const NameOrder byName(names);
        std::sort(order.begin(), order.end(),
                  [&byName](std::size_t a, std::size_t b) { return byName.Before(a, b); });
    }
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::size_t i : order) {
        sorted.push_back(std::move(names[i]));
    }
    names = std::move(sorted);
}

// The names of the entries of `path` of kind `wanted` that are not hidden,
// sorted. The type each entry carries in the directory answers for most of
// them, so a listing of many files costs one read of the directory and no
// lookup per entry.
std::vector<std::string> ListEntries(const std::string& path, EntryKind wanted) {
    DirectoryHandle directory(::opendir(path.c_str()));
    if (!directory) {
        throw SystemError(Operation::kList, path, errno);
    }
    const int fd = ::dirfd(directory.get());
    // Reading names needs read permission; using any of them (opening a
    // file, entering a subdirectory) needs search permission as well. A
    // directory with the one but not the other would list entries that
    // cannot be opened, so it is refused as a whole. Looking up "." in it
    // asks the system itself, with every rule it applies.
    struct stat self {};
    if (::fstatat(fd, ".", &self, 0) != 0) {
        throw SystemError(Operation::kEnter, path, errno);
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
        throw SystemError(Operation::kList, path, errno);
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
            throw SystemError(Operation::kExamine, JoinPath(directory, "/", name), errno);
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
        throw PlatformError(Operation::kFind, Tr("the current directory"), error.message());
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

}  // namespace System
