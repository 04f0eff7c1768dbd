#include "cli/report_command.h"

#include <exception>
#include <optional>
#include <string_view>

#include "platform/os/decimal_text.h"
#include "platform/os/error.h"
#include "window/report.h"

#ifndef TALLIX_VERSION
#define TALLIX_VERSION "unknown"
#endif

namespace Cli {
namespace {

constexpr std::string_view kProgram = "tallix-report";

constexpr std::string_view kUsage =
    "Usage: tallix-report [--brief] FILE...\n"
    "Print the CRC-32 and CRC-16 of each FILE, read whole, with the time each stage took.\n"
    "\n"
    "  --brief    one line a file: CRC32 CRC16 SIZE PATH, without timings\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "  --         treat every later argument as a file name\n"
    "\n"
    "Exit status: 0 when every file was reported, 1 when any file failed, 2 for a usage error.\n";

struct Options {
    bool brief = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
};

// Throws the message for a usage error.
Options ParseArguments(const std::vector<std::string>& args) {
    Options options;
    bool onlyFiles = false;
    for (const std::string& arg : args) {
        if (onlyFiles || arg.size() < 2 || arg.front() != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "--brief") {
            options.brief = true;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            throw std::string("unrecognised option '") + arg + "'";
        }
    }
    if (options.files.empty() && !options.help && !options.version) {
        throw std::string("no file named");
    }
    return options;
}

// The window's report with each CR LF line break made a newline, and a
// newline after the last line.
std::string TerminalText(const Window::FileReport& report) {
    std::string text = Window::ReportText(report);
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.erase(at, 1);
    }
    return text + "\n";
}

std::string BriefLine(const Window::FileReport& report) {
    return report.crc32 + " " + report.crc16 + " " + Platform::DecimalText(report.FileLength) +
           " " + report.filename + "\n";
}

// The report of one file, or nothing after writing why it could not be made.
std::optional<std::string> ReportFile(const std::string& path, bool brief, std::ostream& err) {
    try {
        const Window::FileReport report = Window::MeasureFile(path);
        return brief ? BriefLine(report) : TerminalText(report);
    } catch (const Platform::PlatformError& error) {
        err << kProgram << ": " << path << ": " << error.reason() << "\n";
    } catch (const std::exception& error) {
        err << kProgram << ": " << path << ": " << error.what() << "\n";
    }
    return std::nullopt;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    try {
        options = ParseArguments(args);
    } catch (const std::string& message) {
        err << kProgram << ": " << message << "\n"
            << "Try 'tallix-report --help' for more information.\n";
        return kUsageError;
    }
    if (options.help) {
        out << kUsage;
        return kAllReported;
    }
    if (options.version) {
        out << kProgram << " " << TALLIX_VERSION << "\n";
        return kAllReported;
    }

    bool allReported = true;
    bool reportedAny = false;
    for (const std::string& path : options.files) {
        const std::optional<std::string> text = ReportFile(path, options.brief, err);
        if (!text) {
            allReported = false;
            continue;
        }
        if (reportedAny && !options.brief) {
            out << "\n";  // a blank line between full reports
        }
        out << *text << std::flush;
        reportedAny = true;
    }
    return allReported ? kAllReported : kSomeFailed;
}

}  // namespace Cli
