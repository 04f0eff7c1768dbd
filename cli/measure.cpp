#include "cli/measure.h"

#include <atomic>
#include <exception>
#include <utility>
#include <vector>

#include "checksum/tallix.h"
#include "cli/byte_range.h"
#include "platform/files/stream_read.h"

#include "platform/os/error.h"
#include "platform/os/hardware.h"
#include "platform/os/ordered_jobs.h"

namespace Cli {
namespace {

// The report of `range` of one target: read into memory and timed as the
// full report reads a file, or streamed.
Window::FileReport RangeReport(const MeasureTarget& target, Platform::InputStream input,
                               const MeasureSettings& settings, std::atomic<std::int64_t>* bytes) {
    Platform::FileReader reader = target.standardInput
                                      ? Platform::FileReader::Stream(input, target.name)
                                      : Platform::FileReader::Open(target.path);
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
// between, `bytes` counts what is read as it is read.
Window::FileReport Report(const MeasureTarget& target, Platform::InputStream input,
                          const MeasureSettings& settings, unsigned parts,
                          std::atomic<std::int64_t>* bytes) {
    if (settings.range) {
        return RangeReport(target, input, settings, bytes);
    }
    if (settings.timed) {
        Window::FileReport report = target.standardInput ? Window::MeasureStream(input, target.name)
                                                         : Window::MeasureFile(target.path);
        if (bytes != nullptr) {
            *bytes += report.FileLength;
        }
        return report;
    }
    return target.standardInput ? Window::ChecksumStream(input, target.name, bytes)
                                : Window::ChecksumFile(target.path, parts, bytes);
}

Measurement MeasureOne(const MeasureTarget& target, Platform::InputStream input,
                       const MeasureSettings& settings, unsigned parts) {
    std::atomic<std::int64_t>* const bytes =
        settings.progress != nullptr ? &settings.progress->bytes : nullptr;
    try {
        Window::FileReport report = Report(target, input, settings, parts, bytes);
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
    return {options.format == Format::kFull && !options.check, options.jobs, options.range,
            session.progress()};
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
    // of a report alone, as in the window.
    const unsigned jobs =
        settings.timed ? 1 : (settings.jobs != 0 ? settings.jobs : DefaultJobs(targets));
    const unsigned parts = targets.size() == 1 ? jobs : 1;
    return Platform::RunInOrder(
        targets.size(), parts == 1 ? jobs : 1,
        [&](std::size_t index) { return MeasureOne(targets[index], input, settings, parts); },
        [&](std::size_t index, Measurement measurement) {
            if (settings.progress != nullptr) {
                ++settings.progress->files;
            }
            return sink(index, std::move(measurement));
        });
}

}  // namespace Cli
