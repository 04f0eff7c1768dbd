// The file services on Windows: UTF-16 paths through SystemPath (long
// paths included), one handle opened read-only with every sharing mode, so
// a file another program has open still reads, and ReadFile in requests of
// at most 4 GiB - 1 bytes, the most one call takes.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/system/files/files.h"
#include "platform/system/files/files_system.h"
#include "platform/system/files/files_win32.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/text_win32.h"
#include "platform/system/os/translation.h"

namespace System {
namespace Win32 {

FileHandle OpenForReading(const std::string& path) {
    const HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw WindowsError(Operation::kOpen, path, ::GetLastError());
    }
    return FileHandle(handle);
}

// Only files on disk are read: a device name (CON, COM1) or a pipe opened
// in a file's place could wait for ever.
void RequireDiskFile(HANDLE file, const std::string& path) {
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        throw PlatformError(Operation::kRead, path, Tr("not a regular file"));
    }
}

std::size_t ReadRequest(HANDLE file, const std::string& name, std::uint8_t* out, std::size_t count,
                        const ReadRequestSize& requests) {
    count = std::min(count, kLargestReadRequest);
    if (requests) {
        const std::int64_t asked = requests(count);
        if (asked < 0) {
            throw SystemError(Operation::kRead, name, static_cast<int>(-asked));
        }
        count = static_cast<std::size_t>(asked);
    }
    DWORD got = 0;
    if (!::ReadFile(file, out, static_cast<DWORD>(count), &got, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
            return 0;  // the writer closed its end: the end of the stream
        }
        throw WindowsError(Operation::kRead, name, error);
    }
    return got;
}

std::size_t ReadUpTo(HANDLE file, const std::string& path, std::uint8_t* out, std::size_t count,
                     const ReadRequestSize& requests) {
    std::size_t done = 0;
    while (done < count) {
        const std::size_t got = ReadRequest(file, path, out + done, count - done, requests);
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

PlatformError FileChanged(const std::string& path) {
    return PlatformError(Operation::kRead, path, Tr("the file changed while it was being read"));
}

}  // namespace Win32

namespace {

using namespace Win32;

// Reads `input` to its end into one buffer of exactly the bytes read.
ByteBuffer ReadToEndOf(HANDLE input, const std::string& name) {
    constexpr std::size_t kFirstSize = std::size_t{64} << 10;
    ByteBuffer buffer = AllocateBuffer(name, kFirstSize);
    std::size_t used = 0;
    for (;;) {
        if (used == buffer.size()) {
            // Doubling keeps the copies to about one pass over the data.
            buffer = GrownBuffer(name, buffer);
        }
        const std::size_t got =
            ReadRequest(input, name, buffer.data() + used, buffer.size() - used);
        if (got == 0) {
            break;
        }
        used += got;
    }
    buffer.ShrinkTo(used);
    return buffer;
}

// The attributes of `path`, or INVALID_FILE_ATTRIBUTES with the reason in
// `error`.
DWORD AttributesOf(const std::string& path, DWORD& error) {
    const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
    error = attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_SUCCESS;
    return attributes;
}

}  // namespace

std::int64_t QueryFileLength(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
        throw WindowsError(Operation::kSizeOf, path, ::GetLastError());
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw PlatformError(Operation::kRead, path, Tr("Is a directory"));
    }
    return static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
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
    const FileHandle file = OpenForReading(path);
    RequireDiskFile(file.get(), path);
    if (ReadUpTo(file.get(), path, buffer.data(), buffer.size(), requests) < buffer.size()) {
        throw FileChanged(path);
    }
    return buffer;
}

ByteBuffer ReadFileContent(const std::string& path, ByteBuffer* kept,
                           const ReadRequestSize& requests) {
    return ReadWholeFile(path, QueryFileLength(path), kept, requests);
}

InputStream StandardInput() {
    return {reinterpret_cast<std::intptr_t>(::GetStdHandle(STD_INPUT_HANDLE))};
}

ByteBuffer ReadToEnd(InputStream input, const std::string& name) {
    const auto handle = reinterpret_cast<HANDLE>(input.handle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        throw WindowsError(Operation::kRead, name, ERROR_INVALID_HANDLE);
    }
    return ReadToEndOf(handle, name);
}

std::string FindOrdinaryFile(const std::string& path) {
    DWORD error = ERROR_SUCCESS;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    try {
        attributes = AttributesOf(path, error);
    } catch (const PlatformError&) {
        return {};  // not valid UTF-8: it names no file
    }
    constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotOrdinary) != 0) {
        return {};
    }
    return LastName(path);
}

}  // namespace System
