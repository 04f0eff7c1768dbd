#include "platform/win32/text.h"

#include <cwchar>

namespace Platform {
namespace {

// The escape for a character that would move or break the text it is in,
// or an empty text for any other character.
std::wstring EscapeFor(wchar_t c) {
    switch (c) {
        case L'\n':
            return L"\\n";
        case L'\r':
            return L"\\r";
        case L'\t':
            return L"\\t";
        default:
            break;
    }
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool separator = c == 0x2028 || c == 0x2029;
    const bool direction = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
                           c == 0x200E || c == 0x200F || c == 0x061C;
    if (!control && !separator && !direction) {
        return {};
    }
    wchar_t escape[8];
    if (c <= 0x7F) {
        ::swprintf(escape, 8, L"\\x%02X", static_cast<unsigned>(c));
    } else {
        ::swprintf(escape, 8, L"\\u%04X", static_cast<unsigned>(c));
    }
    return escape;
}

}  // namespace

// UTF-16 for UTF-8 text, invalid bytes as replacement characters.
std::wstring DecodedText(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::wstring DisplayText(std::string_view text) {
    const std::wstring decoded = DecodedText(text);
    std::wstring shown;
    shown.reserve(decoded.size());
    for (const wchar_t c : decoded) {
        const std::wstring escape = EscapeFor(c);
        if (escape.empty()) {
            shown += c;
        } else {
            shown += escape;
        }
    }
    return shown;
}

// `text` with its middle left out when it is longer than `most`
// characters.
std::wstring ShortenedInTheMiddle(const std::wstring& text, std::size_t most) {
    if (text.size() <= most) {
        return text;
    }
    const std::size_t head = most / 2;
    const std::size_t tail = most - head - 1;
    return text.substr(0, head) + L"\u2026" + text.substr(text.size() - tail);
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace Platform
