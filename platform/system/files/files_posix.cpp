#include "platform/system/files/files.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "platform/system/files/files_posix.h"
#include "platform/system/files/files_system.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/hidden_name_posix.h"
#include "platform/system/os/translation.h"

namespace System {
namespace Posix {

// Only regular files are read: opening a FIFO waits for a writer, and a
// device may never end.
void RequireRegularFile(const struct stat& info, const std::string& path) {
    if (S_ISDIR(info.st_mode)) {
        throw PlatformError(Operation::kRead, path, Tr("Is a directory"));
    }
    if (!S_ISREG(info.st_mode)) {
        throw PlatformError(Operation::kRead, path, Tr("not a regular file"));
    }
}

// What the path names, refused unless it is a regular file.
struct stat StatRegularFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw SystemError(Operation::kSizeOf, path, errno);
    }
    RequireRegularFile(info, path);
    return info;
}

// Opens without blocking and checks the opened file again, so a FIFO or
// device swapped in after the size query cannot hang the caller or be read
// in its place. `info` receives what the descriptor's fstat found.
FileDescriptor OpenRegularFileForReading(const std::string& path, struct stat& info) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        throw SystemError(Operation::kOpen, path, errno);
    }
    if (::fstat(file.get(), &info) != 0) {
        throw SystemError(Operation::kOpen, path, errno);
    }
    RequireRegularFile(info, path);
    return file;
}

// Kernel file systems whose regular files are generated when read: their
// sizes say nothing of their content. CONFIGFS_MAGIC, MQUEUE_MAGIC and
// FUSECTL_SUPER_MAGIC are the kernel's own values, missing from
// <linux/magic.h>.
bool IsPseudoFileSystem(const struct statfs& fs) {
    constexpr unsigned long kConfigFs = 0x62656570;
    constexpr unsigned long kMqueue = 0x19800202;
    constexpr unsigned long kFuseCtl = 0x65735543;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case kConfigFs:
        case EFIVARFS_MAGIC:
        case PSTOREFS_MAGIC:
        case BPF_FS_MAGIC:
        case BINFMTFS_MAGIC:
        case SELINUX_MAGIC:
        case SMACK_MAGIC:
        case AAFS_MAGIC:
        case RDTGROUP_SUPER_MAGIC:
        case OPENPROM_SUPER_MAGIC:
        case USBDEVICE_SUPER_MAGIC:
        case XENFS_SUPER_MAGIC:
        case NSFS_MAGIC:
        case kMqueue:
        case kFuseCtl:
            return true;
        default:
            return false;
    }
}

bool OnPseudoFileSystem(const std::string& path) {
    struct statfs fs {};
    return ::statfs(path.c_str(), &fs) == 0 && IsPseudoFileSystem(fs);
}

bool OnPseudoFileSystem(int fd) {
    struct statfs fs {};
    return ::fstatfs(fd, &fs) == 0 && IsPseudoFileSystem(fs);
}

// Whether the file system must be asked before a file's size is trusted.
// Pseudo file systems allocate no blocks, so their files report none; an
// ordinary file with data reports some and is taken at its size at once.
// Only empty and sparse files (and file systems that report no blocks) pay
// the extra statfs.
bool MayBePseudo(const struct stat& info) {
    return info.st_blocks == 0;
}

// read(2) of `count` bytes, or of what `requests` makes of that count.
ssize_t ReadRequest(int fd, std::uint8_t* out, std::size_t count, const ReadRequestSize& requests) {
    if (!requests) {
        return ::read(fd, out, count);
    }
    const std::int64_t asked = requests(count);
    if (asked < 0) {
        errno = static_cast<int>(-asked);
        return -1;
    }
    return ::read(fd, out, static_cast<std::size_t>(asked));
}

