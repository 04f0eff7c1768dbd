// The escaping that keeps a file name on one line of output, and on a
// terminal keeps it from acting on the terminal. A name that needs it is
// written with escapes in place of the characters that would break or act
// ("\\", "\n", "\r", "\t", "\x1B", "\u202E"), and the line that carries it
// starts with a backslash; every other name is written as it is. A
// backslash in a written name therefore always means the name was escaped.
// On Windows, where the backslash separates directory names (and no name
// on disk holds a line break), a backslash alone does not call for
// escaping: "C:\data\a.txt" is written as it is, and a name escaped for
// another reason has every backslash doubled as well.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Cli {

// How much of a name is escaped.
enum class NameStyle {
    // Output to a pipe or file, read back by --check: only what would break
    // the line (a backslash, newline or carriage return).
    kLine,
    // Output to a terminal, and messages on standard error: also what a
    // terminal would act on or show other than as written: the other
    // control characters and DEL ("\t", "\x1B"), bytes that are not UTF-8
    // ("\xFF"), and the C1 controls, line and paragraph separators and
    // direction marks ("\u009B", "\u2028", "\u202E"), as the window shows them.
    kTerminal,
};

// Whether `name` holds a character `style` escapes.
bool NeedsEscaping(std::string_view name, NameStyle style = NameStyle::kLine);

// `name` with each character `style` escapes written as its escape when
// NeedsEscaping(name, style); `name` unchanged otherwise.
std::string EscapedName(std::string_view name, NameStyle style = NameStyle::kLine);

// The name that EscapedName wrote as `text` in either style, or nothing
// when `text` holds a backslash that starts none of the escapes above
// ("\x" takes two hex digits, "\u" four, naming no surrogate), or ends in
// a lone backslash.
std::optional<std::string> UnescapedName(std::string_view text);

// The start of a line of output that carries `name`: a backslash when the
// name is escaped in `style`, nothing otherwise.
std::string_view LineStart(std::string_view name, NameStyle style = NameStyle::kLine);

}  // namespace Cli
