#include "cli/report_formats.h"

#include <algorithm>
#include <vector>

#include "cli/measure.h"
#include "cli/walk.h"
#include "platform/os/decimal_text.h"
#include "platform/os/text.h"

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
    std::string text(first ? "" : Platform::kLineEnd);
    return text.append(FullReportText(report, style));
}

// Takes out of `files` each one an SFV list cannot name, saying why.
void RefuseWhatSfvCannotName(FileSet& files, Session& session) {
    std::erase_if(files.targets, [&](const MeasureTarget& target) {
        const std::optional<std::string> refusal = SfvRefusal(target.name);
        if (refusal) {
            session.Complain(target.name, *refusal);
            files.status = std::max(files.status, kSomeFailed);
        }
        return refusal.has_value();
    });
}

}  // namespace

std::string FullReportText(const Window::FileReport& report, NameStyle style) {
    Window::FileReport shown = report;
    shown.filename = NameOnLine(report.filename, style);
    std::string text = Window::ReportText(shown);
    // Each CR LF line break made the system's line end (a newline on POSIX;
    // on Windows CR LF stays), and one after the last line.
    const std::string_view lineEnd = Platform::kLineEnd;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) {
        text.replace(at, 2, lineEnd);
        at += lineEnd.size();
    }
    return text.append(lineEnd);
}

std::string BriefLine(const Window::FileReport& report, NameStyle style) {
    return std::string(LineStart(report.filename, style)) + report.crc32 + " " + report.crc16 +
           " " + Platform::DecimalText(report.FileLength) + " " +
           EscapedName(report.filename, style) + "\n";
}

std::optional<std::string> SfvRefusal(std::string_view name) {
    if (name.find('\n') != std::string_view::npos) {
        return "an SFV list cannot hold a name with a newline";
    }
    if (name.starts_with(';')) {
        return "an SFV list cannot hold a name starting with ';'";
    }
    return std::nullopt;
}

std::string SfvLine(const Window::FileReport& report, NameStyle style) {
    const std::string name =
        style == NameStyle::kLine ? report.filename : NameOnLine(report.filename, style);
    return name + " " + report.crc32 + "\n";
}

int ReportFiles(const Options& options, Platform::InputStream input, Session& session) {
    FileSet files = FilesToReport(options, input, session);
    if (options.format == Format::kSfv) {
        RefuseWhatSfvCannotName(files, session);
    }
    int status = files.status;
    bool reportedAny = false;
    const bool written =
        MeasureEach(files.targets, input, SettingsFor(options, session),
                    [&](std::size_t index, Measurement measurement) {
                        if (!measurement.report) {
                            session.Complain(files.targets[index].name, measurement.error);
                            status = std::max(status, kSomeFailed);
                            return true;
                        }
                        const bool first = !reportedAny;
                        reportedAny = true;
                        return session.Print(FormattedReport(*measurement.report, options.format,
                                                             session.OutputStyle(), first));
                    });
    if (!written || !session.Finish()) {
        return kSomeFailed;
    }
    return status;
}

}  // namespace Cli
