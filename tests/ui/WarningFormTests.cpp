// test-lock: theme
// test-lock: input
// The confirmation dialog: built as its tables describe it, its labels on the white of the dialog
// and of its box with the visual style on and off, and its answers to real clicks and keys.
#include "controls/cxButtons.h"
#include "controls/cxGroupBox.h"
#include "framework/Application.h"
#include "lookandfeel/cxLookAndFeels.h"
#include "tests/support/DibSurface.h"
#include "tests/support/Input.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestForm.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"
#include "ui/WarningFormUnit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using framework::TWinControl;
using testsupport::DibSurface;
using ui::WarningForm;

class WarningFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::RegisterWindowClasses(true); }
    void SetUp() override {
        lookandfeel::InitializeLookAndFeel();
        // As at start-up: the main window first, the dialog right after it.
        application->CreateForm(main);
        application->CreateForm(WarningForm);
        ::SetWindowPos(main->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        main->Show();
        ::ShowWindow(application->Handle(), SW_SHOWNOACTIVATE);
    }
    void TearDown() override {
        application.reset();
        WarningForm = nullptr;
        lookandfeel::FinalizeLookAndFeel();
    }
    static int Scale(int pixels) { return ::MulDiv(pixels, framework::FormDpi(), 96); }
    void ExpectBuiltAsTheTablesDescribe();
    static TWinControl& Control(const char* name) {
        return dynamic_cast<TWinControl&>(*WarningForm->FindComponent(name));
    }
    static void Pump(int ms) {
        testsupport::PumpUntil([] { return false; }, ms);
    }

    testsupport::ScopedThemeServices services;
    std::unique_ptr<framework::TApplication> application =
        std::make_unique<framework::TApplication>();
    testsupport::TTestFormBase* main = nullptr;
};

/// The same dialog on a screen of 144 pixels per inch: every place, size and font scaled by 1.5.
class WarningFormAt144Dpi : public WarningFormTest {
protected:
    WarningFormAt144Dpi() { EXPECT_EQ(Scale(292), 438); }
    framework::ScopedFormDpi dpi{144};
};

TEST_F(WarningFormTest, TheDialogIsBuiltAsItsTablesDescribeIt) {
    ExpectBuiltAsTheTablesDescribe();
}

TEST_F(WarningFormAt144Dpi, TheDialogScalesItsTablesByTheScreensPixelsPerInch) {
    ExpectBuiltAsTheTablesDescribe();
}

