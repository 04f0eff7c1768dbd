// Directory listings for the window's lists. Names are the native byte
// strings the system gives (names that are not valid UTF-8 included), so a
// listed name always opens the entry it came from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// The character that separates directory names in a path on this system.
#ifdef _WIN32
inline constexpr char kPathSeparator[] = "\\";
#else
inline constexpr char kPathSeparator[] = "/";
#endif

// The names of the subdirectories of `path` that are not hidden, sorted by
// name (byte order). Throws PlatformError when the directory cannot be read
// ("list"), cannot be entered although its names can be read ("enter": a
// directory the user may read but not search), or one of its entries cannot
// be examined ("examine").
std::vector<std::string> ListSubdirectories(const std::string& path);

// The names of the ordinary files in `path`: regular files (or links to
// them) that are not hidden, sorted by name (byte order). Throws
// PlatformError as ListSubdirectories does.
std::vector<std::string> ListOrdinaryFiles(const std::string& path);

// What a directory entry is, as the lists sort entries: a directory, a
// regular file, or anything else (a device, FIFO, socket, or a link that
// leads nowhere the user may go).
enum class EntryKind { kDirectory, kFile, kOther };

// The kind of the entry `name` of the open directory `directoryFd`, whose
// type the directory read gave as `type` (a DT_ value). The type answers
// for directories, regular files and the rest; a link (DT_LNK) is followed,
// and an unknown type (DT_UNKNOWN, on file systems that do not record it)
// is looked up. An entry that vanished since the read is kOther. Throws
// PlatformError ("examine", `directory`/`name`) when the entry itself
// cannot be examined.
EntryKind KindOfEntry(int directoryFd, const std::string& directory, const char* name,
                      unsigned char type);

// The process's current directory. Throws PlatformError when it is gone.
std::string CurrentDirectory();

// `path` made absolute against the current directory, with "." and ".."
// resolved lexically, repeated separators folded and no trailing separator
// except for the root.
std::string NormalDirectoryPath(const std::string& path);

// The ancestors of an absolute normal path from the root down, ending with
// the path itself: "/home/a" gives "/", "/home", "/home/a".
std::vector<std::string> PathAndAncestors(const std::string& path);

// `directory` followed by `name`, with `separator` between them unless
// `directory` already ends in it (a root such as "/" or "C:\\").
std::string JoinPath(const std::string& directory, std::string_view separator,
                     const std::string& name);

// The last name in a normal path; the root gives itself.
std::string LastName(const std::string& path);

// Whether a file or directory name is hidden: on POSIX, it starts with ".".
bool IsHiddenName(std::string_view name);

}  // namespace Platform
