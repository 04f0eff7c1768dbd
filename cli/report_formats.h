// The report of each FILE: the window's four lines, or one --brief line.
#pragma once

#include <string>

#include "cli/options.h"
#include "cli/session.h"
#include "window/report.h"

namespace Cli {

// The window's report with its name escaped, each CR LF line break made a
// newline, and a newline after the last line: always four lines.
std::string FullReportText(const Window::FileReport& report);

// "CRC32 CRC16 SIZE PATH" and a newline.
std::string BriefLine(const Window::FileReport& report);

// Reports each file `options` names, standard input read from `input`.
// Returns the exit status.
int ReportFiles(const Options& options, int input, Session& session);

}  // namespace Cli
