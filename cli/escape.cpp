#include "cli/escape.h"

#include "platform/os/directory.h"

namespace Cli {

bool NeedsEscaping(std::string_view name) {
    // Where the backslash separates names (Windows), a name holds it only
    // as a separator, and only a line break needs escaping.
    const bool backslashSeparates = std::string_view(Platform::kPathSeparator) == "\\";
    return name.find_first_of(backslashSeparates ? "\n\r" : "\\\n\r") != std::string_view::npos;
}

std::string EscapedName(std::string_view name) {
    if (!NeedsEscaping(name)) {
        return std::string(name);
    }
    std::string text;
    text.reserve(name.size() + 8);
    for (const char c : name) {
        switch (c) {
            case '\\':
                text += "\\\\";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\r':
                text += "\\r";
                break;
            default:
                text += c;
        }
    }
    return text;
}

std::optional<std::string> UnescapedName(std::string_view text) {
    std::string name;
    name.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            name += text[at];
            continue;
        }
        if (++at == text.size()) {
            return std::nullopt;
        }
        switch (text[at]) {
            case '\\':
                name += '\\';
                break;
            case 'n':
                name += '\n';
                break;
            case 'r':
                name += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return name;
}

}  // namespace Cli
