// test-lock: input
// The control layer: reflected notifications, mouse enter and leave from real input, the paint
// entry and the erase rule, a child's background, the default-button notice, handler failures
// and properties of nested objects in window definitions.
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/StdCtrls.h"
#include "tests/support/Input.h"
#include "tests/support/DibSurface.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/MessageSequence.h"
#include "tests/support/TestForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace {

using framework::CM_MOUSEENTER;
using framework::CM_MOUSELEAVE;
using framework::CN_COMMAND;
using framework::CN_DRAWITEM;
using framework::TCanvas;
using framework::TCreateParams;
using testsupport::DibSurface;
using testsupport::ExpectedMessage;
using testsupport::kLParam;
using testsupport::kOptional;
using testsupport::kWParam;
using testsupport::MessageRecorder;
using testsupport::TTestForm;

// Paints left half red, right half blue, framed in lime; erases only when told to.
class TPatternControl : public framework::TCustomControl {
public:
    bool wantsErase = false;
    int paints = 0;

protected:
    void Paint(TCanvas& canvas) override {
        ++paints;
        RECT r = ClientRect();
        canvas.Brush().SetColor(framework::clRed);
        canvas.FillRect({0, 0, r.right / 2, r.bottom});
        canvas.Brush().SetColor(framework::clBlue);
        canvas.FillRect({r.right / 2, 0, r.right, r.bottom});
        canvas.Brush().SetColor(framework::clLime);
        canvas.FrameRect(r);
    }
    bool NeedsEraseBackground() const override { return wantsErase; }
};

// A framework button of owner-drawn style that records the states it is asked to draw in.
class TOwnerDrawButton : public framework::TButton {
public:
    std::vector<UINT> drawStates;
    std::vector<int> drawBits; // bits per pixel of the bitmap drawn into (0: a window's DC)

protected:
    void CreateParams(TCreateParams& params) override {
        TButton::CreateParams(params);
        params.style = (params.style & ~BS_TYPEMASK) | BS_OWNERDRAW;
    }
    LRESULT CNDrawItem(DRAWITEMSTRUCT& item) override {
        drawStates.push_back(item.itemState);
        DIBSECTION dib{};
        HGDIOBJ bitmap = ::GetCurrentObject(item.hDC, OBJ_BITMAP);
        drawBits.push_back(::GetObjectType(item.hDC) == OBJ_MEMDC &&
                                   ::GetObjectA(bitmap, sizeof dib, &dib) == sizeof dib
                               ? dib.dsBm.bmBitsPixel
                               : 0);
        ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
        return TRUE;
    }
};

// A static text of the system class.
class TStaticText : public framework::TWinControl {
protected:
    void CreateParams(TCreateParams& params) override {
        TWinControl::CreateParams(params);
        params.className = "STATIC";
        params.style |= SS_LEFT;
    }
};

class ControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::RegisterWindowClasses(); }
    void SetUp() override {
        form = std::make_unique<TTestForm>();
        form->Show();
        // In a corner, away from the centred windows of other test programs.
        ::SetWindowPos(form->Handle(), HWND_TOP, ::GetSystemMetrics(SM_CXSCREEN) - 340,
                       ::GetSystemMetrics(SM_CYSCREEN) - 260, 0, 0, SWP_NOSIZE);
        application.ProcessMessages();
    }
    template <typename C>
    C& Add(int x, int y, int w, int h, framework::TWinControl* parent = nullptr) {
        auto control = std::make_unique<C>();
        control->SetParent(parent ? parent : form.get());
        control->SetBounds(x, y, w, h);
        control->CreateHandle();
        C& ref = *control;
        owned.push_back(std::move(control));
        return ref;
    }
    /// Runs the loop until done() or timeoutMs has passed. A bare loop has no guard of its own,
    /// as the system's modal loops (message boxes, menus, moving a window) have none.
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000,
                          bool bare = false) {
        return testsupport::PumpUntil(done, timeoutMs, bare);
    }
    void Pump(int ms) {
        PumpUntil([] { return false; }, ms);
    }
    static POINT Centre(framework::TWinControl& control) {
        POINT p{control.Width() / 2, control.Height() / 2};
        ::ClientToScreen(control.Handle(), &p);
        return p;
    }
    /// Real mouse input: moves the cursor to a screen point, then the button events of flags.
    static void MouseTo(POINT p, DWORD flags = 0) { testsupport::MouseTo(p, flags); }
    static constexpr DWORD kClick = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;

    framework::TApplication application;
    std::unique_ptr<TTestForm> form;
    std::vector<std::unique_ptr<framework::TWinControl>> owned;
};

