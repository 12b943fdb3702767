// MessageBoxWatcher.cpp - the watching thread of MessageBoxWatcher.
#include "tests/support/MessageBoxWatcher.h"

#include <algorithm>

namespace testsupport {

namespace {

BOOL CALLBACK CollectBox(HWND window, LPARAM param) {
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && ::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
    char className[16] = {};
    ::GetClassNameA(child, className, sizeof className);
    if (_stricmp(className, "Static") == 0) {
        char text[1024] = {};
        if (::GetWindowTextA(child, text, sizeof text) > 0) {
            auto* all = reinterpret_cast<std::string*>(param);
            if (!all->empty())
                *all += '\n';
            *all += text;
        }
    }
    return TRUE;
}

} // namespace

MessageBoxWatcher::MessageBoxWatcher(DWORD timeoutMs)
    : thread_(::GetCurrentThreadId()), worker_([this, timeoutMs] { Watch(timeoutMs); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    worker_.join();
}

std::vector<std::string> MessageBoxWatcher::Texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

void MessageBoxWatcher::Watch(DWORD timeoutMs) {
    std::vector<HWND> closed;
    DWORD idleSince = ::GetTickCount();
    while (!stop_ && ::GetTickCount() - idleSince < timeoutMs) {
        std::vector<HWND> boxes;
        ::EnumThreadWindows(thread_, CollectBox, reinterpret_cast<LPARAM>(&boxes));
        for (HWND box : boxes) {
            if (std::find(closed.begin(), closed.end(), box) != closed.end())
                continue;
            std::string text;
            ::EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
            {
                std::lock_guard lock(mutex_);
                texts_.push_back(text);
            }
            closed.push_back(box);
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            idleSince = ::GetTickCount();
        }
        ::Sleep(20);
    }
}

} // namespace testsupport
