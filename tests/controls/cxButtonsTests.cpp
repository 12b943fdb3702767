// test-lock: input
// test-lock: theme
// The skinned push button in real windows driven by real input: hot tracking (the framework's
// leave and the tracking timer's), pressed look and clicks, disabled, double click, keys, the
// drop-down menu's position, context menu and shortcuts, window recreation, pixels of the
// ultra-flat, themed and Office 11 paths, the glyph and colour settings, and window definitions.
#include "controls/cxButtons.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Timers.h"
#include "lookandfeel/cxLookAndFeels.h"
#include "tests/support/Input.h"
#include "tests/support/DibSurface.h"
#include "tests/support/MessageSequence.h"
#include "tests/support/TestForm.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using namespace controls;
using namespace lookandfeel;
using framework::CM_MOUSELEAVE;
using testsupport::DibSurface;
using testsupport::MessageRecorder;

COLORREF Rgb(framework::TColor c) {
    return framework::ColorToRGB(c);
}

/// The smallest rectangle of the pixels of color inside area.
RECT BoundsIn(const DibSurface& dib, const RECT& area, COLORREF color) {
    RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (dib.Rgb(x, y) == color)
                r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y),
                     std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
    return r.left == INT_MAX ? RECT{} : r;
}

class ButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        framework::RegisterStandardClasses();
        RegisterButtonClasses();
        ::InitCommonControls();
    }
    void SetUp() override {
        InitializeLookAndFeel();
        form = std::make_unique<testsupport::TTestForm>();
        form->Show();
        form->Tree->SetBounds(10, 10, 100, 150); // the buttons go right of it
        MoveForm(::GetSystemMetrics(SM_CXSCREEN) - 340, 40);
    }
    void TearDown() override {
        owned.clear();
        form.reset();
        FinalizeLookAndFeel();
    }
    void MoveForm(int x, int y) {
        ::SetWindowPos(form->Handle(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
        application.ProcessMessages();
    }
    TcxButton& AddButton(int x = 210, int y = 10, int w = 80, int h = 25,
                         const char* caption = "&Remove") {
        auto button = std::make_unique<TcxButton>();
        button->SetParent(form.get());
        button->SetBounds(x, y, w, h);
        button->SetCaption(caption);
        button->CreateHandle();
        TcxButton& ref = *button;
        ref.OnClick = [this](framework::TObject*) { ++clicks; };
        owned.push_back(std::move(button));
        return ref;
    }
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        return testsupport::PumpUntil(done, timeoutMs);
    }
    void Pump(int ms) {
        PumpUntil([] { return false; }, ms);
    }
    static POINT ScreenPoint(framework::TWinControl& c, int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(c.Handle(), &p);
        return p;
    }
    static POINT Centre(framework::TWinControl& c) {
        return ScreenPoint(c, c.Width() / 2, c.Height() / 2);
    }
    POINT Away() const {
        RECT r;
        ::GetWindowRect(form->Handle(), &r);
        return {r.left - 30, r.bottom + 30};
    }
    static void MouseTo(POINT p, DWORD buttons = 0) { testsupport::MouseTo(p, buttons); }
    static void Keys(std::initializer_list<WORD> down) { testsupport::PressKeys(down); }
    static constexpr DWORD kClick = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;

    testsupport::ScopedThemeServices themes;
    framework::TApplication application;
    std::unique_ptr<testsupport::TTestForm> form;
    std::vector<std::unique_ptr<framework::TComponent>> owned;
    int clicks = 0;
};

/// Watches for the popup menu window while a menu's own loop runs (it dispatches timers),
/// records where it opened, then closes it with action (EndMenu unless given).
class MenuWatcher {
public:
    explicit MenuWatcher(std::function<void()> action = [] { ::EndMenu(); })
        : action_(std::move(action)) {
        timer_.SetInterval(20);
        timer_.OnTimer = [this](framework::TObject*) {
            HWND menu = ::FindWindowA("#32768", nullptr);
            if (!menu || !::IsWindowVisible(menu) || seen)
                return;
            seen = true;
            ::GetWindowRect(menu, &rect);
            action_();
        };
    }
    bool seen = false;
    RECT rect{};

private:
    std::function<void()> action_;
    framework::TTimer timer_;
};

// --- Hot tracking, pressing and clicking -------------------------------------------------------

TEST_F(ButtonTest, HotWhileTheCursorIsOverItAlsoWhenOnlyTheTrackingTimerSeesTheLeave) {
    for (bool frameworkLeave : {true, false}) {
        SCOPED_TRACE(frameworkLeave ? "framework's leave" : "tracking timer only");
        owned.clear();
        auto& button = AddButton();
        MouseTo(Away());
        Pump(50);
        MouseTo(Centre(button));
        ASSERT_TRUE(PumpUntil([&] { return button.MouseInside(); }));
        EXPECT_EQ(button.DrawState(), cxbsHot);
        EXPECT_TRUE(IsMouseTracking(&button));
        {
            MessageRecorder paints({form->Handle(), button.Handle()}, {WM_DRAWITEM, WM_PAINT});
            for (int dx : {-20, -10, 10, 20}) {
                MouseTo({Centre(button).x + dx, Centre(button).y});
                Pump(20);
            }
            EXPECT_EQ(paints.Count(0, WM_DRAWITEM), 0)
                << "moves inside a hot button repaint nothing";
            EXPECT_EQ(paints.Count(1, WM_PAINT), 0) << "not even through WM_PAINT";
        }
        MessageRecorder log({button.Handle()}, {CM_MOUSELEAVE});
        if (!frameworkLeave) {
            TRACKMOUSEEVENT cancel{sizeof cancel, TME_LEAVE | TME_CANCEL, button.Handle(), 0};
            ::TrackMouseEvent(&cancel);
        }
        MouseTo(Away());
        ASSERT_TRUE(PumpUntil([&] { return !button.MouseInside(); }));
        EXPECT_EQ(button.DrawState(), cxbsNormal);
        EXPECT_FALSE(IsMouseTracking(&button));
        EXPECT_GE(log.Count(0, CM_MOUSELEAVE), 1);
    }
}

