// Wildcards on a Windows command line. Neither cmd nor PowerShell expands
// them for a program, so tallix-report.exe does, as cmd's own commands do:
// a FILE or LIST holding '*' or '?' in its last name, quoted or not (no
// Windows name holds either), stands for the entries of its folder that
// match it. Text work over the names and a folder's entries, which the
// caller supplies (main_win32.cpp), so it is tested on every system.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Cli {

// Whether the name `name` matches `pattern`: '*' any run of characters,
// '?' any one character, ASCII letters without regard to case (as the
// file system compares names); a pattern ending in ".*" also matches a
// name without that dot ("*.*" matches every name).
bool MatchesWildcard(std::string_view name, std::string_view pattern);

struct FolderEntry {
    std::string name;
    bool folder = false;  // a folder, or a link to one
};

// The entries of the folder `folder` ("." for the current one), none when
// it cannot be read.
using FolderEntries = std::function<std::vector<FolderEntry>(const std::string& folder)>;

// `names`, each pattern replaced by the entries of its folder that match
// its last name, in byte order, each after the pattern's folder part as
// written: the files, and the folders too when `walkFolders` (-r walks
// them; otherwise they are passed over). A pattern that matches none of
// those, or whose folder part holds a wildcard, stays as it is: opening it
// fails in the system's words.
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& names,
                                         const FolderEntries& entriesIn, bool walkFolders);

}  // namespace Cli
