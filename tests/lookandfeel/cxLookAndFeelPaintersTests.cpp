// cxLookAndFeelPaintersTests.cpp - the painters drawn into 32-bit DIB sections: push-button
// frames, faces and caption placement per style and state, the themed painter with Wine's visual
// style on and off, focus and group widths, arrow geometry, control borders, and the ultra-flat
// face colours following a real system colour change.
// test-lock: theme
// test-lock: syscolors
#include "lookandfeel/cxLookAndFeelPainters.h"
#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/ThemeServices.h"
#include "tests/support/DibSurface.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace lookandfeel;
using framework::TCanvas;
using framework::TColor;
using testsupport::DescribeRgb;
using testsupport::DibSurface;

COLORREF Sys(int index) {
    return ::GetSysColor(index);
}
COLORREF Rgb(TColor color) {
    return framework::ColorToRGB(color);
}

const TcxCustomLookAndFeelPainter& Standard = TcxStandardLookAndFeelPainter::Instance();
const TcxCustomLookAndFeelPainter& Flat = TcxFlatLookAndFeelPainter::Instance();
const TcxCustomLookAndFeelPainter& UltraFlat = TcxUltraFlatLookAndFeelPainter::Instance();
const TcxCustomLookAndFeelPainter& Office11 = TcxOffice11LookAndFeelPainter::Instance();
const TcxCustomLookAndFeelPainter& WinXP = TcxWinXPLookAndFeelPainter::Instance();

/// A canvas pair over a test surface.
struct Painting {
    explicit Painting(DibSurface& surface) : cx(canvas) { canvas.SetHandle(surface.dc()); }
    TCanvas canvas;
    TcxCanvas cx;
};

/// A font whose text height is even. With an odd height the centring of the caption rounds both
/// the even-height and the 18-pixel adjustments away; an even one shows each of them.
void UseEvenHeightFont(TcxCanvas& canvas) {
    canvas.Font().SetName("Tahoma");
    for (int height = 11; height < 20; ++height) {
        canvas.Font().SetHeight(-height);
        if (canvas.TextHeight("Qq") % 2 == 0)
            return;
    }
    FAIL() << "no even text height";
}

constexpr COLORREF kCaptionRed = RGB(255, 0, 0);
const char kCaption[] = "Remove";

/// Where TcxCanvas::DrawText puts the caption in rect with the push button's flags, drawn in red
/// on a surface of the given size (disabled: where its clBtnShadow part goes).
RECT ReferenceCaption(int width, int height, const RECT& rect, bool enabled = true) {
    DibSurface surface(width, height);
    Painting p(surface);
    UseEvenHeightFont(p.cx);
    p.cx.Brush().SetStyle(framework::bsClear);
    p.cx.Font().SetColor(static_cast<TColor>(kCaptionRed));
    p.cx.DrawText(kCaption, rect, cxAlignHCenter | cxAlignVCenter | cxSingleLine | cxShowPrefix,
                  enabled);
    return surface.BoundsOfColor(enabled ? kCaptionRed : Sys(COLOR_BTNSHADOW));
}

