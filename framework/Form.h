// Form.h - top-level windows built from stored window definitions.
#pragma once

#include "framework/Handles.h"

namespace framework {

class TForm {
public:
    virtual ~TForm() = default;
    HWND Handle() const noexcept { return window_.get(); }
    void Show(int command) { ::ShowWindow(window_.get(), command); }
    bool IsDialogKey(MSG& msg) { return ::IsDialogMessageA(window_.get(), &msg) != 0; }
    static TForm* FromChildWindow(HWND) { return nullptr; }

protected:
    UniqueHwnd window_;
};

} // namespace framework
