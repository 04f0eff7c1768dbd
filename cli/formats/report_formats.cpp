#include "cli/formats/report_formats.h"

#include <algorithm>
#include <vector>

#include "cli/measure/measure.h"
#include "cli/system/line_end.h"
#include "cli/walk/walk.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

// `name` as a line of output in `style` shows it: after the line's leading
// backslash when it is escaped.
std::string NameOnLine(std::string_view name, NameStyle style) {
    return std::string(LineStart(name, style)) + EscapedName(name, style);
}

// The text for one report in `format`: `first` says whether it is the first
// one written.
std::string FormattedReport(const Window::FileReport& report, Format format, NameStyle style,
                            bool first) {
    switch (format) {
        case Format::kBrief:
            return BriefLine(report, style);
        case Format::kSfv:
            return std::string(first ? kSfvHeader : "").append(SfvLine(report, style));
        case Format::kFull:
            break;
    }
    // A blank line between full reports.
    std::string text(first ? "" : Cli::Os::kLineEnd);
    return text.append(FullReportText(report, style));
}

}  // namespace

std::string FullReportText(const Window::FileReport& report, NameStyle style) {
    Window::FileReport shown = report;
    shown.filename = NameOnLine(report.filename, style);
    std::string text = Window::ReportText(shown);
    // Each CR LF line break made the system's line end (a newline on POSIX;
    // on Windows CR LF stays), and one after the last line.
    const std::string_view lineEnd = Cli::Os::kLineEnd;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.replace(at, 2, lineEnd);
        at += lineEnd.size();
    }
    return text.append(lineEnd);
}

std::string BriefLine(const Window::FileReport& report, NameStyle style) {
    return std::string(LineStart(report.filename, style)) + report.crc32 + " " + report.crc16 +
           " " + System::DecimalText(report.fileLength) + " " +
           EscapedName(report.filename, style) + "\n";
}

std::optional<std::string> SfvRefusal(std::string_view name) {
    if (name.find('\n') != std::string_view::npos) {
        return System::Tr("an SFV list cannot hold a name with a newline");
    }
    if (name.starts_with(';')) {
        return System::Tr("an SFV list cannot hold a name starting with ';'");
    }
    return std::nullopt;
}

std::string SfvLine(const Window::FileReport& report, NameStyle style) {
    const std::string name =
        style == NameStyle::kLine ? report.filename : NameOnLine(report.filename, style);
    return name + " " + report.crc32 + "\n";
}

int ReportFiles(const Options& options, System::InputStream input, Session& session) {
    FileWalk walk(options, input);
    int status = kAllReported;
    bool reportedAny = false;
    const auto complaint = [&](std::string name, std::string reason, int failure) {
        return Step{std::nullopt, [&session, &status, name = std::move(name),
                                   reason = std::move(reason), failure](Measurement) {
                        session.Complain(name, reason);
                        status = std::max(status, failure);
                        return true;
                    }};
    };
    const auto report = [&](const std::string& name, Measurement measurement) {
        if (!measurement.report) {
            session.Complain(name, measurement.error);
            status = std::max(status, kSomeFailed);
            return true;
        }
        const bool first = !reportedAny;
        reportedAny = true;
        return session.Print(
            FormattedReport(*measurement.report, options.format, session.OutputStyle(), first));
    };
    const StepSource next = [&]() -> std::optional<Step> {
        std::optional<Found> found = walk.Next();
        if (!found) {
            return std::nullopt;
        }
        if (!found->target) {
            return complaint(std::move(found->name), std::move(found->reason), found->status);
        }
        if (options.format == Format::kSfv) {
            if (std::optional<std::string> refusal = SfvRefusal(found->target->name)) {
                return complaint(found->target->name, std::move(*refusal), kSomeFailed);
            }
        }
        const std::string name = found->target->name;
        return Step{std::move(found->target), [&report, name](Measurement measurement) {
                        return report(name, std::move(measurement));
                    }};
    };
    const bool written =
        MeasureEach(next, input, SettingsFor(options, session), [&] { return walk.Ready(); });
    if (!written || !session.Finish()) {
        return kSomeFailed;
    }
    return status;
}

}  // namespace Cli
