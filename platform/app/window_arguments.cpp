#include "platform/app/window_arguments.h"

#include <cstdio>

#include "platform/os/translation.h"

namespace Platform {
namespace {

constexpr const char* kUsage = TrLater(
    "Usage: tallix [[--] PATH]\n"
    "Opens the window on the folder of PATH and reports the file PATH, as a click on it\n"
    "would (a folder is opened). Without PATH the window opens on the current folder.");

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
    return {std::nullopt, "tallix: " + why + "\n" + Tr(kUsage)};
}

}  // namespace

WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.starts_with('-')) {
            return Refused(Filled(Tr("unknown option '{1}'"), {Visible(argument)}));
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() > 1) {
        return Refused(Filled(
            TrCount("one path only, {1} was given", "one path only, {1} were given", paths.size()),
            {std::to_string(paths.size())}));
    }
    if (paths.empty()) {
        return {};
    }
    if (paths.front().empty()) {
        return Refused(Tr("an empty path names nothing"));
    }
    return {paths.front(), ""};
}

}  // namespace Platform
