// The file operations the window needs: a size query, a whole-file read and
// a lookup of ordinary files. Paths are native byte strings on POSIX (any
// bytes but NUL, names that are not valid UTF-8 included) and UTF-8 on
// Windows, where the implementation (files_win32.cpp) calls the UTF-16
// ...W functions and reads paths beyond MAX_PATH. Kernel pseudo files and
// FIFOs are Linux's; Windows has neither in its file system.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "platform/system/files/byte_buffer.h"
#include "platform/system/files/input_stream.h"

namespace System {

// A kernel pseudo file (below) that reports this size, or yields this many
// bytes, is refused: no real one comes near it, while some (/proc/kcore,
// /proc/self/pagemap) would fill memory for seconds with a frozen window.
inline constexpr std::int64_t kPseudoFileCap = std::int64_t{64} << 20;

// How the reads below ask the system for bytes: given the count a read
// request is about to ask for, the count to ask for instead (fewer makes a
// short read, as a slow device or a network file system gives) or a
// negative errno value to fail with, as a failing device does. Empty: each
// request as it is.
using ReadRequestSize = std::function<std::int64_t(std::size_t count)>;

// The report's file stage: the whole content of the regular file at `path`
// in the program's own array of exactly its size, the file closed before
// this returns.
// - A file on an ordinary file system: its size is queried, an array of
//   that size made, the file opened, read into it in one request (looping
//   where the system caps one read: Linux at 2 GiB - 4 KiB, Windows at
//   4 GiB - 1) and closed (ReadWholeFile). A
//   zero-length one is not opened. One that shrank before the read is an
//   error; one that grew gives the bytes its size covered.
// - A file on a kernel pseudo file system (procfs, sysfs, debugfs, cgroup
//   and the like) has no trustworthy size (0 for most, 4096 for sysfs
//   whatever they hold), so it is read to its end, up to kPseudoFileCap,
//   and the content is the bytes read.
// The memory check (memory_check.h) bounds both. Throws PlatformError when
// the path does not exist, is not a regular file, cannot be opened or read
// (with the system's reason), shrank before it was read, passes the pseudo
// file cap, or does not fit in memory; a pseudo file that would block (it
// has no end yet) is an error too, never a wait. Each read request is sized
// by `requests`.
ByteBuffer ReadFileContent(const std::string& path, const ReadRequestSize& requests = {});

// The array a report reads its file into, kept from one report to the next
// (the window's clicks, tallix-report's full report over several files).
// Each content is exactly the file's bytes as ReadFileContent takes them.
// From ByteBuffer::kMappedThreshold up it lies in the pages kept from the
// reports before when they are enough; otherwise those are released and new
// ones mapped, the memory check applying to the new size. Between reports
// the pages' contents go back to the system (ByteBuffer::DiscardContents):
// the memory is the system's when it needs it, and the next report finds
// the pages still there otherwise, which costs far less than fresh ones.
// Smaller contents come from the heap, as from ReadFileContent.
class ReportArray {
  public:
    // Reads with each request sized by `requests` (ReadFileContent).
    explicit ReportArray(ReadRequestSize requests = {}) : requests_(std::move(requests)) {}

    // The content of the file at `path`, valid until the next Read, Discard
    // or Release. Throws what ReadFileContent throws; the kept pages stay.
    std::span<const std::uint8_t> Read(const std::string& path);
    // The report is done with the content: its pages are kept, their
    // contents given back to the system.
    void Discard() noexcept;
    // Gives every page back to the system for good.
    void Release() noexcept;

  private:
    ReadRequestSize requests_;
    ByteBuffer content_;
    ByteBuffer kept_;  // mapped pages between reports, or none
};

// The size of the regular file at `path` in bytes. Throws PlatformError
// when the path does not exist, cannot be queried or names anything but a
// regular file (a directory, FIFO, socket or device).
std::int64_t QueryFileLength(const std::string& path);

// Reads exactly the first `length` bytes of the regular file at `path` into
// a buffer of exactly that size, as one logical request, and closes the file
// before returning. Opens read-only and never creates. Throws PlatformError
// when the file cannot be opened or read, is not a regular file, holds fewer
// than `length` bytes (it shrank since its size was taken), or when there is
// not enough memory for the buffer. Bytes beyond `length` are not read.
// Each read request is sized by `requests`.
ByteBuffer ReadWholeFile(const std::string& path, std::int64_t length,
                         const ReadRequestSize& requests = {});

// Reads the open stream `input` (standard input, a pipe, a file) to its
// end into one buffer of exactly the bytes read. `name` names the source in
// errors. The buffer grows as the data comes, each growth from
// kMemoryCheckThreshold up checked against the memory available. Throws
// PlatformError when a read fails or the data does not fit in memory.
ByteBuffer ReadToEnd(InputStream input, const std::string& name);

// The file name part of `path` when it names an existing regular file that
// is not hidden (on Windows: neither hidden nor a system file); an empty
// string otherwise (missing, a directory, FIFO, socket or device, a hidden
// name, or not reachable at all).
std::string FindOrdinaryFile(const std::string& path);

}  // namespace System
