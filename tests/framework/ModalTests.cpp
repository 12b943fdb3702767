// test-lock: input
// Modal showing of forms: the result of every way of leaving, the refusals, what the rest of the
// program sees meanwhile (disabled windows, the mouse capture, the program-wide cursor, failure
// reports), focus and place across showings, and Enter and Escape from real key presses.
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "framework/HiddenWindow.h"
#include "framework/Screen.h"
#include "framework/StdCtrls.h"
#include "tests/support/Input.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestForm.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {

using testsupport::ModalDriver;
using testsupport::PumpUntil;
using testsupport::TTestFormBase;

/// A tool window with three buttons in tab order A, B, C: A answers 1, B answers 7, C nothing.
std::string ModalDefinition(const std::string& className, const std::string& position) {
    return "T" + className + " " + className +
           " {\n"
           "  Caption: \"Modal\"\n"
           "  BorderStyle: tool-window\n"
           "  BorderIcons: system-menu\n"
           "  ClientSize: 240 100\n"
           "  Position: " +
           position +
           "\n"
           "  TButton C {\n    Bounds: 170 60 60 25\n    TabOrder: 2\n  }\n"
           "  TButton B {\n    Bounds: 90 60 60 25\n    TabOrder: 1\n    ModalResult: 7\n  }\n"
           "  TButton A {\n    Bounds: 10 60 60 25\n    TabOrder: 0\n    ModalResult: 1\n  }\n"
           "}\n";
}

class ModalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::RegisterWindowClasses(); }
    void SetUp() override { form = Build("ModalForm", "screen-center"); }

    /// A form of the definition above, built; "designed" ones sit at the top left corner.
    std::unique_ptr<TTestFormBase> Build(const std::string& name, const std::string& position) {
        auto built = std::make_unique<TTestFormBase>(ModalDefinition(name, position), "T" + name);
        built->CreateFromDefinition();
        for (const char* button : {"A", "B", "C"})
            Button(*built, button).OnClick = [this, name, button](framework::TObject*) {
                ++clicks[name + "." + button];
            };
        return built;
    }
    static framework::TButton& Button(framework::TForm& f, const char* name) {
        return dynamic_cast<framework::TButton&>(*f.FindComponent(name));
    }
    framework::TButton& Button(const char* name) { return Button(*form, name); }
    static void Pump(int ms) {
        PumpUntil([] { return false; }, ms);
    }
    int ShowModal(std::function<void()> script) {
        return driver.ShowModal(*form, std::move(script));
    }

    framework::TApplication application;
    std::unique_ptr<TTestFormBase> form;
    std::map<std::string, int> clicks;
    ModalDriver driver;
};

