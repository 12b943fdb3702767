// TaskWindows.h - what every modal window of the program (a report box, a modal form) does to the
// rest of the program while it runs.
//
// In this file:
//   CancelMouseCapture  ends the mouse capture that some window of the program holds
//   TDisabledWindows    disables the program's other top-level windows for its lifetime
#pragma once

#include <windows.h>

#include <vector>

namespace framework {

/// Ends a mouse capture (a drag, a pressed button) held by a window of this thread: the holder is
/// sent WM_CANCELMODE, then the capture is released if it still holds it. A holder that fails on
/// WM_CANCELMODE and gets here again through its guard is not sent it a second time.
void CancelMouseCapture() noexcept;

/// Disables, for its lifetime, every visible and enabled top-level window of this thread except
/// one (the window that stays usable), and enables again at the end those of them that still
/// exist. A window disabled before stays disabled; a window shown meanwhile is not touched.
class TDisabledWindows {
public:
    explicit TDisabledWindows(HWND except);
    ~TDisabledWindows();
    TDisabledWindows(const TDisabledWindows&) = delete;
    TDisabledWindows& operator=(const TDisabledWindows&) = delete;

private:
    std::vector<HWND> windows_;
};

} // namespace framework
