#include "tests/support/ProcessDriver.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
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

HWND FindProcessWindow(DWORD process, const std::string& className) {
    for (HWND w = ::FindWindowExA(nullptr, nullptr, className.c_str(), nullptr); w;
         w = ::FindWindowExA(nullptr, w, className.c_str(), nullptr)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid == process)
            return w;
    }
    return nullptr;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool WaitIdle(HWND window, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

std::string ArtefactFolder() {
    std::string folder;
    if (const char* named = std::getenv("ORDANEL_ARTEFACTS")) {
        folder = WindowsPath(named);
    } else {
        // Run by hand: beside the test program.
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        folder = self;
        folder = folder.substr(0, folder.find_last_of('\\')) + "\\artefacts";
    }
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
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
        const char nothing = 0;
        ::WriteProcessMemory(process, buffer.get(), &request, sizeof request, nullptr);
        ::WriteProcessMemory(process, remoteText, &nothing, 1, nullptr);
        if (!::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(buffer.get())))
            throw std::runtime_error("TVM_GETITEM failed");
        TVITEMA answer{};
        char text[kTextSize] = {};
        ::ReadProcessMemory(process, buffer.get(), &answer, sizeof answer, nullptr);
        // The control may answer with a pointer to its own copy of the text.
        ::ReadProcessMemory(process, answer.pszText ? answer.pszText : remoteText, text,
                            kTextSize - 1, nullptr);
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

namespace {
/// The tree's process, opened for placing and reading memory.
class TreeProcess {
public:
    explicit TreeProcess(HWND tree) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(tree, &pid);
        handle_ =
            ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!handle_)
            throw std::runtime_error("cannot open the tree's process");
    }
    ~TreeProcess() { ::CloseHandle(handle_); }
    TreeProcess(const TreeProcess&) = delete;
    TreeProcess& operator=(const TreeProcess&) = delete;
    HANDLE get() const noexcept { return handle_; }

private:
    HANDLE handle_;
};
} // namespace

RECT RemoteItemRect(HWND tree, HTREEITEM item) {
    TreeProcess process(tree);
    RemoteBuffer buffer(process.get(), sizeof(RECT));
    // TVM_GETITEMRECT takes the item in the rectangle's place and answers in it.
    RECT r{};
    std::memcpy(&r, &item, sizeof item);
    ::WriteProcessMemory(process.get(), buffer.get(), &r, sizeof r, nullptr);
    if (!::SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.get())))
        return RECT{};
    ::ReadProcessMemory(process.get(), buffer.get(), &r, sizeof r, nullptr);
    return r;
}

std::vector<RemoteTreeItem> ReadRemoteTree(HWND tree) {
    TreeProcess process(tree);
    RemoteBuffer buffer(process.get(), sizeof(TVITEMA) + 4096);
    auto root = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    return ReadLevel(tree, process.get(), buffer, root);
}

} // namespace testsupport
