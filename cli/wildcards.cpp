#include "cli/wildcards.h"

#include <algorithm>

namespace Cli {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

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

std::vector<CommandLineArgument> SplitCommandLine(std::string_view line) {
    // The program's name ends at the next quote when it starts with one,
    // else at the first blank; backslashes mean nothing in it.
    std::size_t at = 0;
    if (line.starts_with('"')) {
        at = std::min(line.find('"', 1), line.size());
        ++at;
    } else {
        while (at < line.size() && !IsBlank(line[at])) {
            ++at;
        }
    }
    std::vector<CommandLineArgument> args;
    CommandLineArgument arg;
    bool started = false;
    int quotes = 0;  // 1 inside quotes; 2 just after a closing quote
    std::size_t backslashes = 0;
    for (; at < line.size(); ++at) {
        const char c = line[at];
        if (IsBlank(c) && quotes != 1) {
            if (started) {
                args.push_back(std::move(arg));
                arg = {};
                started = false;
            }
            quotes = 0;
            backslashes = 0;
            continue;
        }
        started = true;
        if (quotes == 2 && c != '"') {
            quotes = 0;
        }
        if (c == '\\') {
            arg.text += c;
            ++backslashes;
            continue;
        }
        if (c != '"') {
            arg.text += c;
            arg.wild = arg.wild || (IsWildcard(c) && quotes != 1);
            backslashes = 0;
            continue;
        }
        arg.text.resize(arg.text.size() - backslashes / 2);
        if (backslashes % 2 == 1) {
            arg.text.back() = '"';  // the odd backslash: the quote is kept
        } else if (quotes == 2) {
            arg.text += '"';  // a quote right after a closing one is kept
            quotes = 0;
        } else {
            quotes = quotes == 1 ? 2 : 1;
        }
        backslashes = 0;
    }
    if (started) {
        args.push_back(std::move(arg));
    }
    return args;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
    if (Matches(Characters(name), Characters(pattern))) {
        return true;
    }
    return pattern.ends_with(".*") && name.find('.') == std::string_view::npos &&
           Matches(Characters(name), Characters(pattern.substr(0, pattern.size() - 2)));
}

std::vector<std::string> ExpandWildcards(const std::vector<CommandLineArgument>& args,
                                         const FolderNames& namesIn) {
    std::vector<std::string> expanded;
    for (const CommandLineArgument& arg : args) {
        const std::string_view text = arg.text;
        const std::size_t folderLength = FolderPartLength(text);
        const std::string folder(text.substr(0, folderLength));
        const std::string_view pattern = text.substr(folderLength);
        if (!arg.wild || std::any_of(folder.begin(), folder.end(), IsWildcard) ||
            std::none_of(pattern.begin(), pattern.end(), IsWildcard)) {
            expanded.push_back(arg.text);
            continue;
        }
        std::vector<std::string> names = namesIn(folder.empty() ? "." : folder + ".");
        std::erase_if(names,
                      [&](const std::string& name) { return !MatchesWildcard(name, pattern); });
        if (names.empty()) {
            expanded.push_back(arg.text);
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            expanded.push_back(folder + name);
        }
    }
    return expanded;
}

}  // namespace Cli