void WarningFormTest::ExpectBuiltAsTheTablesDescribe() {
    ASSERT_NE(WarningForm, nullptr);
    EXPECT_EQ(application->MainForm(), main);
    HWND w = WarningForm->Handle();
    EXPECT_EQ(testsupport::WindowText(w), " ");
    RECT client;
    ::GetClientRect(w, &client);
    EXPECT_EQ(client.right, Scale(292));
    EXPECT_EQ(client.bottom, Scale(160));
    const LONG style = ::GetWindowLongA(w, GWL_STYLE), ex = ::GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_FALSE(::IsWindowVisible(w)) << "created hidden";
    EXPECT_EQ(::GetWindow(w, GW_OWNER), application->Handle());
    EXPECT_EQ(WarningForm->Color(), framework::clWhite);
    const framework::TFont& formFont = WarningForm->Font();
    EXPECT_EQ(formFont.Name(), "MS Sans Serif");
    EXPECT_EQ(formFont.Height(), Scale(-11));
    EXPECT_EQ(formFont.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(formFont.Color(), framework::clWindowText);
    EXPECT_TRUE(formFont.Style().Empty());

    struct Row {
        const char* name;
        const char* parent;
        int left, top, width, height;
        const char* caption;
        const char* font;
        framework::TColor color;
        bool bold;
    };
    const Row rows[] = {
        {"cxButton2", "WarningForm", 74, 125, 73, 27, "Yes", "MS Sans Serif",
         framework::clWindowText, false},
        {"cxButton1", "WarningForm", 154, 125, 73, 27, "No", "MS Sans Serif",
         framework::clWindowText, false},
        {"cxGroupBox1", "WarningForm", 9, 5, 273, 113, "", "MS Sans Serif", framework::clWindowText,
         false},
        {"Label1", "cxGroupBox1", 8, 16, 257, 33,
         "Are you sure you want to remove this from the windows 'Add/Remove' programs list?",
         "Verdana", framework::clWindowText, false},
        {"Label2", "cxGroupBox1", 40, 67, 194, 33,
         "This action is permanent and cannot be reversed.", "Verdana", framework::clRed, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TWinControl& c = Control(r.name);
        EXPECT_EQ(c.Parent()->Name(), r.parent);
        RECT placed;
        ::GetWindowRect(c.Handle(), &placed);
        ::MapWindowPoints(nullptr, c.Parent()->Handle(), reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, Scale(r.left));
        EXPECT_EQ(placed.top, Scale(r.top));
        EXPECT_EQ(placed.right - placed.left, Scale(r.width));
        EXPECT_EQ(placed.bottom - placed.top, Scale(r.height));
        EXPECT_EQ(c.Caption(), r.caption);
        EXPECT_EQ(c.Font().Name(), r.font);
        EXPECT_EQ(c.Font().Height(), Scale(-11));
        EXPECT_EQ(c.Font().Color(), r.color);
        EXPECT_EQ(c.Font().Style().Contains(framework::fsBold), r.bold);
    }
    EXPECT_EQ(WarningForm->cxButton2, &Control("cxButton2"));
    EXPECT_EQ(WarningForm->Label2, &Control("Label2"));

    // Tab order: Yes, No, and round again; the box and the labels take no focus.
    HWND yes = WarningForm->cxButton2->Handle(), no = WarningForm->cxButton1->Handle();
    EXPECT_EQ(::GetNextDlgTabItem(w, nullptr, FALSE), yes);
    EXPECT_EQ(::GetNextDlgTabItem(w, yes, FALSE), no);
    EXPECT_EQ(::GetNextDlgTabItem(w, no, FALSE), yes);
    for (controls::TcxButton* button : {WarningForm->cxButton2, WarningForm->cxButton1}) {
        EXPECT_TRUE(button->LookAndFeel().NativeStyle());
        EXPECT_FALSE(button->Default());
        EXPECT_FALSE(button->Cancel());
        EXPECT_EQ(button->ModalResult(), 0) << "the click handlers give the answer";
    }
    EXPECT_EQ(WarningForm->Perform(DM_GETDEFID, 0, 0), 0) << "no default button";

    controls::TcxGroupBox& box = *WarningForm->cxGroupBox1;
    for (controls::TcxContainerStyle* s :
         {&box.Style(), &box.StyleDisabled(), &box.StyleFocused(), &box.StyleHot()})
        EXPECT_TRUE(s->LookAndFeel().NativeStyle());
    for (framework::TLabel* label : {WarningForm->Label1, WarningForm->Label2}) {
        EXPECT_FALSE(label->AutoSize());
        EXPECT_TRUE(label->WordWrap());
        EXPECT_EQ(label->Alignment(), framework::taCenter);
    }
}

TEST_F(WarningFormTest, TheLabelsShowTheWhiteOfTheBoxWithAndWithoutTheVisualStyle) {
    const COLORREF white = RGB(255, 255, 255);
    controls::TcxGroupBox& box = *WarningForm->cxGroupBox1;
    for (bool styled : {false, true}) {
        SCOPED_TRACE(styled ? "visual style on" : "visual style off");
        testsupport::ScopedVisualStyle style(styled);
        testsupport::PumpPendingMessages();
        box.ShortRefreshContainer();
        // The box as it paints itself, and each label as it paints itself over it.
        DibSurface boxImage(box.Width(), box.Height());
        ::SendMessageA(box.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(boxImage.dc()),
                       PRF_CLIENT);
        EXPECT_TRUE(boxImage.HasColor(box.Width() / 2, Scale(58), white)) << "between the labels";
        for (framework::TLabel* label : {WarningForm->Label1, WarningForm->Label2}) {
            SCOPED_TRACE(label->Name());
            DibSurface image(label->Width(), label->Height());
            ::SendMessageA(label->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image.dc()),
                           PRF_CLIENT);
            const int w = label->Width(), h = label->Height();
            EXPECT_EQ(image.CountColor(image.bounds(), ::GetSysColor(COLOR_BTNFACE)), 0);
            // Below the two lines of text and at the corners: the box's own pixels.
            for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w / 2, h - 1},
                            POINT{w - 1, h - 1}})
                EXPECT_TRUE(image.HasColor(p.x, p.y,
                                           boxImage.Rgb(label->Left() + p.x, label->Top() + p.y)));
            EXPECT_TRUE(image.AllHaveColor({0, h - 2, w, h}, white));
            RECT text = image.BoundsOfColor(framework::ColorToRGB(label->Font().Color()));
            EXPECT_GT(text.bottom - text.top, Scale(13)) << "two lines of text";
        }
    }
}

