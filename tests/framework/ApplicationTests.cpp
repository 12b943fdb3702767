#include "framework/Application.h"
#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"
#include "framework/HiddenWindow.h"
#include "tests/support/MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

TEST(ApplicationTitle, IsTheFileNameCutAtItsFirstDotWithTheRestInLowerCase) {
    EXPECT_EQ(framework::TitleFromExePath("C:\\Program Files\\SWEEP.EXE"), "Sweep");
    EXPECT_EQ(framework::TitleFromExePath("D:\\tools\\tool.new.exe"), "tool");
    EXPECT_EQ(framework::TitleFromExePath("C:\\a.b\\noext"), "noext");
    EXPECT_EQ(framework::TitleFromExePath("ordanel.exe"), "ordanel");
    EXPECT_EQ(framework::TitleFromExePath("C:\\x\\.hidden.exe"), "");
}

TEST(ApplicationTitle, OfTheRunningTestProgram) {
    framework::TApplication app;
    // This program is framework_ApplicationTests.exe.
    EXPECT_EQ(app.Title(), "framework_applicationtests");
    EXPECT_EQ(testsupport::WindowText(app.Handle()), app.Title());
    RECT r;
    ::GetWindowRect(app.Handle(), &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);
    EXPECT_NE(::GetClassLongPtrA(app.Handle(), GCLP_HICON), 0) << "the window carries MAINICON";
}

TEST(MessageLoop, TheQuitMessageEndsTheLoopWithExitCodeZero) {
    // The terminate request, and a quit message posted from outside with a code of its own.
    for (WPARAM foreignCode : {WPARAM(0), WPARAM(5)}) {
        SCOPED_TRACE(foreignCode);
        framework::TApplication app;
        if (foreignCode)
            ::PostThreadMessageA(::GetCurrentThreadId(), WM_QUIT, foreignCode, 0);
        else
            app.Terminate();
        app.Run(); // returns only when the quit message was taken
        EXPECT_TRUE(app.Terminated());
        EXPECT_EQ(app.ExitCode(), 0);
    }
}

TEST(MessageLoop, ExceptionInAHandlerIsReportedAndTheLoopGoesOn) {
    framework::TApplication app;
    int calls = 0;
    HWND captureHolder = nullptr;
    int cancelModes = 0;
    framework::THiddenWindow receiver([&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_APP) {
            ++calls;
            ::SetCapture(captureHolder);
            throw std::runtime_error("Resources exhausted");
        }
        if (m == WM_APP + 1) {
            ::SetCapture(captureHolder);
            throw framework::EAbort("silent");
        }
        if (m == WM_APP + 2)
            app.Terminate();
        return ::DefWindowProcA(w, m, wp, lp);
    });
    framework::THiddenWindow holder([&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        // Disabling a window sends it WM_CANCELMODE too: count only those that end the capture.
        if (m == WM_CANCELMODE && ::GetCapture() == w)
            ++cancelModes;
        return ::DefWindowProcA(w, m, wp, lp);
    });
    captureHolder = holder.Handle();
    ::ShowWindow(holder.Handle(), SW_SHOWNA); // a visible window of the program

    std::vector<bool> otherWindowEnabled;
    testsupport::MessageBoxWatcher watcher(0, IDOK, [&](HWND) {
        otherWindowEnabled.push_back(::IsWindowEnabled(holder.Handle()) != FALSE);
    });
    ::PostMessageA(receiver.Handle(), WM_APP, 0, 0);
    // The later messages go in once the box is answered (a quit message would end the box's own
    // loop at once).
    std::thread later([&] {
        watcher.Wait();
        ::PostMessageA(receiver.Handle(), WM_APP + 1, 0, 0);
        ::PostMessageA(receiver.Handle(), WM_APP + 2, 0, 0);
    });
    app.Run();
    later.join();

    auto seen = watcher.Wait();
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.text, "Resources exhausted.");
    EXPECT_EQ(seen.caption, app.Title());
    EXPECT_TRUE(seen.hasErrorIcon);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(cancelModes, 2) << "the window holding the capture is sent WM_CANCELMODE, for the "
                                 "silent kind too";
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(watcher.Count(), 1) << "the silent kind shows nothing";
    EXPECT_EQ(otherWindowEnabled, std::vector<bool>{false}) << "other windows are disabled";
    EXPECT_TRUE(::IsWindowEnabled(holder.Handle())) << "and enabled again afterwards";
    EXPECT_TRUE(app.Terminated()) << "the loop went on to the later messages";
}

TEST(MessageLoop, ACaptureHolderThatFailsOnCancelModeIsToldOnceAndLosesTheCapture) {
    int cancels = 0;
    framework::THiddenWindow holder([&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CANCELMODE && ++cancels < 10)
            throw framework::EAbort("the holder fails too");
        return ::DefWindowProcA(w, m, wp, lp);
    });
    ::SetCapture(holder.Handle());
    ASSERT_EQ(::GetCapture(), holder.Handle());
    try {
        throw framework::EAbort("silent");
    } catch (...) {
        framework::HandleException();
    }
    EXPECT_EQ(cancels, 1) << "the nested report must not cancel again";
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST(StartupError, TextNamesClassModuleOffsetAndMessage) {
    try {
        throw framework::EDefinitionError("Resource TMainForm not found");
    } catch (const std::exception& e) {
        std::string text = framework::StartupErrorText(e);
        EXPECT_EQ(text.rfind(
                      "Exception EDefinitionError in module framework_ApplicationTests.exe at ", 0),
                  0u)
            << text;
        EXPECT_NE(text.find(".\r\nResource TMainForm not found.\r\n"), std::string::npos) << text;
        // The address is the offset of the raising code within the module, in hex.
        auto at = text.find(" at ") + 4;
        auto offset = std::stoull(text.substr(at, text.find('.', at) - at), nullptr, 16);
        EXPECT_GT(offset, 0u);
        EXPECT_LT(offset, 64u * 1024 * 1024);
    }
    try {
        throw std::runtime_error("Done.");
    } catch (const std::exception& e) {
        std::string text = framework::StartupErrorText(e);
        EXPECT_NE(text.find("Exception std::runtime_error in module "), std::string::npos) << text;
        EXPECT_NE(text.find("\r\nDone.\r\n"), std::string::npos) << "no second full stop";
    }
}

} // namespace
