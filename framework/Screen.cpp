#include "framework/Screen.h"

namespace framework {

void TScreen::SetCursor(HCURSOR cursor) {
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    if (cursor_) {
        ::SetCursor(cursor_);
        return;
    }
    // Back to the controls' own cursors: the window under the mouse chooses again.
    POINT p;
    if (!::GetCursorPos(&p))
        return;
    HWND window = ::WindowFromPoint(p);
    if (!window || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId())
        return;
    auto hit = ::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    ::SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

TScreen& Screen() noexcept {
    static TScreen screen;
    return screen;
}

} // namespace framework
