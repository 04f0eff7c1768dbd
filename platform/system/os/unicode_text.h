// Small pieces of Unicode text work that several services and the lists
// share, the same on every system.
#pragma once

#include <string>

namespace System {

// Appends code point `point` to `text` in UTF-8; a lone surrogate half as
// its three bytes (WTF-8), as Windows names that hold one are written.
void AppendUtf8(std::string& text, unsigned long point);

// An encoding's name lower-cased, without '-' and '_', so that "UTF-16LE",
// "utf16le" and "Shift_JIS" / "shiftjis" compare equal.
std::string FoldedEncodingName(const std::string& name);

}  // namespace System
