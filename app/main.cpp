// main.cpp - process entry: start-up in its fixed order, the message loop, shut-down.
#include "framework/Application.h"
#include "framework/Controls.h"
#include "ui/MainFormUnit.h"

#include <commctrl.h>
#include <objbase.h>
#include <windows.h>

namespace {

/// The main thread's single-threaded COM apartment; undone at exit only if entering succeeded.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (entered_)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        framework::RegisterStandardClasses();
        ::InitCommonControls();
        ComApartment com;
        framework::TApplication application;
        application.CreateForm(ui::MainForm);
        application.Run();
        return application.ExitCode();
    } catch (...) {
        framework::ShowStartupError();
        return 1;
    }
}
