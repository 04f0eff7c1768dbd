#include "cli/check/check_command.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/lists/check_list.h"
#include "cli/lists/line_reader.h"
#include "cli/lists/list_decoder.h"
#include "cli/measure/measure.h"
#include "cli/output/escape.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/encoding.h"
#include "platform/system/os/error.h"
#include "platform/system/os/streams.h"
#include "platform/system/os/translation.h"
#include "platform/system/os/walk.h"

namespace Cli {
namespace {

struct OpenList {
    Platform::FileReader reader;
    // Where a relative path in the list starts: the list's directory, ending
    // in its separator, or nothing for the current directory.
    std::string directory;
};

// The list `list` opened for reading, standard input read from `input`. A
// stream's place says nothing of its names (/dev/stdin redirected from a
// file elsewhere, /dev/fd/63 of a process substitution), so the names of
// standard input, a FIFO or a path naming one of the process's descriptors
// are taken from the current directory, as those of "-" are.
OpenList OpenListFile(const std::string& list, Platform::InputStream input) {
    if (list == kStandardInput) {
        return {Platform::FileReader::Stream(input, list), {}};
    }
    bool isFifo = false;
    Platform::FileReader reader = Platform::FileReader::OpenFileOrFifo(list, isFifo);
    const bool stream = isFifo || Platform::NamesOwnDescriptor(list);
    return {std::move(reader), stream ? std::string() : Platform::DirectoryPrefix(list)};
}

struct CheckCounts {
    std::int64_t failed = 0;      // files that did not match
    std::int64_t unreadable = 0;  // files that could not be measured
    std::int64_t malformed = 0;   // lines of no known form
    std::int64_t unreadableLists = 0;
    std::int64_t emptyLists = 0;  // lists without one checksum line
    bool unverifiedList = false;  // --ignore-missing: a list none of whose files was found
};

// The number of things a part of the summary counts.
unsigned long Things(std::int64_t count) {
    return static_cast<unsigned long>(count);
}

// `text` with `count` at its {1}.
std::string Counted(std::int64_t count, const char* text) {
    return Platform::Filled(text, {Platform::DecimalText(count)});
}

std::string Summary(const CheckCounts& counts) {
    std::vector<std::string> parts;
    if (counts.failed > 0) {
        parts.push_back(Counted(counts.failed, Platform::TrCount("{1} listed file did NOT match",
                                                                 "{1} listed files did NOT match",
                                                                 Things(counts.failed))));
    }
    if (counts.unreadable > 0) {
        parts.push_back(Counted(
            counts.unreadable,
            Platform::TrCount("{1} listed file could not be read",
                              "{1} listed files could not be read", Things(counts.unreadable))));
    }
    if (counts.malformed > 0) {
        parts.push_back(Counted(
            counts.malformed,
            Platform::TrCount("{1} line is improperly formatted",
                              "{1} lines are improperly formatted", Things(counts.malformed))));
    }
    if (counts.unreadableLists > 0) {
        parts.push_back(
            Counted(counts.unreadableLists,
                    Platform::TrCount("{1} list could not be read", "{1} lists could not be read",
                                      Things(counts.unreadableLists))));
    }
    if (counts.emptyLists > 0) {
        parts.push_back(Counted(
            counts.emptyLists,
            Platform::TrCount("{1} list has no checksum line", "{1} lists have no checksum line",
                              Things(counts.emptyLists))));
    }
    std::string summary;
    for (const std::string& part : parts) {
        // Translators: between the parts of the summary of --check.
        summary += (summary.empty() ? "" : Platform::Tr(", ")) + part;
    }
    return summary.empty() ? summary : Platform::Filled(Platform::Tr("WARNING: {1}"), {summary});
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

// The file to check for an entry, and the other path looked for when
// neither exists.
struct CheckTarget {
    MeasureTarget target;
    std::string alsoTried;  // empty when there was no other, or the target exists
};

// The file to check for `entry` of a list whose names start at `directory`,
// named as it is opened (so that lists in two directories naming the same
// name are told apart). A relative name is looked for beside the list, then
// from the current directory (lists written there of files in a
// subdirectory, as other tools find them). A name that does not exist as
// written is tried without the blanks an SFV line padded it with before the
// CRC, with '/' for each backslash (a list written on Windows; where the
// backslash separates names this changes nothing), and, for a list read in
// the legacy code page, as its bytes read in the console's (`dir /b > list`).
CheckTarget TargetOf(const ListEntry& entry, const std::string& directory, bool legacyText) {
    const auto placed = [](const std::string& base, const std::string& name) {
        const std::string path = Platform::IsAbsolutePath(name) ? name : base + name;
        return MeasureTarget{path, path};
    };
    const auto exists = [](const MeasureTarget& target) {
        return Platform::KindOfPath(target.path) != Platform::PathKind::kMissing;
    };
    const auto withSlashes = [](std::string name) {
        std::replace(name.begin(), name.end(), '\\', '/');
        return name;
    };
    MeasureTarget target =
        placed(directory, entry.path);  // "-" is a file here, never standard input
    const bool fromCurrent = !directory.empty() && !Platform::IsAbsolutePath(entry.path);
    const bool variants =
        !entry.trimmedPath.empty() || entry.path.find('\\') != std::string::npos || legacyText;
    if ((!variants && !fromCurrent) || exists(target)) {
        return {target, {}};
    }
    std::vector<std::string> names{entry.path};
    for (const std::string& name :
         {entry.trimmedPath, withSlashes(entry.path), withSlashes(entry.trimmedPath)}) {
        names.push_back(name);
    }
    if (legacyText) {
        for (const std::string& name : {entry.path, entry.trimmedPath}) {
            if (const auto console = Platform::InConsoleCodePage(name)) {
                names.push_back(*console);
                names.push_back(withSlashes(*console));
            }
        }
    }
    std::vector<std::string> bases{directory};
    if (fromCurrent) {
        bases.emplace_back();
    }
    for (const std::string& base : bases) {
        for (const std::string& name : names) {
            MeasureTarget other = placed(base, name);
            if (!name.empty() && other.path != target.path && exists(other)) {
                return {other, {}};
            }
        }
    }
    return {target, fromCurrent ? entry.path : std::string()};
}

// The line of output for a file checked: "NAME: OK" or "NAME: FAILED (...)".
std::string VerdictLine(const std::string& name, const std::string& differences, NameStyle style) {
    const std::string outcome = differences.empty() ? "OK" : "FAILED (" + differences + ")";
    return std::string(LineStart(name, style)) + EscapedName(name, style) + ": " + outcome + "\n";
}

// Checks the files of one list as its lines are read, each reported as
// soon as it is checked; false when a write failed.
bool CheckList(const std::string& list, const Options& options, Platform::InputStream input,
               Session& session, CheckCounts& counts) {
    std::optional<LineReader> lines;
    std::string directory;
    try {
        OpenList opened = OpenListFile(list, input);
        lines.emplace(std::move(opened.reader), '\n', ListDecoder(options.listEncoding));
        directory = std::move(opened.directory);
    } catch (const Platform::PlatformError& error) {
        session.Complain(list, error.reason());
        ++counts.unreadableLists;
        return true;
    }
    ListParser parser(list);
    std::int64_t entries = 0;   // lines naming a file
    std::int64_t verified = 0;  // of those, the files checked
    bool unreadable = false;    // the list could not be read to its end
    // The steps of the line read last: the earlier lines it showed to be
    // malformed, then its own.
    std::deque<Step> pending;
    const auto complaint = [&](std::string where, std::string reason, std::int64_t& count) {
        pending.push_back(Step{std::nullopt, [&session, &count, where = std::move(where),
                                              reason = std::move(reason)](Measurement) {
                                   session.Complain(where, reason);
                                   ++count;
                                   return true;
                               }});
    };
    const auto malformed = [&](std::uint64_t number, std::string reason) {
        complaint(list + ":" + Platform::DecimalText(static_cast<std::int64_t>(number)),
                  std::move(reason), counts.malformed);
    };
    const auto malformedAll = [&](const std::vector<std::uint64_t>& numbers) {
        for (const std::uint64_t number : numbers) {
            malformed(number, Platform::Tr("improperly formatted line"));
        }
    };
    const auto verdict = [&](const ListEntry& entry, const CheckTarget& checked,
                             Measurement measurement) {
        const MeasureTarget& target = checked.target;
        if (!measurement.report) {
            session.Complain(
                target.path,
                checked.alsoTried.empty()
                    ? measurement.error
                    : measurement.error +
                          Platform::Filled(Platform::Tr(" (nor {1} from the current directory)"),
                                           {EscapedName(checked.alsoTried, NameStyle::kTerminal)}));
            ++counts.unreadable;
            return true;
        }
        const std::string differences = Differences(entry, *measurement.report);
        if (!differences.empty()) {
            ++counts.failed;
        } else if (options.quiet) {
            return true;
        }
        return session.Print(VerdictLine(target.name, differences, session.OutputStyle()));
    };
    // Queues the steps of the list's next line; false when the list ended.
    const auto readLine = [&]() {
        std::optional<TextLine> line;
        try {
            line = lines->Next();
        } catch (const Platform::PlatformError& error) {
            // The lines before were read: they are checked, the rest is not.
            malformedAll(parser.Finish());
            complaint(list, error.reason(), counts.unreadableLists);
            unreadable = true;
            return false;
        }
        if (!line) {
            malformedAll(parser.Finish());
            return false;
        }
        if (line->tooLong) {
            malformedAll(parser.Skip());
            malformed(
                static_cast<std::uint64_t>(line->number),
                Platform::Filled(
                    Platform::Tr("line longer than any path (more than {1} bytes)"),
                    {Platform::DecimalText(static_cast<std::int64_t>(LineReader::kLongestLine))}));
            return true;
        }
        ListLine parsed = parser.Parse(line->text);
        malformedAll(parsed.malformedBefore);
        if (parsed.kind == ListLine::Kind::kMalformed) {
            malformed(static_cast<std::uint64_t>(line->number),
                      Platform::Tr("improperly formatted line"));
        } else if (parsed.kind == ListLine::Kind::kEntry) {
            ++entries;
            CheckTarget target =
                TargetOf(parsed.entry, directory, lines->decoder().ReadInLegacyCodePage());
            if (!options.ignoreMissing ||
                Platform::KindOfPath(target.target.path) != Platform::PathKind::kMissing) {
                ++verified;
                pending.push_back(Step{target.target, [&verdict, entry = std::move(parsed.entry),
                                                       target](Measurement measurement) {
                                           return verdict(entry, target, std::move(measurement));
                                       }});
            }
        }
        return true;
    };
    bool ended = false;
    const StepSource next = [&]() -> std::optional<Step> {
        while (pending.empty() && !ended) {
            ended = !readLine();
        }
        if (pending.empty()) {
            return std::nullopt;
        }
        Step step = std::move(pending.front());
        pending.pop_front();
        return step;
    };
    const StepsReady ready = [&] { return !pending.empty() || ended || lines->LineReady(); };
    if (!MeasureEach(next, input, SettingsFor(options, session), ready)) {
        return false;
    }
    if (unreadable) {
        return true;
    }
    if (entries == 0) {
        session.Complain(list, Platform::Tr("no checksum line found"));
        ++counts.emptyLists;
    } else if (verified == 0) {
        session.Complain(list, Platform::Tr("no file was verified"));
        counts.unverifiedList = true;
    }
    return true;
}

}  // namespace

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
    // A line not read is a file not checked.
    const bool allMatched = counts.failed == 0 && counts.unreadable == 0 && counts.malformed == 0 &&
                            !counts.unverifiedList;
    return allMatched ? kAllReported : kSomeFailed;
}

}  // namespace Cli
