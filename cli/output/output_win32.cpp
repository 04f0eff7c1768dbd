#include "cli/output/output_win32.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace Cli {
namespace {

// How many bytes at the end of `text` start a UTF-8 sequence that is not
// complete yet.
std::size_t IncompleteTail(std::string_view text) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // a continuation byte: look further back for the lead
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

}  // namespace

int ErrnoForWindowsError(unsigned long code) {
    switch (code) {
        case ERROR_NO_DATA:             // Windows, for a pipe whose reader has gone
        case ERROR_PIPE_NOT_CONNECTED:  // Wine, for the same
        case ERROR_BROKEN_PIPE:
            return EPIPE;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_INVALID_HANDLE:
        case ERROR_ACCESS_DENIED:
            return EBADF;
        default:
            return EIO;
    }
}

HandleOutput::HandleOutput(void* handle) : handle_(handle) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE &&
               ::GetConsoleMode(handle_, &mode) != 0;
}

int HandleOutput::Write(std::string_view text) {
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
        return EBADF;
    }
    return console_ ? WriteToConsole(text) : WriteBytes(text);
}

int HandleOutput::WriteBytes(std::string_view text) {
    while (!text.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle_, text.data(), chunk, &written, nullptr)) {
            return ErrnoForWindowsError(::GetLastError());
        }
        if (written == 0) {
            return EIO;  // no progress and no reason: never taken for success
        }
        text.remove_prefix(written);
    }
    return 0;
}

int HandleOutput::WriteToConsole(std::string_view text) {
    std::string utf8 = pending_ + std::string(text);
    const std::size_t tail = IncompleteTail(utf8);
    pending_ = utf8.substr(utf8.size() - tail);
    utf8.resize(utf8.size() - tail);
    if (utf8.empty()) {
        return 0;
    }
    // Bytes that are not UTF-8 show as U+FFFD: the console is for reading.
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    std::wstring_view rest = wide;
    while (!rest.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 8192));
        if (chunk < rest.size() && rest[chunk - 1] >= 0xD800 && rest[chunk - 1] <= 0xDBFF) {
            --chunk;  // keep a surrogate pair together
        }
        DWORD written = 0;
        if (!::WriteConsoleW(handle_, rest.data(), chunk, &written, nullptr)) {
            return ErrnoForWindowsError(::GetLastError());
        }
        if (written == 0) {
            return EIO;
        }
        rest.remove_prefix(written);
    }
    return 0;
}

int HandleOutput::Close() {
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
        return EBADF;
    }
    int error = 0;
    if (!pending_.empty()) {
        const std::string rest = std::exchange(pending_, {});
        error = WriteBytes(rest);
    }
    const bool closed = ::CloseHandle(handle_) != 0;
    const DWORD closeError = closed ? ERROR_SUCCESS : ::GetLastError();
    handle_ = nullptr;
    if (error != 0) {
        return error;
    }
    return closed ? 0 : ErrnoForWindowsError(closeError);
}

}  // namespace Cli