// Reads into `out` until `count` bytes or the end of the file; returns the
// bytes read. Linux returns at most 2 GiB - 4 KiB from one read(), so a
// large request is a loop.
std::size_t ReadUpTo(int fd, const std::string& path, std::uint8_t* out, std::size_t count,
                     const ReadRequestSize& requests) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ReadRequest(fd, out + done, count - done, requests);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw SystemError(Operation::kRead, path, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

PlatformError FileChanged(const std::string& path) {
    return PlatformError(Operation::kRead, path, Tr("the file changed while it was being read"));
}

PlatformError PseudoFileTooLarge(const std::string& path) {
    return PlatformError(Operation::kRead, path,
                         Filled(Tr("a generated kernel file of more than {1} MiB is not read"),
                                {DecimalText(kPseudoFileCap >> 20)}));
}

// Waits until `fd`, which may be non-blocking, has data or its end to read.
void WaitUntilReadable(int fd, const std::string& name) {
    pollfd ready{fd, POLLIN, 0};
    while (::poll(&ready, 1, -1) < 0) {
        if (errno != EINTR) {
            throw SystemError(Operation::kRead, name, errno);
        }
    }
}

// Reads `fd` to its end into one buffer of exactly the bytes read. Data
// not there yet is waited for when `wait`, and is an error otherwise; more
// than `cap` bytes (when positive) is an error too.
ByteBuffer ReadToEndOf(int fd, const std::string& name, bool wait, std::int64_t cap = 0,
                       const ReadRequestSize& requests = {}) {
    constexpr std::size_t kFirstSize = std::size_t{64} << 10;
    ByteBuffer buffer = AllocateBuffer(name, kFirstSize);
    std::size_t used = 0;
    for (;;) {
        if (used == buffer.size()) {
            // Doubling keeps the copies to about one pass over the data.
            buffer = GrownBuffer(name, buffer);
        }
        const ssize_t got = ReadRequest(fd, buffer.data() + used, buffer.size() - used, requests);
        if (got > 0) {
            used += static_cast<std::size_t>(got);
            if (cap > 0 && static_cast<std::int64_t>(used) > cap) {
                throw PseudoFileTooLarge(name);
            }
        } else if (got == 0) {
            break;
        } else if ((errno == EAGAIN || errno == EWOULDBLOCK) && wait) {
            WaitUntilReadable(fd, name);
        } else if (errno != EINTR) {
            throw SystemError(Operation::kRead, name, errno);
        }
    }
    buffer.ShrinkTo(used);
    return buffer;
}

}  // namespace Posix

using namespace Posix;

std::int64_t QueryFileLength(const std::string& path) {
    return static_cast<std::int64_t>(StatRegularFile(path).st_size);
}

ByteBuffer ReadWholeFile(const std::string& path, std::int64_t length, ByteBuffer* kept,
                         const ReadRequestSize& requests) {
    if (length < 0) {
        throw PlatformError(Operation::kRead, path,
                            Filled(Tr("invalid length {1}"), {DecimalText(length)}));
    }
    if (length == 0) {
        return {};
    }
    ByteBuffer buffer = AllocateBuffer(path, length, kept);
    const KeepOnFailure keep(buffer, kept);
    struct stat info {};
    const FileDescriptor file = OpenRegularFileForReading(path, info);
    const std::size_t done = ReadUpTo(file.get(), path, buffer.data(), buffer.size(), requests);
    if (done < buffer.size()) {
        // At its end already: a pseudo file that reported blocks after all
        // holds just these bytes; an ordinary one shrank.
        if (!OnPseudoFileSystem(file.get())) {
            throw FileChanged(path);
        }
        buffer.ShrinkTo(done);
    }
    return buffer;
}

ByteBuffer ReadFileContent(const std::string& path, ByteBuffer* kept,
                           const ReadRequestSize& requests) {
    const struct stat info = StatRegularFile(path);
    if (!MayBePseudo(info) || !OnPseudoFileSystem(path)) {
        return ReadWholeFile(path, info.st_size, kept, requests);
    }
    // A pseudo file's size is not its content's, but one past the cap
    // (/proc/kcore) is refused before anything is read.
    if (info.st_size > kPseudoFileCap) {
        throw PseudoFileTooLarge(path);
    }
    struct stat opened {};
    const FileDescriptor file = OpenRegularFileForReading(path, opened);
    return ReadToEndOf(file.get(), path, false, kPseudoFileCap, requests);
}

InputStream StandardInput() {
    return {STDIN_FILENO};
}

ByteBuffer ReadToEnd(InputStream input, const std::string& name) {
    return ReadToEndOf(static_cast<int>(input.handle), name, true);
}

std::string FindOrdinaryFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    std::string name = LastName(path);
    return IsHiddenName(name) ? std::string() : name;
}

}  // namespace System
