// The POSIX pieces the whole-file read (files.cpp) and the streaming read
// (stream_read_posix.cpp) share: one way of deciding what is read, how it
// is opened, and what a short read means. Internal to platform_files.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/system/files/files.h"
#include "platform/system/os/error.h"

namespace System::Posix {

// Owns an open descriptor and closes it on every way out of a read.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// What the path names, refused (PlatformError) unless it is a regular file.
struct stat StatRegularFile(const std::string& path);

// Opens without blocking and checks the opened file again, so a FIFO or
// device swapped in after StatRegularFile cannot hang the caller or be read
// in its place. `info` receives what the descriptor's fstat found.
FileDescriptor OpenRegularFileForReading(const std::string& path, struct stat& info);

// Whether the file is on a kernel file system whose files are generated
// when read (procfs, sysfs and the like): their sizes say nothing of their
// content, so they are read to their end.
bool OnPseudoFileSystem(const std::string& path);
bool OnPseudoFileSystem(int fd);

// Whether the file system must be asked before the size is trusted: pseudo
// file systems allocate no blocks, so only a file with none may be on one.
bool MayBePseudo(const struct stat& info);

// Reads into `out` until `count` bytes or the end of the file, each request
// sized by `requests` (files.h); returns the bytes read.
std::size_t ReadUpTo(int fd, const std::string& path, std::uint8_t* out, std::size_t count,
                     const ReadRequestSize& requests = {});

// Waits until `fd`, which may be non-blocking, has data or its end to read.
void WaitUntilReadable(int fd, const std::string& name);

// The error of a file that ended before the size it had when opened.
PlatformError FileChanged(const std::string& path);

// The error of a pseudo file past kPseudoFileCap (files.h).
PlatformError PseudoFileTooLarge(const std::string& path);

}  // namespace System::Posix
