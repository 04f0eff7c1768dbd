// What a form runtime does with an error that ends an event procedure,
// whatever toolkit draws the form: the error as the report shows it, the
// report itself (a message box, or a test's recorder), and the event run
// under it, so every error reaches the user and the program goes on.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/system/os/error.h"

namespace Window {

// An error that ended an event procedure, as the error report shows it.
struct ErrorReportEntry {
    System::Operation operation;
    std::string path;
    std::string reason;
};

// The entry for the exception being handled (call it in a catch block): a
// platform error as it was raised, running out of memory, or any other
// exception under a generic operation.
ErrorReportEntry EntryForCurrentException();

// Where a runtime's errors go: one report at a time, for forms of the
// toolkit's handle type `Form`.
template <typename Form>
class ErrorReportSlot {
  public:
    using Report = std::function<void(Form form, const ErrorReportEntry& error)>;

    explicit ErrorReportSlot(Report report) : report_(std::move(report)) {}

    // Puts `report` in place and returns the one it replaced.
    Report Replace(Report report) { return std::exchange(report_, std::move(report)); }

    // Runs `procedure` with a `Busy` (a wait cursor) alive until it
    // returns; whatever it throws goes to the report, owned by `form`, once
    // the Busy is gone. Returns whether the procedure completed.
    template <typename Busy>
    bool Run(Form form, const std::function<void()>& procedure) const {
        if (!procedure) {
            return true;
        }
        try {
            const Busy busy;
            procedure();
            return true;
        } catch (...) {
            const ErrorReportEntry entry = EntryForCurrentException();
            if (report_) {
                report_(form, entry);
            }
            return false;
        }
    }

  private:
    Report report_;
};

}  // namespace Window
