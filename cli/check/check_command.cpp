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
#include "cli/system/encoding.h"
#include "cli/system/streams.h"
#include "cli/system/walk.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

struct OpenList {
    System::FileReader reader;
    // Where a relative path in the list starts: the list's directory, ending
    // in its separator, or nothing for the current directory.
    std::string directory;
};

// The list `list` opened for reading, standard input read from `input`. A
// stream's place says nothing of its names (/dev/stdin redirected from a
// file elsewhere, /dev/fd/63 of a process substitution), so the names of
// standard input, a FIFO or a path naming one of the process's descriptors
// are taken from the current directory, as those of "-" are.
OpenList OpenListFile(const std::string& list, System::InputStream input) {
    if (list == kStandardInput) {
        return {System::FileReader::Stream(input, list), {}};
    }
    bool isFifo = false;
    System::FileReader reader = System::FileReader::OpenFileOrFifo(list, isFifo);
    const bool stream = isFifo || Cli::Os::NamesOwnDescriptor(list);
    return {std::move(reader), stream ? std::string() : System::DirectoryPrefix(list)};
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
    return System::Filled(text, {System::DecimalText(count)});
}

std::string Summary(const CheckCounts& counts) {
    std::vector<std::string> parts;
    if (counts.failed > 0) {
        parts.push_back(Counted(counts.failed, System::TrCount("{1} listed file did NOT match",
                                                               "{1} listed files did NOT match",
                                                               Things(counts.failed))));
    }
    if (counts.unreadable > 0) {
        parts.push_back(Counted(
            counts.unreadable,
            System::TrCount("{1} listed file could not be read",
                            "{1} listed files could not be read", Things(counts.unreadable))));
    }
    if (counts.malformed > 0) {
        parts.push_back(Counted(
            counts.malformed,
            System::TrCount("{1} line is improperly formatted",
                            "{1} lines are improperly formatted", Things(counts.malformed))));
    }
    if (counts.unreadableLists > 0) {
        parts.push_back(
            Counted(counts.unreadableLists,
                    System::TrCount("{1} list could not be read", "{1} lists could not be read",
                                    Things(counts.unreadableLists))));
    }
    if (counts.emptyLists > 0) {
        parts.push_back(
            Counted(counts.emptyLists,
                    System::TrCount("{1} list has no checksum line",
                                    "{1} lists have no checksum line", Things(counts.emptyLists))));
    }
    std::string summary;
    for (const std::string& part : parts) {
        // Translators: between the parts of the summary of --check.
        summary += (summary.empty() ? "" : System::Tr(", ")) + part;
    }
    return summary.empty() ? summary : System::Filled(System::Tr("WARNING: {1}"), {summary});
}

