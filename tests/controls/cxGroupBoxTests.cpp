// test-lock: theme
// test-lock: input
// The base control's notifications, the container's style resolution and border extents, and the
// group box: caption places, the dialog's frame and client area, caption fonts and texts, native
// and border frames drawn through WM_PRINTCLIENT into 32-bit DIBs, the disabled style, the
// accelerator from real key input, and a box placed by a window definition.
#include "controls/cxGroupBox.h"
#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/ThemeServices.h"
#include "tests/support/Input.h"
#include "tests/support/DibSurface.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/TestForm.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace controls;
using framework::TColor;
using lookandfeel::TcxLookAndFeel;
using testsupport::DibSurface;

COLORREF Rgb(TColor color) {
    return framework::ColorToRGB(color);
}

/// A form with a group box "Box" holding a button "Child"; extra lines go into the box.
std::string BoxDefinition(const std::string& boxLines, const std::string& font = "Tahoma") {
    return "TBoxForm F {\n"
           "  ClientSize: 320 220\n"
           "  Color: clWhite\n"
           "  Font: \"" +
           font +
           "\" -11\n"
           "  TButton Outside {\n    Bounds: 290 190 25 25\n    TabOrder: 1\n  }\n"
           "  TcxGroupBox Box {\n"
           "    Bounds: 9 5 273 113\n"
           "    TabOrder: 0\n" +
           boxLines +
           "    TButton Second {\n      Bounds: 100 40 60 25\n      TabOrder: 1\n    }\n"
           "    TButton Child {\n      Bounds: 10 40 60 25\n      TabOrder: 0\n    }\n"
           "  }\n"
           "}\n";
}

class GroupBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        framework::RegisterStandardClasses();
        RegisterGroupBoxClasses();
    }
    void SetUp() override { lookandfeel::InitializeLookAndFeel(); }
    void TearDown() override {
        form.reset();
        lookandfeel::FinalizeLookAndFeel();
    }

    TcxGroupBox& Build(const std::string& boxLines, const std::string& font = "Tahoma") {
        form =
            std::make_unique<testsupport::TTestFormBase>(BoxDefinition(boxLines, font), "TBoxForm");
        form->CreateFromDefinition();
        form->Show();
        ::SetWindowPos(form->Handle(), HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
        application.ProcessMessages();
        return Box();
    }
    TcxGroupBox& Box() { return dynamic_cast<TcxGroupBox&>(*form->FindComponent("Box")); }
    framework::TWinControl& Control(const char* name) {
        return dynamic_cast<framework::TWinControl&>(*form->FindComponent(name));
    }
    /// The box as WM_PRINTCLIENT draws it, on a white surface.
    std::unique_ptr<DibSurface> Print(TcxGroupBox& box) {
        auto surface = std::make_unique<DibSurface>(box.Width(), box.Height());
        surface->Fill(0x00FFFFFF);
        ::SendMessageA(box.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface->dc()),
                       PRF_CLIENT);
        return surface;
    }
    static bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        return testsupport::PumpUntil(done, timeoutMs);
    }

    testsupport::ScopedThemeServices services;
    framework::TApplication application;
    std::unique_ptr<testsupport::TTestFormBase> form;
};

// --- Base control -------------------------------------------------------------------------------

class TProbeControl : public TcxControl {
public:
    std::vector<std::string> log;
    bool erase = false;

protected:
    void Paint(framework::TCanvas&) override {}
    bool IsEraseBackgroundNeeded() const override { return erase; }
    void LookAndFeelChanged(TcxLookAndFeel&, lookandfeel::TcxLookAndFeelValues changed) override {
        log.push_back("laf " + std::to_string(changed.ToBits()));
    }
    void MouseEnter(framework::TWinControl* c) override {
        log.push_back(c == this ? "enter self" : "enter other");
    }
    void MouseLeave(framework::TWinControl* c) override {
        log.push_back(c == this ? "leave self" : "leave other");
    }
    void FontChanged() override { log.push_back("font"); }
    void TextChanged() override { log.push_back("text " + Caption()); }
};

TEST_F(GroupBoxTest, TheBaseControlPassesOnItsNotificationsAndErasesOnlyWhenAsked) {
    Build("");
    TProbeControl probe;
    probe.SetParent(form.get());
    probe.SetBounds(0, 0, 20, 20);
    probe.CreateHandle();
    probe.log.clear();
    framework::TWinControl& other = Control("Outside");
    probe.Perform(framework::CM_MOUSEENTER, 0, 0);
    probe.Perform(framework::CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(&other));
    probe.SetCaption("New");
    probe.Perform(WM_SETFONT, 0, 0);
    probe.LookAndFeel().SetNativeStyle(!probe.LookAndFeel().NativeStyle());
    const std::vector<std::string> expected = {"enter self", "leave other", "text New", "font",
                                               "laf 2"};
    EXPECT_EQ(probe.log, expected);

    DibSurface surface(20, 20);
    EXPECT_EQ(probe.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0), 1);
    EXPECT_TRUE(surface.Untouched());
    probe.erase = true;
    probe.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(surface.dc()), 0);
    EXPECT_FALSE(surface.IsSentinel(10, 10));
}

