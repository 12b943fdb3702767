// test-lock: input
// Shows and activates windows of its own, which would take the keyboard from tests that type.
#include "framework/Application.h"
#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"
#include "framework/HiddenWindow.h"
#include "framework/Timers.h"
#include "tests/support/MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

TEST(ApplicationTitle, IsTheFileNameCutAtItsFirstDotWithTheRestInLowerCase) {
    EXPECT_EQ(framework::TitleFromExePath("C:\\Program Files\\SWEEP.EXE"), "Sweep");
    EXPECT_EQ(framework::TitleFromExePath("D:\\tools\\tool.new.exe"), "tool");
    EXPECT_EQ(framework::TitleFromExePath("C:\\a.b\\noext"), "noext");
    EXPECT_EQ(framework::TitleFromExePath("ordanel.exe"), "ordanel");
    EXPECT_EQ(framework::TitleFromExePath("C:\\x\\.hidden.exe"), "");
    // From the second character, not the second byte (the tests run under UTF-8, as the program).
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8));
    for (auto [file, title] :
         {std::pair{"\xC3\x96lwerk.exe", "\xC3\x96lwerk"},
          std::pair{"\xC3\x89"
                    "COLE.tool.exe",
                    "\xC3\x89"
                    "cole"},
          std::pair{"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB.exe",
                    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB"},
          std::pair{"C:\\\xC3\x96L\\\xF0\x9D\x90\x80"
                    "ABC.exe",
                    "\xF0\x9D\x90\x80"
                    "abc"},
          std::pair{"ORDANEL.EXE", "Ordanel"}})
        EXPECT_EQ(framework::TitleFromExePath(file), title) << file;
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

TEST(MessageLoop, FiltersSeeAMessageInTurnBeforeItIsDispatchedAndTheFirstThatHandlesItKeepsIt) {
    framework::TApplication app;
    std::string log;
    framework::THiddenWindow receiver([&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_APP)
            log += "dispatched";
        return ::DefWindowProcA(w, m, wp, lp);
    });
    struct Filter final : framework::TMessageFilter {
        Filter(std::string& log, char name) : log(log), name(name) {}
        bool PreTranslateMessage(MSG& message) override {
            if (message.message != WM_APP)
                return false;
            log += name;
            if (during)
                during();
            return handles;
        }
        std::string& log;
        char name;
        bool handles = false;
        std::function<void()> during;
    };
    Filter a(log, 'a'), b(log, 'b'), c(log, 'c');
    const struct {
        bool bHandles, bRemovesC;
        const char* seen;
    } cases[] = {
        {false, false, "abcdispatched"},
        {true, false, "ab"},
        {false, true, "abdispatched"}, // a filter removed while another runs is not asked
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.seen);
        for (Filter* filter : {&a, &b, &b, &c}) // b twice: asked once
            app.AddMessageFilter(*filter);
        b.handles = row.bHandles;
        b.during = row.bRemovesC ? std::function<void()>([&] { app.RemoveMessageFilter(c); })
                                 : std::function<void()>();
        log.clear();
        ::PostMessageA(receiver.Handle(), WM_APP, 0, 0);
        app.ProcessMessages();
        EXPECT_EQ(log, row.seen);
        for (Filter* filter : {&a, &b, &c})
            app.RemoveMessageFilter(*filter);
    }
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

TEST(Timers, RunOnOneMessageOnlyWindowAndAreNeverCalledOnceStoppedOrGone) {
    framework::TApplication app;
    auto first = std::make_unique<framework::TTimer>();
    framework::TTimer second, stopped;
    HWND window = framework::TTimer::TimerWindow();
    // Message-only: no broadcast reaches it, and it is no top-level window.
    EXPECT_EQ(::FindWindowExA(HWND_MESSAGE, nullptr, "OrdanelTimerWindow", nullptr), window);
    bool topLevel = false;
    ::EnumWindows(
        [](HWND w, LPARAM found) -> BOOL {
            if (w == framework::TTimer::TimerWindow())
                *reinterpret_cast<bool*>(found) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&topLevel));
    EXPECT_FALSE(topLevel);
    EXPECT_NE(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());

    int firstTicks = 0, secondTicks = 0, stoppedTicks = 0;
    first->SetInterval(10);
    second.SetInterval(10);
    stopped.SetEnabled(false);
    first->OnTimer = [&](framework::TObject* sender) {
        EXPECT_EQ(sender, first.get());
        ++firstTicks;
    };
    second.OnTimer = [&](framework::TObject*) {
        if (++secondTicks == 2)
            throw framework::Exception("Tick failed");
        if (secondTicks == 4)
            first.reset(); // destroyed by another timer's tick
    };
    stopped.OnTimer = [&](framework::TObject*) { ++stoppedTicks; };
    testsupport::MessageBoxWatcher watcher;
    for (DWORD start = ::GetTickCount(); secondTicks < 8 && ::GetTickCount() - start < 10000;)
        app.HandleMessage();
    EXPECT_GE(secondTicks, 8) << "the failing tick was reported and the timer went on";
    EXPECT_EQ(watcher.Wait().text, "Tick failed.");
    EXPECT_GE(firstTicks, 1);
    // Queued ticks for every id (the destroyed and the disabled timer's among them) reach only
    // the running timer.
    int firstBefore = firstTicks, secondBefore = secondTicks;
    for (WPARAM id = 1; id < 256; ++id)
        ::PostMessageA(window, WM_TIMER, id, 0);
    second.SetEnabled(false);
    app.ProcessMessages();
    EXPECT_EQ(firstTicks, firstBefore);
    EXPECT_EQ(secondTicks, secondBefore);
    EXPECT_EQ(stoppedTicks, 0);
    second.SetInterval(100000); // runs, but its own ticks stay away
    second.SetEnabled(true);
    for (WPARAM id = 1; id < 256; ++id)
        ::PostMessageA(window, WM_TIMER, id, 0);
    app.ProcessMessages();
    EXPECT_EQ(secondTicks, secondBefore + 1);
}

TEST(Timers, TheWindowGoesWithTheLastTimer) {
    HWND window = nullptr;
    {
        framework::TTimer a;
        {
            framework::TTimer b;
            window = framework::TTimer::TimerWindow();
        }
        EXPECT_EQ(framework::TTimer::TimerWindow(), window);
    }
    EXPECT_EQ(framework::TTimer::TimerWindow(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
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
