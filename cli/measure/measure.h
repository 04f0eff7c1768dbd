// The measuring step every mode shares: each file the run names (on the
// command line, in a list, in a walked tree) read and measured as the
// window's report does, the results handed back in the files' order. The
// modes format and count the results; how and when the files are read is
// this step's own business.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "cli/options/options.h"
#include "cli/output/progress.h"
#include "cli/output/session.h"
#include "platform/system/files/input_stream.h"
#include "platform/system/files/stream_read.h"
#include "window/report.h"

namespace Cli {

// One file to measure.
struct MeasureTarget {
    std::string name;            // as the report shows it
    std::string path;            // as it is opened; unused for standard input
    bool standardInput = false;  // read the run's standard input to its end
    // Named as a FILE: a FIFO or pipe there (`<(...)`) is read to its end,
    // as standard input is. A listed file must be a regular file.
    bool pipeAllowed = false;
};

// The reader of `target`: standard input read from `input`, the regular
// file at its path, or a FIFO or pipe there when it allows one. Throws
// PlatformError as FileReader::Open does.
System::FileReader OpenTarget(const MeasureTarget& target, System::InputStream input);

// What measuring one target gave: its report, or why there is none.
struct Measurement {
    std::optional<Window::FileReport> report;  // named as the target's name
    std::string error;                         // the reason, when there is no report
};

// How a run measures its files.
struct MeasureSettings {
    // The window's timed report, one file at a time (Window::MeasureFile);
    // when false, the checksums alone, streamed (ChecksumFile) on
    // up to `jobs` threads.
    bool timed = true;
    // Files read at once; 0 for the default (DefaultJobs).
    unsigned jobs = 0;
    // The part of each file measured, when not the whole.
    std::optional<ByteRange> range;
    // Counts the files and bytes done, when not null.
    Progress* progress = nullptr;
};

// The settings `options` ask for: the full report timed, the others
// streamed, with the session's progress line.
MeasureSettings SettingsFor(const Options& options, const Session& session);

// The CPUs the run may use, or 1 when the first file `first` (not standard
// input) lies on a rotational disk and is not all in memory, where reading
// files side by side would seek.
unsigned DefaultJobs(const MeasureTarget& first);

// One step of a run, in the run's order: a file to measure, or something
// found while the files were named (a line of no known form, a directory
// that cannot be walked), reported in its place.
struct Step {
    std::optional<MeasureTarget> target;
    // Reports the step on the calling thread, in the run's order, given the
    // measurement of its target (an empty one without); false stops the run
    // (a write failed), so nothing more is read.
    std::function<bool(Measurement)> report;
};

// Gives the run's steps one at a time; nothing when there are no more.
using StepSource = std::function<std::optional<Step>()>;

// Whether the source has its next step without waiting (the names of the
// command line, the lines of a list read in already): steps are then taken
// several at a time, not handed between threads one by one.
using StepsReady = std::function<bool()>;

// Measures the target of each step `next` gives as `settings` say,
// standard input read from `input`, and reports each step in order,
// whatever the jobs, as soon as it and those before it are done: the steps
// are taken as they come, a bounded number ahead, several at once while
// `ready` says so. A lone large file is split between the jobs instead.
// Returns false when a report stopped it.
bool MeasureEach(const StepSource& next, System::InputStream input, const MeasureSettings& settings,
                 const StepsReady& ready);

}  // namespace Cli