// --- Styles -------------------------------------------------------------------------------------

TEST_F(GroupBoxTest, StylesResolveOwnValuesThenTheControllerThenTheDefaults) {
    TcxGroupBox& box = Build("");
    box.SetParentColor(false);
    TcxContainerStyle& normal = box.Style();
    TcxContainerStyle& focused = box.StyleFocused();
    TcxContainerStyle& disabled = box.StyleDisabled();
    TcxContainerStyle& hot = box.StyleHot();

    // One look-and-feel for the four styles; the box's own follows it.
    EXPECT_EQ(&disabled.LookAndFeel(), &normal.LookAndFeel());
    EXPECT_EQ(&hot.LookAndFeel(), &normal.LookAndFeel());
    EXPECT_EQ(box.LookAndFeel().Master(), &normal.LookAndFeel());
    EXPECT_EQ(&disabled.Font(), &normal.Font());

    EXPECT_EQ(normal.BorderColor(), framework::clWindowFrame);
    EXPECT_EQ(disabled.BorderColor(), framework::clBtnShadow);
    EXPECT_EQ(normal.Color(), framework::clBtnFace); // a face-coloured owner
    EXPECT_EQ(disabled.TextColor(), framework::clBtnShadow);
    EXPECT_EQ(normal.TextColor(), normal.Font().Color());
    EXPECT_EQ(normal.Edges(), lookandfeel::cxBordersAll);
    EXPECT_TRUE(normal.HotTrack());
    EXPECT_FALSE(normal.Shadow());
    EXPECT_TRUE(normal.TransparentBorder());

    normal.SetBorderColor(framework::clRed);
    normal.SetColor(framework::clYellow);
    normal.SetShadow(true);
    EXPECT_EQ(focused.BorderColor(), framework::clRed);        // focused and hot take the normal's
    EXPECT_EQ(disabled.BorderColor(), framework::clBtnShadow); // disabled has its own default
    EXPECT_EQ(disabled.Color(), framework::clYellow);
    EXPECT_TRUE(hot.Shadow());
    hot.SetShadow(false); // shared values are the normal style's
    EXPECT_TRUE(hot.Shadow());

    // Border styles: the normal one by look-and-feel kind, the others mapped by state.
    struct KindCase {
        lookandfeel::TcxLookAndFeelKind kind;
        TcxContainerBorderStyle border;
    };
    for (auto [kind, border] :
         {KindCase{lookandfeel::lfFlat, cbsFlat}, KindCase{lookandfeel::lfStandard, cbs3D},
          KindCase{lookandfeel::lfUltraFlat, cbsUltraFlat},
          KindCase{lookandfeel::lfOffice11, cbsOffice11}}) {
        normal.LookAndFeel().SetKind(kind);
        EXPECT_EQ(normal.BorderStyle(), border) << int(kind);
    }
    struct MapCase {
        TcxContainerBorderStyle normal, hot;
    };
    for (auto [from, to] :
         {MapCase{cbsNone, cbsFlat}, MapCase{cbsSingle, cbsThick}, MapCase{cbsThick, cbsThick},
          MapCase{cbsFlat, cbs3D}, MapCase{cbs3D, cbs3D}, MapCase{cbsUltraFlat, cbsUltraFlat}}) {
        normal.SetBorderStyle(from);
        EXPECT_EQ(hot.BorderStyle(), to) << int(from);
        EXPECT_EQ(focused.BorderStyle(), to) << int(from);
        EXPECT_EQ(disabled.BorderStyle(), from) << int(from);
    }
    normal.SetHotTrack(false);
    normal.SetBorderStyle(cbsSingle);
    EXPECT_EQ(hot.BorderStyle(), cbsSingle);

    // With ParentColor the normal style answers the parent's colour before its own.
    box.SetParentColor(true);
    EXPECT_EQ(normal.Color(), framework::clWhite);
    EXPECT_EQ(disabled.Color(), framework::clWhite);
    box.SetParentColor(false);

    // A controller fills in what the styles leave unassigned; assigned values win.
    TcxStyleController controller;
    controller.Style(cxStyleDisabled).SetBorderColor(framework::clLime);
    controller.Style().SetTextColor(framework::clNavy);
    normal.SetStyleController(&controller);
    EXPECT_EQ(disabled.BorderColor(), framework::clLime);
    EXPECT_EQ(normal.TextColor(), framework::clNavy);
    EXPECT_EQ(normal.BorderColor(), framework::clRed);
    normal.SetAssignedValues(normal.AssignedValues() & ~StyleValueBit(svBorderColor));
    EXPECT_EQ(normal.BorderColor(), framework::clWindowFrame);
    normal.SetStyleController(nullptr);
    EXPECT_EQ(disabled.BorderColor(), framework::clBtnShadow);
    // A box that goes while it follows the controller is no longer told of its changes.
    normal.SetStyleController(&controller);
    form.reset();
    controller.Style().SetColor(framework::clRed);
}

