// ExceptionReport.h - how an exception that escapes an event handler is reported.
//
// Every window procedure, timer and callback of the program runs its work inside
//     try { ... } catch (...) { framework::HandleException(); }
// so that no exception crosses into the system. The report box belongs to the window that the
// application names as the reports' owner (SetReportOwner), and bears its title.
#pragma once

#include <windows.h>

#include <string>

namespace framework {

/// The report text of a message: "." is appended when the message is not empty and the code of
/// its last character is greater than that of "." (so "abc" and "what?" get one, "done." and
/// "stop!" and "(x)" do not).
std::string WithFullStop(std::string message);

/// Reports the exception being handled; call only from inside a catch block. Any window holding
/// the mouse capture is sent WM_CANCELMODE first, whatever the kind; then the silent kind (EAbort)
/// is dropped, and any other is reported in a stop-icon message box owned by the application
/// window, captioned with the application title, while the program's other windows are disabled.
/// Never throws.
void HandleException() noexcept;

/// The window that owns the report boxes from now on, and their caption; the application names
/// its own window and title while it exists (null and empty: no owner, no caption).
void SetReportOwner(HWND owner, std::string title) noexcept;

/// Shows the report box for a message (the full-stop rule applied). Never throws.
void ShowExceptionMessage(const std::string& message) noexcept;

} // namespace framework
