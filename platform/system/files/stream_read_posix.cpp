#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/system/files/files.h"
#include "platform/system/files/files_posix.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace System {

using namespace Posix;

namespace {

int Descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

FileReader FileReader::Open(const std::string& path) {
    struct stat info = StatRegularFile(path);
    struct stat opened {};
    if (MayBePseudo(info) && OnPseudoFileSystem(path)) {
        if (info.st_size > kPseudoFileCap) {
            throw PseudoFileTooLarge(path);
        }
        FileDescriptor file = OpenRegularFileForReading(path, opened);
        return FileReader(file.release(), true, path, -1, false);
    }
    FileDescriptor file = OpenRegularFileForReading(path, opened);
    // st_blocks counts 512-byte units whatever the block size.
    const bool sparse = opened.st_blocks * 512 < info.st_size;
    return FileReader(file.release(), true, path, info.st_size, sparse);
}

FileReader FileReader::OpenFileOrFifo(const std::string& path, bool& isFifo) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        throw SystemError(Operation::kOpen, path, errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        throw SystemError(Operation::kOpen, path, errno);
    }
    isFifo = S_ISFIFO(info.st_mode);
    if (S_ISDIR(info.st_mode)) {
        throw PlatformError(Operation::kRead, path, Tr("Is a directory"));
    }
    // The null device is an empty text (`--files-from /dev/null`).
    struct stat null {};
    const bool isNull = S_ISCHR(info.st_mode) && ::stat("/dev/null", &null) == 0 &&
                        S_ISCHR(null.st_mode) && null.st_rdev == info.st_rdev;
    if (!S_ISREG(info.st_mode) && !isFifo && !isNull) {
        throw PlatformError(Operation::kRead, path, Tr("not a regular file or FIFO"));
    }
    if (isFifo) {
        WaitUntilReadable(file.get(), path);  // before a writer comes, a read finds the end
    }
    FileReader reader(file.release(), true, path, -1, false);
    reader.wait_ = true;
    return reader;
}

FileReader FileReader::Stream(InputStream input, const std::string& name) {
    FileReader reader(input.handle, false, name, -1, false);
    reader.wait_ = true;
    return reader;
}

void FileReader::Close() noexcept {
    if (owned_ && handle_ >= 0) {
        ::close(Descriptor(handle_));
    }
    handle_ = kNoHandle;
}

std::size_t FileReader::Read(std::span<std::uint8_t> into) {
    if (length_ >= 0) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::int64_t>(length_ - position_, into.size()));
        if (wanted == 0) {
            return 0;
        }
        const std::size_t got = ReadUpTo(Descriptor(handle_), name_, into.data(), wanted);
        if (got < wanted) {
            if (!OnPseudoFileSystem(Descriptor(handle_))) {
                throw FileChanged(name_);
            }
            length_ = position_ + static_cast<std::int64_t>(got);  // all it holds
        }
        position_ += static_cast<std::int64_t>(got);
        return got;
    }
    for (;;) {
        const ssize_t got = ::read(Descriptor(handle_), into.data(), into.size());
        if (got >= 0) {
            position_ += got;
            if (!wait_ && position_ > kPseudoFileCap) {
                throw PseudoFileTooLarge(name_);
            }
            return static_cast<std::size_t>(got);
        }
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && wait_) {
            WaitUntilReadable(Descriptor(handle_), name_);
        } else if (errno != EINTR) {
            throw SystemError(Operation::kRead, name_, errno);
        }
    }
}

std::size_t FileReader::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
    std::size_t done = 0;
    while (done < into.size()) {
        const ssize_t got = ::pread(Descriptor(handle_), into.data() + done, into.size() - done,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw SystemError(Operation::kRead, name_, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    if (done < into.size() && !OnPseudoFileSystem(Descriptor(handle_))) {
        throw FileChanged(name_);
    }
    return done;
}

// Asking moves the descriptor's offset, which only Read() uses: a reader is
// read either in order or by offset, never both.
std::int64_t FileReader::DataFrom(std::int64_t offset) const {
    if (!sparse_ || offset >= length_) {
        return std::min(offset, length_);
    }
    const off_t found = ::lseek(Descriptor(handle_), static_cast<off_t>(offset), SEEK_DATA);
    if (found < 0) {
        return errno == ENXIO ? length_ : offset;  // ENXIO: only a hole follows
    }
    return std::min<std::int64_t>(found, length_);
}

std::int64_t FileReader::HoleFrom(std::int64_t offset) const {
    if (!sparse_ || offset >= length_) {
        return length_;
    }
    const off_t found = ::lseek(Descriptor(handle_), static_cast<off_t>(offset), SEEK_HOLE);
    return found < 0 ? length_ : std::min<std::int64_t>(found, length_);
}

void FileReader::RequireLength() const {
    struct stat info {};
    if (length_ > 0 && handle_ >= 0) {
        if (::fstat(Descriptor(handle_), &info) != 0) {
            throw SystemError(Operation::kRead, name_, errno);
        }
        if (info.st_size < length_) {
            throw FileChanged(name_);
        }
    }
}

}  // namespace System
