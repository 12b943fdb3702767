#include "framework/TaskWindows.h"

#include <new>

namespace framework {

void CancelMouseCapture() noexcept {
    static bool cancelling = false;
    HWND capture = ::GetCapture();
    if (!capture || cancelling)
        return;
    cancelling = true;
    // Every window procedure of the program has its own guard; this one is for a foreign
    // procedure that lets an exception through.
    try {
        ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
    } catch (...) {
    }
    cancelling = false;
    if (::GetCapture() == capture)
        ::ReleaseCapture();
}

namespace {
struct Collect {
    HWND except;
    std::vector<HWND>* windows;
    bool outOfMemory = false;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM param) {
    auto* collect = reinterpret_cast<Collect*>(param);
    if (window != collect->except && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        // No exception may unwind through the system's enumeration.
        try {
            collect->windows->push_back(window);
        } catch (...) {
            collect->outOfMemory = true;
            return FALSE;
        }
    }
    return TRUE;
}
} // namespace

TDisabledWindows::TDisabledWindows(HWND except) {
    // All found first: should the list fail to grow, no window is left disabled.
    Collect collect{except, &windows_};
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectEnabledWindow,
                        reinterpret_cast<LPARAM>(&collect));
    if (collect.outOfMemory)
        throw std::bad_alloc();
    for (HWND window : windows_)
        ::EnableWindow(window, FALSE);
}

TDisabledWindows::~TDisabledWindows() {
    for (HWND window : windows_)
        if (::IsWindow(window))
            ::EnableWindow(window, TRUE);
}

} // namespace framework
