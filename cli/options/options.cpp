#include "cli/options/options.h"

#include <algorithm>
#include <optional>
#include <string>

#include "cli/options/option_table.h"
#include "cli/options/system_help.h"
#include "cli/output/escape.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

// The text of --help before the options, and after them, around the
// system's own part (system_help.h).
constexpr const char* kSynopsis = System::TrLater(
    "Usage: tallix-report [--brief | --sfv] [-r] [--files-from FILE [--null]] FILE...\n"
    "  or:  tallix-report --check [--quiet] [--ignore-missing]\n"
    "               [--list-encoding NAME] [LIST...]\n"
    "  or:  tallix-report --crc16-family | --identify HEX | --appended[32] le|be\n"
    "               [--range OFFSET:LENGTH] FILE...\n"
    "Print the CRC-32 and CRC-16 of each FILE, read whole, with the time each stage\n"
    "took; or check the files named in each LIST against the checksums it gives.\n"
    "A FILE or LIST of - is standard input, read to its end (once a run), as is a\n"
    "FILE that is a FIFO or pipe.\n");
constexpr const char* kExitStatus = System::TrLater(
    "Exit status: 0 when every file was reported (or matched), 1 when any file\n"
    "failed or could not be read, a line of a LIST could not be read, a directory\n"
    "could not be walked, no listed file was found with --ignore-missing, no CRC\n"
    "gave the --identify HEX or matched an appended one, or output could not be\n"
    "written; 2 for a usage error (a --range beyond 2^63 too), a LIST or\n"
    "--files-from FILE that cannot be read to its end, or a LIST that holds no\n"
    "checksum line.\n");

// Why `options` cannot run together, or nothing.
std::optional<std::string> Conflict(const Options& options) {
    if (options.check && options.format != Format::kFull) {
        return System::Tr("--check cannot be used with --brief or --sfv");
    }
    if (options.check && (options.recursive || options.filesFrom)) {
        return System::Tr("--recursive and --files-from apply only to reports, not to --check");
    }
    if (!options.check && (options.quiet || options.ignoreMissing)) {
        return System::Tr("--quiet and --ignore-missing apply only to --check");
    }
    if (!options.listEncoding.empty() && !options.check && !options.filesFrom) {
        return System::Tr("--list-encoding applies only to --check and --files-from");
    }
    if (options.nullSeparated && !options.filesFrom) {
        return System::Tr("--null applies only to --files-from");
    }
    if (options.family != FamilyMode::kNone && (options.check || options.format != Format::kFull)) {
        return System::Tr(
            "--crc16-family, --identify and --appended cannot be used with --brief, --sfv or "
            "--check");
    }
    if (options.range && (options.check || options.format == Format::kSfv)) {
        return System::Tr(
            "--range cannot be used with --check or --sfv: their lists are of whole files");
    }
    if (options.names.empty() && !options.filesFrom) {
        return System::Tr("no file named");
    }
    const auto readsInput = std::count(options.names.begin(), options.names.end(), kStandardInput) +
                            (options.filesFrom == kStandardInput ? 1 : 0);
    if (readsInput > 1) {
        return System::Tr("standard input ('-') can be read only once");
    }
    if (options.format == Format::kSfv &&
        std::count(options.names.begin(), options.names.end(), kStandardInput) > 0) {
        // A line "- CRC" would be checked against a file of that name. (The
        // names --files-from reads there are files.)
        return System::Tr("standard input ('-') has no name to give it in an SFV list");
    }
    return std::nullopt;
}

// What a usage error says when `takes` is missing, with {1} for the option.
const char* MissingValue(Takes takes) {
    switch (takes) {
        case Takes::kFile:
            return System::Tr("{1} needs a FILE");
        case Takes::kName:
            return System::Tr("{1} needs a NAME");
        case Takes::kNumber:
            return System::Tr("{1} needs a number");
        case Takes::kNothing:
        case Takes::kValue:
            break;
    }
    return System::Tr("{1} needs a value");
}

