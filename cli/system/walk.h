// What a path names, and the entries of a directory as a walk through a
// tree needs them: every entry, hidden ones included, in byte order, with
// symbolic links never taken into another directory.
#pragma once

#include <string>
#include <vector>

namespace Cli::Os {

// What a path leads to, symbolic links followed.
enum class PathKind {
    kMissing,    // nothing: no such entry, or a link that leads nowhere (a
                 // path through something that is not a directory is kOther)
    kDirectory,  // a directory
    kOther,      // anything else, or a path that cannot be examined
};
PathKind KindOfPath(const std::string& path);

struct WalkEntry {
    enum class Kind {
        kDirectory,   // a directory itself, never a link to one: walked into
        kFile,        // a regular file, a link to one, or a link that leads
                      // nowhere (so that its loss is reported)
        kPassedOver,  // a link to a directory, a FIFO, socket or device
    };
    std::string name;
    Kind kind;
};

// The entries of the directory `path` but "." and "..", sorted by name
// (byte order). Throws PlatformError when the directory cannot be read or
// an entry cannot be examined.
std::vector<WalkEntry> ListWalkEntries(const std::string& path);

}  // namespace Cli::Os
