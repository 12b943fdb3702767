#include "framework/ExceptionReport.h"

#include "framework/Application.h"
#include "framework/Exceptions.h"

#include <windows.h>

#include <vector>

namespace framework {

std::string WithFullStop(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}

namespace {
BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM param) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(param);
    if (::IsWindowVisible(window) && ::IsWindowEnabled(window))
        windows->push_back(window);
    return TRUE;
}

/// Ends a mouse capture (a drag, a pressed button) that the failed operation left behind. A
/// capture holder that fails on WM_CANCELMODE itself comes back here through its guard: that
/// nested report sends nothing, and the capture is released all the same.
void CancelCapture() noexcept {
    static bool cancelling = false;
    HWND capture = ::GetCapture();
    if (!capture || cancelling)
        return;
    cancelling = true;
    try {
        ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    } catch (...) {
    }
    cancelling = false;
    if (::GetCapture() == capture)
        ::ReleaseCapture();
}

void ShowReportBox(const std::string& message) noexcept {
    try {
        TApplication* app = Application();
        HWND owner = app ? app->Handle() : nullptr;
        std::string title = app ? app->Title() : std::string();
        // The box is modal to the application window only; the other windows of the program are
        // disabled for its time by hand, as a task-modal box would do.
        std::vector<HWND> disabled;
        ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow,
                            reinterpret_cast<LPARAM>(&disabled));
        for (HWND w : disabled)
            if (w != owner)
                ::EnableWindow(w, FALSE);
        ::MessageBoxA(owner, WithFullStop(message).c_str(), title.c_str(), MB_OK | MB_ICONERROR);
        for (HWND w : disabled)
            if (w != owner && ::IsWindow(w))
                ::EnableWindow(w, TRUE);
    } catch (...) {
        // Out of memory while reporting: nothing more can be done.
    }
}
} // namespace

void ShowExceptionMessage(const std::string& message) noexcept {
    CancelCapture();
    ShowReportBox(message);
}

void HandleException() noexcept {
    // Whatever the kind, the silent one included: an abandoned operation must not leave a window
    // holding the mouse.
    CancelCapture();
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