TEST_F(GroupBoxTest, BorderExtentsAndEdgeHelpers) {
    EXPECT_EQ(ContainerBorderWidth(cbsNone), 0);
    EXPECT_EQ(ContainerBorderWidth(cbsSingle), 1);
    EXPECT_EQ(ContainerBorderWidth(cbs3D), 2);
    EXPECT_EQ(ContainerBorderWidth(cbsOffice11), 1);
    RECT grown =
        ExtendRectByBorders(RECT{10, 10, 20, 20}, 2, {lookandfeel::bLeft, lookandfeel::bBottom});
    EXPECT_TRUE(::EqualRect(&grown, std::array{RECT{8, 10, 20, 22}}.data()));
    RECT shape = ContainerShapeRect(RECT{0, 0, 100, 50}, RECT{2, 16, 2, 2}, 1,
                                    {lookandfeel::bLeft, lookandfeel::bTop});
    EXPECT_TRUE(::EqualRect(&shape, std::array{RECT{1, 15, 98, 48}}.data()));

    // Alignment alCenterCenter keeps the editor's extents: those decide there.
    TcxGroupBox& box = Build("    Alignment: alCenterCenter\n");
    struct Case {
        bool transparent;
        TcxContainerBorderStyle border;
        lookandfeel::TcxBorders edges;
        bool shadow;
        RECT extent;
    };
    const Case cases[] = {
        {true, cbsThick, lookandfeel::cxBordersAll, false, {2, 2, 2, 2}},
        {false, cbsThick, lookandfeel::cxBordersAll, false, {2, 2, 2, 2}},
        {false, cbsSingle, {lookandfeel::bTop}, false, {0, 1, 0, 0}},
        {false, cbsUltraFlat, {lookandfeel::bLeft, lookandfeel::bRight}, false, {1, 0, 1, 0}},
        {false, cbsNone, lookandfeel::cxBordersAll, true, {0, 0, 3, 3}},
        {true, cbsSingle, lookandfeel::cxBordersAll, true, {2, 2, 5, 5}},
    };
    for (const Case& c : cases) {
        box.Style().SetTransparentBorder(c.transparent);
        box.Style().SetBorderStyle(c.border);
        box.Style().SetEdges(c.edges);
        box.Style().SetShadow(c.shadow);
        RECT client{};
        box.AdjustClientRect(client);
        RECT want{c.extent.left, c.extent.top, box.Width() - c.extent.right,
                  box.Height() - c.extent.bottom};
        EXPECT_TRUE(::EqualRect(&client, &want))
            << c.border << " got " << client.left << "," << client.top << "," << client.right << ","
            << client.bottom;
    }
}

// --- Captions -----------------------------------------------------------------------------------

TEST_F(GroupBoxTest, CaptionRectanglesForEveryAlignment) {
    TcxGroupBox& box = Build("    Caption: \"Options\"\n");
    const int W = box.Width(), H = box.Height();
    struct Case {
        TcxCaptionAlignment alignment;
        std::function<RECT(int tw, int th, int c)> expected;
    };
    const Case cases[] = {
        {alTopLeft,
         [](int tw, int th, int) {
             return RECT{8, 0, 8 + tw, th};
         }},
        {alTopCenter,
         [&](int tw, int th, int c) {
             return RECT{(W - c - tw) / 2, 0, (W - c - tw) / 2 + tw, th};
         }},
        {alTopRight,
         [&](int tw, int th, int c) {
             return RECT{W - 8 - c - tw, 0, W - 8 - c, th};
         }},
        {alBottomLeft,
         [&](int tw, int th, int) {
             return RECT{8, H - th - 2, 8 + tw, H - 2};
         }},
        {alBottomCenter,
         [&](int tw, int th, int c) {
             return RECT{(W - c - tw) / 2, H - th - 2, (W - c - tw) / 2 + tw, H - 2};
         }},
        {alBottomRight,
         [&](int tw, int th, int c) {
             return RECT{W - 8 - c - tw, H - th - 2, W - 8 - c, H - 2};
         }},
        {alLeftTop,
         [](int tw, int th, int) {
             return RECT{-1, 8, th - 1, 8 + tw};
         }},
        {alLeftCenter,
         [&](int tw, int th, int c) {
             int bottom = (H - c) - (H - c - tw) / 2;
             return RECT{-1, bottom - tw, th - 1, bottom};
         }},
        {alLeftBottom,
         [&](int tw, int th, int c) {
             return RECT{-1, H - c - 8 - tw, th - 1, H - c - 8};
         }},
        {alRightTop,
         [&](int tw, int th, int) {
             return RECT{W - th + 1, 8, W + 1, 8 + tw};
         }},
        {alRightCenter,
         [&](int tw, int th, int) {
             return RECT{W - th + 1, (H - tw) / 2, W + 1, (H - tw) / 2 + tw};
         }},
        {alRightBottom,
         [&](int tw, int th, int) {
             return RECT{W - th + 1, H - 8 - tw, W + 1, H - 8};
         }},
        {alCenterCenter,
         [&](int tw, int th, int c) {
             int left = (W - c - tw) / 2, top = (H - c - th) / 2;
             return RECT{left, top, left + tw, top + th};
         }},
    };
    for (bool shadow : {false, true}) {
        box.Style().SetShadow(shadow);
        for (const Case& c : cases) {
            box.SetAlignment(c.alignment);
            box.ShortRefreshContainer();
            // The text's extent along its baseline and across it, in the caption font.
            HDC screen = ::GetDC(nullptr);
            HGDIOBJ old = ::SelectObject(screen, box.CaptionFont().Handle());
            SIZE extent;
            ::GetTextExtentPoint32A(screen, "Options", 7, &extent);
            ::SelectObject(screen, old);
            ::ReleaseDC(nullptr, screen);
            RECT want = c.expected(extent.cx, extent.cy, shadow ? 3 : 0);
            const RECT& got = box.GroupBoxViewInfo().CaptionRect;
            EXPECT_TRUE(::EqualRect(&got, &want))
                << "alignment " << int(c.alignment) << " shadow " << shadow << ": got " << got.left
                << "," << got.top << "," << got.right << "," << got.bottom << " want " << want.left
                << "," << want.top << "," << want.right << "," << want.bottom;
            EXPECT_EQ(box.GroupBoxViewInfo().CaptionBitmap.Width(), want.right - want.left);
        }
    }
}