TEST_F(ButtonTest, PressedWhileHeldClicksOnReleaseInsideOnly) {
    auto& button = AddButton();
    MouseTo(Centre(button), MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return button.PressedLook(); }));
    EXPECT_EQ(button.DrawState(), cxbsPressed);
    MouseTo(Centre(button), MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1 && !button.PressedLook(); }));

    MouseTo(Centre(button), MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return button.PressedLook(); }));
    MouseTo(Away());
    ASSERT_TRUE(PumpUntil([&] { return !button.PressedLook(); })) << "released look outside";
    MouseTo(Away(), MOUSEEVENTF_LEFTUP);
    Pump(100);
    EXPECT_EQ(clicks, 1) << "no click on a release outside";
}

TEST_F(ButtonTest, DoubleClickIsASecondPress) {
    auto& button = AddButton();
    MouseTo(Centre(button), kClick);
    MouseTo(Centre(button), kClick);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 2; })) << clicks;
}

TEST_F(ButtonTest, SpaceEnterAndTheAcceleratorClick) {
    auto& button = AddButton();
    ::SetFocus(button.Handle());
    Pump(30);
    Keys({VK_SPACE});
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
    Keys({VK_RETURN});
    EXPECT_TRUE(PumpUntil([&] { return clicks == 2; }));
    ::SetFocus(form->Tree->Handle());
    Keys({VK_MENU, 'R'});
    EXPECT_TRUE(PumpUntil([&] { return clicks == 3; })) << "Alt+R, the caption's accelerator";
}

