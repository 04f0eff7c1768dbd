#include "platform/os/files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>
#include <utility>

#include "platform/os/decimal_text.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"

namespace Platform {
namespace {

// Owns an open descriptor and closes it on every way out of the read.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const noexcept { return fd_; }

  private:
    int fd_;
};

// Only regular files are read: opening a FIFO waits for a writer, and a
// device may never end.
void RequireRegularFile(const struct stat& info, const std::string& path) {
    if (S_ISDIR(info.st_mode)) {
        throw PlatformError("read", path, "Is a directory");
    }
    if (!S_ISREG(info.st_mode)) {
        throw PlatformError("read", path, "not a regular file");
    }
}

// Opens without blocking and checks the opened file again, so a FIFO
// swapped in after the size query cannot hang the caller.
FileDescriptor OpenRegularFileForReading(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        throw SystemError("open", path, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        throw SystemError("open", path, errno);
    }
    RequireRegularFile(info, path);
    return file;
}

// Memory the system can still give without swapping others out, or -1 when
// it does not say. With overcommit an allocation far beyond this succeeds
// and the process is killed later while the read fills it, so the size is
// checked before allocating.
std::int64_t AvailableMemoryBytes() {
    std::ifstream meminfo("/proc/meminfo");
    const std::string key = "MemAvailable:";
    for (std::string line; std::getline(meminfo, line);) {
        if (line.starts_with(key)) {
            return std::stoll(line.substr(key.size())) * 1024;  // the value is in KiB
        }
    }
    return -1;
}

ByteBuffer AllocateBuffer(const std::string& path, std::int64_t length) {
    const std::int64_t available = AvailableMemoryBytes();
    if (available >= 0 && length > available) {
        throw PlatformError("read", path,
                            "the file's " + DecimalText(length) +
                                " bytes do not fit in the memory available (" +
                                DecimalText(available) + " bytes)");
    }
    try {
        return ByteBuffer(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        throw PlatformError("read", path,
                            "not enough memory to hold its " + DecimalText(length) + " bytes");
    }
}

// One read() returns at most about 2 GiB, so a large request is a loop.
void ReadExactly(int fd, const std::string& path, std::uint8_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, out + done, count - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw SystemError("read", path, errno);
        }
        if (got == 0) {
            throw PlatformError("read", path, "the file changed while it was being read");
        }
        done += static_cast<std::size_t>(got);
    }
}

// Waits until `fd`, which may be non-blocking, has data or its end to read.
void WaitUntilReadable(int fd, const std::string& name) {
    pollfd ready{fd, POLLIN, 0};
    while (::poll(&ready, 1, -1) < 0) {
        if (errno != EINTR) {
            throw SystemError("read", name, errno);
        }
    }
}

}  // namespace

std::int64_t QueryFileLength(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw SystemError("size of", path, errno);
    }
    RequireRegularFile(info, path);
    return static_cast<std::int64_t>(info.st_size);
}

ByteBuffer ReadWholeFile(const std::string& path, std::int64_t length) {
    if (length < 0) {
        throw PlatformError("read", path, "invalid length " + DecimalText(length));
    }
    if (length == 0) {
        return {};
    }
    const FileDescriptor file = OpenRegularFileForReading(path);
    ByteBuffer buffer = AllocateBuffer(path, length);
    ReadExactly(file.get(), path, buffer.data(), buffer.size());
    return buffer;
}

ByteBuffer ReadToEnd(int fd, const std::string& name) {
    constexpr std::size_t kFirstSize = std::size_t{64} << 10;
    ByteBuffer buffer = AllocateBuffer(name, kFirstSize);
    std::size_t used = 0;
    for (;;) {
        if (used == buffer.size()) {
            // Doubling keeps the copies to about one pass over the data.
            ByteBuffer larger = AllocateBuffer(name, static_cast<std::int64_t>(2 * buffer.size()));
            std::memcpy(larger.data(), buffer.data(), used);
            buffer = std::move(larger);
        }
        const ssize_t got = ::read(fd, buffer.data() + used, buffer.size() - used);
        if (got > 0) {
            used += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            WaitUntilReadable(fd, name);
        } else if (errno != EINTR) {
            throw SystemError("read", name, errno);
        }
    }
    buffer.ShrinkTo(used);
    return buffer;
}

std::string FindOrdinaryFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    std::string name = LastName(path);
    return IsHiddenName(name) ? std::string() : name;
}

}  // namespace Platform
