// ProcessDriver.h - starts a program of this build as its own process and looks into its windows
// from outside: its top-level windows, and the items of a tree view read through memory placed
// in the other process.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace testsupport {

/// A Windows path for a path the build system gave (a Linux path under Wine becomes Z:\...).
std::string WindowsPath(const std::string& path);

/// The path of the built program: the environment variable ORDANEL_EXE, else app\Ordanel.exe
/// beside this program's folder in the build tree.
std::string ProgramPath();

class ChildProcess {
public:
    /// Starts exe (a Windows path); throws std::runtime_error when it cannot be started.
    explicit ChildProcess(const std::string& exe);
    /// Kills the process if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD Id() const noexcept { return info_.dwProcessId; }
    /// Waits for a visible top-level window of the process whose class is className.
    HWND WaitForWindow(const std::string& className, DWORD timeoutMs = 20000) const;
    /// Waits for the process to end; its exit code, or -1 on timeout.
    long WaitForExit(DWORD timeoutMs = 20000);

private:
    PROCESS_INFORMATION info_{};
};

/// Runs commandLine (the program is looked up on the search path) until it ends; its exit code.
/// Throws std::runtime_error when it cannot be started or does not end within timeoutMs.
unsigned long RunToEnd(const std::wstring& commandLine, DWORD timeoutMs = 60000);

struct RemoteTreeItem {
    HTREEITEM item = nullptr;
    std::string text;
    int image = -1, selectedImage = -1;
    bool expanded = false;
    std::vector<RemoteTreeItem> children;
};

/// Reads every item of a tree view of another process, in order.
std::vector<RemoteTreeItem> ReadRemoteTree(HWND tree);

/// A visible top-level window of process whose class is className, or null.
HWND FindVisibleWindow(DWORD process, const std::string& className);

/// The first child window of parent with that class, or null.
HWND FindChildOfClass(HWND parent, const std::string& className);

/// A top-level window of process whose class is className, shown or hidden, or null.
HWND FindProcessWindow(DWORD process, const std::string& className);

/// The rectangle of a tree item's text, in the tree's client coordinates (empty when the item is
/// not shown), read through memory placed in the tree's process.
RECT RemoteItemRect(HWND tree, HTREEITEM item);

/// The window that has the keyboard focus in the thread of window, or null.
HWND FocusOf(HWND window);

/// Waits until the thread of window has handled everything before a message sent now: a barrier
/// after input, since the program handles it in its own time. False on timeout.
bool WaitIdle(HWND window, DWORD timeoutMs = 20000);

/// The folder where tests leave what a person should look at (screenshots): the environment
/// variable ORDANEL_ARTEFACTS, else "artefacts" beside the test program; created when missing.
std::string ArtefactFolder();

} // namespace testsupport