TEST_F(ButtonTest, ADisabledButtonNeverBecomesHotAndDrawsItsCaptionEmbossed) {
    auto& button = AddButton(210, 10, 80, 25, "WWWW");
    button.SetEnabled(false);
    MouseTo(Away());
    Pump(30);
    MouseTo(Centre(button));
    Pump(150);
    EXPECT_FALSE(button.MouseInside());
    EXPECT_EQ(button.DrawState(), cxbsDisabled);
    EXPECT_FALSE(IsMouseTracking(&button));
    DibSurface dib(80, 25);
    ::SendMessageA(button.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    // The caption in shadow and a highlight copy one pixel right and down (the frame is in
    // shadow too: look inside it).
    const RECT shadow = BoundsIn(dib, {2, 2, 78, 23}, Rgb(framework::clBtnShadow));
    const RECT light = BoundsIn(dib, {2, 2, 78, 23}, Rgb(framework::clBtnHighlight));
    ASSERT_FALSE(::IsRectEmpty(&shadow));
    EXPECT_EQ(light.left, shadow.left + 1);
    EXPECT_EQ(light.top, shadow.top + 1);
    EXPECT_EQ(light.right, shadow.right + 1);
}

// --- Drop-down kinds, context menu and shortcuts ------------------------------------------------

TEST_F(ButtonTest, DropDownOpensItsMenuBelowOrAboveNearTheBottomOfTheWorkArea) {
    auto& menu = *new framework::TPopupMenu;
    owned.emplace_back(&menu);
    int chosen = 0;
    menu.Add("&First", [&](framework::TObject*) { ++chosen; });
    menu.Add("Second");
    menu.Add("Third");
    auto& button = AddButton();
    button.SetKind(cxbkDropDown);
    button.SetDropDownMenu(&menu);
    framework::TPopupAlignment seenAlignment = framework::paCenter;
    menu.OnPopup = [&](framework::TObject*) { seenAlignment = menu.Alignment(); };
    const RECT work = GetWorkArea(Centre(button));
    struct Case {
        const char* name;
        bool nearBottom;
    };
    for (Case c : {Case{"below", false}, Case{"flipped above", true}}) {
        SCOPED_TRACE(c.name);
        RECT formRect;
        ::GetWindowRect(form->Handle(), &formRect);
        if (c.nearBottom) // the button's bottom 20 pixels above the work area's end
            MoveForm(formRect.left,
                     work.bottom - 20 - (ScreenPoint(button, 0, 25).y - formRect.top));
        MenuWatcher watcher;
        MouseTo(Centre(button), kClick);
        ASSERT_TRUE(PumpUntil([&] { return watcher.seen; }));
        ASSERT_TRUE(PumpUntil([&] { return !button.MenuShown(); }));
        POINT expected = ScreenPoint(button, 0, button.Height());
        if (c.nearBottom)
            expected.y -= GetMenuHeight(&menu) + button.Height() + 2;
        EXPECT_EQ(watcher.rect.left, expected.x);
        EXPECT_EQ(watcher.rect.top, expected.y);
        EXPECT_EQ(seenAlignment, framework::paLeft);
        EXPECT_EQ(menu.Alignment(), framework::paLeft) << "restored";
        EXPECT_FALSE(button.SuppressPressed());
        EXPECT_EQ(clicks, 0) << "a drop-down button has no click of its own";
    }
    // An item chosen from the menu is clicked.
    MoveForm(::GetSystemMetrics(SM_CXSCREEN) - 340, 40);
    MenuWatcher choose([] { Keys({VK_DOWN, VK_RETURN}); });
    MouseTo(Centre(button), kClick);
    EXPECT_TRUE(PumpUntil([&] { return chosen == 1; }));
}

TEST_F(ButtonTest, AtAnEdgeOfTheWorkAreaTheMenuOpensTowardsTheMonitor) {
    framework::TPopupMenu menu;
    menu.Add("One");
    framework::TPopupAlignment seen = framework::paCenter;
    menu.OnPopup = [&](framework::TObject*) { seen = menu.Alignment(); };
    auto& button = AddButton(10, 170, 80, 25);
    button.SetKind(cxbkDropDown);
    button.SetDropDownMenu(&menu);
    button.SetPopupAlignment(framework::paCenter);
    const RECT work = GetWorkArea(Centre(button));
    struct Case {
        const char* name;
        int centreX; // where the button's centre goes on the screen
        framework::TPopupAlignment expected;
    };
    const Case cases[] = {{"left edge", work.left, framework::paLeft},
                          {"right edge", work.right, framework::paRight},
                          {"inside", (work.left + work.right) / 2, framework::paCenter}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT formRect;
        ::GetWindowRect(form->Handle(), &formRect);
        MoveForm(formRect.left + c.centreX - Centre(button).x, formRect.top);
        MenuWatcher watcher;
        button.DropDown();
        ASSERT_TRUE(PumpUntil([&] { return watcher.seen && !button.MenuShown(); }));
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(menu.Alignment(), framework::paLeft) << "restored";
    }
}

TEST_F(ButtonTest, DropDownButtonOpensFromItsRightPartAndClicksFromTheRest) {
    framework::TPopupMenu menu;
    menu.Add("Only");
    auto& button = AddButton(190, 10, 100, 25);
    button.SetKind(cxbkDropDownButton);
    button.SetDropDownMenu(&menu);
    {
        MenuWatcher watcher;
        MouseTo(ScreenPoint(button, 95, 12), kClick);
        ASSERT_TRUE(PumpUntil([&] { return watcher.seen && !button.MenuShown(); }));
    }
    Pump(50);
    EXPECT_EQ(clicks, 0);
    MouseTo(ScreenPoint(button, 30, 12), kClick);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
    {
        MenuWatcher watcher;
        ::SetFocus(button.Handle());
        Keys({VK_MENU, VK_DOWN});
        EXPECT_TRUE(PumpUntil([&] { return watcher.seen && !button.MenuShown(); }))
            << "Alt+Down opens the menu";
    }
    EXPECT_EQ(clicks, 1);
}

// A menu during whose loop something recreates the button's window (a look-and-feel change).
class TRecreatingMenu : public framework::TPopupMenu {
public:
    std::function<void()> during;
    void Popup(int, int) override { during(); }
};

TEST_F(ButtonTest, AWindowRecreatedWhileTheMenuIsOpenStillHearsThatItClosed) {
    TRecreatingMenu menu;
    auto& button = AddButton();
    button.SetKind(cxbkDropDown);
    button.SetDropDownMenu(&menu);
    HWND first = button.Handle();
    menu.during = [&] { button.LookAndFeel().SetKind(lfStandard); };
    button.DropDown();
    EXPECT_TRUE(PumpUntil([&] { return button.Handle() != first && !button.MenuShown(); }, 500));
    EXPECT_EQ(button.DrawState(), cxbsNormal);
}

TEST_F(ButtonTest, DropDownWithoutAMenuDoesNothingOnClick) {
    auto& button = AddButton();
    button.SetKind(cxbkDropDown);
    MouseTo(Centre(button), kClick);
    Pump(150);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button.MenuShown());
    EXPECT_FALSE(button.SuppressPressed());
}

TEST_F(ButtonTest, ContextMenuShowsThePopupMenuAndItsShortcutsClickItems) {
    framework::TPopupMenu menu;
    int shortcutClicks = 0;
    menu.Add(
        "&Keyed", [&](framework::TObject*) { ++shortcutClicks; },
        framework::ShortCut('K', framework::scCtrl));
    auto& button = AddButton();
    button.SetPopupMenu(&menu);
    EXPECT_EQ(button.PopupMenu(), &menu);
    {
        MenuWatcher watcher;
        ::SendMessageA(button.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button.Handle()),
                       MAKELPARAM(-1, -1));
        ASSERT_TRUE(watcher.seen) << "keyboard request: shown at once";
        POINT origin = ScreenPoint(button, 0, 0);
        EXPECT_EQ(watcher.rect.left, origin.x);
        EXPECT_EQ(watcher.rect.top, origin.y);
        EXPECT_EQ(menu.PopupComponent(), &button);
    }
    ::SetFocus(button.Handle());
    Keys({VK_CONTROL, 'K'});
    EXPECT_TRUE(PumpUntil([&] { return shortcutClicks == 1; }));
    EXPECT_EQ(clicks, 0);
    // Not a menu: taken as none; AutoPopup off: not shown.
    framework::TTimer notAMenu;
    button.SetPopupMenu(&notAMenu);
    EXPECT_EQ(button.PopupMenu(), nullptr);
    menu.SetAutoPopup(false);
    EXPECT_FALSE(ShowControlPopupMenu(&button, &menu, 0, 0));
}

