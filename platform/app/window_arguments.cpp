#include "platform/app/window_arguments.h"

#include <cstdio>

namespace Platform {
namespace {

constexpr char kUsage[] =
    "Usage: tallix [[--] PATH]\n"
    "Opens the window on the folder of PATH and reports the file PATH, as a click on it\n"
    "would (a folder is opened). Without PATH the window opens on the current folder.";

// `text` with each control byte written as \xNN.
std::string Visible(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

WindowArguments Refused(const std::string& why) {
    return {std::nullopt, "tallix: " + why + "\n" + kUsage};
}

}  // namespace

WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.starts_with('-')) {
            return Refused("unknown option '" + Visible(argument) + "'");
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() > 1) {
        return Refused("one path only, " + std::to_string(paths.size()) + " were given");
    }
    if (paths.empty()) {
        return {};
    }
    if (paths.front().empty()) {
        return Refused("an empty path names nothing");
    }
    return {paths.front(), ""};
}

}  // namespace Platform