// What of `report` differs from `entry`, as "size, CRC-32, CRC-16" or a
// part of it; empty when all matches.
std::string Differences(const ListEntry& entry, const Window::FileReport& report) {
    std::string differences;
    const auto add = [&differences](std::string_view what) {
        differences += (differences.empty() ? "" : ", ") + std::string(what);
    };
    if (entry.size && *entry.size != report.fileLength) {
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
        const std::string path = System::IsAbsolutePath(name) ? name : base + name;
        return MeasureTarget{path, path};
    };
    const auto exists = [](const MeasureTarget& target) {
        return Cli::Os::KindOfPath(target.path) != Cli::Os::PathKind::kMissing;
    };
    const auto withSlashes = [](std::string name) {
        std::replace(name.begin(), name.end(), '\\', '/');
        return name;
    };
    MeasureTarget target =
        placed(directory, entry.path);  // "-" is a file here, never standard input
    const bool fromCurrent = !directory.empty() && !System::IsAbsolutePath(entry.path);
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
            if (const auto console = Cli::Os::InConsoleCodePage(name)) {
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

// The check of one list: its lines read one at a time, and the file each
// names measured and reported in the list's order as soon as it is
// checked, with the lines of no known form in their places.
class ListCheck {
  public:
    ListCheck(const std::string& list, const Options& options, System::InputStream input,
              Session& session, CheckCounts& counts)
        : list_(list),
          options_(options),
          input_(input),
          session_(session),
          counts_(counts),
          parser_(list) {}
    // The steps queued point back here.
    ListCheck(const ListCheck&) = delete;
    ListCheck& operator=(const ListCheck&) = delete;

    // Checks the list's files, then tells what the list itself lacked;
    // false when a write failed.
    bool Run() {
        if (!Open()) {
            return true;
        }
        const StepSource next = [this] { return NextStep(); };
        const StepsReady ready = [this] { return StepReady(); };
        if (!MeasureEach(next, input_, SettingsFor(options_, session_), ready)) {
            return false;
        }
        TellWhatTheListLacked();
        return true;
    }

  private:
    // Opens the list; false, told and counted, when it cannot be.
    bool Open() {
        try {
            OpenList opened = OpenListFile(list_, input_);
            lines_.emplace(std::move(opened.reader), '\n', ListDecoder(options_.listEncoding));
            directory_ = std::move(opened.directory);
            return true;
        } catch (const System::PlatformError& error) {
            session_.Complain(list_, error.reason());
            ++counts_.unreadableLists;
            return false;
        }
    }

    std::optional<Step> NextStep() {
        while (pending_.empty() && !ended_) {
            ended_ = !ReadLine();
        }
        if (pending_.empty()) {
            return std::nullopt;
        }
        Step step = std::move(pending_.front());
        pending_.pop_front();
        return step;
    }

    bool StepReady() const { return !pending_.empty() || ended_ || lines_->LineReady(); }

    // Queues the steps of the list's next line; false when the list ended.
    bool ReadLine() {
        std::optional<TextLine> line;
        try {
            line = lines_->Next();
        } catch (const System::PlatformError& error) {
            // The lines before were read: they are checked, the rest is not.
            MalformedAll(parser_.Finish());
            Complaint(list_, error.reason(), counts_.unreadableLists);
            unreadable_ = true;
            return false;
        }
        if (!line) {
            MalformedAll(parser_.Finish());
            return false;
        }
        if (line->tooLong) {
            MalformedAll(parser_.Skip());
            Malformed(
                static_cast<std::uint64_t>(line->number),
                System::Filled(
                    System::Tr("line longer than any path (more than {1} bytes)"),
                    {System::DecimalText(static_cast<std::int64_t>(LineReader::kLongestLine))}));
            return true;
        }
        ListLine parsed = parser_.Parse(line->text);
        MalformedAll(parsed.malformedBefore);
        if (parsed.kind == ListLine::Kind::kMalformed) {
            Malformed(static_cast<std::uint64_t>(line->number),
                      System::Tr("improperly formatted line"));
        } else if (parsed.kind == ListLine::Kind::kEntry) {
            QueueEntry(std::move(parsed.entry));
        }
        return true;
    }

    // Queues the check of the file `entry` names, unless --ignore-missing
    // passes over it.
    void QueueEntry(ListEntry entry) {
        ++entries_;
        CheckTarget target = TargetOf(entry, directory_, lines_->decoder().ReadInLegacyCodePage());
        if (options_.ignoreMissing &&
            Cli::Os::KindOfPath(target.target.path) == Cli::Os::PathKind::kMissing) {
            return;
        }
        ++verified_;
        pending_.push_back(
            Step{target.target, [this, entry = std::move(entry), target](Measurement measurement) {
                     return Verdict(entry, target, std::move(measurement));
                 }});
    }

    // Queues a complaint about `where`, counted in `count` when it is told.
    void Complaint(std::string where, std::string reason, std::int64_t& count) {
        pending_.push_back(Step{std::nullopt, [this, &count, where = std::move(where),
                                               reason = std::move(reason)](Measurement) {
                                    session_.Complain(where, reason);
                                    ++count;
                                    return true;
                                }});
    }

    void Malformed(std::uint64_t number, std::string reason) {
        Complaint(list_ + ":" + System::DecimalText(static_cast<std::int64_t>(number)),
                  std::move(reason), counts_.malformed);
    }

    void MalformedAll(const std::vector<std::uint64_t>& numbers) {
        for (const std::uint64_t number : numbers) {
            Malformed(number, System::Tr("improperly formatted line"));
        }
    }

    // Tells how the file of `entry` came out; false when a write failed.
    bool Verdict(const ListEntry& entry, const CheckTarget& checked, Measurement measurement) {
        const MeasureTarget& target = checked.target;
        if (!measurement.report) {
            session_.Complain(
                target.path,
                checked.alsoTried.empty()
                    ? measurement.error
                    : measurement.error +
                          System::Filled(System::Tr(" (nor {1} from the current directory)"),
                                         {EscapedName(checked.alsoTried, NameStyle::kTerminal)}));
            ++counts_.unreadable;
            return true;
        }
        const std::string differences = Differences(entry, *measurement.report);
        if (!differences.empty()) {
            ++counts_.failed;
        } else if (options_.quiet) {
            return true;
        }
        return session_.Print(VerdictLine(target.name, differences, session_.OutputStyle()));
    }

    // A list read to its end without a checksum line, or none of whose
    // files was found.
    void TellWhatTheListLacked() {
        if (unreadable_) {
            return;
        }
        if (entries_ == 0) {
            session_.Complain(list_, System::Tr("no checksum line found"));
            ++counts_.emptyLists;
        } else if (verified_ == 0) {
            session_.Complain(list_, System::Tr("no file was verified"));
            counts_.unverifiedList = true;
        }
    }

    const std::string& list_;
    const Options& options_;
    System::InputStream input_;
    Session& session_;
    CheckCounts& counts_;
    std::optional<LineReader> lines_;
    // Where a relative path in the list starts (OpenList::directory).
    std::string directory_;
    ListParser parser_;
    std::int64_t entries_ = 0;   // lines naming a file
    std::int64_t verified_ = 0;  // of those, the files checked
    bool unreadable_ = false;    // the list could not be read to its end
    bool ended_ = false;         // the list's lines ended
    // The steps of the line read last: the earlier lines it showed to be
    // malformed, then its own.
    std::deque<Step> pending_;
};

}  // namespace

int CheckLists(const Options& options, System::InputStream input, Session& session) {
    CheckCounts counts;
    for (const std::string& list : options.names) {
        if (!ListCheck(list, options, input, session, counts).Run()) {
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