TEST_F(ButtonTest, AMenuDestroyedIsForgotten) {
    auto& button = AddButton();
    {
        framework::TPopupMenu menu;
        button.SetPopupMenu(&menu);
        button.SetDropDownMenu(&menu);
    }
    EXPECT_EQ(button.PopupMenu(), nullptr);
    EXPECT_EQ(button.DropDownMenu(), nullptr);
}

// --- Window recreation, destruction ------------------------------------------------------------

TEST_F(ButtonTest, KindAndLookAndFeelChangesRecreateTheOwnerDrawnWindow) {
    auto& button = AddButton();
    ::SetFocus(button.Handle());
    HWND first = button.Handle();
    button.SetKind(cxbkDropDownButton);
    HWND second = button.Handle();
    EXPECT_NE(first, second);
    button.LookAndFeel().SetKind(lfStandard);
    EXPECT_NE(button.Handle(), second);
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(::GetWindowLongA(button.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(::GetFocus(), button.Handle()) << "keeps the focus";
    EXPECT_EQ(button.GetPainter(), &TcxStandardLookAndFeelPainter::Instance());
    Keys({VK_SPACE});
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
}

// A change of the system colours rebuilds every button's window (the painter may change): the
// button that had the focus of an inactive form gets it back when the form is activated again,
// and it stays the active default meanwhile.
TEST_F(ButtonTest, AColourChangeRebuildsTheWindowsAndTheFocusAndActiveDefaultStay) {
    TcxButton& byDefault = AddButton(210, 10);
    byDefault.SetDefault(true);
    TcxButton& focused = AddButton(210, 40);
    ::SetForegroundWindow(form->Handle());
    ::SetFocus(focused.Handle());
    ASSERT_TRUE(focused.ActiveDefault());
    ASSERT_FALSE(byDefault.ActiveDefault());
    testsupport::TTestForm other;
    ::SetWindowPos(other.Handle(), HWND_TOP, 20, 300, 200, 100, SWP_SHOWWINDOW);
    ::SetForegroundWindow(other.Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == other.Handle(); }));
    const HWND before = focused.Handle();
    ::SendMessageA(SystemPaletteChangedWindow(), WM_SYSCOLORCHANGE, 0, 0);
    ASSERT_NE(focused.Handle(), before) << "rebuilt";
    EXPECT_TRUE(focused.ActiveDefault());
    EXPECT_FALSE(byDefault.ActiveDefault());
    ::SetForegroundWindow(form->Handle());
    EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == focused.Handle(); }))
        << "the focus goes back to the button that had it";
    EXPECT_TRUE(focused.ActiveDefault());
}

