// main.cpp - process entry: start-up in its fixed order, the message loop, shut-down.
#include "controls/cxButtons.h"
#include "controls/cxGroupBox.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "lookandfeel/ThemeServices.h"
#include "lookandfeel/cxLookAndFeels.h"
#include "ui/MainFormUnit.h"
#include "ui/WarningFormUnit.h"

#include <objbase.h>
#include <windows.h>

namespace {

/// The modules of the skinned-control library, started before any form and stopped after the
/// last one is gone; the theme library is unloaded last.
class LibraryModules {
public:
    LibraryModules() {
        lookandfeel::InitializeThemeServices();
        try {
            lookandfeel::InitializeLookAndFeel();
        } catch (...) {
            lookandfeel::FinalizeThemeServices();
            throw;
        }
    }
    ~LibraryModules() {
        lookandfeel::FinalizeLookAndFeel();
        lookandfeel::FinalizeThemeServices();
    }
    LibraryModules(const LibraryModules&) = delete;
    LibraryModules& operator=(const LibraryModules&) = delete;
};

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
        controls::RegisterButtonClasses();
        controls::RegisterGroupBoxClasses();
        LibraryModules modules;
        ComApartment com;
        framework::TApplication application;
        application.CreateForm(ui::MainForm);
        application.CreateForm(ui::WarningForm);
        application.Run();
        return application.ExitCode();
    } catch (...) {
        framework::ShowStartupError();
        return 1;
    }
}
