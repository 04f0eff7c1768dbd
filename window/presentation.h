// How the window's texts are fitted and worded, apart from any toolkit: a
// form runtime measures text its own way and hands the measuring in.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/system/os/error.h"

namespace Window {

// A line shortened in the middle: its first `headBytes` and last
// `tailBytes` bytes with an ellipsis ("…") between them. `text` is what is
// shown; a line that fits as it is has no ellipsis and keeps all its bytes.
struct MiddleElision {
    std::string text;
    std::size_t headBytes;
    std::size_t tailBytes;
    bool Shortened() const { return headBytes + tailBytes < text.size(); }
};

// Whether a line of text fits the space it is shown in.
using FitsWidth = std::function<bool(std::string_view)>;

// `line` (UTF-8) shortened in the middle to the most whole characters that
// `fits`. The end from byte `keepFrom` on (a file name and what follows it)
// is given up last: it keeps its end in view before the start of the line
// gets more than a few characters.
MiddleElision MiddleElided(std::string_view line, std::size_t keepFrom, const FitsWidth& fits);

// Spaces in front of a directory list entry `depth` levels below the root,
// when the deepest entry shown is `deepest` levels down: a few a level, but
// never more than a fixed width in all, so a name deep down stays in view.
int IndentSpaces(int depth, int deepest);

// The first line of an error message, from the operation that failed:
// "Could not open the file." for System::Operation::kOpen.
std::string ErrorHeadline(System::Operation operation);

// How a list or the label shows the character `c` (a UTF-16 unit or a code
// point) when it would break or move the line it is in: "\n", "\r", "\t",
// "\x1B" for the other controls and DEL, "\u202E" for C1 controls, line
// separators and direction marks; empty for any other character.
std::string ShownEscapeFor(char32_t c);

}  // namespace Window
