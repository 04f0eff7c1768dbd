#include "cli/check_command.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/check_list.h"
#include "cli/escape.h"
#include "cli/line_reader.h"
#include "cli/measure.h"
#include "platform/files/stream_read.h"
#include "platform/os/decimal_text.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/os/streams.h"
#include "platform/os/walk.h"

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

// Reads a list's lines one at a time, each as the list's kind, which its
// first line naming a file decides (as ParseList decides it).
class ListLineParser {
  public:
    ListLine Parse(std::string_view line) {
        if (std::exchange(first_, false) && line.starts_with(kByteOrderMark)) {
            line.remove_prefix(kByteOrderMark.size());
        }
        if (!kind_) {
            commented_ = commented_ || line.starts_with(';');
            if (!commented_ &&
                ParseListLine(line, ListKind::kBrief).kind == ListLine::Kind::kEntry) {
                kind_ = ListKind::kBrief;
            } else if (ParseListLine(line, ListKind::kSfv).kind == ListLine::Kind::kEntry) {
                kind_ = ListKind::kSfv;
            }
        }
        return ParseListLine(line, kind_.value_or(ListKind::kBrief));
    }

  private:
    // Some editors put one before UTF-8 text.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    bool first_ = true;
    bool commented_ = false;  // a ';' comment came first: SFV writers' header
    std::optional<ListKind> kind_;
};

struct CheckCounts {
    std::int64_t failed = 0;      // files that did not match
    std::int64_t unreadable = 0;  // files that could not be measured
    std::int64_t malformed = 0;   // lines of no known form
    std::int64_t unreadableLists = 0;
    std::int64_t emptyLists = 0;  // lists without one checksum line
    bool unverifiedList = false;  // --ignore-missing: a list none of whose files was found
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

// The file to check for `entry` of a list whose names start at `directory`,
// named as it is opened (so that lists in two directories naming the same
// name are told apart). An SFV name padded with blanks before the CRC that
// does not exist as written is taken without them when that exists.
MeasureTarget TargetOf(const ListEntry& entry, const std::string& directory) {
    const auto placed = [&directory](const std::string& name) {
        const std::string path = Platform::IsAbsolutePath(name) ? name : directory + name;
        return MeasureTarget{path, path};
    };
    MeasureTarget target = placed(entry.path);
    if (!entry.trimmedPath.empty() &&
        Platform::KindOfPath(target.path) == Platform::PathKind::kMissing) {
        MeasureTarget trimmed = placed(entry.trimmedPath);
        if (Platform::KindOfPath(trimmed.path) != Platform::PathKind::kMissing) {
            return trimmed;
        }
    }
    return target;  // "-" is a file here, never standard input
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
        lines.emplace(std::move(opened.reader), '\n');
        directory = std::move(opened.directory);
    } catch (const Platform::PlatformError& error) {
        session.Complain(list, error.reason());
        ++counts.unreadableLists;
        return true;
    }
    ListLineParser parser;
    std::int64_t entries = 0;   // lines naming a file
    std::int64_t verified = 0;  // of those, the files checked
    const auto malformed = [&](std::int64_t number, std::string reason) {
        return Step{std::nullopt,
                    [&session, &counts, where = list + ":" + Platform::DecimalText(number),
                     reason = std::move(reason)](Measurement) {
                        session.Complain(where, reason);
                        ++counts.malformed;
                        return true;
                    }};
    };
    const auto verdict = [&](const ListEntry& entry, const MeasureTarget& target,
                             Measurement measurement) {
        if (!measurement.report) {
            session.Complain(target.path, measurement.error);
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
    const StepSource next = [&]() -> std::optional<Step> {
        while (const std::optional<TextLine> line = lines->Next()) {
            if (line->tooLong) {
                return malformed(
                    line->number,
                    "line longer than any path (more than " +
                        Platform::DecimalText(static_cast<std::int64_t>(LineReader::kLongestLine)) +
                        " bytes)");
            }
            ListLine parsed = parser.Parse(line->text);
            if (parsed.kind == ListLine::Kind::kMalformed) {
                return malformed(line->number, "improperly formatted line");
            }
            if (parsed.kind != ListLine::Kind::kEntry) {
                continue;
            }
            ++entries;
            MeasureTarget target = TargetOf(parsed.entry, directory);
            if (options.ignoreMissing &&
                Platform::KindOfPath(target.path) == Platform::PathKind::kMissing) {
                continue;
            }
            ++verified;
            return Step{target, [&verdict, entry = std::move(parsed.entry),
                                 target](Measurement measurement) {
                            return verdict(entry, target, std::move(measurement));
                        }};
        }
        return std::nullopt;
    };
    try {
        if (!MeasureEach(next, input, SettingsFor(options, session))) {
            return false;
        }
    } catch (const Platform::PlatformError& error) {
        session.Complain(list, error.reason());  // the rest of the list could not be read
        ++counts.unreadableLists;
        return true;
    }
    if (entries == 0) {
        session.Complain(list, "no checksum line found");
        ++counts.emptyLists;
    } else if (verified == 0) {
        session.Complain(list, "no file was verified");
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
    const bool allMatched = counts.failed == 0 && counts.unreadable == 0 && !counts.unverifiedList;
    return allMatched ? kAllReported : kSomeFailed;
}

}  // namespace Cli
