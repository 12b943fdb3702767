// WindowObject.h - the one window procedure of the framework, the class registration it uses,
// and the framework's own message numbers.
//
// Classes in this file:
//   TWindowClass   what a class registration of this module asks for
//   TWindowObject  base of every object that handles the messages of a window: the application
//                  window, hidden windows, the timer window and controls. Windows of a class
//                  registered through TWindowObject::RegisterWindowClass are attached on
//                  WM_NCCREATE; windows of system classes are subclassed. Every message reaches
//                  WndProc inside a guard that reports an escaping exception through
//                  HandleException (the message then answers 0); the object is detached after
//                  WM_NCDESTROY.
//
#pragma once

#include <windows.h>

#include <string>

namespace framework {

// Notifications of the framework, sent by one window of the framework to another.
constexpr UINT CM_BASE = 0xB000;
/// The mouse entered a control; lParam: the control (TWinControl*).
constexpr UINT CM_MOUSEENTER = CM_BASE + 0x13;
/// The mouse left a control; lParam: the control (TWinControl*).
constexpr UINT CM_MOUSELEAVE = CM_BASE + 0x14;
/// Alt with a character key was pressed in the form (WM_SYSCHAR); wParam, lParam: those of
/// WM_SYSCHAR. A control that takes it as its accelerator answers nonzero and the key is consumed.
constexpr UINT CM_DIALOGCHAR = CM_BASE + 0x06;
/// The active default button of a form may have moved; lParam: the focused control
/// (TWinControl*, may be null).
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 0x07;

// Notifications that a parent sends back to the child they are about ("reflected"): the child
// handles what it reported itself. wParam and lParam are those of the original message.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;

struct TWindowClass {
    std::string name;
    UINT style = 0;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

class TWindowObject {
public:
    TWindowObject(const TWindowObject&) = delete;
    TWindowObject& operator=(const TWindowObject&) = delete;

    HWND Handle() const noexcept { return window_; }
    bool HandleAllocated() const noexcept { return window_ != nullptr; }
    /// The object that handles the messages of window, or null.
    static TWindowObject* FromWindow(HWND window) noexcept;
    /// Registers the class with the framework's window procedure unless this module has one of
    /// that name already. Throws Exception when the system refuses.
    static void RegisterWindowClass(const TWindowClass& windowClass);

protected:
    TWindowObject() = default;
    /// Detaches: the window, if it still exists, no longer reaches this object.
    virtual ~TWindowObject();

    /// Creates a window of a class registered by RegisterWindowClass, or of a system class
    /// (which is then subclassed). This object receives its messages from the first on.
    /// Throws Exception when the system refuses.
    HWND CreateWindowFor(DWORD exStyle, const std::string& className, const std::string& caption,
                         DWORD style, int x, int y, int width, int height, HWND parent,
                         HMENU menuOrId);

    /// Handles one message of the window.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    /// The system's handling: the subclassed class's procedure or DefWindowProc.
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    /// The window is of a system class that this object subclassed.
    bool Subclassed() const noexcept { return systemProc_ != nullptr; }
    /// Stops receiving messages: the system class gets its procedure back.
    void Detach() noexcept;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window);

    HWND window_ = nullptr;
    WNDPROC systemProc_ = nullptr;
};

} // namespace framework
