#include "platform/ui/win32/text.h"

#include "window/presentation.h"

namespace Ui {

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
        const std::string escape = Window::ShownEscapeFor(c);
        if (escape.empty()) {
            shown += c;
        } else {
            shown.append(escape.begin(), escape.end());  // ASCII
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

std::wstring BoxParagraphs(const std::wstring& text) {
    std::wstring joined = text;
    for (std::size_t at = joined.find(L'\n'); at != std::wstring::npos;
         at = joined.find(L'\n', at + 1)) {
        const wchar_t next = at + 1 < joined.size() ? joined[at + 1] : L'\n';
        const bool continues = (next >= L'a' && next <= L'z') || next == L'(';
        if (continues && at > 0 && joined[at - 1] != L'\n') {
            joined[at] = L' ';
        }
    }
    return joined;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace Ui
