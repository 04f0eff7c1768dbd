#include "cli/check_command.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/check_list.h"
#include "cli/escape.h"
#include "cli/list_decoder.h"
#include "cli/measure.h"
#include "platform/files/byte_buffer.h"
#include "platform/files/files.h"
#include "platform/os/decimal_text.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/os/streams.h"
#include "platform/os/walk.h"

namespace Cli {
namespace {

struct ListText {
    Platform::ByteBuffer bytes;
    // Where a relative path in the list starts: the list's directory, ending
    // in its separator, or nothing for the current directory.
    std::string directory;
};

// The whole text of the list `list`, standard input read from `input`. A
// stream's place says nothing of its names (/dev/stdin redirected from a
// file elsewhere, /dev/fd/63 of a process substitution), so the names of
// standard input, a FIFO or a path naming one of the process's descriptors
// are taken from the current directory, as those of "-" are.
ListText ReadList(const std::string& list, Platform::InputStream input) {
    if (list == kStandardInput) {
        return {Platform::ReadToEnd(input, list), {}};
    }
    bool isFifo = false;
    Platform::ByteBuffer bytes = Platform::ReadFileOrFifo(list, isFifo);
    const bool stream = isFifo || Platform::NamesOwnDescriptor(list);
    return {std::move(bytes), stream ? std::string() : Platform::DirectoryPrefix(list)};
}

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

// The entries of one list's text; each line of no known form is named on
// standard error and counted.
std::vector<ListEntry> EntriesOf(const std::string& list, std::string_view content,
                                 Session& session, CheckCounts& counts) {
    std::vector<ListEntry> entries;
    std::size_t number = 0;
    for (ListLine& line : ParseList(content, list)) {
        ++number;
        if (line.kind == ListLine::Kind::kMalformed) {
            session.Complain(list + ":" + Platform::DecimalText(number),
                             "improperly formatted line");
            ++counts.malformed;
        } else if (line.kind == ListLine::Kind::kEntry) {
            entries.push_back(std::move(line.entry));
        }
    }
    return entries;
}

// The file to check for `entry` of a list whose names start at `directory`:
// named as the list names it, opened at its path. A name that does not
// exist as written is tried without the blanks an SFV line padded it with
// before the CRC, and with '/' for each backslash (a list written on
// Windows; where the backslash separates names this changes nothing).
MeasureTarget TargetOf(const ListEntry& entry, const std::string& directory) {
    const auto placed = [&directory](const std::string& name) {
        return MeasureTarget{name, Platform::IsAbsolutePath(name) ? name : directory + name};
    };
    const auto exists = [](const MeasureTarget& target) {
        return Platform::KindOfPath(target.path) != Platform::PathKind::kMissing;
    };
    const auto withSlashes = [](std::string name) {
        std::replace(name.begin(), name.end(), '\\', '/');
        return name;
    };
    MeasureTarget target = placed(entry.path);  // "-" is a file here, never standard input
    if ((entry.trimmedPath.empty() && entry.path.find('\\') == std::string::npos) ||
        exists(target)) {
        return target;
    }
    for (const std::string& name :
         {entry.trimmedPath, withSlashes(entry.path), withSlashes(entry.trimmedPath)}) {
        if (!name.empty() && name != entry.path) {
            MeasureTarget other = placed(name);
            if (exists(other)) {
                return other;
            }
        }
    }
    return target;
}

// Checks the files of one list; false when a write failed.
bool CheckList(const std::string& list, const Options& options, Platform::InputStream input,
               Session& session, CheckCounts& counts) {
    ListText text;
    try {
        text = ReadList(list, input);
    } catch (const Platform::PlatformError& error) {
        session.Complain(list, error.reason());
        ++counts.unreadableLists;
        return true;
    }
    ListDecoder decoder(options.listEncoding);
    std::string content;
    const bool decoded =
        decoder.Feed({reinterpret_cast<const char*>(text.bytes.data()), text.bytes.size()},
                     content) &&
        decoder.Finish(content);
    if (!decoded) {
        // The lines before what could not be decoded are still checked; the
        // line it cut short is not a line.
        content.erase(content.rfind('\n') + 1);
        session.Complain(list, decoder.Error());
        ++counts.unreadableLists;
    }
    std::vector<ListEntry> entries = EntriesOf(list, content, session, counts);
    if (entries.empty() && !decoded) {
        return true;
    }
    if (entries.empty()) {
        session.Complain(list, "no checksum line found");
        ++counts.emptyLists;
        return true;
    }
    std::vector<MeasureTarget> targets;
    std::erase_if(entries, [&](const ListEntry& entry) {
        MeasureTarget target = TargetOf(entry, text.directory);
        if (options.ignoreMissing &&
            Platform::KindOfPath(target.path) == Platform::PathKind::kMissing) {
            return true;
        }
        targets.push_back(std::move(target));
        return false;
    });
    if (targets.empty()) {
        session.Complain(list, "no file was verified");
        counts.unverifiedList = true;
        return true;
    }
    return MeasureEach(
        targets, input, SettingsFor(options, session),
        [&](std::size_t index, Measurement measurement) {
            const ListEntry& entry = entries[index];
            if (!measurement.report) {
                session.Complain(targets[index].path, measurement.error);  // the path opened
                ++counts.unreadable;
                return true;
            }
            const std::string differences = Differences(entry, *measurement.report);
            if (!differences.empty()) {
                ++counts.failed;
            } else if (options.quiet) {
                return true;
            }
            const NameStyle style = session.OutputStyle();
            const std::string& name = targets[index].name;
            const std::string outcome = differences.empty() ? "OK" : "FAILED (" + differences + ")";
            return session.Print(std::string(LineStart(name, style)) + EscapedName(name, style) +
                                 ": " + outcome + "\n");
        });
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
