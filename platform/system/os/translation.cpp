#include "platform/system/os/translation.h"

namespace System {

std::string Filled(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool mark = text[at] == '{' && at + 2 < text.size() && text[at + 2] == '}' &&
                          text[at + 1] >= '1' && text[at + 1] <= '9';
        const auto index = mark ? static_cast<std::size_t>(text[at + 1] - '1') : values.size();
        if (index < values.size()) {
            filled.append(values.begin()[index]);
            at += 2;
        } else {
            filled += text[at];
        }
    }
    return filled;
}

}  // namespace System
