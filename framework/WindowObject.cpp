#include "framework/WindowObject.h"

#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"

#include <unordered_map>

namespace framework {

namespace {
// The object of each window of the framework. A table in the process rather than a window
// property: under Wine every property lookup is a round trip to the server, and this lookup runs
// for every message.
std::unordered_map<HWND, TWindowObject*>& WindowTable() {
    static std::unordered_map<HWND, TWindowObject*> table;
    return table;
}
} // namespace

void TWindowObject::RegisterWindowClass(const TWindowClass& windowClass) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExA(instance, windowClass.name.c_str(), &wc))
        return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.style = windowClass.style;
    wc.lpfnWndProc = &TWindowObject::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = windowClass.icon;
    wc.hCursor = windowClass.cursor;
    wc.hbrBackground = windowClass.background;
    wc.lpszClassName = windowClass.name.c_str();
    if (!::RegisterClassExA(&wc))
        throw Exception("Cannot register window class " + windowClass.name);
}

TWindowObject::~TWindowObject() {
    if (window_)
        Detach();
}

TWindowObject* TWindowObject::FromWindow(HWND window) noexcept {
    auto& table = WindowTable();
    auto it = window ? table.find(window) : table.end();
    return it == table.end() ? nullptr : it->second;
}

HWND TWindowObject::CreateWindowFor(DWORD exStyle, const std::string& className,
                                    const std::string& caption, DWORD style, int x, int y,
                                    int width, int height, HWND parent, HMENU menuOrId) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    bool own = ::GetClassInfoExA(instance, className.c_str(), &wc) &&
               wc.lpfnWndProc == &TWindowObject::WindowProc;
    HWND window = ::CreateWindowExA(exStyle, className.c_str(), caption.c_str(), style, x, y, width,
                                    height, parent, menuOrId, instance, own ? this : nullptr);
    if (!window)
        throw Exception("Cannot create a window of class " + className);
    if (!own)
        Attach(window);
    return window;
}

void TWindowObject::Attach(HWND window) {
    WindowTable()[window] = this;
    window_ = window;
    if (::GetWindowLongPtrA(window, GWLP_WNDPROC) !=
        reinterpret_cast<LONG_PTR>(&TWindowObject::WindowProc))
        systemProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindowObject::WindowProc)));
}

void TWindowObject::Detach() noexcept {
    WindowTable().erase(window_);
    // Put the class's procedure back only while ours is the current one: a procedure installed
    // over ours (a test's recorder) keeps calling ours, which then passes everything on.
    if (systemProc_ && ::GetWindowLongPtrA(window_, GWLP_WNDPROC) ==
                           reinterpret_cast<LONG_PTR>(&TWindowObject::WindowProc))
        ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
    systemProc_ = nullptr;
    window_ = nullptr;
}

LRESULT CALLBACK TWindowObject::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    TWindowObject* self = FromWindow(window);
    LRESULT result = 0;
    try {
        if (!self && message == WM_NCCREATE) {
            self = static_cast<TWindowObject*>(
                reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            if (self)
                self->Attach(window);
        }
        if (!self)
            return ::DefWindowProcA(window, message, wParam, lParam);
        result = self->WndProc(message, wParam, lParam);
    } catch (...) {
        HandleException();
    }
    // Past this point the object may be gone (a handler may destroy it): it is used only for
    // WM_NCDESTROY, the last message, which nothing destroys it during.
    if (message == WM_NCDESTROY && self && self->window_ == window) {
        WNDPROC systemProc = self->systemProc_;
        self->Detach();
        // The system class still needs its own WM_NCDESTROY to free its data.
        if (systemProc)
            result = ::CallWindowProcA(systemProc, window, message, wParam, lParam);
    }
    return result;
}

LRESULT TWindowObject::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY && systemProc_)
        return 0; // given to the system class after detaching (WindowProc)
    if (systemProc_)
        return ::CallWindowProcA(systemProc_, window_, message, wParam, lParam);
    return ::DefWindowProcA(window_, message, wParam, lParam);
}

} // namespace framework
