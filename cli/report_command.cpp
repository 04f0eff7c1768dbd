#include "cli/report_command.h"

#include <exception>
#include <new>
#include <optional>

#include "cli/check/check_command.h"
#include "cli/family/family_report.h"
#include "cli/formats/report_formats.h"
#include "cli/options/options.h"
#include "cli/output/progress.h"
#include "platform/system/os/clock.h"
#include "platform/system/os/interrupt.h"
#include "platform/system/os/translation.h"

#ifndef TALLIX_VERSION
#define TALLIX_VERSION "unknown"
#endif

namespace Cli {
namespace {

// The 1 ms timer period, held for the run as the window holds it for its
// life, so the full report's timings do not come in the system's default
// steps (about 15.6 ms on Windows).
class TimerPeriod {
  public:
    TimerPeriod() { Platform::timeBeginPeriod(1); }
    ~TimerPeriod() { Platform::timeEndPeriod(1); }
    TimerPeriod(const TimerPeriod&) = delete;
    TimerPeriod& operator=(const TimerPeriod&) = delete;
};

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, Output& out, std::ostream& err,
                     Platform::InputStream input, bool errTerminal, const NameExpansion& expand) {
    const TimerPeriod timerPeriod;
    Session session(out, err);
    Options options;
    try {
        options = ParseArguments(args);
    } catch (const UsageError& error) {
        session.Warn(error.what());
        err << Platform::Tr("Try 'tallix-report --help' for more information.") << "\n";
        return kUsageError;
    }
    // Nothing is read when nothing could be written; --check may have
    // nothing to write (all matched with --quiet), so it finds out by writing.
    if (!options.check && !session.OutputOpen()) {
        return kSomeFailed;
    }
    if (options.help || options.version) {
        const std::string text = options.help ? std::string(UsageText())
                                              : std::string("tallix-report " TALLIX_VERSION "\n");
        return session.Print(text) && session.Finish() ? kAllReported : kSomeFailed;
    }
    std::optional<Progress> progress;
    if (errTerminal && options.progress) {
        progress.emplace(err);
        progress->Start();
        session.ShowProgress(&*progress);
        Platform::WriteOnInterrupt(Progress::kErase);  // the terminal left clean
    }
    int status = kSomeFailed;
    try {
        if (expand) {
            options.names = expand(options.names, options.recursive);
        }
        status = options.check                         ? CheckLists(options, input, session)
                 : options.family != FamilyMode::kNone ? ReportFamily(options, input, session)
                                                       : ReportFiles(options, input, session);
    } catch (const std::bad_alloc&) {
        session.Warn(Platform::Tr("out of memory"));
    } catch (const std::exception& error) {
        session.Warn(error.what());
    }
    if (progress) {
        progress->Stop();  // erased before the caller writes anything more
    }
    return status;
}

}  // namespace Cli
