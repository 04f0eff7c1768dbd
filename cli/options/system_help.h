// The parts of tallix-report's --help that describe the system it runs on
// (system_help_posix.cpp, system_help_win32.cpp). The option table puts the
// ends of options' descriptions, a line each, after their own lines;
// options.cpp puts kNames after the options.
#pragma once

namespace Cli::SystemHelp {

// The end of --recursive's description: how walked names are written and
// what the walk passes over.
extern const char* const kWalk;
// When --check takes a LIST's relative paths from the current directory.
extern const char* const kListsFromHere;
// How names are written, and on Windows how wildcards are taken.
extern const char* const kNames;

}  // namespace Cli::SystemHelp
