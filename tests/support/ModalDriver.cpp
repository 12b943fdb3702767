#include "tests/support/ModalDriver.h"

#include "tests/support/Input.h"

#include <utility>

namespace testsupport {

namespace {
constexpr UINT kRunScript = WM_APP + 1;
constexpr UINT_PTR kWatchdog = 1;
} // namespace

ModalDriver::ModalDriver(int watchdogMs)
    : watchdogMs_(watchdogMs),
      window_([this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return OnMessage(w, m, wp, lp); }) {}

int ModalDriver::ShowModal(framework::TForm& form, std::function<void()> script) {
    form_ = &form;
    script_ = std::move(script);
    ::PostMessageA(window_.Handle(), kRunScript, 0, 0);
    ::SetTimer(window_.Handle(), kWatchdog, watchdogMs_, nullptr);
    struct Stop {
        ModalDriver& driver;
        ~Stop() {
            ::KillTimer(driver.window_.Handle(), kWatchdog);
            driver.form_ = nullptr;
            driver.script_ = nullptr;
            MSG msg; // a script the loop never reached must not run in a later one
            ::PeekMessageA(&msg, driver.window_.Handle(), kRunScript, kRunScript, PM_REMOVE);
        }
    } stop{*this};
    return form.ShowModal();
}

LRESULT ModalDriver::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunScript) {
        if (auto script = std::exchange(script_, nullptr))
            script();
        return 0;
    }
    if (message == WM_TIMER && wParam == kWatchdog) {
        ::KillTimer(window, kWatchdog);
        if (form_ && form_->Modal())
            form_->SetModalResult(kTimedOut);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void ClickAt(POINT p) {
    MouseTo(p, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
}

POINT CloseBoxPoint(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    // Along the middle of the caption, from the right edge inwards.
    const int y = (r.top + origin.y) / 2;
    for (int x = r.right - 1; x > r.left; --x)
        if (::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
            // The middle of the box's run of points.
            int left = x;
            while (left > r.left &&
                   ::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(left - 1, y)) == HTCLOSE)
                --left;
            return {(left + x) / 2, y};
        }
    return {-1, -1};
}

POINT CentreOf(HWND window) {
    RECT r;
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace testsupport
