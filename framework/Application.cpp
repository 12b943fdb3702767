#include "framework/Application.h"

#include "framework/CodePages.h"
#include "framework/Controls.h"
#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"
#include "framework/WindowObject.h"

#if defined(__GNUC__)
#include <cxxabi.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <typeinfo>

namespace framework {

namespace {
TApplication* g_application = nullptr;
constexpr char kApplicationClass[] = "OrdanelApplication";
} // namespace

/// The zero-size window that stands for the program on the taskbar.
class TApplicationWindow final : public TWindowObject {
public:
    explicit TApplicationWindow(const std::string& title) {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        RegisterWindowClass({.name = kApplicationClass,
                             .icon = ::LoadIconA(instance, "MAINICON"),
                             .cursor = ::LoadCursorA(nullptr, IDC_ARROW)});
        int x = ::GetSystemMetrics(SM_CXSCREEN) / 2;
        int y = ::GetSystemMetrics(SM_CYSCREEN) / 2;
        CreateWindowFor(0, kApplicationClass, title,
                        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                        0, 0, nullptr, nullptr);
    }
    ~TApplicationWindow() override {
        if (HandleAllocated())
            ::DestroyWindow(Handle());
    }

private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_CLOSE: return WMClose();
        default: return DefaultHandler(message, wParam, lParam);
        }
    }
    /// Closing the program from its taskbar button closes the main form.
    LRESULT WMClose() {
        if (TApplication* app = Application(); app && app->MainForm()) {
            ::PostMessageA(app->MainForm()->Handle(), WM_CLOSE, 0, 0);
            return 0;
        }
        return DefaultHandler(WM_CLOSE, 0, 0);
    }
};