// An argument read as an option: the option, the spelling given, and the
// value given in the same argument ("--jobs=4", "-j4"), if any.
struct Given {
    const OptionRow* option = nullptr;
    std::string_view spelling;
    std::optional<std::string> value;
};

// `arg` read as an option, or nothing when no option is spelt so.
std::optional<Given> AsOption(std::string_view arg) {
    for (const OptionRow& option : OptionTable()) {
        for (const std::string_view spelling : option.spellings) {
            if (spelling.empty() || !arg.starts_with(spelling)) {
                continue;
            }
            const std::string_view rest = arg.substr(spelling.size());
            if (rest.empty()) {
                return Given{&option, spelling, std::nullopt};
            }
            const bool isLong = spelling.starts_with("--");
            if (option.takes != Takes::kNothing && (!isLong || rest.front() == '=')) {
                return Given{&option, spelling, std::string(rest.substr(isLong ? 1 : 0))};
            }
        }
    }
    return std::nullopt;
}

// The entry of `option` in --help: its column, then its lines, each after
// the column's width.
std::string HelpEntry(const OptionRow& option) {
    constexpr std::size_t kWidth = 20;  // the column, with two spaces before it
    const std::string column = "  " + OptionColumn(option);
    std::string entry = column.size() + 2 <= kWidth
                            ? column + std::string(kWidth - column.size(), ' ')
                            : column + "\n" + std::string(kWidth, ' ');
    std::string lines = System::Tr(option.help);
    if (option.systemHelp) {
        lines += System::Tr(*option.systemHelp);
    }
    for (std::size_t at = 0; at < lines.size();) {
        const std::size_t end = std::min(lines.find('\n', at), lines.size());
        if (at > 0) {
            entry.append(kWidth, ' ');
        }
        entry.append(lines, at, end - at).append("\n");
        at = end + 1;
    }
    return entry;
}

}  // namespace

Options ParseArguments(const std::vector<std::string>& args) {
    Options options;
    bool onlyNames = false;
    std::vector<const OptionRow*> given;  // those that may be given once
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& arg = args[at];
        const std::optional<Given> option = onlyNames ? std::nullopt : AsOption(arg);
        if (!option) {
            if (!onlyNames && arg.size() >= 2 && arg.front() == '-') {
                throw UsageError(System::Filled(System::Tr("unrecognised option '{1}'"),
                                                {EscapedName(arg, NameStyle::kTerminal)}));
            }
            options.names.push_back(arg);
            continue;
        }
        const OptionRow& row = *option->option;
        if (!row.set) {
            onlyNames = true;  // kEndOfOptions
            continue;
        }
        if (row.once) {
            if (std::find(given.begin(), given.end(), &row) != given.end()) {
                throw UsageError(
                    System::Filled(System::Tr("{1} can be given only once"), {option->spelling}));
            }
            given.push_back(&row);
        }
        if (row.takes != Takes::kNothing && !option->value && ++at == args.size()) {
            throw UsageError(System::Filled(MissingValue(row.takes), {option->spelling}));
        }
        row.set(options,
                row.takes == Takes::kNothing ? std::string() : option->value.value_or(args[at]));
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.check && options.names.empty()) {
        options.names.emplace_back(kStandardInput);  // a list piped in, as checksum tools read it
    }
    if (const std::optional<std::string> conflict = Conflict(options)) {
        throw UsageError(*conflict);
    }
    return options;
}

std::string_view UsageText() {
    static const std::string text = [] {
        std::string usage = std::string(System::Tr(kSynopsis)) + "\n";
        for (const OptionRow& option : OptionTable()) {
            usage += HelpEntry(option);
        }
        return usage + "\n" + System::Tr(SystemHelp::kNames) + "\n" + System::Tr(kExitStatus);
    }();
    return text;
}

}  // namespace Cli