TEST_F(GroupBoxTest, VerticalCaptionsDropAcceleratorMarkersAndTurnBitmapFontsIntoArial) {
    struct TextCase {
        const char* caption;
        TcxCaptionAlignment alignment;
        const char* shown;
    };
    for (const TextCase& c :
         {TextCase{"&Options", alLeftCenter, "Options"}, TextCase{"A&&B", alRightTop, "A&B"},
          TextCase{"Save&", alLeftBottom, "Save_"}, TextCase{"&Options", alTopLeft, "&Options"},
          TextCase{"Save&", alCenterCenter, "Save&"}})
        EXPECT_EQ(GroupBoxDisplayCaption(c.caption, c.alignment), c.shown) << c.caption;

    // A font of bitmaps. Wine has TrueType fonts of the same names as its bitmap fonts: the
    // bitmap one is asked for by its precision.
    TcxGroupBox& box = Build("    Caption: \"&Options\"\n");
    std::optional<framework::TFont> bitmapFont;
    // Any raster face the system enumerates, at one of its own sizes (the test prefix has the
    // bitmap faces of Windows).
    LOGFONTA found{};
    HDC screen = ::GetDC(nullptr);
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    ::EnumFontFamiliesExA(
        screen, &query,
        [](const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM out) -> int {
            if (!(type & RASTER_FONTTYPE))
                return 1;
            *reinterpret_cast<LOGFONTA*>(out) = *font;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    if (found.lfFaceName[0]) {
        framework::TFont font;
        font.SetHandle(::CreateFontIndirectA(&found));
        HGDIOBJ old = ::SelectObject(screen, font.Handle());
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(screen, &metrics);
        ::SelectObject(screen, old);
        if (!(metrics.tmPitchAndFamily & TMPF_TRUETYPE))
            bitmapFont.emplace(font);
    }
    ::ReleaseDC(nullptr, screen);
    if (!bitmapFont && !testsupport::InsideTestPrefix())
        GTEST_SKIP() << "no bitmap font";
    ASSERT_TRUE(bitmapFont) << "the test prefix lacks the bitmap faces (tools/winerun)";
    box.Style().SetFont(*bitmapFont);
    const std::string bitmapName = bitmapFont->Name();
    EXPECT_EQ(box.CaptionTextFlags(), UINT(DT_SINGLELINE));
    EXPECT_EQ(box.CaptionFont().Name(), bitmapName);
    struct FontCase {
        TcxCaptionAlignment alignment;
        int angle;
    };
    for (auto [alignment, angle] : {FontCase{alLeftCenter, 900}, FontCase{alRightBottom, 2700}}) {
        box.SetAlignment(alignment);
        EXPECT_EQ(box.DisplayCaption(), "Options");
        EXPECT_EQ(box.CaptionTextFlags(), UINT(DT_SINGLELINE | DT_NOPREFIX));
        EXPECT_EQ(box.CaptionFont().Name(), "Arial");
        EXPECT_EQ(box.CaptionFont().LogFont().lfEscapement, angle);
        EXPECT_EQ(box.CaptionFont().LogFont().lfOrientation, angle);
    }
    box.SetAlignment(alTopLeft);
    EXPECT_EQ(box.CaptionFont().Name(), bitmapName);
    EXPECT_EQ(box.CaptionFont().LogFont().lfEscapement, 0);
    EXPECT_EQ(box.DisplayCaption(), "&Options");
    // A TrueType font keeps its face when turned.
    framework::TFont tahoma(box.Style().Font());
    tahoma.SetName("Tahoma");
    box.Style().SetFont(tahoma);
    box.SetAlignment(alLeftTop);
    EXPECT_EQ(box.CaptionFont().Name(), "Tahoma");

    // The turned caption is drawn inside its strip on the left side.
    box.Style().SetTextColor(framework::clRed);
    box.ShortRefreshContainer();
    auto surface = Print(box);
    const RECT& strip = box.GroupBoxViewInfo().CaptionRect;
    RECT red = surface->BoundsOfColor(RGB(255, 0, 0));
    EXPECT_FALSE(::IsRectEmpty(&red));
    EXPECT_GE(red.left, std::max(strip.left, 0L));
    EXPECT_LE(red.right, strip.right);
    EXPECT_GE(red.top, strip.top);
    EXPECT_LE(red.bottom, strip.bottom);
    EXPECT_GT(red.bottom - red.top, red.right - red.left); // runs up the side
}

// --- The dialog's box ---------------------------------------------------------------------------

TEST_F(GroupBoxTest, TheDialogsBoxHasItsFrameLineAtSixAndItsClientAreaInsideIt) {
    // Wine maps "MS Sans Serif" to a TrueType face ("Qq" 12 high) unless its bitmap font of that
    // name is added by its file; that one is the dialog's font: "Qq" 13 high at 8 points.
    struct PrivateFont {
        const char* file = "Z:\\usr\\share\\wine\\fonts\\sserife.fon";
        int added = ::AddFontResourceExA(file, FR_PRIVATE, nullptr);
        ~PrivateFont() {
            if (added)
                ::RemoveFontResourceExA(file, FR_PRIVATE, nullptr);
        }
    } privateFont;
    for (const char* caption : {"", "Warning"})
        for (bool native : {false, true}) {
            SCOPED_TRACE(std::string("caption \"") + caption + "\" native " +
                         (native ? "on" : "off"));
            testsupport::ScopedVisualStyle style(native);
            TcxGroupBox& box = Build(std::string("    Caption: \"") + caption + "\"\n" +
                                         "    Style.LookAndFeel.NativeStyle: True\n"
                                         "    StyleDisabled.LookAndFeel.NativeStyle: True\n",
                                     "MS Sans Serif");
            ASSERT_EQ(box.Width(), 273);
            // Either way the frame line runs at h / 2 = 6.
            const int h = box.GroupBoxViewInfo().CaptionHeight;
            // Wine may keep the face it mapped the name to before the bitmap font was added.
            HDC screen = ::GetDC(nullptr);
            HGDIOBJ old = ::SelectObject(screen, box.Style().Font().Handle());
            TEXTMETRICA metrics{};
            ::GetTextMetricsA(screen, &metrics);
            ::SelectObject(screen, old);
            ::ReleaseDC(nullptr, screen);
            const bool bitmapFace = !(metrics.tmPitchAndFamily & TMPF_TRUETYPE);
            EXPECT_EQ(h, bitmapFace ? 13 : 12);
            EXPECT_EQ(box.ViewInfo().NativeStyle, native && testsupport::VisualStyleActive());
            RECT client{};
            box.AdjustClientRect(client);
            RECT want{2, bitmapFace ? 16 : 15, 271, 111};
            EXPECT_TRUE(::EqualRect(&client, &want))
                << client.left << "," << client.top << "," << client.right << "," << client.bottom;
            EXPECT_EQ(box.GroupBoxViewInfo().BorderRect.top, h / 2 + 1);
            // The frame line: drawn at y = 6, nothing above it at the middle of the box.
            auto surface = Print(box);
            const int x = box.Width() - 20;
            COLORREF background = surface->Rgb(x, 3);
            EXPECT_NE(surface->Rgb(x, 6), background);
            EXPECT_EQ(surface->Rgb(x, 5), background);
            EXPECT_EQ(surface->Rgb(x, 0), background);
            EXPECT_EQ(surface->Rgb(box.Width() / 2, 50), surface->Rgb(x, 8));
        }
}

TEST_F(GroupBoxTest, TheNativeFrameIsTheThemesGroupBoxPartDrawnBelowHalfTheCaption) {
    testsupport::ScopedVisualStyle style(true);
    if (!testsupport::VisualStyleActive())
        GTEST_SKIP() << "no visual style";
    TcxGroupBox& box = Build("    Style.LookAndFeel.NativeStyle: True\n");
    ASSERT_TRUE(box.ViewInfo().NativeStyle);
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "disabled");
        box.SetEnabled(enabled);
        box.ShortRefreshContainer();
        EXPECT_EQ(box.ViewInfo().NativeState, enabled ? 1 : 2);
        EXPECT_EQ(&box.ActiveStyle(), enabled ? &box.Style() : &box.StyleDisabled());
        auto surface = Print(box);
        // The reference: the part drawn by the theme library over the same white surface.
        DibSurface reference(box.Width(), box.Height());
        reference.Fill(0x00FFFFFF);
        HTHEME theme = lookandfeel::OpenThemeHandle(lookandfeel::ThemedObjectType::Button);
        ASSERT_NE(theme, nullptr);
        int half = box.GroupBoxViewInfo().CaptionHeight / 2;
        RECT frame{0, half, box.Width(), box.Height()};
        lookandfeel::DrawThemeBackground(theme, reference.dc(), 4, enabled ? 1 : 2, frame);
        int differing = 0;
        for (int y = 0; y < box.Height(); ++y)
            for (int x = 0; x < box.Width(); ++x)
                differing += surface->Rgb(x, y) != reference.Rgb(x, y);
        EXPECT_EQ(differing, 0);
        EXPECT_NE(reference.Rgb(box.Width() / 2, half), RGB(255, 255, 255));
    }
}

