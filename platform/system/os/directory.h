// Directory listings and paths for the window's lists. Names and paths are
// the program's strings for the system's own: on POSIX the native byte
// strings (names that are not valid UTF-8 included), on Windows the UTF-8
// form of the UTF-16 names (directory_win32.cpp). Either way a listed name
// always opens the entry it came from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace System {

// The character that separates directory names in a path on this system:
// "/" on POSIX, "\\" on Windows.
extern const char kPathSeparator[];

// The names of the subdirectories of `path` that are not hidden (on POSIX a
// name starting with "."; on Windows the hidden attribute), sorted as the
// system's file manager sorts names: without regard to case, numbers in
// their order ("item2" before "item10"), on POSIX in the collation of the
// user's locale, on Windows as Explorer does. Throws PlatformError when the
// directory cannot be read ("list"), cannot be entered although its names
// can be read ("enter": a directory the user may read but not search), or
// one of its entries cannot be examined ("examine").
std::vector<std::string> ListSubdirectories(const std::string& path);

// The names of the ordinary files in `path`: regular files (or links to
// them) that are not hidden (on Windows, neither hidden nor system files),
// sorted as ListSubdirectories sorts. Throws PlatformError as
// ListSubdirectories does.
std::vector<std::string> ListOrdinaryFiles(const std::string& path);

// The process's current directory. Throws PlatformError when it is gone.
std::string CurrentDirectory();

// `path` made absolute against the current directory, with "." and ".."
// resolved lexically, repeated separators folded and no trailing separator
// except for the root. On Windows "/" counts as a separator too and is
// written "\\", a drive alone ("C:", as the drive list names it) gives
// its root ("C:\\"), a path in the verbatim form ("\\\\?\\C:\\a") is the
// plain path it names ("C:\\a"), and a name ending in a dot or space stays
// as it is.
std::string NormalDirectoryPath(const std::string& path);

// `path` with each separator written as this system writes it: on Windows
// "/" becomes "\\"; on POSIX `path` as it is.
std::string WithSystemSeparators(std::string path);

// The ancestors of an absolute normal path from the root down, ending with
// the path itself: "/home/a" gives "/", "/home", "/home/a"; on Windows
// "C:\\data\\a" gives "C:\\", "C:\\data", "C:\\data\\a".
std::vector<std::string> PathAndAncestors(const std::string& path);

// `directory` followed by `name`, with `separator` between them unless
// `directory` already ends in it (a root such as "/" or "C:\\").
std::string JoinPath(const std::string& directory, std::string_view separator,
                     const std::string& name);

// Whether `path` names its place without the current directory: on POSIX
// it starts with "/"; on Windows it starts with a separator ("\\" or "/")
// or names a drive ("C:").
bool IsAbsolutePath(std::string_view path);

// The directory part of `path` up to and with its last separator
// ("/home/a/" for "/home/a/list"; "C:\\data\\" for "C:\\data\\list"), or
// an empty string when it has none.
std::string DirectoryPrefix(const std::string& path);

// The last name in a normal path; the root gives itself.
std::string LastName(const std::string& path);

}  // namespace System
