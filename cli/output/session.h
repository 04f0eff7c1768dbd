// One run's output and messages: reports to the output, each write checked,
// and messages on standard error. After a failed write nothing more is
// written or read: callers stop at the first false.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "cli/output/escape.h"
#include "cli/output/output.h"
#include "cli/output/progress.h"

namespace Cli {

// Exit statuses, as checksum tools use them.
inline constexpr int kAllReported = 0;
inline constexpr int kSomeFailed = 1;  // a file failed or was not read, or output was lost
inline constexpr int kUsageError = 2;  // also a list that cannot be read or has no checksum line

class Session {
  public:
    Session(Output& out, std::ostream& err) : out_(out), err_(err) {}

    // Whether the output can be written at all; when not, says so.
    bool OutputOpen();
    // Writes `text` to the output; on failure says so and returns false.
    bool Print(std::string_view text);
    // Ends the output; on failure says so and returns false. An output that
    // was never open and was never written is no failure.
    bool Finish();

    // How names are shown in the output: escaped for a terminal when it is one.
    NameStyle OutputStyle() const {
        return out_.IsTerminal() ? NameStyle::kTerminal : NameStyle::kLine;
    }

    // "tallix-report: NAME: reason" on standard error, NAME escaped as for
    // a terminal (standard error mostly is one).
    void Complain(std::string_view name, std::string_view reason);
    // "tallix-report: message" on standard error.
    void Warn(std::string_view message);

    // The progress line on standard error, kept off the terminal's lines
    // while anything else is written; none when null.
    void ShowProgress(Progress* progress) { progress_ = progress; }
    Progress* progress() const { return progress_; }

  private:
    void WriteError(int error);
    // Writes `text` to standard error with the progress line erased.
    void WriteMessage(const std::string& text);

    Output& out_;
    std::ostream& err_;
    Progress* progress_ = nullptr;
    bool written_ = false;  // something was written to the output
};

}  // namespace Cli
