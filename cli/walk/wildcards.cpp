#include "cli/walk/wildcards.h"

#include <algorithm>

#include "cli/options/options.h"
#include "platform/system/os/directory.h"

namespace Cli {
namespace {

bool IsWildcard(char c) {
    return c == '*' || c == '?';
}

// `text` cut into characters: each UTF-8 sequence one piece.
std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> characters;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            ++end;
        }
        characters.push_back(text.substr(at, end - at));
        at = end;
    }
    return characters;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameCharacter(std::string_view a, std::string_view b) {
    return a.size() == 1 && b.size() == 1 ? AsciiLower(a[0]) == AsciiLower(b[0]) : a == b;
}

bool Matches(const std::vector<std::string_view>& name,
             const std::vector<std::string_view>& pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t star = pattern.size();  // the last '*' passed, none yet
    std::size_t resume = 0;             // where in `name` that '*' stopped
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == "*") {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == "?" || SameCharacter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (star < pattern.size()) {
            p = star + 1;  // the '*' takes one character more
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == "*") {
        ++p;
    }
    return p == pattern.size();
}

// Where the folder part of `path` ends: after its last separator, or after
// a drive's "C:".
std::size_t FolderPartLength(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator != std::string_view::npos) {
        return separator + 1;
    }
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    if (Matches(Characters(name), Characters(pattern))) {
        return true;
    }
    return pattern.ends_with(".*") && name.find('.') == std::string_view::npos &&
           Matches(Characters(name), Characters(pattern.substr(0, pattern.size() - 2)));
}

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& names,
                                         const FolderEntries& entriesIn, bool walkFolders) {
    std::vector<std::string> expanded;
    for (const std::string& text : names) {
        const std::size_t folderLength = FolderPartLength(text);
        const std::string folder = text.substr(0, folderLength);
        const std::string_view pattern = std::string_view(text).substr(folderLength);
        // The '?' of the "\\?\" prefix is no wildcard.
        const std::size_t prefix = folder.starts_with("\\\\?\\") ? 4 : 0;
        if (std::any_of(folder.begin() + static_cast<std::ptrdiff_t>(prefix), folder.end(),
                        IsWildcard) ||
            std::none_of(pattern.begin(), pattern.end(), IsWildcard)) {
            expanded.push_back(text);
            continue;
        }
        std::vector<std::string> matches;
        for (FolderEntry& entry : entriesIn(folder.empty() ? "." : folder + ".")) {
            if ((walkFolders || !entry.folder) && MatchesWildcard(entry.name, pattern)) {
                matches.push_back(std::move(entry.name));
            }
        }
        if (matches.empty()) {
            expanded.push_back(text);
            continue;
        }
        std::sort(matches.begin(), matches.end());
        for (const std::string& name : matches) {
            // A file named "-" here is that file, not standard input.
            const bool input = folder.empty() && name == kStandardInput;
            expanded.push_back((input ? std::string(".") + System::kPathSeparator : folder) + name);
        }
    }
    return expanded;
}

}  // namespace Cli
