// Wildcards on a Windows command line. Neither cmd nor PowerShell expands
// them for a program, so tallix-report.exe does, as Windows console
// programs do: an argument holding '*' or '?' outside quotes stands for the
// names in its folder that match it, and a quoted one stays as it is. Text
// work over the raw command line and a folder's names, which the caller
// supplies (main_win32.cpp), so it is tested on every system.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

struct CommandLineArgument {
    std::string text;
    bool wild = false;  // holds a '*' or '?' that stood outside quotes
};

// The arguments after the program's name in the raw command line `line`,
// split as the system's CommandLineToArgvW splits them: at spaces and tabs
// outside quotes; 2n backslashes and a quote give n backslashes and open or
// close the quotes, 2n + 1 and a quote give n and a quote; other
// backslashes are kept; a quote right after a closing one is kept.
std::vector<CommandLineArgument> SplitCommandLine(std::string_view line);

// Whether the name `name` matches `pattern`: '*' any run of characters,
// '?' any one character, ASCII letters without regard to case (as the
// file system compares names); a pattern ending in ".*" also matches a
// name without that dot ("*.*" matches every name).
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// The names in the folder `folder` ("." for the current one), none when it
// cannot be read.
using FolderNames = std::function<std::vector<std::string>(const std::string& folder)>;

// The texts of `args`, each wild one replaced by the names in its folder
// that match its last name, in byte order, each after the argument's folder
// part as written. A wild argument that matches nothing, or whose folder
// part holds the wildcard, stays as it is: opening it fails, naming it.
std::vector<std::string> ExpandWildcards(const std::vector<CommandLineArgument>& args,
                                         const FolderNames& namesIn);

}  // namespace Cli
