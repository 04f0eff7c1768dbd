// The report of errors raised by an event procedure, and the message boxes
// the form shows: owned by the form, under its caption, centred on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "window/event_errors.h"

namespace Ui {

using ErrorReportEntry = Window::ErrorReportEntry;
using ErrorReport = Window::ErrorReportSlot<HWND>::Report;

// Replaces the error report (a message box by default) and returns the one
// it replaced; tests put a recorder in its place.
ErrorReport SetErrorReport(ErrorReport report);

// The text for an error: what failed, on which path, and why. A path or
// reason too long for a message box keeps its beginning and end around an
// ellipsis.
std::wstring ErrorReportText(const ErrorReportEntry& error);

// Runs an event procedure at the boundary between the controls and the
// window code, with the wait cursor showing until it returns: whatever it
// throws is shown by the error report, owned by the form that holds
// `control` (the wait cursor gone by then; before the form first shows,
// once it has shown), and the program goes on.
// Returns whether the procedure completed. Processes no messages of its
// own, so input that comes meanwhile waits for it.
bool RunEvent(HWND control, const std::function<void()>& procedure);

// A message box of `type` (MB_ICONERROR, ...) owned by `form`, under the
// form's caption and centred on it.
void ShowBox(HWND form, const std::wstring& text, UINT type);

}  // namespace Ui