// A switch of the visual style repaints the box in the new style (the theme-change notice; no
// colour change comes with it): what the screen shows afterwards is what a fresh paint shows.
TEST_F(GroupBoxTest, AVisualStyleSwitchRepaintsTheBoxInTheNewStyle) {
    for (bool from : {true, false}) {
        SCOPED_TRACE(from ? "style on, then off" : "style off, then on");
        testsupport::ScopedVisualStyle style(from);
        if (testsupport::VisualStyleActive() != from)
            GTEST_SKIP() << "the visual style cannot be switched";
        TcxGroupBox& box = Build("    Caption: \"Options\"\n"
                                 "    Style.LookAndFeel.NativeStyle: True\n");
        RECT r;
        ::GetWindowRect(box.Handle(), &r);
        // The box's own pixels: its children (system buttons) repaint themselves.
        auto own = [&](const DibSurface& shot, int x, int y) {
            POINT p{r.left + x, r.top + y};
            return ::ChildWindowFromPointEx(
                       box.Handle(),
                       [&] {
                           POINT c = p;
                           ::ScreenToClient(box.Handle(), &c);
                           return c;
                       }(),
                       CWP_ALL) == box.Handle()
                       ? shot.Rgb(x, y)
                       : COLORREF(0);
        };
        auto differing = [&](const DibSurface& a, const DibSurface& b) {
            int n = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    n += own(a, x, y) != own(b, x, y);
            return n;
        };
        PumpUntil([] { return false; }, 200);
        const auto before = testsupport::CaptureScreen(r);
        ASSERT_TRUE(testsupport::SetVisualStyle(!from));
        testsupport::PumpPendingMessages();
        PumpUntil([] { return false; }, 300);
        const auto shown = testsupport::CaptureScreen(r);
        ::RedrawWindow(box.Handle(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        PumpUntil([] { return false; }, 200);
        const auto fresh = testsupport::CaptureScreen(r);
        EXPECT_GT(differing(*before, *fresh), 0) << "the two styles draw the box differently";
        EXPECT_EQ(differing(*shown, *fresh), 0) << "repainted in the new style";
        form.reset();
    }
}

TEST_F(GroupBoxTest, ADisabledBoxDrawsWithTheDisabledStyleAndTheDisabledThemeTextColour) {
    TcxGroupBox& box = Build("    Caption: \"Options\"\n    Style.Color: clYellow\n"
                             "    StyleDisabled.Color: clLime\n");
    ASSERT_FALSE(box.ViewInfo().NativeStyle);
    box.SetEnabled(false);
    box.ShortRefreshContainer();
    EXPECT_EQ(&box.ActiveStyle(), &box.StyleDisabled());
    EXPECT_EQ(box.ViewInfo().BorderColor, framework::clBtnShadow); // the ultra-flat border
    auto surface = Print(box);
    EXPECT_TRUE(surface->HasColor(box.Width() / 2, 50, RGB(0, 255, 0)));
    EXPECT_TRUE(surface->HasColor(box.Width() / 2, 6, Rgb(framework::clBtnShadow)));
    // The caption in the disabled text colour.
    const RECT& caption = box.GroupBoxViewInfo().CaptionRect;
    EXPECT_GT(surface->CountColor(caption, Rgb(framework::clBtnShadow)), 0);

    testsupport::ScopedVisualStyle style(true);
    if (!testsupport::VisualStyleActive())
        GTEST_SKIP() << "no visual style";
    box.Style().LookAndFeel().SetNativeStyle(true);
    HTHEME theme = lookandfeel::OpenThemeHandle(lookandfeel::ThemedObjectType::Button);
    COLORREF text[2];
    if (FAILED(lookandfeel::GetThemeColor(theme, 4, 1, 3803, &text[0])) ||
        FAILED(lookandfeel::GetThemeColor(theme, 4, 2, 3803, &text[1])) || text[0] == text[1])
        GTEST_SKIP() << "the theme has one text colour for both states";
    for (bool enabled : {true, false}) {
        box.SetEnabled(enabled);
        box.ShortRefreshContainer();
        auto themed = Print(box);
        EXPECT_GT(themed->CountColor(box.GroupBoxViewInfo().CaptionRect, text[enabled ? 0 : 1]), 0)
            << enabled;
    }
}

// --- Border frames ------------------------------------------------------------------------------

TEST_F(GroupBoxTest, BorderFramesOfEveryStyleWithoutTheVisualStyle) {
    testsupport::ScopedVisualStyle style(false);
    TcxGroupBox& box = Build("    Style.Color: clYellow\n    Style.BorderColor: clRed\n");
    ASSERT_FALSE(box.ViewInfo().NativeStyle);
    const COLORREF yellow = RGB(255, 255, 0), red = RGB(255, 0, 0);
    const COLORREF shadow = Rgb(framework::clBtnShadow), light = Rgb(framework::clBtnHighlight);
    const COLORREF frame = Rgb(framework::clWindowFrame), highlight = Rgb(framework::clHighlight);
    const COLORREF hotFrame = Rgb(lookandfeel::Office11HotFrameColor());
    struct Case {
        TcxContainerBorderStyle border;
        bool ctl3D;
        COLORREF top[3];  // rows 5, 6, 7 at the middle
        COLORREF left[3]; // columns 0, 1, 2 at the middle
    };
    const Case cases[] = {
        {cbsNone, true, {yellow, yellow, yellow}, {yellow, yellow, yellow}},
        {cbsSingle, true, {yellow, red, yellow}, {yellow, red, yellow}},
        {cbsThick, true, {red, red, yellow}, {red, red, yellow}},
        {cbsFlat, true, {shadow, light, yellow}, {shadow, light, yellow}},
        {cbs3D, true, {shadow, light, yellow}, {shadow, light, yellow}},
        {cbs3D, false, {frame, yellow, yellow}, {frame, yellow, yellow}},
        {cbsUltraFlat, true, {yellow, highlight, yellow}, {yellow, highlight, yellow}},
        {cbsOffice11, true, {yellow, hotFrame, yellow}, {yellow, hotFrame, yellow}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.border) + (c.ctl3D ? "" : " without Ctl3D"));
        box.Style().SetBorderStyle(c.border);
        box.SetCtl3D(c.ctl3D);
        auto surface = Print(box);
        int mx = box.Width() / 2, my = box.Height() / 2;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(surface->HasColor(mx, 5 + i, c.top[i])) << "row " << 5 + i;
            EXPECT_TRUE(surface->HasColor(i, my, c.left[i])) << "column " << i;
        }
        EXPECT_TRUE(surface->HasColor(mx, 2, yellow));
        EXPECT_TRUE(surface->HasColor(mx, my, yellow));
    }
    // Transparent: the parent's image instead of the colour; the frame stays.
    box.Style().SetBorderStyle(cbsSingle);
    box.SetTransparent(true);
    auto surface = Print(box);
    const COLORREF formColor = Rgb(framework::clWhite);
    EXPECT_TRUE(surface->HasColor(box.Width() / 2, box.Height() / 2, formColor));
    EXPECT_TRUE(surface->HasColor(box.Width() / 2, 6, red));
}

