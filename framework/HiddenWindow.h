// HiddenWindow.h - a window that is never shown and only receives messages.
//
// It is a top-level window rather than a message-only one, so that it also receives the
// broadcasts sent to top-level windows (WM_THEMECHANGED, WM_SYSCOLORCHANGE, WM_SETTINGCHANGE).
#pragma once

#include "framework/Handles.h"

#include <functional>

namespace framework {

using MessageHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

class THiddenWindow {
public:
    /// Creates the window; every message goes to handler, inside a guard that reports an
    /// escaping exception through HandleException (the message then gets DefWindowProc's result).
    explicit THiddenWindow(MessageHandler handler);
    ~THiddenWindow();
    THiddenWindow(const THiddenWindow&) = delete;
    THiddenWindow& operator=(const THiddenWindow&) = delete;

    HWND Handle() const noexcept { return window_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    MessageHandler handler_;
    UniqueHwnd window_;
};

} // namespace framework
