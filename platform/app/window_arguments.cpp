#include "platform/app/window_arguments.h"

#include <cstdio>

#ifndef TALLIX_VERSION
#define TALLIX_VERSION "unknown"
#endif

#include "platform/system/os/translation.h"

namespace App {
namespace {

constexpr const char* kUsage = System::TrLater(
    "Usage: tallix [[--] PATH...]\n"
    "Opens a window on the folder of each PATH (15 at most) and reports the file\n"
    "PATH there, as a click on it would (a folder is opened). Without PATH one\n"
    "window opens on the current folder.\n"
    "  --help, -?, /?  show this help and exit\n"
    "  --version       show the version and exit");

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
    WindowArguments refused;
    refused.error = "tallix: " + why + "\n" + System::Tr(kUsage);
    return refused;
}

WindowArguments Shown(std::string text) {
    WindowArguments shown;
    shown.text = std::move(text);
    return shown;
}

}  // namespace

WindowArguments ReadWindowArguments(const std::vector<std::string>& arguments) {
    WindowArguments read;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded &&
                   (argument == "--help" || argument == "-?" || argument == "/?")) {
            return Shown(System::Tr(kUsage));
        } else if (!optionsEnded && argument == "--version") {
            return Shown("tallix " TALLIX_VERSION);
        } else if (!optionsEnded && argument.starts_with('-')) {
            return Refused(System::Filled(System::Tr("unknown option '{1}'"), {Visible(argument)}));
        } else if (argument.empty()) {
            return Refused(System::Tr("an empty path names nothing"));
        } else {
            read.paths.push_back(argument);
        }
    }
    if (read.paths.size() > kMostWindows) {
        const std::size_t given = read.paths.size();
        read.leftOut = WindowArguments::LeftOut{
            read.paths[kMostWindows],
            System::Filled(
                System::Tr("{1} paths were given and a window opens for the first {2} only: this "
                           "one and the {3} after it were left out"),
                {std::to_string(given), std::to_string(kMostWindows),
                 std::to_string(given - kMostWindows - 1)})};
        read.paths.resize(kMostWindows);
    }
    return read;
}

std::vector<std::optional<std::string>> WindowStarts(const WindowArguments& arguments) {
    if (arguments.paths.empty()) {
        return {std::nullopt};
    }
    return {arguments.paths.begin(), arguments.paths.end()};
}

}  // namespace App
