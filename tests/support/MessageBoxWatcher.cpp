#include "tests/support/MessageBoxWatcher.h"

#include "tests/support/ProcessDriver.h"

#include <vector>

namespace testsupport {

std::string WindowText(HWND window) {
    char buffer[4096] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                          SMTO_ABORTIFHUNG, 5000, &copied);
    return buffer;
}

namespace {
BOOL CALLBACK ReadChild(HWND child, LPARAM param) {
    auto* seen = reinterpret_cast<MessageBoxSeen*>(param);
    char cls[64] = {};
    ::GetClassNameA(child, cls, sizeof cls);
    if (std::string(cls) == "Static") {
        LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            auto icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
            seen->hasIcon = seen->hasIcon || icon != nullptr;
            if (icon && icon == ::LoadIconA(nullptr, IDI_HAND))
                seen->hasErrorIcon = true;
        } else if (::GetDlgCtrlID(child) == 0xFFFF) {
            seen->text = WindowText(child);
        }
    }
    return TRUE;
}
} // namespace

MessageBoxWatcher::MessageBoxWatcher(DWORD process, int answer, std::function<void(HWND)> onSeen)
    : process_(process ? process : ::GetCurrentProcessId()), answer_(answer),
      onSeen_(std::move(onSeen)) {
    thread_ = std::thread([this] { Run(); });
}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void MessageBoxWatcher::Run() {
    while (!stop_) {
        // Message boxes are dialogs of the system's dialog class.
        if (HWND box = FindVisibleWindow(process_, "#32770")) {
            if (count_ == 0) {
                MessageBoxSeen seen;
                seen.seen = true;
                seen.caption = WindowText(box);
                seen.owner = ::GetWindow(box, GW_OWNER);
                ::EnumChildWindows(box, ReadChild, reinterpret_cast<LPARAM>(&seen));
                if (onSeen_)
                    onSeen_(box);
                first_ = seen;
            }
            ::PostMessageA(box, WM_COMMAND, answer_, 0);
            // Wait for the box to go before looking for the next one.
            for (int i = 0; i < 500 && ::IsWindow(box) && ::IsWindowVisible(box); ++i)
                ::Sleep(10);
            ++count_;
        }
        ::Sleep(20);
    }
}

MessageBoxSeen MessageBoxWatcher::Wait(DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (count_ == 0 && ::GetTickCount() - start < timeoutMs)
        ::Sleep(10);
    return count_ ? first_ : MessageBoxSeen{};
}

} // namespace testsupport