TEST_F(ControlTest, ClickOnAnOwnerDrawnButtonReflectsDrawItemAndCommandToIt) {
    auto& button = Add<TOwnerDrawButton>(220, 10, 60, 25);
    int clicks = 0;
    button.OnClick = [&](framework::TObject*) { ++clicks; };
    ::SetFocus(button.Handle());
    application.ProcessMessages();
    button.drawStates.clear();
    MessageRecorder log({form->Handle(), button.Handle()},
                        {WM_DRAWITEM, WM_COMMAND, CN_DRAWITEM, CN_COMMAND});
    // Pressed and drawn so, then released: the button may draw its released face before or after
    // it reports the click.
    MouseTo(Centre(button), MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return !button.drawStates.empty(); }));
    MouseTo(Centre(button), MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1 && button.drawStates.size() >= 2; }));
    WPARAM id = ::GetDlgCtrlID(button.Handle());
    auto hwnd = reinterpret_cast<LPARAM>(button.Handle());
    const ExpectedMessage click[] = {
        {0, WM_DRAWITEM, kWParam, id},
        {1, CN_DRAWITEM, kWParam, id},
        {0, WM_DRAWITEM, kWParam | kOptional, id},
        {1, CN_DRAWITEM, kWParam | kOptional, id},
        {0, WM_COMMAND, kWParam | kLParam, MAKEWPARAM(id, BN_CLICKED), hwnd},
        {1, CN_COMMAND, kWParam | kLParam, MAKEWPARAM(id, BN_CLICKED), hwnd},
        {0, WM_DRAWITEM, kWParam | kOptional, id},
        {1, CN_DRAWITEM, kWParam | kOptional, id},
    };
    EXPECT_TRUE(testsupport::SequenceMatches(log.Messages(), click));
    ASSERT_EQ(button.drawStates.size(), 2u);
    EXPECT_TRUE(button.drawStates.front() & ODS_SELECTED);
    EXPECT_FALSE(button.drawStates.back() & ODS_SELECTED);
}

TEST_F(ControlTest, AClickHandlerThatThrowsIsReportedAndTheButtonGoesOn) {
    auto& button = Add<framework::TButton>(220, 10, 60, 25);
    int clicks = 0;
    button.OnClick = [&](framework::TObject*) {
        if (++clicks == 1)
            throw framework::Exception("Click failed");
    };
    testsupport::MessageBoxWatcher watcher;
    // The handler runs inside the system button's own WM_LBUTTONUP (its WM_COMMAND to the form,
    // reflected back), dispatched by a loop without a guard: only the windows' own guards stand
    // between the throw and the system.
    MouseTo(Centre(button), kClick);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1 && watcher.Count() == 1; }, 10000, true));
    EXPECT_EQ(watcher.Wait().text, "Click failed.");
    application.ProcessMessages();
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(::SendMessageA(button.Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED);
    MouseTo(Centre(button), kClick);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 2; })) << "the button still clicks";
    EXPECT_EQ(watcher.Count(), 1);
}