// A switch of the visual style repaints the button with the painter chosen anew.
TEST_F(ButtonTest, AVisualStyleSwitchRepaintsTheButtonInTheNewStyle) {
    for (bool from : {true, false}) {
        SCOPED_TRACE(from ? "style on, then off" : "style off, then on");
        testsupport::ScopedVisualStyle style(from);
        if (testsupport::VisualStyleActive() != from)
            GTEST_SKIP() << "the visual style cannot be switched";
        TcxButton& button = AddButton(210, 10 + (from ? 0 : 40));
        button.LookAndFeel().SetNativeStyle(true);
        // The system's button class repaints itself when told of the switch: what repaints the
        // skinned button is the theme services' notice, so the class is not told here.
        const SUBCLASSPROC untold = [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR) -> LRESULT {
            return m == WM_THEMECHANGED ? 0 : ::DefSubclassProc(w, m, wp, lp);
        };
        ASSERT_TRUE(::SetWindowSubclass(button.Handle(), untold, 1, 0));
        MoveForm(40, 40);
        Pump(200);
        RECT r;
        ::GetWindowRect(button.Handle(), &r);
        auto differing = [](const DibSurface& a, const DibSurface& b) {
            int n = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    n += a.Rgb(x, y) != b.Rgb(x, y);
            return n;
        };
        const auto before = testsupport::CaptureScreen(r);
        ASSERT_TRUE(testsupport::SetVisualStyle(!from));
        testsupport::PumpPendingMessages();
        Pump(300);
        const auto shown = testsupport::CaptureScreen(r);
        ::RedrawWindow(button.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump(200);
        const auto fresh = testsupport::CaptureScreen(r);
        EXPECT_GT(differing(*before, *fresh), 0) << "the two styles draw the button differently";
        EXPECT_EQ(differing(*shown, *fresh), 0) << "repainted in the new style";
    }
}

TEST_F(ButtonTest, ADestroyedButtonIsNeverCalledByItsTrackingTimer) {
    auto button = std::make_unique<TcxButton>();
    button->SetParent(form.get());
    button->SetBounds(210, 10, 80, 25);
    button->CreateHandle();
    BeginMouseTracking(button.get(), {0, 0, 80, 25}, button.get());
    BeginMouseTracking(button.get(), {0, 0, 80, 25}, button.get());
    EXPECT_EQ(MouseTrackingCount(), 1u) << "tracking twice keeps one entry";
    button.reset();
    EXPECT_EQ(MouseTrackingCount(), 0u);
    MouseTo(Away());
    Pump(60); // a destroyed caller would crash here
}

TEST_F(ButtonTest, AButtonDestroyedWithMenuClosedPendingOrHoldingTheCaptureGoesQuietly) {
    // A menu item's click runs before the MenuClosed posted after it; the capture is the native
    // button's while it is held down.
    for (bool capture : {false, true}) {
        SCOPED_TRACE(capture ? "holding the capture" : "MenuClosed pending");
        auto button = std::make_unique<TcxButton>();
        button->SetParent(form.get());
        button->SetBounds(210, 10, 80, 25);
        button->CreateHandle();
        button->SetKind(cxbkDropDown);
        HWND window = button->Handle();
        if (capture)
            ::SetCapture(window);
        else
            ::PostMessageA(window, TcxCustomButton::MenuClosed, 0, 0);
        // The system swallows a fault inside a window procedure called from DestroyWindow; a
        // first-chance handler still sees it.
        static LONG faults;
        faults = 0;
        PVOID handler = ::AddVectoredExceptionHandler(1, [](EXCEPTION_POINTERS* e) -> LONG {
            if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
                ++faults;
            return EXCEPTION_CONTINUE_SEARCH;
        });
        button.reset(); // used to reach the freed look-and-feel
        ::RemoveVectoredExceptionHandler(handler);
        EXPECT_EQ(faults, 0);
        MSG msg;
        EXPECT_FALSE(::PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(::GetCapture(), nullptr);
    }
}

// A control whose leave notification destroys it while the tracking tick is calling out.
class TSelfDestroying : public framework::TCustomControl, public IcxMouseTrackingCaller {
public:
    std::unique_ptr<TSelfDestroying>* owner = nullptr;
    static inline int leaveCalls = 0;

protected:
    void Paint(framework::TCanvas&) override {}
    LRESULT CMMouseLeave(framework::TWinControl*) override {
        owner->reset(); // destroys this object
        return 0;
    }
    void MouseTrackingMouseLeave() override { ++leaveCalls; }
};

TEST_F(ButtonTest, ALeaveThatDestroysTheControlEndsTheTickSafely) {
    MouseTo(Centre(*form->Tree));
    Pump(30);
    auto control = std::make_unique<TSelfDestroying>();
    control->owner = &control;
    control->SetParent(form.get());
    control->SetBounds(210, 10, 40, 40);
    control->CreateHandle();
    BeginMouseTracking(control.get(), {0, 0, 40, 40}, control.get());
    ASSERT_TRUE(PumpUntil([&] { return control == nullptr; }));
    EXPECT_EQ(TSelfDestroying::leaveCalls, 0) << "a destroyed caller is not told";
    EXPECT_EQ(MouseTrackingCount(), 0u);
}

// --- Pixels
// ---------------------------------------------------------------------------------------

/// The button printed into a DIB, and the painter's own face and frame for the same state in
/// another.
struct Printed {
    Printed(TcxButton& button, TcxButtonState state, TColor face = framework::clDefault)
        : dib(button.Width(), button.Height()), reference(button.Width(), button.Height()) {
        ::SendMessageA(button.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()),
                       PRF_CLIENT);
        // Where the theme's part is transparent the parent's colour shows.
        reference.Fill(testsupport::DibSurface::PixelOf(Rgb(button.Parent()->Color())));
        framework::TCanvas canvas;
        canvas.SetHandle(reference.dc());
        TcxCanvas cx(canvas);
        button.GetPainter()->PaintButton(cx, {0, 0, button.Width(), button.Height()}, {}, state,
                                         true, face);
    }
    /// Pixels equal to the painter's own (frame and face) outside the caption's box.
    int Differing(const RECT& skip) const {
        int n = 0;
        for (int y = 0; y < dib.height(); ++y)
            for (int x = 0; x < dib.width(); ++x)
                if (!::PtInRect(&skip, POINT{x, y}))
                    n += dib.Rgb(x, y) != reference.Rgb(x, y);
        return n;
    }
    DibSurface dib, reference;
};

TEST_F(ButtonTest, UltraFlatFrameFaceAndCaptionPixels) {
    testsupport::ScopedVisualStyle classic(false);
    application.ProcessMessages();
    auto& button = AddButton(190, 10, 100, 25, "WWW");
    ASSERT_EQ(button.GetPainter(), &TcxUltraFlatLookAndFeelPainter::Instance());
    struct Case {
        TColor color;
        COLORREF face;
    };
    for (Case c : {Case{framework::clDefault, Rgb(framework::clBtnFace)},
                   Case{framework::clRed, RGB(255, 0, 0)}}) {
        button.Colors().SetColor(cxbsNormal, c.color);
        Printed p(button, cxbsNormal, c.color);
        EXPECT_TRUE(p.dib.HasColor(0, 0, Rgb(framework::clBtnText)));
        EXPECT_TRUE(p.dib.HasColor(99, 24, Rgb(framework::clBtnText)));
        EXPECT_TRUE(p.dib.AllHaveColor({1, 1, 20, 24}, c.face));
        // The caption, centred between the frame's sides (which are in its colour too).
        const RECT caption = BoundsIn(p.dib, {2, 2, 98, 23}, Rgb(framework::clBtnText));
        ASSERT_FALSE(::IsRectEmpty(&caption));
        EXPECT_LE(std::abs((caption.left - 1) - (99 - caption.right)), 3);
        EXPECT_EQ(p.Differing({20, 3, 80, 22}), 0);
    }
    // In the window, painted through WM_PAINT and its back buffer: the same pixels.
    ::RedrawWindow(button.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    {
        Printed p(button, cxbsNormal, framework::clRed);
        DibSurface screen(100, 25);
        framework::WindowDc dc(button.Handle());
        ::BitBlt(screen.dc(), 0, 0, 100, 25, dc.get(), 0, 0, SRCCOPY);
        int differing = 0;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 100; ++x)
                differing += screen.Rgb(x, y) != p.dib.Rgb(x, y);
        EXPECT_EQ(differing, 0);
    }
    // Hot: the painter's hot face.
    button.Colors().SetColor(cxbsNormal, framework::clDefault);
    MouseTo(Centre(button));
    ASSERT_TRUE(PumpUntil([&] { return button.MouseInside(); }));
    Printed hot(button, cxbsHot);
    EXPECT_TRUE(hot.dib.HasColor(0, 0, Rgb(framework::clHighlight)));
    EXPECT_TRUE(hot.dib.HasColor(5, 12, Rgb(LightSelectionColor())));
    EXPECT_EQ(hot.Differing({20, 3, 80, 22}), 0);
}

TEST_F(ButtonTest, ThemedAndOffice11PathsDrawWithTheVisualStyleOrTheStandardLook) {
    struct Case {
        const char* name;
        bool style;
        bool native;
        TcxLookAndFeelKind kind;
        TcxLookAndFeelPainterClass painter;
    };
    const Case cases[] = {
        {"native, style on", true, true, lfUltraFlat, &TcxWinXPLookAndFeelPainter::Instance()},
        {"Office 11, style on", true, false, lfOffice11, &TcxWinXPLookAndFeelPainter::Instance()},
        {"Office 11, style off", false, false, lfOffice11,
         &TcxStandardLookAndFeelPainter::Instance()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScopedVisualStyle style(c.style);
        application.ProcessMessages();
        if (c.style && !testsupport::VisualStyleActive()) {
            ADD_FAILURE() << "the visual style did not switch on";
            continue;
        }
        auto& button = AddButton(190, 10, 100, 25, "WWW");
        button.LookAndFeel().SetNativeStyle(c.native);
        button.LookAndFeel().SetKind(c.kind);
        EXPECT_EQ(button.GetPainter(), c.painter);
        Printed p(button, cxbsNormal);
        EXPECT_EQ(p.Differing({20, 3, 80, 22}), 0) << "frame and face are the painter's";
        const COLORREF text = Rgb(p.dib.Rgb(0, 0) == Rgb(framework::clBtnText)
                                      ? framework::clBtnText
                                      : c.painter->ButtonCaptionColor(cxbsNormal));
        EXPECT_GT(p.dib.CountColor({20, 3, 80, 22}, text), 20) << "the caption";
        EXPECT_EQ(p.dib.CountColor({3, 3, 15, 22}, text), 0) << "centred";
    }
}

// One repaint of a button (InvalidateRect, UpdateWindow) asks its parent for its image at most
// once (under a themed face that lets it show through) and for its button brush only for the
// system's erase, which the themed painter alone leaves to the system; the button hears WM_PAINT
// and no draw request comes back to it from the parent.
TEST_F(ButtonTest, ARepaintAsksTheParentAtMostOnce) {
    struct Case {
        const char* name;
        bool style;
        bool native;
        int erases; // the system's erase, through the parent's button brush
    };
    for (const Case& c : {Case{"native, style on", true, true, 1},
                          Case{"ultra-flat, style off", false, false, 0}}) {
        SCOPED_TRACE(c.name);
        testsupport::ScopedVisualStyle style(c.style);
        application.ProcessMessages();
        auto& button = AddButton(190, 10, 100, 25, "WWW");
        button.LookAndFeel().SetNativeStyle(c.native);
        application.ProcessMessages();
        MessageRecorder log({button.Handle(), form->Handle()},
                            {WM_PAINT, WM_ERASEBKGND, WM_PRINTCLIENT, WM_CTLCOLORBTN, WM_DRAWITEM,
                             framework::CN_DRAWITEM});
        ::InvalidateRect(button.Handle(), nullptr, FALSE);
        ::UpdateWindow(button.Handle());
        EXPECT_EQ(log.Count(0, WM_PAINT), 1);
        EXPECT_EQ(log.Count(0, framework::CN_DRAWITEM), 0);
        EXPECT_EQ(log.Count(1, WM_DRAWITEM), 0);
        EXPECT_EQ(log.Count(1, WM_CTLCOLORBTN), c.erases);
        EXPECT_LE(log.Count(1, WM_PRINTCLIENT), 1);
        EXPECT_LE(log.Count(1, WM_ERASEBKGND), log.Count(1, WM_PRINTCLIENT))
            << "the parent erases only to print its image";
        owned.clear();
    }
}

// The erase request: the themed painter leaves it to the system (the parent's button brush fills
// the area); under every other painter it is answered as done and draws nothing.
TEST_F(ButtonTest, TheSystemErasesUnderTheThemedPainterAlone) {
    for (const bool themed : {true, false}) {
        SCOPED_TRACE(themed ? "themed" : "ultra-flat");
        testsupport::ScopedVisualStyle style(themed);
        application.ProcessMessages();
        auto& button = AddButton(190, 10, 100, 25, "WWW");
        button.LookAndFeel().SetNativeStyle(themed);
        application.ProcessMessages();
        MessageRecorder log({form->Handle()}, {WM_CTLCOLORBTN});
        DibSurface dib(100, 25);
        EXPECT_NE(
            ::SendMessageA(button.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.dc()), 0),
            0);
        EXPECT_EQ(log.Count(0, WM_CTLCOLORBTN), themed ? 1 : 0);
        EXPECT_EQ(dib.IsSentinel(50, 12), !themed);
        owned.clear();
    }
}

// --- Settings ---------------------------------------------------------------------------------

TEST_F(ButtonTest, GlyphCountMarginAndColourSettings) {
    auto& button = AddButton();
    struct GlyphCase {
        int width, numGlyphsBefore, numGlyphsAfter;
    };
    for (GlyphCase g :
         {GlyphCase{64, 1, 4}, GlyphCase{80, 2, 1}, GlyphCase{50, 3, 3}, GlyphCase{16, 3, 1}}) {
        SCOPED_TRACE(g.width);
        button.SetNumGlyphs(g.numGlyphsBefore);
        framework::TBitmap bitmap(g.width, 16);
        button.SetGlyph(&bitmap);
        EXPECT_EQ(button.NumGlyphs(), g.numGlyphsAfter);
    }
    button.SetNumGlyphs(7);
    EXPECT_EQ(button.NumGlyphs(), 4);
    button.SetNumGlyphs(0);
    EXPECT_EQ(button.NumGlyphs(), 4);
    button.SetMargin(3);
    button.SetMargin(-5);
    EXPECT_EQ(button.Margin(), 3);

    TcxButtonColors& colors = button.Colors();
    colors.SetColor(cxbsHot, framework::clRed);
    EXPECT_TRUE(colors.AssignedColors().Contains(cxbsHot));
    colors.SetColor(cxbsHot, framework::clNone);
    EXPECT_EQ(colors.Hot(), framework::clDefault);
    EXPECT_FALSE(colors.AssignedColors().Contains(cxbsHot));
    colors.SetColor(cxbsPressed, framework::clBlue);
    colors.SetAssignedColors({});
    EXPECT_EQ(colors.Pressed(), framework::clBlue) << "ignored at run time";
    EXPECT_TRUE(colors.AssignedColors().Contains(cxbsPressed));
}

TEST_F(ButtonTest, GlyphImagesFollowTheStateAndShareOneListPerSize) {
    testsupport::ScopedVisualStyle classic(false);
    application.ProcessMessages();
    // Three 16 x 16 columns: red, green, blue, each with a bottom row in olive, the colour of
    // the bottom-left pixel, which is transparent.
    framework::TBitmap strip(48, 16);
    for (int i = 0; i < 3; ++i) {
        strip.Canvas().Brush().SetColor(i == 0   ? framework::clRed
                                        : i == 1 ? framework::clLime
                                                 : framework::clBlue);
        strip.Canvas().FillRect({i * 16, 0, i * 16 + 16, 15});
        strip.Canvas().Brush().SetColor(framework::clOlive);
        strip.Canvas().FillRect({i * 16, 15, i * 16 + 16, 16});
    }
    auto& a = AddButton(190, 10, 100, 25, "");
    auto& b = AddButton(190, 40, 100, 25, "");
    a.SetGlyph(&strip);
    b.SetGlyph(&strip);
    ASSERT_EQ(a.NumGlyphs(), 3);
    struct Case {
        int numGlyphs;
        TcxButtonState state;
        COLORREF centre;
    };
    const Case cases[] = {{3, cxbsNormal, RGB(255, 0, 0)},
                          {3, cxbsPressed, RGB(0, 0, 255)},
                          {2, cxbsPressed, RGB(255, 0, 0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.numGlyphs) + " glyphs, state " + std::to_string(c.state));
        a.SetNumGlyphs(c.numGlyphs);
        int index = a.GlyphObject().CreateGlyphImage(c.state);
        ASSERT_GE(index, 0);
        DibSurface dib(16, 16);
        ::ImageList_Draw(a.GlyphObject().List()->Handle(), index, dib.dc(), 0, 0, ILD_NORMAL);
        EXPECT_TRUE(dib.HasColor(8, 8, c.centre));
    }
    a.SetNumGlyphs(3);
    a.GlyphObject().CreateGlyphImage(cxbsNormal);
    b.GlyphObject().CreateGlyphImage(cxbsNormal);
    EXPECT_EQ(a.GlyphObject().List(), b.GlyphObject().List());
    EXPECT_EQ(CurrentGlyphCache()->ListCount(), 1u);
    // A glyph centred with the caption: margins and spacing of a third of the free room.
    DibSurface dib(100, 25);
    ::SendMessageA(a.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.dc()), PRF_CLIENT);
    // The content lies inside the default state's frame (2 wide): 96 x 21 from (2, 2).
    RECT red = dib.BoundsOfColor(RGB(255, 0, 0));
    EXPECT_EQ(red.left, 2 + (96 - 16) / 2);
    EXPECT_EQ(red.top, 2 + (21 - 16) / 2);
    EXPECT_TRUE(dib.HasColor(red.left, red.bottom, Rgb(framework::clBtnFace))) << "olive row";
    // A new glyph of another size goes into a list of its size, also while the old list is
    // still another button's.
    framework::TBitmap larger(24, 24);
    a.SetGlyph(&larger);
    ASSERT_GE(a.GlyphObject().CreateGlyphImage(cxbsNormal), 0);
    EXPECT_EQ(a.GlyphObject().List()->Width(), 24);
    EXPECT_EQ(b.GlyphObject().List()->Width(), 16);
    EXPECT_EQ(CurrentGlyphCache()->ListCount(), 2u);
}

