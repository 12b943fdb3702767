// MinimalLister.cpp - the minimal windowed lister of the start-up benchmark: the program's
// registry reads, then one window of the main window's size with one tree view holding the two
// roots and every name read (no visual style, no resources, no framework), until it is closed.
// Its exit code is the number of names read, for the benchmark to check.
#include "bench/startup/RegistryWork.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

HTREEITEM Insert(HWND tree, HTREEITEM parent, const std::string& text) {
    TVINSERTSTRUCTA item{};
    item.hParent = parent;
    item.hInsertAfter = TVI_LAST;
    item.item.mask = TVIF_TEXT;
    item.item.pszText = const_cast<char*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void ShowLister(HINSTANCE instance, const std::vector<std::string>& machine,
                const std::vector<std::string>& user) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = bench::kListerClass;
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, bench::kListerClass, " ",
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU, 322, 124, 378, 467, nullptr,
                                    nullptr, instance, nullptr);
    HWND tree = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_LINESATROOT, 8, 148,
                                  353, 225, window, nullptr, instance, nullptr);
    ::SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    HTREEITEM roots[] = {Insert(tree, TVI_ROOT, "Entire System"),
                         Insert(tree, TVI_ROOT, "Current User")};
    for (const std::string& text : machine)
        Insert(tree, roots[0], text);
    for (const std::string& text : user)
        Insert(tree, roots[1], text);
    ::SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    for (HTREEITEM root : roots)
        ::SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    ::ShowWindow(window, SW_SHOWNORMAL);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<std::string> machine, user;
    const int read = bench::ReadUninstallEntries(&machine, &user);
    ShowLister(instance, machine, user);
    return read;
}
