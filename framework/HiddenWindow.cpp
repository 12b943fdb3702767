#include "framework/HiddenWindow.h"

#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"

namespace framework {

namespace {
constexpr char kClassName[] = "OrdanelHiddenWindow";

void RegisterHiddenClass(WNDPROC proc) {
    WNDCLASSEXA wc{};
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), kClassName, &wc))
        return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExA(&wc))
        throw Exception("Cannot register the hidden window class");
}
} // namespace

THiddenWindow::THiddenWindow(MessageHandler handler) : handler_(std::move(handler)) {
    RegisterHiddenClass(&THiddenWindow::WindowProc);
    window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                    nullptr, ::GetModuleHandleA(nullptr), this));
    if (!window_)
        throw Exception("Cannot create a hidden window");
}

THiddenWindow::~THiddenWindow() {
    if (window_)
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK THiddenWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<THiddenWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->handler_) {
        try {
            return self->handler_(window, message, wParam, lParam);
        } catch (...) {
            HandleException();
        }
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

} // namespace framework
