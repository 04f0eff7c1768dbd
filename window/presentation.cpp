#include "window/presentation.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/system/os/translation.h"

namespace Window {
namespace {

constexpr std::string_view kEllipsis = "\u2026";

// Indentation of the directory list: spaces a level, and at most in all.
constexpr int kSpacesPerLevel = 3;
constexpr int kMostIndentSpaces = 12;

// Byte offsets at which each UTF-8 character of `text` starts, then its size.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    starts.push_back(text.size());
    return starts;
}

// How many of `kept` characters go to the start and how many to the end,
// when the end from character `keepFrom` on holds `wanted` characters.
std::pair<std::size_t, std::size_t> HeadAndTail(std::size_t kept, std::size_t wanted) {
    if (kept >= wanted) {
        const std::size_t extra = kept - wanted;
        return {(extra + 1) / 2, wanted + extra / 2};
    }
    const std::size_t head = std::min<std::size_t>(kept / 4, 8);
    return {head, kept - head};
}

}  // namespace

MiddleElision MiddleElided(std::string_view line, std::size_t keepFrom, const FitsWidth& fits) {
    if (fits(line)) {
        return {std::string(line), line.size(), 0};
    }
    const std::vector<std::size_t> starts = CharacterStarts(line);
    const std::size_t characters = starts.size() - 1;
    if (characters == 0) {
        return {std::string(line), line.size(), 0};
    }
    const auto keepCharacter = static_cast<std::size_t>(
        std::lower_bound(starts.begin(), starts.end(), std::min(keepFrom, line.size())) -
        starts.begin());
    const std::size_t wanted = characters - std::min(keepCharacter, characters);
    const auto elided = [&](std::size_t kept) {
        const auto [head, tail] = HeadAndTail(kept, wanted);
        const std::size_t headBytes = starts[head];
        const std::size_t tailBytes = line.size() - starts[characters - tail];
        MiddleElision result{std::string(line.substr(0, headBytes)), headBytes, tailBytes};
        result.text.append(kEllipsis).append(line.substr(line.size() - tailBytes));
        return result;
    };
    // The most characters kept that still fit; the widths grow with them.
    std::size_t low = 0;
    std::size_t high = characters - 1;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (fits(elided(middle).text)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return elided(low);
}

int IndentSpaces(int depth, int deepest) {
    if (deepest * kSpacesPerLevel <= kMostIndentSpaces) {
        return depth * kSpacesPerLevel;
    }
    return (depth * kMostIndentSpaces + deepest / 2) / deepest;
}

namespace {

// What each operation was doing. The switch names every operation, so the
// compiler tells of a new one without its headline.
const char* HeadlineOf(System::Operation operation) {
    using System::Operation;
    using System::TrLater;
    switch (operation) {
        case Operation::kOpen:
            return TrLater("Could not open the file.");
        case Operation::kRead:
            return TrLater("Could not read the file.");
        case Operation::kSizeOf:
            return TrLater("Could not find the file's size.");
        case Operation::kList:
            return TrLater("Could not list the directory's entries.");
        case Operation::kEnter:
            return TrLater("Could not enter the directory.");
        case Operation::kExamine:
            return TrLater("Could not examine the directory entry.");
        case Operation::kFind:
            return TrLater("Could not find the directory the program was started in.");
        case Operation::kRunEvent:
            return TrLater("Could not run the event.");
        case Operation::kAllocateMemory:
            return TrLater("Could not allocate memory.");
        case Operation::kCreateControl:
            return TrLater("Could not create a control.");
        case Operation::kCreateWindow:
            return TrLater("Could not create the window.");
        case Operation::kRegisterWindowClass:
            return TrLater("Could not register the window class.");
        case Operation::kShowReport:
            return TrLater("Could not show the report.");
        case Operation::kCopyReport:
            return TrLater("Could not copy the report.");
        case Operation::kReadClipboard:
            return TrLater("Could not read the clipboard.");
    }
    return TrLater("Could not run the event.");
}

}  // namespace

std::string ErrorHeadline(System::Operation operation) {
    return System::Tr(HeadlineOf(operation));
}

std::string ShownEscapeFor(char32_t c) {
    switch (c) {
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
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
    constexpr char kDigits[] = "0123456789ABCDEF";
    const int digits = c <= 0x7F ? 2 : 4;
    std::string escape = digits == 2 ? "\\x" : "\\u";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        escape += kDigits[(c >> shift) & 0xF];
    }
    return escape;
}

}  // namespace Window
