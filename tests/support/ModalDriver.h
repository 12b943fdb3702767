// ModalDriver.h - drives a form's modal loop from inside, as a user would while the form waits.
//
// Classes in this file:
//   ModalDriver  shows a form modally and runs a script inside its loop once the form is shown;
//                a watchdog ends a loop that does not end, so that a fault fails the test instead
//                of hanging it
//
// Functions: ClickAt (a real left click), CloseBoxPoint (where a window's close box is).
#pragma once

#include "framework/Form.h"
#include "framework/HiddenWindow.h"

#include <functional>

namespace testsupport {

class ModalDriver {
public:
    /// The result ShowModal gives when the watchdog ended the loop.
    static constexpr int kTimedOut = -999;

    explicit ModalDriver(int watchdogMs = 15000);
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    /// form.ShowModal() with script run inside its loop, on the first message the loop takes
    /// (the form is shown and active by then). The script may inject input and return, leaving
    /// the loop to handle it, or pump messages itself (PumpUntil). Exceptions of ShowModal
    /// propagate.
    int ShowModal(framework::TForm& form, std::function<void()> script);

private:
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int watchdogMs_;
    framework::TForm* form_ = nullptr;
    std::function<void()> script_;
    framework::THiddenWindow window_;
};

/// A real left click at a screen point.
void ClickAt(POINT p);

/// A screen point on the close box of window's caption (WM_NCHITTEST answers HTCLOSE there), or
/// (-1, -1) when there is none.
POINT CloseBoxPoint(HWND window);

/// The centre of a window, in screen coordinates.
POINT CentreOf(HWND window);

} // namespace testsupport
