// The files a report covers: each FILE named, the files of a directory
// FILE and its subdirectories with --recursive, and the names read from
// --files-from, found one at a time as the report goes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/lists/line_reader.h"
#include "cli/measure/measure.h"
#include "cli/options/options.h"
#include "cli/output/session.h"
#include "cli/system/walk.h"
#include "platform/system/files/input_stream.h"

namespace Cli {

// What the walk found next: a file to report, or a complaint about a name
// (a directory that cannot be walked, a name that cannot be a file's) in
// the place the name had.
struct Found {
    std::optional<MeasureTarget> target;
    std::string name;    // a complaint's: what it is about
    std::string reason;  // why
    // A complaint's exit status: kSomeFailed, or kUsageError when the
    // --files-from file could not be read.
    int status = kAllReported;
};

// The files `options` names, in order: the FILEs given (each directory
// walked with --recursive: its entries in byte order, depth first), then
// those of --files-from, standard input read from `input`. Only one
// directory's entries per level of the tree and one name read are held.
class FileWalk {
  public:
    FileWalk(const Options& options, System::InputStream input);

    // The next file or complaint; nothing after the last.
    std::optional<Found> Next();

    // Whether Next() gives it without waiting for a name to be written.
    bool Ready() const;

  private:
    // A directory being walked: its entries, and the next one to take.
    struct Level {
        std::string path;
        std::vector<Cli::Os::WalkEntry> entries;
        std::size_t next = 0;
    };

    // What the FILE or name `name` gives: a file, or with --recursive the
    // start of a directory's walk (nothing yet) or the complaint that it
    // cannot be walked.
    std::optional<Found> Add(const std::string& name);
    std::optional<Found> Enter(const std::string& directory);
    // What the next name of --files-from gives, opening it first; nothing
    // when a directory was entered or the names ended (namesEnded_).
    std::optional<Found> NextNameRead();
    // A name of a file written with CR LF line ends (`dir /b > files.txt`)
    // without its CRs, unless a file is named with them.
    std::string WithoutLineEnd(std::string name) const;

    const Options& options_;
    System::InputStream input_;
    std::size_t argument_ = 0;         // the next FILE of the command line
    std::vector<Level> levels_;        // the directories being walked, innermost last
    std::optional<LineReader> names_;  // --files-from, while it is read
    bool namesEnded_ = false;
};

}  // namespace Cli