::testing::AssertionResult SameRect(const RECT& got, const RECT& want) {
    if (::EqualRect(&got, &want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "got {" << got.left << ", " << got.top << ", " << got.right << ", " << got.bottom
           << "}, want {" << want.left << ", " << want.top << ", " << want.right << ", "
           << want.bottom << "}";
}

// ---------------------------------------------------------------------------------------------
// Push-button frames and faces (no caption), 75 x 23

struct FramePixels {
    const char* name;
    const TcxCustomLookAndFeelPainter* painter;
    TcxButtonState state;
    // Colours along the diagonal from the top-left corner (0,0), (1,1), (2,2), (3,3) and from
    // the bottom-right corner (74,22), (73,21), (72,20).
    TColor topLeft[4];
    TColor bottomRight[3];
};

TEST(PaintButton, FramesAndFacesPerStyleAndState) {
    using namespace framework;
    const TColor black = 0, face = clBtnFace;
    const TColor hot = LightSelectionColor(), pressed = LightPressedColor();
    const FramePixels cases[] = {
        {"Standard default",
         &Standard,
         cxbsDefault,
         {black, clBtnHighlight, cl3DLight, face},
         {black, cl3DDkShadow, clBtnShadow}},
        {"Standard normal",
         &Standard,
         cxbsNormal,
         {clBtnHighlight, cl3DLight, face, face},
         {cl3DDkShadow, clBtnShadow, face}},
        {"Standard pressed",
         &Standard,
         cxbsPressed,
         {black, clBtnShadow, face, face},
         {black, clBtnShadow, face}},
        {"Standard disabled",
         &Standard,
         cxbsDisabled,
         {clBtnHighlight, cl3DLight, face, face},
         {cl3DDkShadow, clBtnShadow, face}},
        {"Flat default",
         &Flat,
         cxbsDefault,
         {black, clBtnHighlight, face, face},
         {black, clBtnShadow, face}},
        {"Flat normal",
         &Flat,
         cxbsNormal,
         {clBtnHighlight, face, face, face},
         {clBtnShadow, face, face}},
        {"Flat pressed",
         &Flat,
         cxbsPressed,
         {clBtnShadow, face, face, face},
         {clBtnHighlight, face, face}},
        {"UltraFlat default",
         &UltraFlat,
         cxbsDefault,
         {clWindowFrame, clWindowFrame, face, face},
         {clWindowFrame, clWindowFrame, face}},
        {"UltraFlat normal",
         &UltraFlat,
         cxbsNormal,
         {clBtnText, face, face, face},
         {clBtnText, face, face}},
        {"UltraFlat hot",
         &UltraFlat,
         cxbsHot,
         {clHighlight, hot, hot, hot},
         {clHighlight, hot, hot}},
        {"UltraFlat pressed",
         &UltraFlat,
         cxbsPressed,
         {clHighlight, pressed, pressed, pressed},
         {clHighlight, pressed, pressed}},
        {"UltraFlat disabled",
         &UltraFlat,
         cxbsDisabled,
         {clBtnShadow, face, face, face},
         {clBtnShadow, face, face}},
        {"Office11 hot",
         &Office11,
         cxbsHot,
         {Office11HotFrameColor(), Office11HotFaceColor(), Office11HotFaceColor(),
          Office11HotFaceColor()},
         {Office11HotFrameColor(), Office11HotFaceColor(), Office11HotFaceColor()}},
        {"Office11 pressed",
         &Office11,
         cxbsPressed,
         {Office11HotFrameColor(), Office11PressedFaceColor(), Office11PressedFaceColor(),
          Office11PressedFaceColor()},
         {Office11HotFrameColor(), Office11PressedFaceColor(), Office11PressedFaceColor()}},
        {"Office11 normal",
         &Office11,
         cxbsNormal,
         {clBtnText, Office11FaceColor(), Office11FaceColor(), Office11FaceColor()},
         {clBtnText, Office11FaceColor(), Office11FaceColor()}},
        {"Office11 disabled",
         &Office11,
         cxbsDisabled,
         {Office11DisabledTextColor(), face, face, face},
         {Office11DisabledTextColor(), face, face}},
        // Without a theme the frame is the Standard one, but its width is reported as 2: the
        // face covers the innermost line of the default frame.
        {"WinXP without theme, default",
         &WinXP,
         cxbsDefault,
         {black, clBtnHighlight, face, face},
         {black, cl3DDkShadow, face}},
    };
    for (const FramePixels& c : cases) {
        SCOPED_TRACE(c.name);
        DibSurface surface(75, 23);
        Painting p(surface);
        c.painter->PaintButton(p.cx, surface.bounds(), "", c.state);
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(surface.HasColor(i, i, Rgb(c.topLeft[i]))) << "at " << i;
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(surface.HasColor(74 - i, 22 - i, Rgb(c.bottomRight[i]))) << "at -" << i;
        EXPECT_TRUE(surface.HasColor(37, 11, Rgb(c.topLeft[3])));
        // The brush is left solid for whatever the caller fills next.
        EXPECT_EQ(p.cx.Brush().Style(), framework::bsSolid);
    }
}

TEST(PaintButton, NoFrameFillsTheWholeRectangleWithTheGivenFace) {
    DibSurface surface(40, 20);
    Painting p(surface);
    Standard.PaintButton(p.cx, RECT{5, 2, 35, 18}, "", cxbsDefault, false, framework::clRed);
    EXPECT_TRUE(surface.AllHaveColor(RECT{5, 2, 35, 18}, RGB(255, 0, 0)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{5, 2, 35, 18}));
}

// ---------------------------------------------------------------------------------------------
// Caption placement

struct CaptionCase {
    const char* name;
    const TcxCustomLookAndFeelPainter* painter;
    TcxButtonState state;
    int width, height;
    RECT captionArea; // where the caption is centred
};

TEST(PaintButton, CaptionIsCentredInTheEvenedFaceRaisedBelowEighteenPixels) {
    const CaptionCase cases[] = {
        // Face 3..72 x 3..20 (17 high): 16 after evening, then one up: 2..19.
        {"Standard default 75x23", &Standard, cxbsDefault, 75, 23, {3, 2, 72, 19}},
        // Face 2..21 (19): 18 after evening, not raised.
        {"Standard normal 75x23", &Standard, cxbsNormal, 75, 23, {2, 2, 73, 20}},
        // Face 2..20 (18): kept.
        {"Standard normal 75x22", &Standard, cxbsNormal, 75, 22, {2, 2, 73, 20}},
        // Face 2..19 (17): 16, raised.
        {"Standard normal 75x21", &Standard, cxbsNormal, 75, 21, {2, 1, 73, 18}},
        // Pressed: face 2 in, then shifted right and down by one.
        {"Standard pressed 75x23", &Standard, cxbsPressed, 75, 23, {3, 3, 74, 21}},
        // Flat pressed: face 1 in (21 high, 20 after evening), shifted by one.
        {"Flat pressed 75x23", &Flat, cxbsPressed, 75, 23, {2, 2, 75, 22}},
        // Ultra-flat pressed content does not move.
        {"UltraFlat pressed 75x23", &UltraFlat, cxbsPressed, 75, 23, {1, 1, 74, 21}},
        {"UltraFlat hot 233x25", &UltraFlat, cxbsHot, 233, 25, {1, 1, 232, 23}},
    };
    for (const CaptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        DibSurface surface(c.width, c.height);
        Painting p(surface);
        UseEvenHeightFont(p.cx);
        c.painter->PaintButton(p.cx, surface.bounds(), kCaption, c.state, true,
                               framework::clDefault, static_cast<TColor>(kCaptionRed));
        RECT got = surface.BoundsOfColor(kCaptionRed);
        EXPECT_FALSE(::IsRectEmpty(&got));
        EXPECT_TRUE(SameRect(got, ReferenceCaption(c.width, c.height, c.captionArea)));
    }
}

TEST(PaintButton, DisabledCaptionIsEmbossedShadowWhateverColourIsAsked) {
    DibSurface surface(75, 23);
    Painting p(surface);
    UseEvenHeightFont(p.cx);
    Standard.PaintButton(p.cx, surface.bounds(), kCaption, cxbsDisabled, true, framework::clDefault,
                         static_cast<TColor>(kCaptionRed));
    EXPECT_EQ(surface.CountColor(surface.bounds(), kCaptionRed), 0);
    const RECT inner{2, 2, 73, 21}; // inside the frame, whose inner lines are partly shadow
    RECT shadow{};
    for (int y = inner.top; y < inner.bottom; ++y)
        for (int x = inner.left; x < inner.right; ++x)
            if (surface.Rgb(x, y) == Sys(COLOR_BTNSHADOW)) {
                RECT pixel{x, y, x + 1, y + 1};
                ::UnionRect(&shadow, &shadow, &pixel);
            }
    EXPECT_TRUE(SameRect(shadow, ReferenceCaption(75, 23, RECT{2, 2, 73, 20}, false)));
    EXPECT_GT(surface.CountColor(inner, Sys(COLOR_BTNHIGHLIGHT)), 0);
}

TEST(PaintButton, CaptionColoursOfHotAndPressedUltraFlatButtons) {
    struct Case {
        const TcxCustomLookAndFeelPainter* painter;
        TcxButtonState state;
        COLORREF caption;
    };
    const Case cases[] = {{&UltraFlat, cxbsHot, Sys(COLOR_BTNTEXT)},
                          {&UltraFlat, cxbsPressed, Sys(COLOR_HIGHLIGHTTEXT)},
                          {&Standard, cxbsPressed, Sys(COLOR_BTNTEXT)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        DibSurface surface(75, 23);
        Painting p(surface);
        c.painter->PaintButton(p.cx, surface.bounds(), kCaption, c.state);
        EXPECT_GT(surface.CountColor(RECT{10, 4, 65, 19}, c.caption), 10);
    }
    EXPECT_EQ(UltraFlat.ButtonCaptionColor(cxbsHot, framework::clRed), framework::clRed);
    EXPECT_EQ(UltraFlat.ButtonCaptionColor(cxbsPressed, framework::clRed),
              framework::clHighlightText);
    EXPECT_EQ(Standard.ButtonCaptionColor(cxbsDisabled, framework::clRed), framework::clBtnShadow);
}

// ---------------------------------------------------------------------------------------------
// Focus bounds and joined buttons

TEST(ButtonFocusBounds, InsetPerStyleOrTheWholeRectangleWhenTooNarrow) {
    DibSurface surface(4, 4);
    Painting p(surface);
    struct Case {
        const TcxCustomLookAndFeelPainter* painter;
        RECT rect, want;
    };
    const Case cases[] = {
        {&Standard, {10, 10, 85, 33}, {14, 14, 81, 29}},
        {&Flat, {10, 10, 85, 33}, {14, 14, 81, 29}},
        {&UltraFlat, {10, 10, 85, 33}, {13, 13, 82, 30}},
        {&Office11, {10, 10, 85, 33}, {13, 13, 82, 30}},
        {&WinXP, {10, 10, 85, 33}, {14, 14, 81, 29}}, // no theme services: no theme
        {&Standard, {0, 0, 6, 23}, {0, 0, 6, 23}},
        {&Standard, {0, 0, 9, 23}, {4, 4, 5, 19}},
        {&UltraFlat, {0, 0, 6, 23}, {0, 0, 6, 23}},
        {&UltraFlat, {0, 0, 7, 23}, {3, 3, 4, 20}},
        {&WinXP, {0, 0, 6, 23}, {0, 0, 6, 23}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.right);
        EXPECT_TRUE(SameRect(c.painter->ButtonFocusBounds(p.cx, c.rect), c.want));
    }
}

TEST(ButtonGroupFrameWidths, UltraFlatWidensTheOuterSidesOfTheRow) {
    using W = TcxFrameWidths;
    EXPECT_EQ(UltraFlat.ButtonGroupFrameWidths(1, 0), (W{2, 2, 1, 2}));
    EXPECT_EQ(Office11.ButtonGroupFrameWidths(1, 0), (W{2, 2, 1, 2}));
    EXPECT_EQ(UltraFlat.ButtonGroupFrameWidths(3, 1), (W{1, 2, 1, 2}));
    EXPECT_EQ(UltraFlat.ButtonGroupFrameWidths(3, 2), (W{1, 2, 2, 2}));
    EXPECT_EQ(Standard.ButtonGroupFrameWidths(1, 0), (W{2, 2, 2, 2}));
    EXPECT_EQ(Flat.ButtonGroupFrameWidths(1, 0), (W{1, 1, 1, 1}));
    EXPECT_EQ(WinXP.ButtonGroupFrameWidths(1, 0), (W{2, 2, 2, 2}));
}

// ---------------------------------------------------------------------------------------------
// Arrows

struct ArrowCase {
    const char* name;
    RECT rect;
    ArrowDirection direction;
    RECT bounds; // of the arrow's pixels
    POINT apex;  // the arrow's point
    int pixels;  // a whole triangle: ((base + 1) / 2) squared
};

TEST(Arrows, BaseHeightAndCentringPerDirection) {
    constexpr COLORREF kArrow = RGB(0, 0, 200);
    const ArrowCase arrows[] = {
        // 16 x 16: base 15 div 2 = 7, height 4.
        {"down 16x16", {2, 3, 18, 19}, ArrowDirection::Down, {6, 9, 13, 13}, {9, 12}, 16},
        // 20 x 11: the square of side 11 in the middle; base 5, height 3.
        {"up 20x11", {0, 0, 20, 11}, ArrowDirection::Up, {7, 4, 12, 7}, {9, 4}, 9},
        // 13 x 13: base 6 raised to 7.
        {"right 13x13", {0, 0, 13, 13}, ArrowDirection::Right, {4, 3, 8, 10}, {7, 6}, 16},
        // 9 x 14: the square of side 9; base 4 raised to 5.
        {"left 9x14", {0, 0, 9, 14}, ArrowDirection::Left, {3, 4, 6, 9}, {3, 6}, 9},
    };
    for (const ArrowCase& c : arrows) {
        SCOPED_TRACE(c.name);
        DibSurface surface(24, 24);
        Painting p(surface);
        Standard.PaintArrow(p.cx, c.rect, c.direction, static_cast<TColor>(kArrow));
        EXPECT_TRUE(SameRect(surface.BoundsOfChanged(), c.bounds));
        EXPECT_EQ(surface.CountColor(surface.bounds(), kArrow), c.pixels);
        EXPECT_TRUE(surface.HasColor(c.apex.x, c.apex.y, kArrow));
    }
}

TEST(Arrows, ArrowButtonSizesTheArrowByTheWholeRectangle) {
    const ArrowCase arrows[] = {
        // Width 30: base 29 div 2 = 14 raised to 15, height 8.
        {"down 30x10", {0, 0, 30, 10}, ArrowDirection::Down, {7, 1, 22, 9}, {14, 8}, 64},
        // Height 10: base 4 raised to 5, height 3.
        {"left 30x10", {0, 0, 30, 10}, ArrowDirection::Left, {13, 2, 16, 7}, {13, 4}, 9},
    };
    const COLORREF text = Sys(COLOR_BTNTEXT);
    for (const ArrowCase& c : arrows) {
        SCOPED_TRACE(c.name);
        DibSurface surface(30, 10);
        Painting p(surface);
        Standard.PaintArrowButton(p.cx, c.rect, cxbsNormal, c.direction, false);
        EXPECT_TRUE(surface.HasColor(0, 0, Sys(COLOR_BTNFACE))); // a plain face, no frame
        EXPECT_TRUE(SameRect(surface.BoundsOfColor(text), c.bounds));
        EXPECT_EQ(surface.CountColor(surface.bounds(), text), c.pixels);
        EXPECT_TRUE(surface.HasColor(c.apex.x, c.apex.y, text));
    }
    DibSurface framed(30, 10);
    Painting p(framed);
    Standard.PaintArrowButton(p.cx, framed.bounds(), cxbsNormal, ArrowDirection::Down, true);
    EXPECT_TRUE(framed.HasColor(0, 0, Sys(COLOR_BTNHIGHLIGHT)));
}

TEST(Arrows, DropDownArrowMovesWhenPressedAndIsEmbossedWhenDisabled) {
    const RECT down{6, 9, 13, 13}; // the arrow of a 16 x 16 rectangle, as above
    struct Case {
        const TcxCustomLookAndFeelPainter* painter;
        TcxButtonState state;
        COLORREF color;
        int shift;
    };
    const Case cases[] = {{&Standard, cxbsNormal, Sys(COLOR_BTNTEXT), 0},
                          {&Standard, cxbsPressed, Sys(COLOR_BTNTEXT), 1},
                          {&Flat, cxbsPressed, Sys(COLOR_BTNTEXT), 1},
                          {&UltraFlat, cxbsPressed, Sys(COLOR_HIGHLIGHTTEXT), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        DibSurface surface(20, 20);
        Painting p(surface);
        c.painter->PaintDropDownArrow(p.cx, RECT{2, 3, 18, 19}, c.state, ArrowDirection::Down);
        RECT want = down;
        ::OffsetRect(&want, c.shift, c.shift);
        EXPECT_TRUE(SameRect(surface.BoundsOfChanged(), want));
        EXPECT_EQ(surface.CountColor(surface.bounds(), c.color), 16);
    }
    DibSurface surface(20, 20);
    Painting p(surface);
    Standard.PaintDropDownArrow(p.cx, RECT{2, 3, 18, 19}, cxbsDisabled, ArrowDirection::Down);
    EXPECT_TRUE(SameRect(surface.BoundsOfColor(Sys(COLOR_BTNSHADOW)), down));
    EXPECT_EQ(surface.CountColor(surface.bounds(), Sys(COLOR_BTNSHADOW)), 16);
    EXPECT_TRUE(SameRect(surface.BoundsOfChanged(), RECT{6, 9, 14, 14}));
    EXPECT_TRUE(surface.HasColor(13, 10, Sys(COLOR_BTNHIGHLIGHT)));
}

/// Every drawing operation of each painter leaves the surface alone for empty rectangles.
void ExpectNothingDrawnIntoEmptyRectangles(
    std::initializer_list<const TcxCustomLookAndFeelPainter*> painters) {
    for (const RECT& r : {RECT{5, 5, 5, 5}, RECT{5, 5, 5, 15}, RECT{9, 9, 3, 3}}) {
        for (const TcxCustomLookAndFeelPainter* painter : painters) {
            SCOPED_TRACE(static_cast<int>(painter->Style()));
            DibSurface surface(20, 20);
            Painting p(surface);
            painter->PaintButton(p.cx, r, kCaption, cxbsDefault);
            painter->PaintButtonFace(p.cx, r, cxbsPressed);
            painter->PaintArrow(p.cx, r, ArrowDirection::Down, framework::clRed);
            painter->PaintArrowButton(p.cx, r, cxbsNormal, ArrowDirection::Up, true);
            painter->PaintDropDownArrow(p.cx, r, cxbsDisabled, ArrowDirection::Down);
            painter->PaintControlBorder(p.cx, r);
            EXPECT_TRUE(surface.Untouched());
        }
    }
}

TEST(EmptyRectangles, DrawNothing) {
    ExpectNothingDrawnIntoEmptyRectangles({&Standard, &Flat, &UltraFlat, &Office11, &WinXP});
}

// ---------------------------------------------------------------------------------------------
// Control borders

TEST(ControlBorder, WidthAndLinesPerStyle) {
    using namespace framework;
    struct Case {
        const char* name;
        const TcxCustomLookAndFeelPainter* painter;
        int width;
        TColor outerLeftTop, outerRightBottom, innerLeftTop, innerRightBottom;
    };
    const Case cases[] = {
        {"Standard", &Standard, 2, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight},
        {"WinXP without theme", &WinXP, 2, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight},
        {"Flat", &Flat, 1, clBtnShadow, clBtnHighlight, clNone, clNone},
        {"UltraFlat", &UltraFlat, 1, clBtnShadow, clBtnShadow, clNone, clNone},
        {"Office11", &Office11, 1, Office11BorderColor(), Office11BorderColor(), clNone, clNone},
    };
    const RECT rect{1, 1, 21, 11};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DibSurface surface(22, 12);
        Painting p(surface);
        EXPECT_EQ(c.painter->ControlBorderWidth(), c.width);
        c.painter->PaintControlBorder(p.cx, rect);
        EXPECT_TRUE(surface.HasColor(1, 5, Rgb(c.outerLeftTop)));
        EXPECT_TRUE(surface.HasColor(10, 1, Rgb(c.outerLeftTop)));
        EXPECT_TRUE(surface.HasColor(20, 5, Rgb(c.outerRightBottom)));
        EXPECT_TRUE(surface.HasColor(10, 10, Rgb(c.outerRightBottom)));
        if (c.width == 2) {
            EXPECT_TRUE(surface.HasColor(2, 5, Rgb(c.innerLeftTop)));
            EXPECT_TRUE(surface.HasColor(19, 5, Rgb(c.innerRightBottom)));
        }
        const RECT inside{1 + c.width, 1 + c.width, 21 - c.width, 11 - c.width};
        EXPECT_TRUE(surface.InsideUntouched(inside));
        EXPECT_TRUE(surface.OutsideUntouched(rect));
    }
}

// ---------------------------------------------------------------------------------------------
// The themed painter with Wine's own visual style on and off

class ThemedPainter : public ::testing::Test {
protected:
    void Start(bool active) {
        style_.emplace(active);
        ASSERT_TRUE(style_->Switched()) << "cannot switch the visual style";
        services_.emplace();
        ASSERT_EQ(ThemeAvailable(ThemedObjectType::Button), active);
    }
    void TearDown() override {
        services_.reset();
        style_.reset();
    }
    std::optional<testsupport::ScopedVisualStyle> style_;
    std::optional<testsupport::ScopedThemeServices> services_;
};

TEST_F(ThemedPainter, StyleOnTakesWidthsFocusAndColoursFromThePushButtonPart) {
    Start(true);
    HTHEME theme = OpenThemeHandle(ThemedObjectType::Button);
    ASSERT_NE(theme, nullptr);
    DibSurface surface(75, 23);
    Painting p(surface);
    const TcxButtonState states[] = {cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled};
    const int ids[] = {5, 1, 2, 3, 4};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        RECT content{};
        ASSERT_TRUE(SUCCEEDED(lookandfeel::GetThemeBackgroundContentRect(
            theme, surface.dc(), 1, ids[i], RECT{0, 0, 100, 100}, content)));
        EXPECT_EQ(WinXP.ButtonFrameWidth(states[i]), content.left);
        COLORREF text = 0;
        ASSERT_TRUE(SUCCEEDED(lookandfeel::GetThemeColor(theme, 1, ids[i], 3803, &text)));
        EXPECT_EQ(WinXP.ButtonCaptionColor(states[i], framework::clRed), static_cast<TColor>(text));
        COLORREF face = 0;
        const TColor wantFace = SUCCEEDED(lookandfeel::GetThemeColor(theme, 1, ids[i], 204, &face))
                                    ? static_cast<TColor>(face)
                                    : framework::clBtnFace;
        EXPECT_EQ(WinXP.ButtonFaceColor(states[i]), wantFace);
    }
    RECT focus{};
    ASSERT_TRUE(SUCCEEDED(lookandfeel::GetThemeBackgroundContentRect(theme, surface.dc(), 1, 1,
                                                                     RECT{10, 10, 85, 33}, focus)));
    EXPECT_TRUE(SameRect(WinXP.ButtonFocusBounds(p.cx, RECT{10, 10, 85, 33}), focus));
    EXPECT_FALSE(SameRect(focus, RECT{14, 14, 81, 29})); // not the classic inset
}

TEST_F(ThemedPainter, StyleOnPaintsTheThemePartAndTextOnly) {
    Start(true);
    HTHEME theme = OpenThemeHandle(ThemedObjectType::Button);
    ASSERT_NE(theme, nullptr);
    // The part's state ids, written out rather than taken from the painter.
    const std::pair<TcxButtonState, int> states[] = {
        {cxbsDefault, 5}, {cxbsNormal, 1}, {cxbsHot, 2}, {cxbsPressed, 3}, {cxbsDisabled, 4}};
    for (const auto& [state, id] : states) {
        SCOPED_TRACE(state);
        DibSurface got(233, 25), want(233, 25);
        Painting p(got), q(want);
        // Face and text colours and the frame flag are the theme's business.
        WinXP.PaintButton(p.cx, got.bounds(), kCaption, state, false, framework::clRed,
                          framework::clRed);
        ASSERT_TRUE(q.canvas.RequiredState(framework::csHandleValid | framework::csFontValid));
        const RECT r = want.bounds();
        lookandfeel::DrawThemeBackground(theme, want.dc(), 1, id, r);
        lookandfeel::DrawThemeText(theme, want.dc(), 1, id, L"Remove", -1, 37, 0, &r);
        EXPECT_EQ(got.CountColor(got.bounds(), RGB(255, 0, 0)), 0);
        RECT changedGot = got.BoundsOfChanged(), changedWant = want.BoundsOfChanged();
        EXPECT_TRUE(SameRect(changedGot, changedWant));
        int differing = 0;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 233; ++x)
                differing += got.Bgra(x, y) != want.Bgra(x, y);
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(ThemedPainter, StyleOnListViewBorderKeepsTheInsideAndTheClipRegion) {
    Start(true);
    HTHEME theme = OpenThemeHandle(ThemedObjectType::ListView);
    ASSERT_NE(theme, nullptr);
    EXPECT_EQ(WinXP.ControlBorderWidth(), 1);
    struct Case {
        RECT rect;
        std::optional<RECT> inside; // kept from the theme part; none for a border 1 pixel thin
    };
    const Case cases[] = {
        {{2, 2, 38, 18}, RECT{3, 3, 37, 17}},
        {{2, 2, 3, 18}, std::nullopt},
        {{2, 2, 38, 3}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rect.right);
        DibSurface got(40, 20), want(40, 20);
        Painting p(got);
        const auto before = testsupport::DcSnapshot::Of(got.dc());
        WinXP.PaintControlBorder(p.cx, c.rect);
        EXPECT_EQ(testsupport::DcSnapshot::Of(got.dc()), before);
        if (c.inside) {
            EXPECT_TRUE(got.InsideUntouched(*c.inside));
            ::ExcludeClipRect(want.dc(), c.inside->left, c.inside->top, c.inside->right,
                              c.inside->bottom);
        }
        lookandfeel::DrawThemeBackground(theme, want.dc(), 5, 0, c.rect);
        int differing = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                differing += got.Bgra(x, y) != want.Bgra(x, y);
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(ThemedPainter, StyleOnDrawsNothingIntoEmptyRectangles) {
    Start(true);
    ExpectNothingDrawnIntoEmptyRectangles({&WinXP});
}

TEST_F(ThemedPainter, StyleOffFallsBackToTheStandardBehaviour) {
    Start(false);
    DibSurface surface(75, 23);
    Painting p(surface);
    for (TcxButtonState state : {cxbsDefault, cxbsNormal, cxbsPressed})
        EXPECT_EQ(WinXP.ButtonFrameWidth(state), 2);
    EXPECT_EQ(WinXP.ButtonFaceColor(cxbsHot), framework::clBtnFace);
    EXPECT_EQ(WinXP.ButtonCaptionColor(cxbsHot, framework::clRed), framework::clRed);
    EXPECT_EQ(WinXP.ButtonCaptionColor(cxbsNormal), framework::clBtnText);
    EXPECT_EQ(WinXP.ButtonCaptionColor(cxbsDisabled, framework::clRed), framework::clBtnShadow);
    EXPECT_TRUE(SameRect(WinXP.ButtonFocusBounds(p.cx, RECT{10, 10, 85, 33}), {14, 14, 81, 29}));
    EXPECT_EQ(WinXP.ControlBorderWidth(), 2);
    const RECT r{0, 0, 50, 50};
    EXPECT_TRUE(SameRect(WinXP.AdjustButtonPaintBounds(r), r));
    // The classic button, with the frame drawn and the caption in the requested colour.
    WinXP.PaintButton(p.cx, surface.bounds(), kCaption, cxbsNormal, true, framework::clDefault,
                      static_cast<TColor>(kCaptionRed));
    EXPECT_TRUE(surface.HasColor(0, 0, Sys(COLOR_BTNHIGHLIGHT)));
    EXPECT_TRUE(surface.HasColor(74, 22, Sys(COLOR_3DDKSHADOW)));
    EXPECT_GT(surface.CountColor(surface.bounds(), kCaptionRed), 10);
}

// ---------------------------------------------------------------------------------------------
// The ultra-flat face colours follow the system colours

/// Sets system colours and puts the old ones back on destruction.
class ScopedSysColors {
public:
    ScopedSysColors(std::vector<int> indices, std::vector<COLORREF> colors)
        : indices_(std::move(indices)) {
        for (int index : indices_)
            old_.push_back(::GetSysColor(index));
        ok_ = ::SetSysColors(static_cast<int>(indices_.size()), indices_.data(), colors.data());
    }
    ~ScopedSysColors() {
        ::SetSysColors(static_cast<int>(indices_.size()), indices_.data(), old_.data());
        testsupport::PumpPendingMessages();
    }
    bool ok() const noexcept { return ok_ != FALSE; }

private:
    std::vector<int> indices_;
    std::vector<COLORREF> old_;
    BOOL ok_;
};

TEST(UltraFlatColorCache, FollowsARealSystemColourChange) {
    InitializePainters();
    struct Finalize {
        ~Finalize() { FinalizePainters(); }
    } finalize;
    const TColor hotBefore = UltraFlat.ButtonFaceColor(cxbsHot);
    const TColor pressedBefore = UltraFlat.ButtonFaceColor(cxbsPressed);
    EXPECT_EQ(hotBefore, LightSelectionColor());
    {
        const COLORREF highlight =
            Sys(COLOR_HIGHLIGHT) == RGB(200, 40, 40) ? RGB(40, 200, 40) : RGB(200, 40, 40);
        ScopedSysColors colors({COLOR_HIGHLIGHT}, {highlight});
        ASSERT_TRUE(colors.ok());
        testsupport::PumpPendingMessages();
        EXPECT_NE(LightSelectionColor(), hotBefore);
        EXPECT_EQ(UltraFlat.ButtonFaceColor(cxbsHot), LightSelectionColor());
        EXPECT_EQ(UltraFlat.ButtonFaceColor(cxbsPressed), LightPressedColor());
        DibSurface surface(75, 23);
        Painting p(surface);
        UltraFlat.PaintButton(p.cx, surface.bounds(), "", cxbsHot);
        EXPECT_TRUE(surface.HasColor(37, 11, Rgb(LightSelectionColor())));
        EXPECT_TRUE(surface.HasColor(0, 0, highlight));
    }
    EXPECT_EQ(UltraFlat.ButtonFaceColor(cxbsHot), hotBefore);
    EXPECT_EQ(UltraFlat.ButtonFaceColor(cxbsPressed), pressedBefore);
}

} // namespace
