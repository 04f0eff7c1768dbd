#include "platform/system/os/text_win32.h"

#include <string>

#include "platform/system/os/decimal_text.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/translation.h"
#include "platform/system/os/unicode_text.h"
#include "platform/system/os/windows_path.h"

namespace System {

namespace {

// The number of bytes of the UTF-8 sequence starting with `lead`, or 0 when
// it cannot start one.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// The code point of the sequence of `length` bytes at `bytes`, or -1 when
// it is not a valid one. Surrogate halves (U+D800 to U+DFFF) pass: they are
// how a lone half of a Windows name is written.
long DecodeSequence(const unsigned char* bytes, std::size_t length) {
    long point = length == 1 ? bytes[0] : bytes[0] & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80) {
            return -1;
        }
        point = (point << 6) | (bytes[i] & 0x3F);
    }
    static constexpr long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kSmallest[length] || point > 0x10FFFF) {
        return -1;  // an overlong form or beyond Unicode
    }
    return point;
}

bool IsHighSurrogate(unsigned long unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(unsigned long unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::wstring WideText(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = SequenceLength(bytes[at]);
        const long point =
            length == 0 || at + length > text.size() ? -1 : DecodeSequence(bytes + at, length);
        if (point < 0) {
            throw PlatformError(Operation::kOpen, std::string(text),
                                Tr("the name is not valid UTF-8"));
        }
        if (point >= 0x10000) {
            wide += static_cast<wchar_t>(0xD800 + ((point - 0x10000) >> 10));
            wide += static_cast<wchar_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(point);
        }
        at += length;
    }
    return wide;
}

std::string Utf8Text(std::wstring_view text) {
    std::string utf8;
    utf8.reserve(text.size() * 3);
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned long unit = static_cast<unsigned short>(text[at]);
        if (IsHighSurrogate(unit) && at + 1 < text.size() &&
            IsLowSurrogate(static_cast<unsigned short>(text[at + 1]))) {
            const unsigned long low = static_cast<unsigned short>(text[++at]);
            AppendUtf8(utf8, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else {
            AppendUtf8(utf8, unit);  // a lone half is kept as it is
        }
    }
    return utf8;
}

std::string CurrentDirectoryOn(std::string_view drive) {
    if (drive.empty()) {
        return CurrentDirectory();
    }
    // The system keeps a current directory for each drive; "D:" alone asks
    // for it, and has no name the system's clean-up could change.
    const std::wstring wide = WideText(drive);
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length =
        needed == 0 ? 0 : ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        throw WindowsError(Operation::kFind, Tr("the current directory"), ::GetLastError());
    }
    full.resize(length);
    return Utf8Text(full);
}

std::wstring SystemPath(const std::string& path) {
    WideText(path);  // an invalid name is refused as given, before it is made full
    return WideText(ExtendedWindowsPath(FullWindowsPath(path, CurrentDirectoryOn)));
}

std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return "error " + DecimalText(code);
    }
    std::wstring message(buffer, length);
    ::LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    return Utf8Text(message);
}

PlatformError WindowsError(Operation operation, std::string path, DWORD code) {
    // No name holds a wildcard: such a path is a pattern that matched
    // nothing, not a name spelt wrong, and cmd's own commands say the file
    // is not found.
    const std::string name = LastName(path);
    if (code == ERROR_INVALID_NAME && name.find_first_of("*?") != std::string::npos) {
        code = ERROR_FILE_NOT_FOUND;
    }
    return PlatformError(operation, std::move(path), SystemMessage(code));
}

}  // namespace System