TEST_F(ControlTest, MouseEnterAndLeaveComeOnceEachFromRealMouseMoves) {
    // Two controls side by side: the cursor crosses from one straight into the other.
    auto& left = Add<TPatternControl>(220, 10, 30, 30);
    auto& right = Add<TPatternControl>(250, 10, 30, 30);
    RECT formRect;
    ::GetWindowRect(form->Handle(), &formRect);
    MouseTo({formRect.left - 20, formRect.top - 20});
    Pump(100);
    MessageRecorder log({left.Handle(), right.Handle()}, {CM_MOUSEENTER, CM_MOUSELEAVE});
    POINT p = Centre(left);
    for (int dx : {-10, -5, 0, 5, 10, 25, 30, 35}) { // through left, then into right
        MouseTo({p.x + dx, p.y});
        Pump(30);
    }
    EXPECT_TRUE(right.MouseInControl());
    MouseTo({formRect.left - 20, formRect.top - 20});
    PumpUntil([&] { return log.Count(1, CM_MOUSELEAVE) > 0; });
    Pump(100);
    auto l = reinterpret_cast<LPARAM>(&left), r = reinterpret_cast<LPARAM>(&right);
    const ExpectedMessage crossing[] = {
        {0, CM_MOUSEENTER, kLParam, 0, l},
        {0, CM_MOUSELEAVE, kLParam, 0, l},
        {1, CM_MOUSEENTER, kLParam, 0, r},
        {1, CM_MOUSELEAVE, kLParam, 0, r},
    };
    EXPECT_TRUE(testsupport::SequenceMatches(log.Messages(), crossing));
    EXPECT_FALSE(left.MouseInControl());
    EXPECT_FALSE(right.MouseInControl());
}

TEST_F(ControlTest, PrintClientPaintsTheSamePixelsAsPaint) {
    for (bool doubleBuffered : {false, true}) {
        SCOPED_TRACE(doubleBuffered ? "double-buffered" : "direct");
        auto& control = Add<TPatternControl>(220, 10, 40, 30);
        control.SetDoubleBuffered(doubleBuffered);
        ::InvalidateRect(control.Handle(), nullptr, TRUE);
        ::UpdateWindow(control.Handle());
        DibSurface screen(40, 30), printed(40, 30);
        {
            framework::WindowDc dc(control.Handle());
            ::BitBlt(screen.dc(), 0, 0, 40, 30, dc.get(), 0, 0, SRCCOPY);
        }
        EXPECT_EQ(::SendMessageA(control.Handle(), WM_PRINTCLIENT,
                                 reinterpret_cast<WPARAM>(printed.dc()), PRF_CLIENT),
                  0);
        EXPECT_TRUE(printed.HasColor(0, 0, RGB(0, 255, 0)));
        EXPECT_TRUE(printed.AllHaveColor({1, 1, 20, 29}, RGB(255, 0, 0)));
        EXPECT_TRUE(printed.AllHaveColor({20, 1, 39, 29}, RGB(0, 0, 255)));
        int differing = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                differing += screen.Rgb(x, y) != printed.Rgb(x, y);
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(control.paints, 2);
    }
}

