// The report of errors raised by an event procedure: a message box that
// fits on the screen, over the form.
#pragma once

#include <QMessageBox>
#include <QWidget>

#include <functional>
#include <memory>

#include "window/event_errors.h"

namespace Ui {

using ErrorReportEntry = Window::ErrorReportEntry;
using ErrorReport = Window::ErrorReportSlot<QWidget*>::Report;

// Replaces the error report (a message box by default) and returns the one
// it replaced; tests put a recorder in its place.
ErrorReport SetErrorReport(ErrorReport report);

// The text for an error: what failed, on which path, and why, each in full.
// A box for an error raised before its form first shows waits for the form
// and opens over it.
QString ErrorReportText(const ErrorReportEntry& error);

// The message box the default error report shows (not yet shown). It fits
// on the screen whatever the length of the path: its lines break at less
// than half the screen's width, inside a word (a path) where they must, and
// a path (or reason) too long for a few lines shows its beginning and end
// around an ellipsis. When a word was cut or a part left out, the box's
// details hold the whole text. The text can be selected and copied.
std::unique_ptr<QMessageBox> ErrorReportBox(QWidget* form, const ErrorReportEntry& error);

// Runs an event procedure at the boundary between the toolkit and the
// window code, with the wait cursor showing until it returns: whatever it
// throws is shown by the error report, in the form that holds `control`
// (the wait cursor gone by then), and the program goes on. Returns whether
// the procedure completed. Processes no events of its own.
bool RunEvent(QWidget* control, const std::function<void()>& procedure);

}  // namespace Ui