TEST_F(WarningFormTest, AnswersRealClicksAndEnterAndKeepsFocusAndPlaceBetweenShowings) {
    testsupport::ModalDriver driver;
    controls::TcxButton& yes = *WarningForm->cxButton2;
    controls::TcxButton& no = *WarningForm->cxButton1;
    std::vector<std::string> clicks;
    for (controls::TcxButton* button : {&yes, &no})
        button->OnClick = [&clicks, button, bound = button->OnClick](framework::TObject* sender) {
            clicks.push_back(button->Caption());
            bound(sender);
        };
    auto clickOn = [](TWinControl& c) { testsupport::ClickAt(testsupport::CentreOf(c.Handle())); };
    struct Showing {
        const char* what;
        HWND focusAtStart;
        std::function<void()> act;
        int result;
        std::vector<std::string> clicks;
    };
    const Showing showings[] = {
        {"Escape, then Enter on the first showing's Yes",
         yes.Handle(),
         [&] {
             testsupport::PressKeys({VK_ESCAPE});
             Pump(300);
             EXPECT_TRUE(WarningForm->Modal() && ::IsWindowVisible(WarningForm->Handle()))
                 << "Escape does nothing";
             testsupport::PressKeys({VK_RETURN});
         },
         1,
         {"Yes"}},
        {"a click on No", yes.Handle(), [&] { clickOn(no); }, 2, {"No"}},
        {"Enter on No, which kept the focus",
         no.Handle(),
         [&] { testsupport::PressKeys({VK_RETURN}); },
         2,
         {"No"}},
        {"a click on the main window, then on Yes",
         no.Handle(),
         [&] {
             clickOn(*main->Tree);
             Pump(300);
             EXPECT_EQ(::GetActiveWindow(), WarningForm->Handle());
             EXPECT_NE(::GetFocus(), main->Tree->Handle());
             clickOn(yes);
         },
         1,
         {"Yes"}},
        {"the close box",
         yes.Handle(),
         [&] { testsupport::ClickAt(testsupport::CloseBoxPoint(WarningForm->Handle())); },
         2,
         {}},
    };
    std::vector<RECT> places;
    for (const Showing& s : showings) {
        SCOPED_TRACE(s.what);
        clicks.clear();
        HWND focus = nullptr;
        RECT place{};
        int result = driver.ShowModal(*WarningForm, [&] {
            focus = ::GetFocus();
            ::GetWindowRect(WarningForm->Handle(), &place);
            // After the first showing the user has moved it, away from the main window.
            if (places.empty())
                ::SetWindowPos(WarningForm->Handle(), nullptr, 400, 300, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER);
            s.act();
        });
        places.push_back(place);
        EXPECT_EQ(result, s.result);
        EXPECT_EQ(focus, s.focusAtStart);
        EXPECT_EQ(clicks, s.clicks) << "one click per press";
        EXPECT_EQ(::GetActiveWindow(), main->Handle()) << "the main window is active again";
        EXPECT_TRUE(::IsWindowEnabled(main->Handle()));
    }
    const int w = places[0].right - places[0].left, h = places[0].bottom - places[0].top;
    EXPECT_EQ(places[0].left, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(places[0].top, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    for (size_t i = 1; i < places.size(); ++i) {
        EXPECT_EQ(places[i].left, 400);
        EXPECT_EQ(places[i].top, 300);
    }
}

// The dialog ends as the system's own dialogs do: the other windows are enabled before it hides.
// Hidden first, it would leave the program without an enabled window, and the system would give
// the foreground to another program (Wine does not, so the order itself is checked).
TEST_F(WarningFormTest, TheMainWindowIsEnabledAgainBeforeTheDialogHides) {
    struct Hiding {
        HWND main;
        std::vector<bool> mainEnabled; // at each moment the dialog is told it hides
    } hiding{main->Handle(), {}};
    const SUBCLASSPROC watch = [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR,
                                  DWORD_PTR data) -> LRESULT {
        auto& h = *reinterpret_cast<Hiding*>(data);
        if ((m == WM_WINDOWPOSCHANGING &&
             (reinterpret_cast<const WINDOWPOS*>(lp)->flags & SWP_HIDEWINDOW)) ||
            (m == WM_SHOWWINDOW && !wp))
            h.mainEnabled.push_back(::IsWindowEnabled(h.main) != 0);
        return ::DefSubclassProc(w, m, wp, lp);
    };
    ASSERT_TRUE(
        ::SetWindowSubclass(WarningForm->Handle(), watch, 1, reinterpret_cast<DWORD_PTR>(&hiding)));
    struct Unwatch {
        HWND dialog;
        SUBCLASSPROC proc;
        ~Unwatch() { ::RemoveWindowSubclass(dialog, proc, 1); }
    } unwatch{WarningForm->Handle(), watch};
    testsupport::ModalDriver driver;
    auto clickOn = [](TWinControl& c) { testsupport::ClickAt(testsupport::CentreOf(c.Handle())); };
    struct Way {
        const char* what;
        std::function<void()> act;
        int result;
    };
    const Way ways[] = {
        {"Yes", [&] { clickOn(*WarningForm->cxButton2); }, 1},
        {"No", [&] { clickOn(*WarningForm->cxButton1); }, 2},
        {"the close box",
         [&] { testsupport::ClickAt(testsupport::CloseBoxPoint(WarningForm->Handle())); }, 2},
        {"the quit message", [] { ::PostQuitMessage(0); }, 2},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        hiding.mainEnabled.clear();
        EXPECT_EQ(driver.ShowModal(*WarningForm, way.act), way.result);
        EXPECT_FALSE(::IsWindowVisible(WarningForm->Handle()));
        ASSERT_FALSE(hiding.mainEnabled.empty()) << "the dialog was told it hides";
        EXPECT_EQ(hiding.mainEnabled, std::vector<bool>(hiding.mainEnabled.size(), true));
    }
}

} // namespace