TEST_F(ModalTest, EveryWayOfLeavingGivesItsResultAndHidesTheFormWithoutDestroyingIt) {
    struct Case {
        const char* action;
        std::function<void(TTestFormBase&)> act;
        int result;
    };
    auto clickOn = [](const char* button) {
        return [button](TTestFormBase& f) {
            testsupport::ClickAt(testsupport::CentreOf(Button(f, button).Handle()));
        };
    };
    const Case cases[] = {
        {"click on A", clickOn("A"), 1},
        {"click on B", clickOn("B"), 7},
        {"close box",
         [](TTestFormBase& f) { testsupport::ClickAt(testsupport::CloseBoxPoint(f.Handle())); },
         framework::mrCancel},
        {"Alt+F4",
         [](TTestFormBase&) {
             testsupport::PressKeys({VK_MENU, VK_F4});
         },
         framework::mrCancel},
        {"Close of the system menu",
         [](TTestFormBase& f) { ::PostMessageA(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
         framework::mrCancel},
        {"WM_CLOSE", [](TTestFormBase& f) { ::PostMessageA(f.Handle(), WM_CLOSE, 0, 0); },
         framework::mrCancel},
        {"a handler's result", [](TTestFormBase& f) { f.SetModalResult(-5); }, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        bool modalInside = false, shownInside = false;
        int result = ShowModal([&] {
            modalInside = form->Modal();
            shownInside =
                ::IsWindowVisible(form->Handle()) && ::GetActiveWindow() == form->Handle();
            c.act(*form);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_TRUE(modalInside);
        EXPECT_TRUE(shownInside) << "shown and active inside the loop";
        EXPECT_FALSE(form->Modal());
        EXPECT_FALSE(::IsWindowVisible(form->Handle()));
        EXPECT_TRUE(::IsWindow(form->Handle()));
        EXPECT_FALSE(application.Terminated());
    }
}

TEST_F(ModalTest, AQuitMessageEndsTheDialogWithCancelAndThenTheMainLoop) {
    int result = 0;
    framework::THiddenWindow starter([&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_APP)
            result = ShowModal([] { ::PostQuitMessage(0); });
        return ::DefWindowProcA(w, m, wp, lp);
    });
    ::PostMessageA(starter.Handle(), WM_APP, 0, 0);
    application.Run(); // returns only once the quit message was taken
    EXPECT_EQ(result, framework::mrCancel);
    EXPECT_TRUE(application.Terminated());
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
}

TEST_F(ModalTest, AFormThatIsVisibleDisabledOrModalAlreadyIsRefused) {
    auto expectRefused = [](framework::TForm& f) {
        try {
            f.ShowModal();
            ADD_FAILURE() << "shown modally";
        } catch (const framework::EInvalidOperation& e) {
            EXPECT_STREQ(e.what(), "Cannot make a visible window modal");
        }
    };
    form->Show();
    expectRefused(*form);
    EXPECT_FALSE(form->Modal());
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    form->Hide();

    form->SetEnabled(false);
    expectRefused(*form);
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    form->SetEnabled(true);

    int result = ShowModal([&] {
        expectRefused(*form);
        EXPECT_TRUE(form->Modal()) << "the refusal leaves the running showing alone";
        EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
        form->SetModalResult(3);
    });
    EXPECT_EQ(result, 3);
}

TEST(ModalWithoutApplication, IsRefused) {
    framework::RegisterStandardClasses();
    testsupport::TTestForm form;
    EXPECT_THROW(form.ShowModal(), framework::EInvalidOperation);
    EXPECT_FALSE(form.Modal());
    EXPECT_FALSE(::IsWindowVisible(form.Handle()));
}

TEST_F(ModalTest, TheOtherWindowsAreDisabledMeanwhileAndGivenBackAsTheyWere) {
    auto enabled = Build("EnabledForm", "designed");
    auto disabled = Build("DisabledForm", "designed");
    auto hidden = Build("HiddenForm", "designed");
    enabled->Show();
    disabled->Show();
    disabled->SetEnabled(false);
    // Side by side, so that a click on the one does not land on the other.
    ::SetWindowPos(disabled->Handle(), nullptr, 0, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // The application window as the main loop shows it: visible, of no size.
    ::ShowWindow(application.Handle(), SW_SHOWNOACTIVATE);
    const std::map<std::string, HWND> windows = {{"enabled form", enabled->Handle()},
                                                 {"disabled form", disabled->Handle()},
                                                 {"hidden form", hidden->Handle()},
                                                 {"application", application.Handle()},
                                                 {"modal form", form->Handle()}};
    auto states = [&] {
        std::map<std::string, bool> s;
        for (const auto& [name, window] : windows)
            s[name] = ::IsWindowEnabled(window) != FALSE;
        return s;
    };
    std::map<std::string, bool> during;
    int result = ShowModal([&] {
        during = states();
        // A real click on the other form's button does nothing.
        testsupport::ClickAt(testsupport::CentreOf(Button(*enabled, "C").Handle()));
        Pump(300);
        form->SetModalResult(1);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(during, (std::map<std::string, bool>{{"enabled form", false},
                                                   {"disabled form", false},
                                                   {"hidden form", true},
                                                   {"application", false},
                                                   {"modal form", true}}));
    EXPECT_EQ(clicks["EnabledForm.C"], 0);
    EXPECT_EQ(states(), (std::map<std::string, bool>{{"enabled form", true},
                                                     {"disabled form", false},
                                                     {"hidden form", true},
                                                     {"application", true},
                                                     {"modal form", true}}));
}

TEST_F(ModalTest, TheCaptureEndsAndTheProgramWideCursorIsLiftedForTheTimeOfTheDialog) {
    int cancelModes = 0;
    framework::THiddenWindow holder([&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CANCELMODE && ::GetCapture() == w)
            ++cancelModes;
        return ::DefWindowProcA(w, m, wp, lp);
    });
    ::SetCapture(holder.Handle());
    const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
    framework::Screen().SetCursor(wait);
    struct ResetCursor {
        ~ResetCursor() { framework::Screen().SetCursor(nullptr); }
    } reset;
    // What a control shows when asked for its cursor over its client area.
    HWND control = Button("A").Handle();
    auto shownOverControl = [control] {
        ::SetCursor(nullptr);
        ::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    EXPECT_EQ(shownOverControl(), wait) << "the override wins over the control's own cursor";

    HWND captureInside = control;
    HCURSOR overrideInside = wait, shownInside = wait;
    ShowModal([&] {
        captureInside = ::GetCapture();
        overrideInside = framework::Screen().Cursor();
        shownInside = shownOverControl();
        form->SetModalResult(1);
    });
    EXPECT_EQ(captureInside, nullptr);
    EXPECT_EQ(cancelModes, 1);
    EXPECT_EQ(overrideInside, nullptr);
    EXPECT_NE(shownInside, wait);
    EXPECT_EQ(framework::Screen().Cursor(), wait) << "put back afterwards";
    EXPECT_EQ(shownOverControl(), wait);
}

TEST_F(ModalTest, AFailingHandlerIsReportedAndTheDialogStaysOpenAndModal) {
    ::ShowWindow(application.Handle(), SW_SHOWNOACTIVATE);
    testsupport::MessageBoxWatcher watcher;
    Button("C").OnClick = [](framework::TObject*) { throw framework::Exception("Click failed"); };
    bool stillModal = false, formEnabled = false, applicationEnabled = true;
    int result = ShowModal([&] {
        testsupport::ClickAt(testsupport::CentreOf(Button("C").Handle()));
        PumpUntil([&] { return watcher.Count() == 1; }, 10000);
        Pump(200);
        stillModal = form->Modal() && ::IsWindowVisible(form->Handle()) &&
                     form->ModalResult() == framework::mrNone;
        formEnabled = ::IsWindowEnabled(form->Handle()) != FALSE;
        // The box disabled its owner and enabled it again: the dialog keeps it disabled.
        applicationEnabled = ::IsWindowEnabled(application.Handle()) != FALSE;
        testsupport::ClickAt(testsupport::CentreOf(Button("A").Handle()));
    });
    EXPECT_EQ(watcher.Wait().text, "Click failed.");
    EXPECT_TRUE(stillModal);
    EXPECT_TRUE(formEnabled);
    EXPECT_FALSE(applicationEnabled);
    EXPECT_EQ(result, 1) << "the dialog still answers";
    EXPECT_TRUE(::IsWindowEnabled(application.Handle()));
}

TEST_F(ModalTest, TheActiveWindowAndItsFocusedControlComeBackAfterwards) {
    // A form, and a plain window of the system that does not note its focused child itself.
    auto owner = Build("OwnerForm", "designed");
    framework::THiddenWindow plain(
        [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return ::DefWindowProcA(w, m, wp, lp); });
    HWND plainChild = ::CreateWindowExA(0, "BUTTON", "x", WS_CHILD | WS_VISIBLE, 0, 0, 40, 20,
                                        plain.Handle(), nullptr, nullptr, nullptr);
    struct Case {
        const char* window;
        HWND active, focus;
    };
    for (const Case& c : {Case{"form", owner->Handle(), Button(*owner, "B").Handle()},
                          Case{"plain window", plain.Handle(), plainChild}}) {
        SCOPED_TRACE(c.window);
        ::SetWindowPos(c.active, HWND_TOP, 0, 0, 200, 100, SWP_SHOWWINDOW);
        ::SetActiveWindow(c.active);
        ::SetFocus(c.focus); // not the first control of the form
        ASSERT_EQ(::GetActiveWindow(), c.active);
        ShowModal([&] { testsupport::ClickAt(testsupport::CentreOf(Button("A").Handle())); });
        // The display's own notices of the hidden dialog may come in a little later.
        PumpUntil([&] { return ::GetActiveWindow() == c.active && ::GetFocus() == c.focus; }, 2000);
        EXPECT_EQ(::GetActiveWindow(), c.active);
        EXPECT_EQ(::GetFocus(), c.focus);
        ::ShowWindow(c.active, SW_HIDE);
    }
}

TEST_F(ModalTest, FirstShowingCentresAndFocusesTheFirstControlLaterOnesKeepPlaceAndFocus) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    struct Seen {
        HWND focus;
        RECT place;
    };
    auto seenNow = [this] {
        Seen s{::GetFocus(), {}};
        ::GetWindowRect(form->Handle(), &s.place);
        return s;
    };
    Seen first{}, second{}, third{};
    // First showing: centred, A focused; the user moves the dialog and answers with B.
    ShowModal([&] {
        first = seenNow();
        ::SetWindowPos(form->Handle(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        testsupport::ClickAt(testsupport::CentreOf(Button("B").Handle()));
    });
    ShowModal([&] {
        second = seenNow();
        ::SetFocus(Button("C").Handle());
        form->SetModalResult(1); // not by a click: the focus stays on C
    });
    ShowModal([&] {
        third = seenNow();
        form->SetModalResult(1);
    });
    const int fw = first.place.right - first.place.left, fh = first.place.bottom - first.place.top;
    EXPECT_EQ(first.place.left, (w - fw) / 2);
    EXPECT_EQ(first.place.top, (h - fh) / 2);
    EXPECT_EQ(first.focus, Button("A").Handle());
    EXPECT_EQ(second.place.left, 30);
    EXPECT_EQ(second.place.top, 40);
    EXPECT_EQ(second.focus, Button("B").Handle()) << "the button last clicked keeps the focus";
    EXPECT_EQ(third.place.left, 30);
    EXPECT_EQ(third.focus, Button("C").Handle());
}

TEST_F(ModalTest, EnterPressesTheFocusedButtonOnceAndEscapeDoesNothing) {
    bool openAfterEscape = false;
    int clicksOfCAfterEnter = 0;
    int result = ShowModal([&] {
        ::SetFocus(Button("C").Handle());
        testsupport::PressKeys({VK_RETURN});
        Pump(300);
        clicksOfCAfterEnter = clicks["ModalForm.C"];
        testsupport::PressKeys({VK_ESCAPE});
        Pump(300);
        openAfterEscape = form->Modal() && form->ModalResult() == framework::mrNone &&
                          ::IsWindowVisible(form->Handle());
        ::SetFocus(Button("B").Handle());
        testsupport::PressKeys({VK_RETURN});
    });
    EXPECT_EQ(clicksOfCAfterEnter, 1);
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(clicks, (std::map<std::string, int>{{"ModalForm.B", 1}, {"ModalForm.C", 1}}));
}

} // namespace