TEST_F(ButtonTest, ASingleGlyphIsEmbossedWhenDisabled) {
    // Olive (the bottom-left pixel) around a black square.
    framework::TBitmap glyph(16, 16);
    glyph.Canvas().Brush().SetColor(framework::clOlive);
    glyph.Canvas().FillRect({0, 0, 16, 16});
    glyph.Canvas().Brush().SetColor(framework::clBlack);
    glyph.Canvas().FillRect({4, 4, 12, 12});
    auto& button = AddButton();
    button.SetGlyph(&glyph);
    ASSERT_EQ(button.NumGlyphs(), 1);
    const int index = button.GlyphObject().CreateGlyphImage(cxbsDisabled);
    ASSERT_GE(index, 0);
    DibSurface dib(16, 16);
    ::ImageList_Draw(button.GlyphObject().List()->Handle(), index, dib.dc(), 0, 0, ILD_NORMAL);
    EXPECT_TRUE(dib.HasColor(6, 6, Rgb(framework::clBtnShadow))) << "the shape in shadow";
    EXPECT_TRUE(dib.HasColor(12, 12, Rgb(framework::clBtnHighlight))) << "its copy 1 down right";
    // The mask blit keeps the colour under a transparent pixel (its alpha byte is lost).
    EXPECT_EQ(dib.Bgra(1, 1) & 0xFFFFFF, dib.sentinel() & 0xFFFFFF)
        << "the face around it is transparent";
}

