#include "cli/measure.h"

#include <exception>
#include <utility>

#include "platform/os/error.h"

namespace Cli {
namespace {

Measurement MeasureOne(const MeasureTarget& target, Platform::InputStream input) {
    try {
        Window::FileReport report = target.standardInput ? Window::MeasureStream(input, target.name)
                                                         : Window::MeasureFile(target.path);
        report.filename = target.name;
        return {std::move(report), {}};
    } catch (const Platform::PlatformError& error) {
        return {std::nullopt, error.reason()};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

}  // namespace

bool MeasureEach(std::span<const MeasureTarget> targets, Platform::InputStream input,
                 const MeasurementSink& sink) {
    for (std::size_t index = 0; index < targets.size(); ++index) {
        if (!sink(index, MeasureOne(targets[index], input))) {
            return false;
        }
    }
    return true;
}

}  // namespace Cli
