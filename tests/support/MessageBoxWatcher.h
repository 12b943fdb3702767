// MessageBoxWatcher.h - finds the message boxes that a thread shows, records their text and
// closes them with OK, so that a test can check a report without a person pressing the button.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

/// Watches the windows of the thread that creates it from a second thread; every message box
/// (dialog class "#32770") that appears there has its text recorded and is closed with OK.
/// Stops on destruction, or after timeoutMs without any box.
class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(DWORD timeoutMs = 20000);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    /// The texts of the boxes closed so far, in order.
    std::vector<std::string> Texts() const;

private:
    void Watch(DWORD timeoutMs);

    DWORD thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::thread worker_;
};

} // namespace testsupport
