#include "platform/system/os/command_line.h"

#include <algorithm>

namespace System {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line, BackslashQuote rule) {
    std::size_t at = 0;
    if (line.starts_with('"')) {
        at = std::min(line.find('"', 1), line.size());
        ++at;
    } else {
        while (at < line.size() && !IsBlank(line[at])) {
            ++at;
        }
    }
    std::vector<std::string> args;
    std::string arg;
    bool started = false;
    int quotes = 0;  // 1 inside quotes; 2 just after a closing quote
    std::size_t backslashes = 0;
    for (; at < line.size(); ++at) {
        const char c = line[at];
        if (IsBlank(c) && quotes != 1) {
            if (started) {
                args.push_back(std::move(arg));
                arg.clear();
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
        if (c != '"') {
            arg += c;
            backslashes = c == '\\' ? backslashes + 1 : 0;
            continue;
        }
        const bool odd = backslashes % 2 == 1;
        arg.resize(arg.size() - backslashes / 2);
        backslashes = 0;
        if (odd && rule == BackslashQuote::kEscapesQuote) {
            arg.back() = '"';  // the odd backslash: the quote is kept
        } else if (quotes == 2) {
            arg += '"';  // a quote right after a closing one is kept
            quotes = 0;
        } else {
            quotes = quotes == 1 ? 2 : 1;
        }
    }
    if (started) {
        args.push_back(std::move(arg));
    }
    return args;
}

std::vector<std::string> ArgumentsAsMeant(std::vector<std::string> split, std::string_view line) {
    const bool quoted = std::any_of(split.begin(), split.end(), [](const std::string& arg) {
        return arg.find('"') != std::string::npos;
    });
    return quoted ? SplitCommandLine(line, BackslashQuote::kEndsQuote) : split;
}

}  // namespace System
