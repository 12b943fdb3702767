// MessageBoxWatcher.h - finds a message box of a process from another thread, records what it
// shows and answers it, so that code showing a modal box can be tested without a person.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace testsupport {

struct MessageBoxSeen {
    bool seen = false;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    bool hasIcon = false;      // an icon is shown
    bool hasErrorIcon = false; // the stop-sign icon is shown (only told for this process: icon
                               // handles are not comparable across processes under Wine)
};

class MessageBoxWatcher {
public:
    /// Watches for a visible dialog-class window of process (this one when 0); when one appears,
    /// calls onSeen (on the watcher's thread), records it and answers it with answer (IDOK ...).
    explicit MessageBoxWatcher(DWORD process = 0, int answer = IDOK,
                               std::function<void(HWND)> onSeen = {});
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    /// Waits up to timeoutMs for the watcher to have answered a box; returns what it saw.
    MessageBoxSeen Wait(DWORD timeoutMs = 10000);
    /// How many boxes were answered so far.
    int Count() const noexcept { return count_; }

private:
    void Run();

    DWORD process_;
    int answer_;
    std::function<void(HWND)> onSeen_;
    std::atomic<bool> stop_{false};
    std::atomic<int> count_{0};
    MessageBoxSeen first_;
    std::thread thread_;
};

/// The text of a window of any thread or process (WM_GETTEXT is marshalled by the system).
std::string WindowText(HWND window);

} // namespace testsupport
