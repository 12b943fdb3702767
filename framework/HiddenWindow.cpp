#include "framework/HiddenWindow.h"

namespace framework {

THiddenWindow::THiddenWindow(MessageHandler handler) : handler_(std::move(handler)) {
    RegisterWindowClass({.name = "OrdanelHiddenWindow"});
    CreateWindowFor(WS_EX_TOOLWINDOW, "OrdanelHiddenWindow", "", WS_POPUP, 0, 0, 0, 0, nullptr,
                    nullptr);
}

THiddenWindow::~THiddenWindow() {
    HWND window = Handle();
    Detach();
    ::DestroyWindow(window);
}

LRESULT THiddenWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (handler_)
        return handler_(Handle(), message, wParam, lParam);
    return DefaultHandler(message, wParam, lParam);
}

} // namespace framework