namespace {
std::string ExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int ShowCommandOfProcess() {
    STARTUPINFOA info{};
    info.cb = sizeof info;
    ::GetStartupInfoA(&info);
    int command = (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWNORMAL;
    switch (command) {
    case SW_SHOWMAXIMIZED: return SW_SHOWMAXIMIZED;
    case SW_SHOWMINNOACTIVE: return SW_SHOWMINNOACTIVE;
    default: return SW_SHOWNORMAL;
    }
}
} // namespace

std::string TitleFromExePath(const std::string& path) {
    // The rule works on characters, not bytes: under a code page of several bytes a character
    // may hold a byte that looks like "\\" (the second byte of some characters of the Far-East
    // code pages), and lower-casing bytes from the second on cuts a first character of several
    // bytes ("\xC3\x96", O with diaeresis, in UTF-8) in two.
    std::wstring title = WideFromCodePage(path, CP_ACP, TInvalidText::Replace);
    title.erase(0, title.find_last_of(L'\\') + 1);
    if (auto dot = title.find(L'.'); dot != std::wstring::npos)
        title.resize(dot);
    if (title.size() > 1)
        ::CharLowerBuffW(title.data() + 1, static_cast<DWORD>(title.size() - 1));
    return CodePageFromWide(title, CP_ACP);
}

TApplication::TApplication() {
    std::string path = ExecutablePath();
    ::OemToCharBuffA(path.c_str(), path.data(), static_cast<DWORD>(path.size()));
    title_ = TitleFromExePath(path);

    window_ = std::make_unique<TApplicationWindow>(title_);
    g_application = this;
    SetReportOwner(Handle(), title_);
}

TApplication::~TApplication() {
    // No form is the main form while the forms go: none of them is whole any more.
    mainForm_ = nullptr;
    while (!forms_.empty())
        forms_.pop_back();
    if (g_application == this)
        SetReportOwner(nullptr, title_);
    window_.reset();
    if (g_application == this) {
        g_application = nullptr;
        SetReportOwner(nullptr, std::string());
    }
}

HWND TApplication::Handle() const noexcept {
    return window_ ? window_->Handle() : nullptr;
}

TApplication* Application() noexcept {
    return g_application;
}

void TApplication::AddForm(std::unique_ptr<TWinControl> form) {
    TWinControl* added = form.get();
    forms_.push_back(std::move(form));
    if (!mainForm_)
        mainForm_ = added;
}

void TApplication::RemoveForm(TWinControl* form) noexcept {
    if (mainForm_ == form)
        mainForm_ = nullptr;
    auto it =
        std::find_if(forms_.begin(), forms_.end(),
                     [form](const std::unique_ptr<TWinControl>& f) { return f.get() == form; });
    if (it == forms_.end())
        return;
    // Out of the list before it goes, so that nothing running during its destruction finds it.
    std::unique_ptr<TWinControl> owned = std::move(*it);
    forms_.erase(it);
}

void TApplication::AddMessageFilter(TMessageFilter& filter) {
    if (std::find(filters_.begin(), filters_.end(), &filter) == filters_.end())
        filters_.push_back(&filter);
}

void TApplication::RemoveMessageFilter(TMessageFilter& filter) noexcept {
    std::erase(filters_, &filter);
}

bool TApplication::PreTranslateMessage(MSG& message) {
    // A filter may remove others, or itself, while it handles a message (a form that a key
    // closes and destroys): the filters are those of the start, less those removed meanwhile.
    const std::vector<TMessageFilter*> filters = filters_;
    for (TMessageFilter* filter : filters)
        if (std::find(filters_.begin(), filters_.end(), filter) != filters_.end() &&
            filter->PreTranslateMessage(message))
            return true;
    // Then the window the message is for: its top-level window, found from its handle (not
    // registered anywhere, so a window built before the application, or destroyed meanwhile, is
    // asked exactly while it exists).
    if (!message.hwnd)
        return false;
    TWinControl* top = TWinControl::FromHandle(::GetAncestor(message.hwnd, GA_ROOT));
    return top && top->PreTranslateMessage(message);
}

void TApplication::Run() {
    // The application window is what the taskbar shows; it has no size, so nothing else shows.
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    if (mainForm_)
        mainForm_->Show(ShowCommandOfProcess());
    while (!terminated_)
        HandleMessage();
}

void TApplication::Terminate() {
    ::PostQuitMessage(0);
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        // The program ends only through its terminate request, whose code is 0. Any process may
        // post WM_QUIT to this thread with a code of its own: it ends the loop but does not
        // choose the exit code.
        terminated_ = true;
        return true;
    }
    try {
        if (!PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    } catch (...) {
        HandleException();
    }
    return true;
}

void TApplication::HandleMessage() {
    if (!ProcessMessage())
        ::WaitMessage();
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

std::string StartupErrorText(const std::exception& e) {
    std::string className;
    const void* address = nullptr;
    if (auto* own = dynamic_cast<const Exception*>(&e)) {
        className = own->ClassName();
        address = own->Address();
    } else {
        className = typeid(e).name();
#if defined(__GNUC__)
        int status = 0;
        if (char* demangled = abi::__cxa_demangle(className.c_str(), nullptr, nullptr, &status)) {
            if (status == 0)
                className = demangled;
            std::free(demangled);
        }
#endif
    }
    HMODULE module = nullptr;
    if (!address || !::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                          static_cast<LPCSTR>(address), &module))
        module = ::GetModuleHandleA(nullptr);
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    std::string moduleName(path);
    moduleName = moduleName.substr(moduleName.find_last_of('\\') + 1);
    auto offset = address ? reinterpret_cast<std::uintptr_t>(address) -
                                reinterpret_cast<std::uintptr_t>(module)
                          : 0;
    std::string message = e.what();
    const char* fullStop = !message.empty() && message.back() != '.' ? "." : "";
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "Exception %s in module %s at %0*llX.\r\n",
                  className.c_str(), moduleName.c_str(), static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(offset));
    return buffer + message + fullStop + "\r\n";
}

void ShowStartupError() noexcept {
    try {
        std::string text;
        try {
            throw;
        } catch (const std::exception& e) {
            text = StartupErrorText(e);
        } catch (...) {
            text = "Unknown exception during start-up.\r\n";
        }
        ::MessageBoxA(nullptr, text.c_str(), "Application Error",
                      MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
    }
}

} // namespace framework
