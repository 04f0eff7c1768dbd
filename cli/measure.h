// The measuring step every mode shares: each file the run names (on the
// command line, in a list, in a walked tree) read and measured as the
// window's report does, the results handed back in the files' order. The
// modes format and count the results; how and when the files are read is
// this step's own business.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "platform/files/input_stream.h"
#include "window/report.h"

namespace Cli {

// One file to measure.
struct MeasureTarget {
    std::string name;            // as the report shows it
    std::string path;            // as it is opened; unused for standard input
    bool standardInput = false;  // read the run's standard input to its end
};

// What measuring one target gave: its report, or why there is none.
struct Measurement {
    std::optional<Window::FileReport> report;  // named as the target's name
    std::string error;                         // the reason, when there is no report
};

// Receives the measurement of targets[index]; returns false to stop the
// run (a write failed), so no later target is read.
using MeasurementSink = std::function<bool(std::size_t index, Measurement measurement)>;

// Measures each of `targets`, standard input read from `input`, and hands
// each measurement to `sink` in the targets' order. Returns false when
// `sink` stopped it.
bool MeasureEach(std::span<const MeasureTarget> targets, Platform::InputStream input,
                 const MeasurementSink& sink);

}  // namespace Cli
