// The file operations the window needs: a size query, a whole-file read and
// a lookup of ordinary files. Paths are native byte strings (any bytes but
// NUL on POSIX, names that are not valid UTF-8 included).
#pragma once

#include <cstdint>
#include <string>

#include "platform/os/byte_buffer.h"

namespace Platform {

// The size of the regular file at `path` in bytes. Throws PlatformError
// when the path does not exist, cannot be queried or names anything but a
// regular file (a directory, FIFO, socket or device).
std::int64_t QueryFileLength(const std::string& path);

// Reads the first `length` bytes of the regular file at `path` into a buffer
// of exactly that size, as one logical request, and closes the file before
// returning. Opens read-only and never creates. Throws PlatformError when the
// file cannot be opened or read, is not a regular file, holds fewer than
// `length` bytes (it shrank since its size was taken), or when there is not
// enough memory for the buffer. Bytes beyond `length` are not read.
ByteBuffer ReadWholeFile(const std::string& path, std::int64_t length);

// Reads the open descriptor `fd` (standard input, a pipe, a file) to its
// end into one buffer of exactly the bytes read. `name` names the source in
// errors. The buffer grows as the data comes, each growth checked against
// the memory available. Throws PlatformError when a read fails or the data
// does not fit in memory.
ByteBuffer ReadToEnd(int fd, const std::string& name);

// The file name part of `path` when it names an existing regular file that
// is not hidden; an empty string otherwise (missing, a directory, FIFO,
// socket or device, a hidden name, or not reachable at all).
std::string FindOrdinaryFile(const std::string& path);

}  // namespace Platform
