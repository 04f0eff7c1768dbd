// tallix-report's options, each written once: how it is spelt, the value it
// takes, what it sets and its lines of --help. The parser (options.h) and
// --help read this table, and the manual pages are held to it.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "cli/options/options.h"

namespace Cli {

// What an option takes: nothing, or a value of a kind, each kind with its
// own message when the value is missing.
enum class Takes {
    kNothing,
    kFile,    // "needs a FILE"
    kName,    // "needs a NAME"
    kNumber,  // "needs a number"
    kValue,   // "needs a value"
};

// The argument after which every argument is a name, even one spelt like an
// option.
inline constexpr std::string_view kEndOfOptions = "--";

struct OptionRow {
    // In the order --help lists them. A value follows a "--long" spelling
    // after '=' or as the next argument, a "-x" one right after it or as the
    // next argument; a spelling that takes nothing matches only itself.
    std::array<std::string_view, 3> spellings = {};
    Takes takes = Takes::kNothing;
    std::string_view valueName = {};  // what --help calls the value: FILE, N, le|be
    bool once = false;                // a second one is a usage error
    // Sets `options` from the value ("" when the option takes none); throws
    // UsageError for a value it cannot take. Null for kEndOfOptions, which
    // the parser keeps.
    void (*set)(Options& options, const std::string& value) = nullptr;
    // The lines of --help after the option's column (TrLater), then those
    // the system adds (system_help.h), if any.
    const char* help = "";
    const char* const* systemHelp = nullptr;
};

// Every option, in the order of --help.
std::span<const OptionRow> OptionTable();

// The option as the column of --help shows it: "-j, --jobs N".
std::string OptionColumn(const OptionRow& option);

}  // namespace Cli
