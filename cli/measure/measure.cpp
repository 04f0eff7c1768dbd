#include "cli/measure/measure.h"

#include <atomic>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "checksum/tallix.h"
#include "cli/jobs/ordered_jobs.h"
#include "cli/measure/range_reading.h"
#include "cli/measure/streamed_checksums.h"
#include "cli/system/hardware.h"
#include "platform/system/files/files.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/error.h"

namespace Cli {
namespace {

// A FIFO or pipe at `path` opened to be read to its end, or nothing for
// anything else.
std::optional<System::FileReader> OpenedPipe(const std::string& path) {
    try {
        bool isFifo = false;
        System::FileReader reader = System::FileReader::OpenFileOrFifo(path, isFifo);
        return isFifo ? std::optional(std::move(reader)) : std::nullopt;
    } catch (const System::PlatformError&) {
        return std::nullopt;
    }
}

// The report of `range` (the whole when there is none) of what `reader`
// reads: read into memory and timed as the full report reads a file, or
// streamed.
Window::FileReport RangeReport(const MeasureTarget& target, System::FileReader& reader,
                               const MeasureSettings& settings, std::atomic<std::int64_t>* bytes) {
    if (settings.timed) {
        return Window::MeasureRead(target.name, [&] {
            std::vector<std::uint8_t> held;
            ReadRange(
                reader, settings.range, 0,
                [&held](std::span<const std::uint8_t> piece) {
                    held.insert(held.end(), piece.begin(), piece.end());
                },
                bytes);
            return held;
        });
    }
    std::uint32_t crc32 = Tallix::kCRC32OfNothing;
    std::uint16_t crc16 = Tallix::kCRC16OfNothing;
    std::int64_t length = 0;
    ReadRange(
        reader, settings.range, 0,
        [&](std::span<const std::uint8_t> piece) {
            crc32 = Tallix::ExtendCRC32(crc32, piece);
            crc16 = Tallix::ExtendCRC16(crc16, piece);
            length += static_cast<std::int64_t>(piece.size());
        },
        bytes);
    return {target.name, length, Tallix::CRC32Text(crc32), Tallix::CRC16Text(crc16), {}};
}

// Measures one target; `parts` is how many threads a file may be split
// between, `bytes` counts what is read as it is read. A timed report reads
// into `array`, kept from one file to the next as the window keeps it.
Window::FileReport Report(const MeasureTarget& target, System::InputStream input,
                          const MeasureSettings& settings, unsigned parts,
                          std::atomic<std::int64_t>* bytes, System::ReportArray& array) {
    if (settings.range) {
        System::FileReader reader = OpenTarget(target, input);
        return RangeReport(target, reader, settings, bytes);
    }
    if (settings.timed) {
        Window::FileReport report = target.standardInput ? Window::MeasureStream(input, target.name)
                                                         : Window::MeasureFile(target.path, array);
        if (bytes != nullptr) {
            *bytes += report.fileLength;
        }
        return report;
    }
    return target.standardInput ? ChecksumStream(input, target.name, bytes)
                                : ChecksumFile(target.path, parts, bytes);
}

// Whether `target` is a file that would be split between jobs were it
// the only one.
bool LargeEnoughToSplit(const MeasureTarget& target) {
    if (target.standardInput) {
        return false;
    }
    try {
        return System::QueryFileLength(target.path) >= 2 * kSplitFileBytes;
    } catch (const System::PlatformError&) {
        return false;  // its error is told when it is measured
    }
}

// What `measure` gives, named as `target`, or the reason it failed.
template <typename Measure>
Measurement Measured(const MeasureTarget& target, const Measure& measure) {
    try {
        Window::FileReport report = measure();
        report.filename = target.name;
        return {std::move(report), {}};
    } catch (const System::PlatformError& error) {
        return {std::nullopt, error.reason()};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

Measurement MeasureOne(const MeasureTarget& target, System::InputStream input,
                       const MeasureSettings& settings, unsigned parts,
                       System::ReportArray& array) {
    std::atomic<std::int64_t>* const bytes =
        settings.progress != nullptr ? &settings.progress->bytes : nullptr;
    Measurement measurement =
        Measured(target, [&] { return Report(target, input, settings, parts, bytes, array); });
    // A FIFO or pipe is looked for only once a file's open refused the path,
    // so files cost nothing more. (A range opens pipes itself.)
    if (!measurement.report && target.pipeAllowed && !settings.range) {
        if (std::optional<System::FileReader> pipe = OpenedPipe(target.path)) {
            return Measured(target, [&] { return RangeReport(target, *pipe, settings, bytes); });
        }
    }
    return measurement;
}

}  // namespace

System::FileReader OpenTarget(const MeasureTarget& target, System::InputStream input) {
    if (target.standardInput) {
        return System::FileReader::Stream(input, target.name);
    }
    try {
        return System::FileReader::Open(target.path);
    } catch (const System::PlatformError&) {
        std::optional<System::FileReader> pipe =
            target.pipeAllowed ? OpenedPipe(target.path) : std::nullopt;
        if (!pipe) {
            throw;
        }
        return *std::move(pipe);
    }
}

MeasureSettings SettingsFor(const Options& options, const Session& session) {
    return {options.format == Format::kFull && !options.check, options.jobs, options.range,
            session.progress()};
}

unsigned DefaultJobs(const MeasureTarget& first) {
    return !first.standardInput && Cli::Os::ReadsWouldSeek(first.path) ? 1 : Cli::Os::UsableCPUs();
}

bool MeasureEach(const StepSource& next, System::InputStream input, const MeasureSettings& settings,
                 const StepsReady& ready) {
    // Every timed report reads into this one array, kept from file to file.
    System::ReportArray array;
    const auto measure = [&](const Step& step, unsigned parts) {
        return step.target ? MeasureOne(*step.target, input, settings, parts, array)
                           : Measurement{};
    };
    const auto report = [&](Step step, Measurement measurement) {
        if (step.target && settings.progress != nullptr) {
            ++settings.progress->files;
        }
        return step.report(std::move(measurement));
    };
    // The steps up to the first file, reported as they come; the jobs are
    // chosen by that file.
    std::optional<Step> first;
    while ((first = next()) && !first->target) {
        if (!report(std::move(*first), Measurement{})) {
            return false;
        }
    }
    if (!first) {
        return true;
    }
    // The timed report keeps to one file at a time, so its timings are those
    // of a report alone, as in the window.
    const unsigned jobs =
        Cli::Os::JobsTheMemoryAllows(settings.timed       ? 1
                                     : settings.jobs != 0 ? settings.jobs
                                                          : DefaultJobs(*first->target));
    // Only a first file large enough to split looks for a second step
    // before it is measured: through a pipe the next line may be long in
    // coming, and each verdict is written once its own line is checked.
    const bool splittable = jobs > 1 && LargeEnoughToSplit(*first->target);
    std::optional<Step> second = splittable ? next() : std::nullopt;
    if (splittable && !second) {
        return report(std::move(*first), measure(*first, jobs));  // a lone file, split
    }
    // The two steps taken, then the rest.
    std::optional<Step> held[2] = {std::move(first), std::move(second)};
    std::size_t given = 0;
    const auto steps = [&]() -> std::optional<Step> {
        while (given < 2) {
            if (std::optional<Step> step = std::move(held[given++])) {
                return step;
            }
        }
        return next();
    };
    const auto stepReady = [&] { return (given < 2 && held[given].has_value()) || ready(); };
    return OrderedJobs(jobs).RunInOrder(
        steps, [&](Step& step) { return measure(step, 1); }, report, stepReady);
}

}  // namespace Cli