TEST_F(ControlTest, DoubleBufferedSystemControlDrawsItselfIntoA32BitBitmap) {
    // An owner-drawn button: the system's paint, its WM_DRAWITEM and the reflected CN_DRAWITEM
    // all draw into the off-screen bitmap, which then reaches the screen.
    auto& button = Add<TOwnerDrawButton>(220, 10, 40, 20);
    button.SetDoubleBuffered(true);
    ::InvalidateRect(button.Handle(), nullptr, TRUE);
    MessageRecorder log({button.Handle()}, {CN_DRAWITEM});
    ::UpdateWindow(button.Handle());
    ASSERT_EQ(log.Messages().size(), 1u);
    DibSurface screen(40, 20);
    {
        framework::WindowDc dc(button.Handle());
        ::BitBlt(screen.dc(), 0, 0, 40, 20, dc.get(), 0, 0, SRCCOPY);
    }
    EXPECT_TRUE(screen.AllHaveColor({0, 0, 40, 20}, RGB(128, 128, 128)));
    EXPECT_EQ(button.drawBits.back(), 32) << "drawn into the 32-bit back buffer";
    // The buffer is kept from one paint to the next while the size stays.
    struct Case {
        int width, paints, bitmapsMade;
    };
    for (Case c : {Case{40, 5, 0}, Case{50, 3, 1}}) {
        SCOPED_TRACE(c.width);
        const long before = framework::GraphicsObjectStats().BitmapsCreated;
        button.SetBounds(220, 10, c.width, 20);
        application.ProcessMessages();
        for (int i = 0; i < c.paints; ++i) {
            ::InvalidateRect(button.Handle(), nullptr, TRUE);
            ::UpdateWindow(button.Handle());
        }
        EXPECT_EQ(framework::GraphicsObjectStats().BitmapsCreated - before, c.bitmapsMade);
        EXPECT_EQ(button.drawBits.back(), 32);
    }
}

TEST_F(ControlTest, EraseRequestDrawsOnlyWhenTheControlAsks) {
    struct Case {
        const char* name;
        bool wantsErase;
        bool parentBackground;
        COLORREF left, right; // 0xFFFFFFFF: untouched
    };
    const Case cases[] = {
        {"not asked", false, false, 0xFFFFFFFF, 0xFFFFFFFF},
        {"asked: own colour", true, false, RGB(255, 255, 0), RGB(255, 255, 0)},
        {"asked: parent's image", true, true, RGB(255, 0, 0), RGB(0, 0, 255)},
    };
    auto& parent = Add<TPatternControl>(200, 10, 80, 40);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Straddles the parent's halves, clear of its frame.
        auto& child = Add<TPatternControl>(30, 10, 20, 20, &parent);
        child.SetColor(framework::clYellow);
        child.wantsErase = c.wantsErase;
        child.SetParentBackground(c.parentBackground);
        DibSurface dib(20, 20);
        EXPECT_EQ(
            ::SendMessageA(child.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.dc()), 0), 1)
            << "answered as done";
        if (c.left == 0xFFFFFFFF) {
            EXPECT_TRUE(dib.Untouched());
            continue;
        }
        EXPECT_TRUE(dib.AllHaveColor({0, 0, 10, 20}, c.left));
        EXPECT_TRUE(dib.AllHaveColor({10, 0, 20, 20}, c.right));
        EXPECT_EQ(child.paints, 0) << "an erase does not paint the control itself";
    }
}

TEST_F(ControlTest, StaticChildShowsItsColourTheParentsColourOrTheParentsImage) {
    struct Case {
        const char* name;
        std::function<void(framework::TWinControl&)> set;
        COLORREF left, right;
    };
    const Case cases[] = {
        {"own colour", [](auto& c) { c.SetColor(framework::clYellow); }, RGB(255, 255, 0),
         RGB(255, 255, 0)},
        {"ParentColor", [](auto& c) { c.SetParentColor(true); }, RGB(0, 255, 255),
         RGB(0, 255, 255)},
        {"ParentBackground", [](auto& c) { c.SetParentBackground(true); }, RGB(255, 0, 0),
         RGB(0, 0, 255)},
        {"Transparent", [](auto& c) { c.SetTransparent(true); }, RGB(255, 0, 0), RGB(0, 0, 255)},
    };
    auto& parent = Add<TPatternControl>(200, 10, 80, 40);
    parent.SetColor(framework::clAqua);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto& text = Add<TStaticText>(30, 10, 20, 20, &parent);
        text.SetColor(framework::clFuchsia);
        c.set(text);
        DibSurface dib(20, 20);
        HDC dc = dib.dc();
        testsupport::DcSnapshot before = testsupport::DcSnapshot::Of(dc);
        ::SendMessageA(text.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        EXPECT_TRUE(dib.AllHaveColor({0, 0, 10, 20}, c.left));
        EXPECT_TRUE(dib.AllHaveColor({10, 0, 20, 20}, c.right));
        testsupport::DcSnapshot after = testsupport::DcSnapshot::Of(dc);
        EXPECT_EQ(after.windowOrg.x, before.windowOrg.x);
        EXPECT_EQ(after.viewportOrg.x, before.viewportOrg.x);
        EXPECT_EQ(after.clipKind, before.clipKind);
    }
}

