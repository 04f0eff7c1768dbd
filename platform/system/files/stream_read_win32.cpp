// The streaming read on Windows: the same handle and checks as the
// whole-file read (files_win32.cpp), read a piece at a time. NTFS's sparse
// ranges are not asked for: a file is read whole, its holes as zeroes.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/system/files/files.h"
#include "platform/system/files/files_win32.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/text_win32.h"
#include "platform/system/os/translation.h"

namespace System {

using namespace Win32;

namespace {

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

FileReader FileReader::Open(const std::string& path) {
    const std::int64_t length = QueryFileLength(path);
    FileHandle file = OpenForReading(path);
    RequireDiskFile(file.get(), path);
    return FileReader(reinterpret_cast<std::intptr_t>(file.release()), true, path, length, false);
}

FileReader FileReader::OpenFileOrFifo(const std::string& path, bool& isFifo) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw PlatformError(Operation::kRead, path, Tr("Is a directory"));
    }
    FileHandle file = OpenForReading(path);
    const DWORD type = ::GetFileType(file.get());
    isFifo = type == FILE_TYPE_PIPE;
    if (type != FILE_TYPE_DISK && !isFifo) {
        throw PlatformError(Operation::kRead, path, Tr("not a regular file or FIFO"));
    }
    FileReader reader(reinterpret_cast<std::intptr_t>(file.release()), true, path, -1, false);
    reader.wait_ = true;
    return reader;
}

FileReader FileReader::Stream(InputStream input, const std::string& name) {
    const HANDLE handle = Handle(input.handle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        throw WindowsError(Operation::kRead, name, ERROR_INVALID_HANDLE);
    }
    FileReader reader(input.handle, false, name, -1, false);
    reader.wait_ = true;
    return reader;
}

void FileReader::Close() noexcept {
    if (owned_ && handle_ != kNoHandle) {
        ::CloseHandle(Handle(handle_));
    }
    handle_ = kNoHandle;
}

std::size_t FileReader::Read(std::span<std::uint8_t> into) {
    if (length_ < 0) {
        const std::size_t got = ReadRequest(Handle(handle_), name_, into.data(), into.size());
        position_ += static_cast<std::int64_t>(got);
        return got;
    }
    const auto wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(length_ - position_, into.size()));
    if (wanted == 0) {
        return 0;
    }
    const std::size_t got = ReadUpTo(Handle(handle_), name_, into.data(), wanted);
    if (got < wanted) {
        throw FileChanged(name_);
    }
    position_ += static_cast<std::int64_t>(got);
    return got;
}

// ReadFile at an offset on a handle opened for synchronous reads: the
// system serialises such calls on one handle, so threads may share it.
std::size_t FileReader::ReadAt(std::int64_t offset, std::span<std::uint8_t> into) const {
    std::size_t done = 0;
    while (done < into.size()) {
        const auto at = static_cast<std::uint64_t>(offset) + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const auto count =
            static_cast<DWORD>(std::min<std::size_t>(into.size() - done, kLargestReadRequest));
        DWORD got = 0;
        if (!::ReadFile(Handle(handle_), into.data() + done, count, &got, &where)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                break;
            }
            throw WindowsError(Operation::kRead, name_, error);
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    if (done < into.size()) {
        throw FileChanged(name_);
    }
    return done;
}

std::int64_t FileReader::DataFrom(std::int64_t offset) const {
    return std::min(offset, length_);
}

std::int64_t FileReader::HoleFrom(std::int64_t) const {
    return length_;
}

void FileReader::RequireLength() const {
    if (length_ <= 0 || handle_ == kNoHandle) {
        return;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(Handle(handle_), &size)) {
        throw WindowsError(Operation::kRead, name_, ::GetLastError());
    }
    if (size.QuadPart < length_) {
        throw FileChanged(name_);
    }
}

}  // namespace System