TEST_F(GroupBoxTest, TheShadowIsDrawnOnlyForTopLeftAndCentredCaptions) {
    testsupport::ScopedVisualStyle style(false);
    TcxGroupBox& box = Build("    Caption: \"Options\"\n    Style.Color: clYellow\n"
                             "    Style.Shadow: True\n    Style.BorderStyle: cbsSingle\n");
    const COLORREF shadow = Rgb(framework::clBtnShadow);
    struct Case {
        TcxCaptionAlignment alignment;
        bool shadow;
    };
    for (auto [alignment, expected] :
         {Case{alTopLeft, true}, Case{alLeftCenter, true}, Case{alCenterCenter, true},
          Case{alBottomRight, false}, Case{alBottomLeft, false}, Case{alRightTop, false}}) {
        SCOPED_TRACE(int(alignment));
        box.SetAlignment(alignment);
        box.ShortRefreshContainer();
        EXPECT_EQ(box.ViewInfo().Shadow, expected);
        auto surface = Print(box);
        // The strip right of the frame, halfway down.
        int count = surface->CountColor(
            RECT{box.Width() - 4, box.Height() / 2 - 5, box.Width(), box.Height() / 2 + 5}, shadow);
        EXPECT_EQ(count > 0, expected) << count;
    }
}

