// Windows paths as text: made full and put in the form that reaches every
// name NTFS holds. Pure string work on the program's UTF-8 paths, with the
// current directories asked of the caller, so it is built and tested on
// every system; text_win32.cpp and directory_win32.cpp use it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace System {

// The current directory as a full path: the process's for "", the one the
// system keeps for the drive "D:" otherwise.
using CurrentDirectoryOf = std::function<std::string(std::string_view drive)>;

// The length of the root of a full path: 3 for "C:\", the whole of
// "\\server\share\" for a network path, with or without the "\\?\" prefix;
// 0 when `path` has none.
std::size_t WindowsRootLength(std::string_view path);

// `path` as a full path: "/" written "\", made absolute against the current
// directory (of its drive, for "D:name"), "." and ".." taken out and
// repeated separators folded, with no separator at the end but the root's.
// Every name is kept as written: the system's own clean-up would drop a
// trailing dot or space ("a.", "b ") and turn a device name ("CON",
// "nul.txt") into the device, so a listed name would not reach its file.
// An empty path, or one already in the "\\?\" or "\\.\" form, is returned
// as it is.
std::string FullWindowsPath(std::string_view path, const CurrentDirectoryOf& current);

// A full path in the form the system takes exactly as written, without
// MAX_PATH's limit: "\\?\C:\a" for "C:\a", "\\?\UNC\server\share\a" for
// "\\server\share\a". A path already in "\\?\" or "\\.\" form, or empty, is
// returned as it is.
std::string ExtendedWindowsPath(std::string_view fullPath);

}  // namespace System
