#include "tests/support/ProcessDriver.h"

#include <commctrl.h>

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/')
        return path;
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

std::string ProgramPath() {
    if (const char* exe = std::getenv("ORDANEL_EXE"))
        return WindowsPath(exe);
    // Run by hand: the build folder holds tests\ and app\ side by side.
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\'));
    return path.substr(0, path.find_last_of('\\')) + "\\app\\Ordanel.exe";
}

ChildProcess::ChildProcess(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string command = "\"" + exe + "\"";
    if (!::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_))
        throw std::runtime_error("cannot start " + exe + ": error " +
                                 std::to_string(::GetLastError()));
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess) {
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(info_.hProcess, 99);
            ::WaitForSingleObject(info_.hProcess, 5000);
        }
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
    }
}

namespace {
struct WindowSearch {
    DWORD process;
    std::string className;
    HWND found = nullptr;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    char cls[256] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    if (pid == search->process && ::IsWindowVisible(window) && search->className == cls) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindVisibleWindow(DWORD process, const std::string& className) {
    WindowSearch search{process, className};
    ::EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ChildProcess::WaitForWindow(const std::string& className, DWORD timeoutMs) const {
    DWORD start = ::GetTickCount();
    do {
        if (HWND found = FindVisibleWindow(info_.dwProcessId, className))
            return found;
        if (::WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0)
            return nullptr;
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

long ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

unsigned long RunToEnd(const std::wstring& commandLine, DWORD timeoutMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring command = commandLine;
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        throw std::runtime_error("cannot start a program: error " +
                                 std::to_string(::GetLastError()));
    ::CloseHandle(info.hThread);
    const DWORD waited = ::WaitForSingleObject(info.hProcess, timeoutMs);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    if (waited != WAIT_OBJECT_0)
        ::TerminateProcess(info.hProcess, 99);
    ::CloseHandle(info.hProcess);
    if (waited != WAIT_OBJECT_0)
        throw std::runtime_error("a program did not end in time");
    return code;
}

HWND FindChildOfClass(HWND parent, const std::string& className) {
    return ::FindWindowExA(parent, nullptr, className.c_str(), nullptr);
}

namespace {
/// Memory in another process for one item and its text.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size) : process_(process) {
        address_ = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        if (!address_)
            throw std::runtime_error("VirtualAllocEx failed");
    }
    ~RemoteBuffer() { ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
    void* get() const { return address_; }

private:
    HANDLE process_;
    void* address_;
};

std::vector<RemoteTreeItem> ReadLevel(HWND tree, HANDLE process, RemoteBuffer& buffer,
                                      HTREEITEM first) {
    constexpr size_t kTextSize = 4096;
    std::vector<RemoteTreeItem> items;
    for (HTREEITEM item = first; item;
         item = reinterpret_cast<HTREEITEM>(
             ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        auto* remoteText = static_cast<char*>(buffer.get()) + sizeof(TVITEMA);
        TVITEMA request{};
        request.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_HANDLE;
        request.hItem = item;
        request.stateMask = TVIS_EXPANDED;
        request.pszText = remoteText;
        request.cchTextMax = kTextSize;
        ::WriteProcessMemory(process, buffer.get(), &request, sizeof request, nullptr);
        ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(buffer.get()));
        TVITEMA answer{};
        char text[kTextSize] = {};
        ::ReadProcessMemory(process, buffer.get(), &answer, sizeof answer, nullptr);
        ::ReadProcessMemory(process, remoteText, text, kTextSize - 1, nullptr);
        RemoteTreeItem read;
        read.item = item;
        read.text = text;
        read.image = answer.iImage;
        read.selectedImage = answer.iSelectedImage;
        read.expanded = (answer.state & TVIS_EXPANDED) != 0;
        auto child = reinterpret_cast<HTREEITEM>(
            ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        read.children = ReadLevel(tree, process, buffer, child);
        items.push_back(std::move(read));
    }
    return items;
}
} // namespace

std::vector<RemoteTreeItem> ReadRemoteTree(HWND tree) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(tree, &pid);
    HANDLE process =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        throw std::runtime_error("cannot open the tree's process");
    std::vector<RemoteTreeItem> items;
    {
        RemoteBuffer buffer(process, sizeof(TVITEMA) + 4096);
        auto root =
            reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        items = ReadLevel(tree, process, buffer, root);
    }
    ::CloseHandle(process);
    return items;
}

} // namespace testsupport
