#include "cli/measure.h"

#include <atomic>
#include <exception>
#include <utility>

#include "platform/files/files.h"
#include "platform/os/error.h"
#include "platform/os/hardware.h"
#include "platform/os/ordered_jobs.h"

namespace Cli {
namespace {

// Measures one target; `parts` is how many threads a file may be split
// between, `bytes` counts what is read as it is read. A timed report reads
// into `array`, kept from one file to the next as the window keeps it.
Window::FileReport Report(const MeasureTarget& target, Platform::InputStream input,
                          const MeasureSettings& settings, unsigned parts,
                          std::atomic<std::int64_t>* bytes, Platform::ReportArray& array) {
    if (settings.timed) {
        Window::FileReport report = target.standardInput ? Window::MeasureStream(input, target.name)
                                                         : Window::MeasureFile(target.path, array);
        if (bytes != nullptr) {
            *bytes += report.FileLength;
        }
        return report;
    }
    return target.standardInput ? Window::ChecksumStream(input, target.name, bytes)
                                : Window::ChecksumFile(target.path, parts, bytes);
}

Measurement MeasureOne(const MeasureTarget& target, Platform::InputStream input,
                       const MeasureSettings& settings, unsigned parts,
                       Platform::ReportArray& array) {
    std::atomic<std::int64_t>* const bytes =
        settings.progress != nullptr ? &settings.progress->bytes : nullptr;
    try {
        Window::FileReport report = Report(target, input, settings, parts, bytes, array);
        report.filename = target.name;
        return {std::move(report), {}};
    } catch (const Platform::PlatformError& error) {
        return {std::nullopt, error.reason()};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

}  // namespace

MeasureSettings SettingsFor(const Options& options, const Session& session) {
    return {options.format == Format::kFull && !options.check, options.jobs, session.progress()};
}

unsigned DefaultJobs(std::span<const MeasureTarget> targets) {
    for (const MeasureTarget& target : targets) {
        if (!target.standardInput) {
            return Platform::ReadsWouldSeek(target.path) ? 1 : Platform::UsableCPUs();
        }
    }
    return Platform::UsableCPUs();
}

bool MeasureEach(std::span<const MeasureTarget> targets, Platform::InputStream input,
                 const MeasureSettings& settings, const MeasurementSink& sink) {
    // The timed report keeps to one file at a time, so its timings are those
    // of a report alone, as in the window, and one array serves them all.
    const unsigned jobs =
        settings.timed ? 1 : (settings.jobs != 0 ? settings.jobs : DefaultJobs(targets));
    const unsigned parts = targets.size() == 1 ? jobs : 1;
    Platform::ReportArray array;
    return Platform::RunInOrder(
        targets.size(), parts == 1 ? jobs : 1,
        [&](std::size_t index) {
            return MeasureOne(targets[index], input, settings, parts, array);
        },
        [&](std::size_t index, Measurement measurement) {
            if (settings.progress != nullptr) {
                ++settings.progress->files;
            }
            return sink(index, std::move(measurement));
        });
}

}  // namespace Cli
