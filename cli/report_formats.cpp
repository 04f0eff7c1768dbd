#include "cli/report_formats.h"

#include <vector>

#include "cli/escape.h"
#include "cli/measure.h"
#include "platform/os/decimal_text.h"

namespace Cli {

std::string FullReportText(const Window::FileReport& report) {
    Window::FileReport shown = report;
    shown.filename = EscapedName(report.filename);
    std::string text = std::string(LineStart(report.filename)) + Window::ReportText(shown);
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.erase(at, 1);
    }
    return text + "\n";
}

std::string BriefLine(const Window::FileReport& report) {
    return std::string(LineStart(report.filename)) + report.crc32 + " " + report.crc16 + " " +
           Platform::DecimalText(report.FileLength) + " " + EscapedName(report.filename) + "\n";
}

int ReportFiles(const Options& options, int input, Session& session) {
    std::vector<MeasureTarget> targets;
    for (const std::string& name : options.names) {
        targets.push_back({name, name, name == kStandardInput});
    }
    bool allReported = true;
    bool reportedAny = false;
    const bool written =
        MeasureEach(targets, input, [&](std::size_t index, Measurement measurement) {
            if (!measurement.report) {
                session.Complain(targets[index].name, measurement.error);
                allReported = false;
                return true;
            }
            std::string text(reportedAny && !options.brief ? "\n" : "");  // between full reports
            text += options.brief ? BriefLine(*measurement.report)
                                  : FullReportText(*measurement.report);
            reportedAny = true;
            return session.Print(text);
        });
    if (!written || !session.Finish()) {
        return kSomeFailed;
    }
    return allReported ? kAllReported : kSomeFailed;
}

}  // namespace Cli
