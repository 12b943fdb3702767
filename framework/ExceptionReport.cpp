#include "framework/ExceptionReport.h"

#include "framework/Exceptions.h"
#include "framework/TaskWindows.h"

#include <utility>

namespace framework {

std::string WithFullStop(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}

namespace {
HWND g_reportOwner = nullptr;
std::string g_reportTitle;

void ShowReportBox(const std::string& message) noexcept {
    try {
        HWND owner = g_reportOwner;
        std::string title = g_reportTitle;
        // The box is modal to the application window only (the box disables its owner itself);
        // the other windows of the program are disabled for its time, as a task-modal box would
        // do.
        TDisabledWindows disabled(owner);
        const bool ownerEnabled = owner && ::IsWindowEnabled(owner);
        ::MessageBoxA(owner, WithFullStop(message).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
        // Wine's box enables its owner when it closes even when it found it disabled (by a modal
        // form that is still running): disabled it stays.
        if (owner && !ownerEnabled && ::IsWindow(owner))
            ::EnableWindow(owner, FALSE);
    } catch (...) {
        // Out of memory while reporting: nothing more can be done.
    }
}
} // namespace

void SetReportOwner(HWND owner, std::string title) noexcept {
    g_reportOwner = owner;
    g_reportTitle = std::move(title);
}

void ShowExceptionMessage(const std::string& message) noexcept {
    CancelMouseCapture();
    ShowReportBox(message);
}

void HandleException() noexcept {
    // Whatever the kind, the silent one included: an abandoned operation must not leave a window
    // holding the mouse.
    CancelMouseCapture();
    try {
        throw;
    } catch (const EAbort&) {
        // The silent kind ends an operation without a report.
    } catch (const std::exception& e) {
        ShowReportBox(e.what());
    } catch (...) {
        ShowReportBox("Unknown exception");
    }
}

} // namespace framework
