// What every Windows service shares: the program's UTF-8 strings turned
// into the UTF-16 that the ...W calls take and back, paths in the form that
// reaches beyond MAX_PATH, and errors with the system's own message text.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/system/os/error.h"

namespace System {

// UTF-16 text for UTF-8 `text`. A name Windows gave with a lone surrogate
// half (UTF-16 that is not valid Unicode) comes back from Utf8Text as the
// three bytes of that half (WTF-8), and turns back into it here, so every
// listed name reopens its own file. Throws PlatformError(Operation::kOpen, text,
// "the name is not valid UTF-8") for any other invalid byte sequence: it
// could only name some other file.
std::wstring WideText(std::string_view text);

// UTF-8 text (WTF-8 for lone surrogate halves) for UTF-16 `text`.
std::string Utf8Text(std::wstring_view text);

// `path` as the ...W file calls take it: made full by FullWindowsPath
// (windows_path.h), every name kept as written, and given the "\\?\"
// prefix ("\\?\UNC\" for a network path), which reaches names ending in a
// dot or space and device names ("a.", "CON", "nul.txt") as the files they
// are, and lifts the MAX_PATH limit to 32767 characters. Only the system
// sees this form: messages name `path` as given. Throws PlatformError when
// `path` is not valid UTF-8, or for a relative path when the current
// directory is gone.
std::wstring SystemPath(const std::string& path);

// The current directory: the process's for "", the one the system keeps
// for the drive "D:" otherwise. Throws PlatformError(Operation::kFind).
std::string CurrentDirectoryOn(std::string_view drive);

// The system's message for the error `code` (GetLastError), without its
// trailing line break and full stop; the number when there is none.
std::string SystemMessage(DWORD code);

// A PlatformError for `operation` on `path` with the system's message; for
// an invalid name holding a wildcard ('*', '?'), a pattern that matched
// nothing, the message for a file not found.
PlatformError WindowsError(Operation operation, std::string path, DWORD code);

}  // namespace System
