// BareStartup.cpp - the bare process of the start-up benchmark: the program's registry work and
// nothing else.
//
//   ordanel_bare_startup.exe signal <event>   reads, sets the inherited event, exits
//   ordanel_bare_startup.exe window           reads, then shows one plain top-level window of
//                                             the main window's size and waits to be closed
//
// The exit code is the number of names read, for the benchmark to check.
#include "bench/startup/RegistryWork.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr char kWindowClass[] = "OrdanelBareStartup";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void ShowPlainWindow(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassA(&wc);
    HWND window =
        ::CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, " ", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          322, 124, 378, 467, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    int read = bench::ReadUninstallEntries();
    if (std::strncmp(commandLine, "signal ", 7) == 0) {
        auto event = reinterpret_cast<HANDLE>(std::strtoull(commandLine + 7, nullptr, 10));
        ::SetEvent(event);
    } else {
        ShowPlainWindow(instance);
    }
    return read;
}