TEST_F(ControlTest, FocusChangesTellButtonsWhichIsTheActiveDefault) {
    auto& yes = Add<framework::TButton>(220, 10, 60, 25);
    auto& no = Add<framework::TButton>(220, 40, 60, 25);
    auto& drawn = Add<TOwnerDrawButton>(220, 70, 60, 25);
    yes.SetDefault(true);
    no.SetCancel(true);
    int yesClicks = 0, noClicks = 0;
    yes.OnClick = [&](framework::TObject*) { ++yesClicks; };
    no.OnClick = [&](framework::TObject*) { ++noClicks; };
    auto isDefFrame = [](framework::TButton& b) {
        return (::GetWindowLongA(b.Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    struct Step {
        framework::TWinControl* focus;
        framework::TButton* active;
    };
    const Step steps[] = {
        {form->Tree, &yes}, {&no, &no}, {form->Tree, &yes}, {&drawn, &drawn}, {&yes, &yes}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.focus->Name() + " focused");
        ::SetFocus(s.focus->Handle());
        application.ProcessMessages();
        for (framework::TButton* b : {&yes, &no, static_cast<framework::TButton*>(&drawn)})
            EXPECT_EQ(b->ActiveDefault(), b == s.active) << ::GetDlgCtrlID(b->Handle());
        EXPECT_EQ(isDefFrame(yes), s.active == &yes);
        EXPECT_EQ(isDefFrame(no), s.active == &no);
        EXPECT_EQ(::GetWindowLongA(drawn.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW)
            << "an owner-drawn button keeps its style";
        EXPECT_EQ(form->ActiveDefaultButton(), s.active);
    }
    // Enter presses the active default button, Escape the cancel button (dialog keys).
    ::SetFocus(form->Tree->Handle());
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        ::PostMessageA(form->Tree->Handle(), WM_KEYDOWN, key, 1);
        ::PostMessageA(form->Tree->Handle(), WM_KEYUP, key, 0xC0000001);
    }
    EXPECT_TRUE(PumpUntil([&] { return yesClicks == 1 && noClicks == 1; }));
}

// The loop gives dialog keys to the form that the message's window is in, found from the window:
// also a form built before the application, and after another application has gone.
TEST(DialogKeysTest, ReachAFormWhicheverApplicationRunsTheLoop) {
    testsupport::RegisterWindowClasses();
    std::optional<framework::TApplication> earlier;
    earlier.emplace();
    earlier.reset();
    TTestForm form;
    framework::TApplication application;
    framework::TButton yes;
    yes.SetParent(&form);
    yes.SetBounds(220, 10, 60, 25);
    yes.CreateHandle();
    yes.SetDefault(true);
    int clicks = 0;
    yes.OnClick = [&](framework::TObject*) { ++clicks; };
    form.Show();
    ::SetFocus(form.Tree->Handle());
    ::PostMessageA(form.Tree->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    ::PostMessageA(form.Tree->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return clicks == 1; }, 3000, false));
}

// --- Properties of nested objects ------------------------------------------------------------

class TLookAndFeelObject : public framework::TPropertyObject {
public:
    bool nativeStyle = false;
    void ApplyProperty(const framework::DefinitionProperty& p,
                       framework::TDefinitionLoader& loader) override {
        if (p.name == "NativeStyle")
            nativeStyle = framework::ParseBoolean(p);
        else
            TPropertyObject::ApplyProperty(p, loader);
    }
    std::string DisplayName() const override { return "LookAndFeel"; }
};

class TStyleObject : public framework::TPropertyObject {
public:
    explicit TStyleObject(TLookAndFeelObject& lookAndFeel) : lookAndFeel_(lookAndFeel) {}
    framework::TColor color = framework::clNone;
    void ApplyProperty(const framework::DefinitionProperty& p,
                       framework::TDefinitionLoader& loader) override {
        if (p.name == "Color")
            color = framework::ParseColor(p);
        else
            TPropertyObject::ApplyProperty(p, loader);
    }
    TPropertyObject* NestedObject(std::string_view name) override {
        return name == "LookAndFeel" ? &lookAndFeel_ : nullptr;
    }
    std::string DisplayName() const override { return "Style"; }

private:
    TLookAndFeelObject& lookAndFeel_;
};

// Two styles that share the control's one look-and-feel.
class TStyledControl : public TPatternControl {
public:
    TLookAndFeelObject lookAndFeel;
    TStyleObject style{lookAndFeel}, styleDisabled{lookAndFeel};
    TPropertyObject* NestedObject(std::string_view name) override {
        if (name == "LookAndFeel")
            return &lookAndFeel;
        if (name == "Style")
            return &style;
        if (name == "StyleDisabled")
            return &styleDisabled;
        return TPatternControl::NestedObject(name);
    }
};

TEST_F(ControlTest, DefinitionsSetPropertiesOfNestedObjectsAndBackgroundFlags) {
    framework::RegisterControlClass("TStyledControl",
                                    [] { return std::make_unique<TStyledControl>(); });
    const char* text = "TStyledForm F {\n"
                       "  TStyledControl A {\n"
                       "    StyleDisabled.LookAndFeel.NativeStyle: True\n"
                       "    Style.Color: clRed\n"
                       "    ParentBackground: True\n"
                       "    Transparent: true\n"
                       "  }\n"
                       "  TStyledControl B {\n"
                       "    LookAndFeel.NativeStyle: False\n"
                       "    Color: clRed\n"
                       "    ParentColor: True\n"
                       "  }\n"
                       "}\n";
    testsupport::TTestFormBase loaded(text, "TStyledForm");
    loaded.CreateFromDefinition();
    auto* a = dynamic_cast<TStyledControl*>(loaded.FindComponent("A"));
    auto* b = dynamic_cast<TStyledControl*>(loaded.FindComponent("B"));
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a->lookAndFeel.nativeStyle) << "reached through StyleDisabled";
    EXPECT_EQ(a->style.color, framework::clRed);
    EXPECT_TRUE(a->ParentBackground());
    EXPECT_TRUE(a->Transparent());
    EXPECT_FALSE(b->lookAndFeel.nativeStyle);
    EXPECT_TRUE(b->ParentColor());
    EXPECT_EQ(b->Color(), loaded.Color()) << "the parent's colour";

    struct Case {
        const char* line;
        const char* reason;
    };
    const Case faults[] = {
        {"Style.Nothing.NativeStyle: True", "line 3: Style.Nothing.NativeStyle: no object Nothing "
                                            "in Style"},
        {"Font.Size: 3", "line 3: Font.Size: no object Font in A"},
        {"Style.LookAndFeel.Kind: lfFlat", "line 3: Kind: unknown property of LookAndFeel"},
        {"Style..Color: clRed", "Style..Color: no object  in Style"},
    };
    for (const Case& c : faults) {
        SCOPED_TRACE(c.line);
        std::string faulty =
            std::string("TStyledForm F {\n  TStyledControl A {\n    ") + c.line + "\n  }\n}\n";
        testsupport::TTestFormBase bad(faulty, "TStyledForm");
        try {
            bad.CreateFromDefinition();
            ADD_FAILURE() << "loaded";
        } catch (const framework::EDefinitionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

} // namespace
