// Text of the program as the Win32 controls and boxes show it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace Ui {

// Text of the program (UTF-8 names, paths, the report) as the controls
// show it: bytes that are not valid UTF-8 as replacement characters, and
// characters that would move or break a line (controls such as a newline,
// carriage return or tab, DEL, line and paragraph separators, direction
// overrides) as escapes such as \n, \r, \t, \x7F or \u2028, so a name
// always shows on one line and as it is stored.
std::wstring DisplayText(std::string_view text);

// UTF-16 for UTF-8 text, invalid bytes as replacement characters.
std::wstring DecodedText(std::string_view text);

// `text` with its middle left out when it is longer than `most`
// characters.
std::wstring ShortenedInTheMiddle(const std::wstring& text, std::size_t most);

// `text` with a line that goes on with the sentence before it (it starts
// with a small letter or a bracket) joined to that line, so a message box
// wraps the paragraph to its own width instead of breaking it mid-sentence.
std::wstring BoxParagraphs(const std::wstring& text);

// The text of the window `hwnd`, such as a form's caption.
std::wstring WindowText(HWND hwnd);

}  // namespace Ui
