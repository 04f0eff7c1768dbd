// The Windows pieces the whole-file read (files_win32.cpp) and the
// streaming read (stream_read_win32.cpp) share: how a file is opened, what
// may be read, and one read request. Internal to platform_files.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/system/files/files.h"
#include "platform/system/os/error.h"

namespace System::Win32 {

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

// The most one ReadFile call takes.
inline constexpr std::size_t kLargestReadRequest = MAXDWORD;

// Opens `path` for reading only, sharing every mode so a file another
// program has open still reads. Throws PlatformError(Operation::kOpen) with the
// system's reason when it cannot be opened.
FileHandle OpenForReading(const std::string& path);

// Throws PlatformError(Operation::kRead, path, "not a regular file") unless `file` is
// a file on disk: a device name (CON, COM1) or a pipe could wait for ever.
void RequireDiskFile(HANDLE file, const std::string& path);

// One ReadFile of at most `count` bytes (and kLargestReadRequest), or of
// what `requests` (files.h) makes of that count. Returns the bytes read, 0
// at the end (a pipe whose writer closed its end included); throws
// PlatformError(Operation::kRead, name) with the system's reason.
std::size_t ReadRequest(HANDLE file, const std::string& name, std::uint8_t* out, std::size_t count,
                        const ReadRequestSize& requests = {});

// Reads until `count` bytes or the end of the file, each request sized by
// `requests`; returns the bytes read.
std::size_t ReadUpTo(HANDLE file, const std::string& path, std::uint8_t* out, std::size_t count,
                     const ReadRequestSize& requests = {});

// The error of a file that ended before the size it had when opened.
PlatformError FileChanged(const std::string& path);

}  // namespace System::Win32