TEST_F(ButtonTest, MenuHeightCountsVisibleItemsAndTallBitmaps) {
    framework::TPopupMenu menu;
    const int empty = GetMenuHeight(&menu);
    menu.Add("One");
    const int one = GetMenuHeight(&menu);
    EXPECT_GT(one, empty);
    menu.Add("Hidden").SetVisible(false);
    EXPECT_EQ(GetMenuHeight(&menu), one);
    menu.Add("Tall").Bitmap().SetSize(16, 40);
    EXPECT_EQ(GetMenuHeight(&menu), one + 44);
}

// --- Window definitions --------------------------------------------------------------------------

class TButtonForm : public framework::TForm {
public:
    explicit TButtonForm(std::string text) : TForm("TButtonForm"), text_(std::move(text)) {
        BindHandler("ButtonClick", &TButtonForm::ButtonClick);
        BindHandler("ItemClick", &TButtonForm::ButtonClick);
    }
    void ButtonClick(framework::TObject*) { ++clicks; }
    int clicks = 0;

protected:
    framework::DefinitionNode ReadDefinition() const override {
        return framework::ParseDefinition(text_, "text");
    }

private:
    std::string text_;
};

TEST_F(ButtonTest, DefinitionsPlaceTheButtonWithItsLookColoursAndMenu) {
    const char* text = "TButtonForm F {\n"
                       "  ClientSize: 200 100\n"
                       "  TcxButton Yes {\n"
                       "    Bounds: 10 10 73 27\n"
                       "    Caption: \"&Yes\"\n"
                       "    LookAndFeel.NativeStyle: True\n"
                       "    LookAndFeel.Kind: lfFlat\n"
                       "    Colors.Normal: clRed\n"
                       "    Default: True\n"
                       "    ModalResult: 1\n"
                       "    OnClick: ButtonClick\n"
                       "    Kind: cxbkDropDownButton\n"
                       "    DropDownMenu: Menu\n"
                       "    PopupAlignment: paRight\n"
                       "    Margin: 2\n"
                       "    TabOrder: 0\n"
                       "  }\n"
                       "  TPopupMenu Menu {\n"
                       "    Item: \"&Open\" ItemClick\n"
                       "    Alignment: paCenter\n"
                       "  }\n"
                       "}\n";
    framework::TStandaloneForm<TButtonForm> loaded(text);
    auto* yes = dynamic_cast<TcxButton*>(loaded.FindComponent("Yes"));
    auto* menu = dynamic_cast<framework::TPopupMenu*>(loaded.FindComponent("Menu"));
    ASSERT_TRUE(yes && menu);
    EXPECT_TRUE(yes->LookAndFeel().NativeStyle());
    EXPECT_EQ(yes->LookAndFeel().Kind(), lfFlat);
    EXPECT_EQ(yes->Colors().Normal(), framework::clRed);
    EXPECT_TRUE(yes->Default());
    EXPECT_EQ(yes->Kind(), cxbkDropDownButton);
    EXPECT_EQ(yes->DropDownMenu(), menu);
    EXPECT_EQ(yes->PopupAlignment(), framework::paRight);
    EXPECT_EQ(yes->Margin(), 2);
    EXPECT_EQ(yes->Width(), 73);
    EXPECT_EQ(menu->Count(), 1u);
    EXPECT_EQ(menu->Alignment(), framework::paCenter);
    yes->Click();
    menu->Item(0).Click();
    EXPECT_EQ(loaded.clicks, 2);
    EXPECT_EQ(loaded.ModalResult(), 1);
}

} // namespace