TEST_F(GroupBoxTest, AlignedChildrenShareTheClientAreaInsideTheFrame) {
    TcxGroupBox& box = Build("    Caption: \"Options\"\n"
                             "    TButton Header {\n      Align: alTop\n      Height: 20\n    }\n"
                             "    TButton Body {\n      Align: alClient\n    }\n");
    auto& header = Control("Header");
    auto& body = Control("Body");
    framework::TFont large(box.Style().Font());
    large.SetHeight(-30);
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"alTopLeft", [&] { box.SetAlignment(alTopLeft); }},
        {"alLeftCenter", [&] { box.SetAlignment(alLeftCenter); }},
        {"alBottomRight", [&] { box.SetAlignment(alBottomRight); }},
        // The box's font is its normal style's: a larger one moves the frame inwards.
        {"larger style font", [&] { box.Style().SetFont(large); }},
        {"no transparent border", [&] { box.Style().SetTransparentBorder(false); }},
        {"thick border", [&] { box.Style().SetBorderStyle(cbsThick); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        change.apply();
        RECT area{};
        box.AdjustClientRect(area);
        RECT got;
        ::GetWindowRect(header.Handle(), &got);
        ::MapWindowPoints(nullptr, box.Handle(), reinterpret_cast<POINT*>(&got), 2);
        RECT want{area.left, area.top, area.right, area.top + 20};
        EXPECT_TRUE(::EqualRect(&got, &want)) << got.left << "," << got.top;
        ::GetWindowRect(body.Handle(), &got);
        ::MapWindowPoints(nullptr, box.Handle(), reinterpret_cast<POINT*>(&got), 2);
        want = RECT{area.left, area.top + 20, area.right, area.bottom};
        EXPECT_TRUE(::EqualRect(&got, &want))
            << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
    // The unaligned child keeps its place.
    EXPECT_EQ(Control("Child").Left(), 10);
}

// --- Keys and definitions -----------------------------------------------------------------------

TEST_F(GroupBoxTest, AltWithTheCaptionsAcceleratorFocusesTheFirstChild) {
    TcxGroupBox& box = Build("    Caption: \"&Options\"\n");
    framework::TWinControl& outside = Control("Outside");
    framework::TWinControl& child = Control("Child");
    ::SetFocus(outside.Handle());
    application.ProcessMessages();
    ASSERT_EQ(::GetFocus(), outside.Handle());
    auto altWith = [](WORD key) { testsupport::PressKeys({VK_MENU, key}); };
    altWith('X'); // not the accelerator
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(::GetFocus(), outside.Handle());
    altWith('O');
    EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == child.Handle(); }));
    // A disabled box does not take its accelerator.
    ::SetFocus(outside.Handle());
    box.SetEnabled(false);
    altWith('O');
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(::GetFocus(), outside.Handle());
}

