#include "framework/Timers.h"

#include <memory>
#include <unordered_map>

namespace framework {

/// The message-only window of all timers; WM_TIMER carries the timer's id.
class TTimer::Window final : public TWindowObject {
public:
    Window() {
        RegisterWindowClass({.name = "OrdanelTimerWindow"});
        CreateWindowFor(0, "OrdanelTimerWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    }
    ~Window() override {
        if (HandleAllocated())
            ::DestroyWindow(Handle());
    }

    std::unordered_map<UINT_PTR, TTimer*> timers;

private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_TIMER: return WMTimer(wParam);
        default: return DefaultHandler(message, wParam, lParam);
        }
    }
    LRESULT WMTimer(UINT_PTR id) {
        // A message queued before its timer was stopped or destroyed finds no timer here.
        if (auto it = timers.find(id); it != timers.end() && it->second->running_)
            it->second->Tick();
        return 0;
    }
};

std::unique_ptr<TTimer::Window>& TTimer::WindowObject() {
    static std::unique_ptr<Window> window;
    return window;
}

namespace {
// Ids are never reused, so that a queued message of a destroyed timer cannot reach a new one.
UINT_PTR g_nextTimerId = 1;
} // namespace

TTimer::TTimer() : id_(g_nextTimerId++) {
    auto& window = WindowObject();
    if (!window)
        window = std::make_unique<Window>();
    window->timers[id_] = this;
    try {
        Update();
    } catch (...) {
        window->timers.erase(id_);
        if (window->timers.empty())
            window.reset();
        throw;
    }
}

TTimer::~TTimer() {
    auto& window = WindowObject();
    if (running_)
        ::KillTimer(window->Handle(), id_);
    window->timers.erase(id_);
    if (window->timers.empty())
        window.reset();
}

HWND TTimer::TimerWindow() noexcept {
    auto& window = WindowObject();
    return window ? window->Handle() : nullptr;
}

void TTimer::SetInterval(UINT milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::Update() {
    HWND window = TimerWindow();
    if (running_)
        ::KillTimer(window, id_);
    running_ = false;
    if (enabled_ && interval_ > 0) {
        if (!::SetTimer(window, id_, interval_, nullptr))
            throw EOutOfResources("Not enough timers available");
        running_ = true;
    }
}

void TTimer::Tick() {
    // A copy: the handler may destroy this timer, and with it OnTimer.
    if (TNotifyEvent handler = OnTimer)
        handler(this);
}

void TTimer::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "Interval")
        SetInterval(static_cast<UINT>(p.Number()));
    else if (p.name == "Enabled")
        SetEnabled(ParseBoolean(p));
    else if (p.name == "OnTimer")
        OnTimer = loader.Handler<TNotifyEvent>(p);
    else
        TComponent::ApplyProperty(p, loader);
}

} // namespace framework
