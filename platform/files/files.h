// The file operations the window needs: a size query, a whole-file read and
// a lookup of ordinary files. Paths are native byte strings (any bytes but
// NUL on POSIX, names that are not valid UTF-8 included).
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/byte_buffer.h"
#include "platform/files/file_content.h"

namespace Platform {

// Files from this size up are mapped rather than read (see ReadFileContent).
inline constexpr std::int64_t kMappedFileThreshold = std::int64_t{1} << 20;

// The report's file stage: the whole content of the regular file at `path`,
// in one array of exactly its size, the file closed or (mapped) held only
// by the content.
// - A file on an ordinary file system is read in one request for its size,
//   or from kMappedFileThreshold bytes up mapped read-only (see
//   FileContent). A zero-length one is not opened.
// - A file on a kernel pseudo file system (procfs, sysfs, debugfs, cgroup
//   and the like) has no trustworthy size (0 for most, 4096 for sysfs
//   whatever they hold), so it is opened and read to its end, and the
//   content is the bytes read.
// The memory check (memory_check.h) bounds both. Throws PlatformError when
// the path does not exist, is not a regular file, cannot be opened or read,
// shrank before its size was read, or does not fit in memory; a pseudo file
// that would block (it has no end yet) is an error too, never a wait.
FileContent ReadFileContent(const std::string& path);

// The plain path, size first and then exactly that many bytes read into a
// buffer, never mapped and with no special case for pseudo files. The
// report uses ReadFileContent; the benchmarks measure this beside it.

// The size of the regular file at `path` in bytes. Throws PlatformError
// when the path does not exist, cannot be queried or names anything but a
// regular file (a directory, FIFO, socket or device).
std::int64_t QueryFileLength(const std::string& path);

// Reads exactly the first `length` bytes of the regular file at `path` into a buffer
// of exactly that size, as one logical request, and closes the file before
// returning. Opens read-only and never creates. Throws PlatformError when the
// file cannot be opened or read, is not a regular file, holds fewer than
// `length` bytes (it shrank since its size was taken), or when there is not
// enough memory for the buffer. Bytes beyond `length` are not read.
ByteBuffer ReadWholeFile(const std::string& path, std::int64_t length);

// Reads the open descriptor `fd` (standard input, a pipe, a file) to its
// end into one buffer of exactly the bytes read. `name` names the source in
// errors. The buffer grows as the data comes, each growth from
// kMemoryCheckThreshold up checked against the memory available. Throws
// PlatformError when a read fails or the data does not fit in memory.
ByteBuffer ReadToEnd(int fd, const std::string& name);

// The whole text of the file at `path`, for text read whole such as a
// list: a regular file, or a FIFO read as a stream once a writer has come
// (as any reader of a FIFO waits); `isFifo` says which. The open never
// blocks (a FIFO without a writer, a device). Throws PlatformError for a
// directory ("Is a directory"), anything else that is neither ("not a
// regular file or FIFO"), a failed read, or text too large for memory.
ByteBuffer ReadFileOrFifo(const std::string& path, bool& isFifo);

// The file name part of `path` when it names an existing regular file that
// is not hidden; an empty string otherwise (missing, a directory, FIFO,
// socket or device, a hidden name, or not reachable at all).
std::string FindOrdinaryFile(const std::string& path);

}  // namespace Platform
