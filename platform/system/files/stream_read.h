// Reading a file or a stream a piece at a time into buffers the caller
// owns, for work that needs no array of the whole file (the checksums of
// `tallix-report --brief` and `--check`): memory stays at the caller's
// buffers whatever the size. A file is taken as the whole-file read
// (ReadFileContent, files.h) takes it, with the same checks and the same
// errors, so the bytes seen are exactly the bytes that read would hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/system/files/input_stream.h"

namespace System {

class FileReader {
  public:
    // The regular file at `path`, as ReadFileContent takes it: anything but
    // a regular file is refused before it is opened, and a file on a kernel
    // pseudo file system is read to its end, up to kPseudoFileCap. Unlike
    // ReadFileContent it opens an empty file too, so a file that cannot be
    // opened is an error whatever its size. Throws PlatformError with
    // ReadFileContent's reasons (never for memory: nothing is held whole).
    static FileReader Open(const std::string& path);

    // The file at `path` read to its end as text such as a list is: a
    // regular file, or a FIFO (on Windows a named pipe) read as a stream
    // once a writer has come, as any reader of a FIFO waits; `isFifo` says
    // which. The open never blocks (a FIFO without a writer, a device).
    // Throws PlatformError for a directory ("Is a directory") and anything
    // else that is neither ("not a regular file or FIFO").
    static FileReader OpenFileOrFifo(const std::string& path, bool& isFifo);

    // The open stream `input` (standard input, a pipe) read to its end,
    // data not there yet waited for; `input` stays open. `name` names it in
    // errors.
    static FileReader Stream(InputStream input, const std::string& name);

    FileReader(FileReader&& other) noexcept;
    FileReader& operator=(FileReader&& other) noexcept;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // The bytes a file taken at its size holds, fixed when it was opened;
    // -1 for what is read to its end (a stream, a pseudo file).
    std::int64_t length() const noexcept { return length_; }
    const std::string& name() const noexcept { return name_; }

    // Reads the next bytes into `into`, as many as come at once up to its
    // size; returns how many, 0 at the end. A file taken at its size ends
    // there. Throws PlatformError when a read fails, or "the file changed
    // while it was being read" when a file ends before its size (one on a
    // pseudo file system just ends: it holds what was read).
    std::size_t Read(std::span<std::uint8_t> into);

    // For a file taken at its size: fills `into` from `offset` (offset +
    // into.size() <= length()). Several threads may call it at once. Returns
    // into.size(), or fewer where a file on a pseudo file system ended;
    // throws as Read() does.
    std::size_t ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const;

    // For a file taken at its size: where the first byte of data at or after
    // `offset` lies, or length() when only a hole follows; and where the
    // first hole at or after `offset` starts, or length(). Holes read as
    // zeroes. A file with every block allocated, or on a file system that
    // cannot tell, has no holes (and costs no call to ask).
    std::int64_t DataFrom(std::int64_t offset) const;
    std::int64_t HoleFrom(std::int64_t offset) const;

    // Throws "the file changed while it was being read" when a file taken at
    // its size has shrunk below it: for holes at the end, which are not read.
    void RequireLength() const;

  private:
    FileReader(std::intptr_t handle, bool owned, std::string name, std::int64_t length,
               bool sparse) noexcept;
    void Close() noexcept;

    // No descriptor on POSIX, INVALID_HANDLE_VALUE on Windows.
    static constexpr std::intptr_t kNoHandle = -1;

    std::intptr_t handle_ = kNoHandle;  // a descriptor on POSIX, a HANDLE on Windows
    bool owned_ = false;                // closed with the reader
    bool wait_ = false;                 // a stream: data not there yet is waited for
    bool sparse_ = false;               // fewer blocks than its size: may have holes
    std::string name_;
    std::int64_t length_ = -1;
    std::int64_t position_ = 0;  // bytes Read() has returned
};

}  // namespace System
