// Timers.h - timers of the framework.
//
// Classes in this file:
//   TTimer  calls OnTimer every Interval milliseconds while Enabled. All timers run on one
//           message-only window (HWND_MESSAGE), which exists while any timer does: it receives no
//           broadcasts and is in no list of top-level windows. A timer that is destroyed or
//           disabled is not called again, not even by a WM_TIMER already queued for it. An
//           exception escaping OnTimer is reported through HandleException; the timer goes on.
#pragma once

#include "framework/Controls.h"

#include <memory>

namespace framework {

class TTimer : public TComponent {
public:
    TTimer();
    ~TTimer() override;

    /// Milliseconds between calls, 1000 unless set; 0 stops the timer. The system runs timers of
    /// less than 10 ms every 10 ms.
    UINT Interval() const noexcept { return interval_; }
    void SetInterval(UINT milliseconds);
    /// True unless set.
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);

    TNotifyEvent OnTimer;

    /// The window every timer runs on; null while no timer exists.
    static HWND TimerWindow() noexcept;

    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;

private:
    class Window;
    static std::unique_ptr<Window>& WindowObject();
    void Update();
    void Tick();

    UINT interval_ = 1000;
    bool enabled_ = true;
    bool running_ = false;
    UINT_PTR id_;
};

} // namespace framework
