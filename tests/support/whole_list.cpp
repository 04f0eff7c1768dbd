#include "tests/support/whole_list.h"

#include <cstdint>

namespace TestSupport {

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<Cli::ListLine> ParseList(std::string_view text, const std::string& listPath) {
    Cli::ListParser parser(listPath);
    std::vector<Cli::ListLine> lines;
    const auto markMalformed = [&lines](const std::vector<std::uint64_t>& numbers) {
        for (const std::uint64_t number : numbers) {
            lines[number - 1].kind = Cli::ListLine::Kind::kMalformed;
        }
    };
    for (const std::string_view line : SplitLines(text)) {
        lines.push_back(parser.Parse(line));
        markMalformed(lines.back().malformedBefore);
    }
    markMalformed(parser.Finish());
    return lines;
}

}  // namespace TestSupport
