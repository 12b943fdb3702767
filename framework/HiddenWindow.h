// HiddenWindow.h - a window that is never shown and only receives messages.
//
// It is a top-level window rather than a message-only one, so that it also receives the
// broadcasts sent to top-level windows (WM_THEMECHANGED, WM_SYSCOLORCHANGE, WM_SETTINGCHANGE).
// Work that needs no broadcast (timers) belongs on a message-only window (Timers.h).
#pragma once

#include "framework/WindowObject.h"

#include <functional>

namespace framework {

using MessageHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

class THiddenWindow : private TWindowObject {
public:
    /// Creates the window; every message goes to handler, inside a guard that reports an
    /// escaping exception through HandleException (the message then answers 0).
    explicit THiddenWindow(MessageHandler handler);
    /// Detaches first: the window's last messages no longer reach the handler.
    ~THiddenWindow() override;

    using TWindowObject::Handle;

private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    MessageHandler handler_;
};

} // namespace framework
