#include "cli/report_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <string_view>
#include <utility>

#include "cli/check_list.h"
#include "cli/escape.h"
#include "platform/files/byte_buffer.h"
#include "platform/files/files.h"
#include "platform/os/decimal_text.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/os/text.h"
#include "window/report.h"

#ifndef TALLIX_VERSION
#define TALLIX_VERSION "unknown"
#endif

namespace Cli {
namespace {

constexpr std::string_view kProgram = "tallix-report";
constexpr std::string_view kStandardInput = "-";

constexpr std::string_view kUsage =
    "Usage: tallix-report [--brief] FILE...\n"
    "  or:  tallix-report --check [--quiet] LIST...\n"
    "Print the CRC-32 and CRC-16 of each FILE, read whole, with the time each stage\n"
    "took; or check the files named in each LIST against the checksums it gives.\n"
    "A FILE or LIST of - is standard input, read to its end (once a run).\n"
    "\n"
    "  --brief      one line a file: CRC32 CRC16 SIZE PATH, without timings\n"
    "  -c, --check  read each LIST (--brief lines, or SFV lines: PATH CRC32, with ';'\n"
    "               comments) and print PATH: OK or PATH: FAILED (what differed);\n"
    "               a relative PATH is taken from the LIST's directory (from the\n"
    "               current directory when the LIST is - or a FIFO)\n"
    "  --quiet      with --check, print only the files that failed\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "  --           treat every later argument as a FILE or LIST\n"
    "\n"
    "A name holding a backslash, newline or carriage return is printed with \\\\, \\n\n"
    "and \\r in their place, on a line that starts with a backslash.\n"
    "\n"
    "Exit status: 0 when every file was reported (or matched), 1 when any file\n"
    "failed or could not be read, or output could not be written, 2 for a usage\n"
    "error or a LIST that cannot be read or holds no checksum line.\n";

struct Options {
    bool brief = false;
    bool check = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> names;  // files, or lists with --check
};

// A name in a message on standard error: escaped, so it cannot break the
// line, and without the leading backslash of a line of output (a backslash
// in the shown name already means it was escaped).
std::string Shown(std::string_view name) {
    return EscapedName(name);
}

// Throws the message for a usage error.
Options ParseArguments(const std::vector<std::string>& args) {
    Options options;
    bool onlyNames = false;
    for (const std::string& arg : args) {
        if (onlyNames || arg.size() < 2 || arg.front() != '-') {
            options.names.push_back(arg);
        } else if (arg == "--") {
            onlyNames = true;
        } else if (arg == "--brief") {
            options.brief = true;
        } else if (arg == "--check" || arg == "-c") {
            options.check = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else {
            throw "unrecognised option '" + Shown(arg) + "'";
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.check && options.brief) {
        throw std::string("--brief and --check cannot be used together");
    }
    if (options.quiet && !options.check) {
        throw std::string("--quiet applies only to --check");
    }
    if (options.names.empty()) {
        throw std::string(options.check ? "no list named" : "no file named");
    }
    if (std::count(options.names.begin(), options.names.end(), kStandardInput) > 1) {
        throw std::string("standard input ('-') can be read only once");
    }
    return options;
}

// One run's output and messages. After a failed write nothing more is
// written or read: the caller stops at the first false.
class Session {
  public:
    Session(Output& out, std::ostream& err) : out_(out), err_(err) {}

    // Writes `text` to the output; on failure says so and returns false.
    bool Print(std::string_view text) {
        const int error = out_.Write(text);
        if (error != 0) {
            WriteError(error);
        }
        return error == 0;
    }
    // Ends the output; on failure says so and returns false.
    bool Finish() {
        const int error = out_.Close();
        if (error != 0) {
            WriteError(error);
        }
        return error == 0;
    }

    // "tallix-report: NAME: reason" on standard error.
    void Complain(std::string_view name, std::string_view reason) {
        err_ << kProgram << ": " << Shown(name) << ": " << reason << "\n" << std::flush;
    }
    void Warn(std::string_view message) {
        err_ << kProgram << ": " << message << "\n" << std::flush;
    }

  private:
    void WriteError(int error) {
        err_ << kProgram << ": write error: " << std::strerror(error) << "\n" << std::flush;
    }

    Output& out_;
    std::ostream& err_;
};

// Measures the file at `path` as the window's report does, or `stream`
// when there is one; nothing after saying why it could not, with `name`
// for the file.
std::optional<Window::FileReport> Measure(const std::string& name, const std::string& path,
                                          std::optional<Platform::InputStream> stream,
                                          Session& session) {
    try {
        return stream ? Window::MeasureStream(*stream, name) : Window::MeasureFile(path);
    } catch (const Platform::PlatformError& error) {
        session.Complain(name, error.reason());
    } catch (const std::exception& error) {
        session.Complain(name, error.what());
    }
    return std::nullopt;
}

// The leading backslash of a line whose name is escaped.
std::string_view LineStart(std::string_view name) {
    return NeedsEscaping(name) ? "\\" : "";
}

// The window's report with its name escaped, each CR LF line break made
// the system's line end (a newline on POSIX; on Windows CR LF stays), and
// one after the last line: always four lines.
std::string TerminalText(const Window::FileReport& report) {
    Window::FileReport shown = report;
    shown.filename = EscapedName(report.filename);
    const std::string_view lineEnd = Platform::kLineEnd;
    std::string text = std::string(LineStart(report.filename)) + Window::ReportText(shown);
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.replace(at, 2, lineEnd);
        at += lineEnd.size();
    }
    return text.append(lineEnd);
}

std::string BriefLine(const Window::FileReport& report) {
    return std::string(LineStart(report.filename)) + report.crc32 + " " + report.crc16 + " " +
           Platform::DecimalText(report.FileLength) + " " + EscapedName(report.filename) + "\n";
}

int ReportFiles(const Options& options, Platform::InputStream input, Session& session) {
    bool allReported = true;
    bool reportedAny = false;
    for (const std::string& name : options.names) {
        const std::optional<Window::FileReport> report = Measure(
            name, name, name == kStandardInput ? std::optional(input) : std::nullopt, session);
        if (!report) {
            allReported = false;
            continue;
        }
        // A blank line between full reports.
        std::string text(reportedAny && !options.brief ? Platform::kLineEnd : "");
        text += options.brief ? BriefLine(*report) : TerminalText(*report);
        if (!session.Print(text)) {
            return kSomeFailed;
        }
        reportedAny = true;
    }
    if (!session.Finish()) {
        return kSomeFailed;
    }
    return allReported ? kAllReported : kSomeFailed;
}

struct ListText {
    Platform::ByteBuffer bytes;
    // Where a relative path in the list starts: the list's directory, ending
    // in its separator, or nothing for the current directory.
    std::string directory;
};

// The whole text of the list at `path`. A stream's directory says nothing
// of its names (/dev/fd/63 of a process substitution), so a FIFO's names
// are taken from the current directory.
ListText ReadList(const std::string& path) {
    bool isFifo = false;
    Platform::ByteBuffer bytes = Platform::ReadFileOrFifo(path, isFifo);
    return {std::move(bytes), isFifo ? std::string() : Platform::DirectoryPrefix(path)};
}

struct CheckCounts {
    std::int64_t failed = 0;      // files that did not match
    std::int64_t unreadable = 0;  // files that could not be measured
    std::int64_t malformed = 0;   // lines of no known form
    std::int64_t unreadableLists = 0;
    std::int64_t emptyLists = 0;  // lists without one checksum line
};

std::string Counted(std::int64_t count, std::string_view one, std::string_view many,
                    std::string_view what) {
    return Platform::DecimalText(count) + " " + std::string(count == 1 ? one : many) + " " +
           std::string(what);
}

std::string Summary(const CheckCounts& counts) {
    std::vector<std::string> parts;
    if (counts.failed > 0) {
        parts.push_back(Counted(counts.failed, "listed file", "listed files", "did NOT match"));
    }
    if (counts.unreadable > 0) {
        parts.push_back(
            Counted(counts.unreadable, "listed file", "listed files", "could not be read"));
    }
    if (counts.malformed > 0) {
        parts.push_back(Counted(counts.malformed, "line is", "lines are", "improperly formatted"));
    }
    if (counts.unreadableLists > 0) {
        parts.push_back(Counted(counts.unreadableLists, "list", "lists", "could not be read"));
    }
    if (counts.emptyLists > 0) {
        parts.push_back(Counted(counts.emptyLists, "list has", "lists have", "no checksum line"));
    }
    std::string summary;
    for (const std::string& part : parts) {
        summary += (summary.empty() ? "WARNING: " : ", ") + part;
    }
    return summary;
}

// What of `report` differs from `entry`, as "size, CRC-32, CRC-16" or a
// part of it; empty when all matches.
std::string Differences(const ListEntry& entry, const Window::FileReport& report) {
    std::string differences;
    const auto add = [&differences](std::string_view what) {
        differences += (differences.empty() ? "" : ", ") + std::string(what);
    };
    if (entry.size && *entry.size != report.FileLength) {
        add("size");
    }
    if (entry.crc32 != report.crc32) {
        add("CRC-32");
    }
    if (entry.crc16 && *entry.crc16 != report.crc16) {
        add("CRC-16");
    }
    return differences;
}

// Checks the files of one list; false when a write failed.
bool CheckList(const std::string& list, const Options& options, Platform::InputStream input,
               Session& session, CheckCounts& counts) {
    ListText text;
    try {
        text = list == kStandardInput ? ListText{Platform::ReadToEnd(input, list), {}}
                                      : ReadList(list);
    } catch (const Platform::PlatformError& error) {
        session.Complain(list, error.reason());
        ++counts.unreadableLists;
        return true;
    }
    std::string_view content(reinterpret_cast<const char*>(text.bytes.data()), text.bytes.size());
    if (content.starts_with("\xEF\xBB\xBF")) {
        content.remove_prefix(3);  // the byte-order mark some editors put before UTF-8 text
    }
    std::size_t number = 0;
    std::int64_t entries = 0;
    for (const std::string_view line : SplitLines(content)) {
        ++number;
        const ListLine parsed = ParseListLine(line);
        if (parsed.kind == ListLine::Kind::kIgnored) {
            continue;
        }
        if (parsed.kind == ListLine::Kind::kMalformed) {
            session.Complain(list + ":" + Platform::DecimalText(number),
                             "improperly formatted line");
            ++counts.malformed;
            continue;
        }
        ++entries;
        const ListEntry& entry = parsed.entry;
        const std::string path =
            Platform::IsAbsolutePath(entry.path) ? entry.path : text.directory + entry.path;
        const auto report = Measure(entry.path, path, std::nullopt, session);  // "-" is a file here
        if (!report) {
            ++counts.unreadable;
            continue;
        }
        const std::string differences = Differences(entry, *report);
        if (!differences.empty()) {
            ++counts.failed;
        } else if (options.quiet) {
            continue;
        }
        const std::string outcome = differences.empty() ? "OK" : "FAILED (" + differences + ")";
        if (!session.Print(std::string(LineStart(entry.path)) + EscapedName(entry.path) + ": " +
                           outcome + "\n")) {
            return false;
        }
    }
    if (entries == 0) {
        session.Complain(list, "no checksum line found");
        ++counts.emptyLists;
    }
    return true;
}

int CheckLists(const Options& options, Platform::InputStream input, Session& session) {
    CheckCounts counts;
    for (const std::string& list : options.names) {
        if (!CheckList(list, options, input, session, counts)) {
            return kSomeFailed;
        }
    }
    if (!session.Finish()) {
        return kSomeFailed;
    }
    const std::string summary = Summary(counts);
    if (!summary.empty()) {
        session.Warn(summary);
    }
    if (counts.unreadableLists > 0 || counts.emptyLists > 0) {
        return kUsageError;
    }
    return counts.failed > 0 || counts.unreadable > 0 ? kSomeFailed : kAllReported;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, Output& out, std::ostream& err,
                     Platform::InputStream input) {
    Session session(out, err);
    Options options;
    try {
        options = ParseArguments(args);
    } catch (const std::string& message) {
        session.Warn(message);
        err << "Try 'tallix-report --help' for more information.\n";
        return kUsageError;
    }
    if (options.help || options.version) {
        const std::string text = options.help ? std::string(kUsage)
                                              : std::string(kProgram) + " " + TALLIX_VERSION + "\n";
        return session.Print(text) && session.Finish() ? kAllReported : kSomeFailed;
    }
    return options.check ? CheckLists(options, input, session)
                         : ReportFiles(options, input, session);
}

}  // namespace Cli