TEST_F(GroupBoxTest, ADefinitionPlacesTheBoxWithNativeStyleAndChildren) {
    TcxGroupBox& box = Build("    Style.LookAndFeel.NativeStyle: True\n"
                             "    Alignment: alBottomCenter\n"
                             "    Style.Edges: bLeft bBottom\n"
                             "    Style.TextStyle: fsBold\n"
                             "    LookAndFeel.Kind: lfFlat\n");
    EXPECT_TRUE(box.Style().LookAndFeel().NativeStyle());
    EXPECT_TRUE(box.StyleDisabled().LookAndFeel().NativeStyle());
    EXPECT_TRUE(box.LookAndFeel().NativeStyle()); // followed
    EXPECT_EQ(box.LookAndFeel().Kind(), lookandfeel::lfFlat);
    EXPECT_EQ(box.Style().LookAndFeel().Kind(), lookandfeel::lfUltraFlat);
    EXPECT_EQ(box.Alignment(), alBottomCenter);
    EXPECT_EQ(box.Style().Edges(),
              (lookandfeel::TcxBorders{lookandfeel::bLeft, lookandfeel::bBottom}));
    EXPECT_TRUE(box.Style().TextStyle().Contains(framework::fsBold));
    EXPECT_EQ(box.Style().Font().Name(), "Tahoma");
    EXPECT_EQ(::GetParent(Control("Child").Handle()), box.Handle());
    LONG_PTR styleBits = ::GetWindowLongPtrA(box.Handle(), GWL_STYLE);
    EXPECT_FALSE(styleBits & WS_TABSTOP);
    EXPECT_TRUE(::GetWindowLongPtrA(box.Handle(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    // Tab from the box's last child leaves it for the form's next control.
    EXPECT_EQ(::GetNextDlgTabItem(form->Handle(), Control("Child").Handle(), FALSE),
              Control("Second").Handle());

    // Printing with PRF_CHECKVISIBLE draws nothing of a hidden box.
    box.SetVisible(false);
    DibSurface hidden(box.Width(), box.Height());
    ::SendMessageA(box.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hidden.dc()),
                   PRF_CLIENT | PRF_CHECKVISIBLE);
    EXPECT_TRUE(hidden.Untouched());
    ::SendMessageA(box.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hidden.dc()), PRF_CLIENT);
    EXPECT_FALSE(hidden.Untouched());

    // A caption given before the window exists is shown once it does.
    TcxGroupBox late;
    late.SetCaption("&Late");
    late.SetParent(form.get());
    late.CreateHandle();
    EXPECT_EQ(late.DisplayCaption(), "&Late");
    EXPECT_FALSE(::IsRectEmpty(&late.GroupBoxViewInfo().CaptionRect));
    late.SetParent(nullptr);

    testsupport::TTestFormBase bad(BoxDefinition("    Alignment: alMiddle\n"), "TBoxForm");
    EXPECT_THROW(bad.CreateFromDefinition(), framework::EDefinitionError);
}

} // namespace
