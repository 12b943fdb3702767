// cxGraphicsTests.cpp - TcxCanvas fills, frames, edges, text placement, clipping and bitmap
// turns drawn into 32-bit DIB sections; the region, flag and colour helpers.
#include "lookandfeel/cxGraphics.h"
#include "tests/support/DibSurface.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <climits>
#include <vector>

namespace {

using namespace lookandfeel;
using framework::TBitmap;
using framework::TCanvas;
using testsupport::DescribeRgb;
using testsupport::DibSurface;

COLORREF Sys(int index) {
    return ::GetSysColor(index);
}

/// A canvas pair over a test surface.
struct Painting {
    explicit Painting(DibSurface& surface) : cx(canvas) { canvas.SetHandle(surface.dc()); }
    TCanvas canvas;
    TcxCanvas cx;
};

/// A w x h 32-bit bitmap whose pixel (x, y) is RGB(10 + x, 20 + y, 30 + x * y): every pixel of a
/// small bitmap distinct.
void Paint(TBitmap& bitmap, int w, int h) {
    bitmap.SetPixelFormat(framework::pf32bit);
    bitmap.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.Canvas().SetPixel(
                x, y, static_cast<framework::TColor>(RGB(10 + x, 20 + y, 30 + x * y)));
}
COLORREF PatternAt(int x, int y) {
    return RGB(10 + x, 20 + y, 30 + x * y);
}

int FloorMod(int a, int b) {
    return ((a % b) + b) % b;
}

::testing::AssertionResult ShowsPattern(const DibSurface& s, const RECT& r, int w, int h,
                                        POINT logicalOrigin = {0, 0}) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            COLORREF want =
                PatternAt(FloorMod(x + logicalOrigin.x, w), FloorMod(y + logicalOrigin.y, h));
            if (!s.HasColor(x, y, want))
                return s.HasColor(x, y, want);
        }
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------------------------
// Fills

TEST(FillRect, TilesTheBitmapOnAGridAnchoredAtTheOrigin) {
    DibSurface surface(30, 20);
    Painting p(surface);
    TBitmap tile;
    Paint(tile, 4, 3);
    // The right edge (12) is an exact multiple of the width: no column beyond it may change.
    p.cx.FillRect(RECT{1, 2, 12, 9}, &tile);
    EXPECT_TRUE(ShowsPattern(surface, RECT{1, 2, 12, 9}, 4, 3));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 2, 12, 9}));
    // An adjacent fill continues the same pattern.
    p.cx.FillRect(RECT{12, 2, 17, 9}, &tile);
    p.cx.FillRect(RECT{1, 9, 17, 15}, &tile);
    EXPECT_TRUE(ShowsPattern(surface, RECT{1, 2, 17, 15}, 4, 3));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 2, 17, 15}));
}

TEST(FillRect, TilingStaysAnchoredWhenLogicalCoordinatesAreNegative) {
    DibSurface surface(16, 12);
    Painting p(surface);
    TBitmap tile;
    Paint(tile, 4, 3);
    ::SetWindowOrgEx(surface.dc(), -5, -4, nullptr); // logical (-5, -4) is device (0, 0)
    p.cx.FillRect(RECT{-5, -4, 11, 8}, &tile);
    EXPECT_TRUE(ShowsPattern(surface, surface.bounds(), 4, 3, POINT{-5, -4}));
}

TEST(FillRect, HugeRectangleWithATinyBitmapIsCutToTheVisibleArea) {
    DibSurface surface(20, 10);
    Painting p(surface);
    TBitmap tile;
    Paint(tile, 1, 1);
    auto start = std::chrono::steady_clock::now();
    p.cx.FillRect(RECT{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2}, &tile);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(surface.AllHaveColor(surface.bounds(), PatternAt(0, 0)));
}

TEST(FillRect, EmptyOrInvertedRectanglesAndEmptyBitmapsAreHarmless) {
    DibSurface surface(10, 10);
    Painting p(surface);
    TBitmap empty;
    p.cx.SetBrushColor(framework::clRed);
    p.cx.FillRect(RECT{5, 5, 5, 9});
    p.cx.FillRect(RECT{8, 8, 2, 2});
    p.cx.FillRect(RECT{8, 8, 2, 2}, &empty, true);
    p.cx.FrameRect(RECT{1, 1, 8, 8}, framework::clRed, -3);
    p.cx.DrawTwoColorFrame(RECT{3, 3, 3, 3}, framework::clRed, framework::clRed);
    EXPECT_TRUE(surface.Untouched());
    p.cx.FillRect(RECT{2, 2, 4, 4}, &empty); // an empty bitmap falls back to the brush
    EXPECT_TRUE(surface.AllHaveColor(RECT{2, 2, 4, 4}, RGB(255, 0, 0)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{2, 2, 4, 4}));
}

TEST(FillRect, ExcludeProtectsTheAreaFromLaterDrawing) {
    DibSurface surface(20, 20);
    Painting p(surface);
    ::SetViewportOrgEx(surface.dc(), 2, 1, nullptr); // exclusion is in logical coordinates
    p.cx.SetBrushColor(framework::clRed);
    p.cx.FillRect(RECT{3, 3, 8, 8}, nullptr, true);
    p.cx.SetBrushColor(framework::clBlue);
    p.cx.FillRect(RECT{-2, -1, 18, 19});
    EXPECT_TRUE(surface.AllHaveColor(RECT{5, 4, 10, 9}, RGB(255, 0, 0)));
    EXPECT_EQ(surface.CountColor(surface.bounds(), RGB(0, 0, 255)), 20 * 20 - 25);
}

TEST(SetBrushColor, AnUnchangedColourDoesNotRebuildTheBrush) {
    DibSurface surface(4, 4);
    Painting p(surface);
    p.cx.SetBrushColor(framework::clBtnFace);
    HBRUSH brush = p.cx.Brush().Handle();
    long created = framework::GraphicsObjectStats().BrushesCreated;
    for (int i = 0; i < 100; ++i) {
        p.cx.SetBrushColor(framework::clBtnFace);
        p.cx.FillRect(RECT{0, 0, 4, 4});
    }
    EXPECT_EQ(framework::GraphicsObjectStats().BrushesCreated, created);
    EXPECT_EQ(p.cx.Brush().Handle(), brush);
    p.cx.SetBrushColor(framework::clRed);
    p.cx.FillRect(RECT{0, 0, 4, 4});
    EXPECT_EQ(framework::GraphicsObjectStats().BrushesCreated, created + 1);
    // The same colour on a brush left clear (as after drawing text) fills again.
    p.cx.Brush().SetStyle(framework::bsClear);
    surface.Reset();
    p.cx.SetBrushColor(framework::clRed);
    p.cx.FillRect(RECT{0, 0, 4, 4});
    EXPECT_TRUE(surface.HasColor(1, 1, RGB(255, 0, 0)));
}

// ---------------------------------------------------------------------------------------------
// Frames and edges

TEST(FrameRect, WiderThanTheRectangleFillsItAndNothingElse) {
    DibSurface surface(12, 12);
    Painting p(surface);
    p.cx.FrameRect(RECT{2, 3, 7, 6}, framework::clRed, 10);
    EXPECT_TRUE(surface.AllHaveColor(RECT{2, 3, 7, 6}, RGB(255, 0, 0)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{2, 3, 7, 6}));
}

TEST(FrameRect, DefaultColourKeepsTheBrushAndOnlyNamedSidesArePainted) {
    DibSurface surface(12, 12);
    Painting p(surface);
    p.cx.SetBrushColor(framework::clLime);
    p.cx.FrameRect(RECT{1, 1, 11, 11}, framework::clDefault, 2, TcxBorders{bLeft, bBottom});
    EXPECT_EQ(p.cx.Brush().Color(), framework::clLime);
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 1, 3, 11}, RGB(0, 255, 0)));
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 9, 11, 11}, RGB(0, 255, 0)));
    EXPECT_EQ(surface.CountColor(surface.bounds(), RGB(0, 255, 0)), 2 * 10 + 8 * 2);
    EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 1, 11, 11}));
}

TEST(FillRectWithFrame, FramesThenFillsTheInsideOfTheNamedSides) {
    DibSurface surface(14, 14);
    Painting p(surface);
    p.cx.FillRectWithFrame(RECT{1, 1, 13, 13}, TcxBackground(framework::clYellow),
                           TcxBorders{bTop, bRight}, framework::clNavy, 3, false);
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 1, 13, 4}, RGB(0, 0, 128)));
    EXPECT_TRUE(surface.AllHaveColor(RECT{10, 1, 13, 13}, RGB(0, 0, 128)));
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 4, 10, 13}, RGB(255, 255, 0)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 1, 13, 13}));
}

TEST(DrawTwoColorFrame, LeftAndTopInTheFirstColourThenRightAndBottomOverTheCorners) {
    DibSurface surface(12, 10);
    Painting p(surface);
    const COLORREF lt = RGB(200, 0, 0), rb = RGB(0, 0, 200);
    p.cx.DrawTwoColorFrame(RECT{1, 1, 11, 9}, static_cast<TColor>(lt), static_cast<TColor>(rb),
                           cxBordersAll, 2);
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 1, 3, 7}, lt));
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 1, 9, 3}, lt));
    EXPECT_TRUE(surface.AllHaveColor(RECT{9, 1, 11, 9}, rb)); // right strip covers the top corner
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 7, 11, 9}, rb)); // bottom covers the left corner
    EXPECT_TRUE(surface.InsideUntouched(RECT{3, 3, 9, 7}));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 1, 11, 9}));
}

TEST(DrawTwoColorFrame, AFrameWiderThanAThinRectangleStaysInsideIt) {
    DibSurface surface(10, 10);
    Painting p(surface);
    p.cx.DrawTwoColorFrame(RECT{4, 2, 5, 8}, framework::clRed, framework::clBlue, cxBordersAll, 3);
    EXPECT_TRUE(surface.OutsideUntouched(RECT{4, 2, 5, 8}));
    EXPECT_TRUE(surface.AllHaveColor(RECT{4, 2, 5, 8}, RGB(0, 0, 255)));
}

TEST(DrawEdge, UsesTheButtonColoursPerSideForEachCombination) {
    struct Case {
        bool sunken, outer;
        int leftTop, rightBottom;
    } cases[] = {{true, true, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},
                 {true, false, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
                 {false, true, COLOR_3DLIGHT, COLOR_3DDKSHADOW},
                 {false, false, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "sunken " << c.sunken << ", outer " << c.outer);
        DibSurface surface(10, 8);
        Painting p(surface);
        p.cx.DrawEdge(RECT{1, 1, 9, 7}, c.sunken, c.outer);
        EXPECT_TRUE(surface.AllHaveColor(RECT{1, 1, 2, 6}, Sys(c.leftTop)));     // left
        EXPECT_TRUE(surface.AllHaveColor(RECT{1, 1, 8, 2}, Sys(c.leftTop)));     // top
        EXPECT_TRUE(surface.AllHaveColor(RECT{8, 1, 9, 7}, Sys(c.rightBottom))); // right
        EXPECT_TRUE(surface.AllHaveColor(RECT{1, 6, 9, 7}, Sys(c.rightBottom))); // bottom
        EXPECT_TRUE(surface.InsideUntouched(RECT{2, 2, 8, 6}));
        EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 1, 9, 7}));
    }
}

TEST(DrawFocusRect, InvertsSoThatASecondCallRemovesIt) {
    DibSurface surface(12, 12);
    surface.Fill(DibSurface::PixelOf(RGB(0x40, 0x80, 0xC0)));
    Painting p(surface);
    p.cx.Font().SetColor(framework::clRed);
    p.cx.DrawFocusRect(RECT{1, 1, 11, 11});
    EXPECT_GT(12 * 12 - surface.CountColor(surface.bounds(), RGB(0x40, 0x80, 0xC0)), 0);
    EXPECT_EQ(surface.CountColor(RECT{2, 2, 10, 10}, RGB(0x40, 0x80, 0xC0)), 64);
    EXPECT_EQ(p.cx.Font().Color(), framework::clBlack);
    EXPECT_EQ(p.cx.Brush().Color(), framework::clWhite);
    p.cx.DrawFocusRect(RECT{1, 1, 11, 11});
    EXPECT_TRUE(surface.AllHaveColor(surface.bounds(), RGB(0x40, 0x80, 0xC0)));
}

TEST(InvertRect, InvertsOnlyTheRectangleAndLeavesSourceCopyMode) {
    DibSurface surface(10, 10);
    surface.Fill(DibSurface::PixelOf(RGB(0x10, 0x20, 0x30)));
    Painting p(surface);
    p.cx.InvertRect(RECT{2, 3, 6, 7});
    EXPECT_TRUE(surface.AllHaveColor(RECT{2, 3, 6, 7}, RGB(0xEF, 0xDF, 0xCF)));
    EXPECT_EQ(surface.CountColor(surface.bounds(), RGB(0x10, 0x20, 0x30)), 100 - 16);
    EXPECT_EQ(p.canvas.CopyMode(), static_cast<DWORD>(SRCCOPY));
}

// ---------------------------------------------------------------------------------------------
// Text

/// A surface with a known font on its canvas; text drawn in black on a clear brush.
struct TextPainting : Painting {
    explicit TextPainting(DibSurface& s) : Painting(s) {
        cx.Font().SetName("MS Sans Serif");
        cx.Font().SetHeight(-11);
        cx.Font().SetColor(framework::clBlack);
        cx.Brush().SetStyle(framework::bsClear);
    }
};

TEST(CanvasDrawText, DisabledSingleLineRightAlignedIsEmbossedOnePixelLeftOfEnabledText) {
    const RECT r{2, 2, 118, 30};
    const unsigned flags = cxAlignRight | cxAlignVCenter | cxSingleLine;
    DibSurface enabled(120, 32);
    {
        TextPainting p(enabled);
        p.cx.DrawText("Remove", r, flags, true);
    }
    RECT ink = enabled.BoundsOfColor(RGB(0, 0, 0));
    ASSERT_LT(ink.left, ink.right) << "no text was drawn";

    DibSurface disabled(120, 32);
    TextPainting p(disabled);
    p.cx.DrawText("Remove", r, flags, false);
    RECT shadow = disabled.BoundsOfColor(Sys(COLOR_BTNSHADOW));
    RECT highlight = disabled.BoundsOfColor(Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(shadow.right, ink.right - 1) << "shadow one pixel further left";
    EXPECT_EQ(shadow.top, ink.top) << "vertical centring does not move with the right shift";
    EXPECT_EQ(highlight.right, shadow.right + 1) << "highlight one pixel right of the shadow";
    EXPECT_EQ(highlight.bottom, shadow.bottom + 1) << "highlight one pixel below the shadow";
    EXPECT_TRUE(disabled.OutsideUntouched(r));
    // The brush style and font colour are given back.
    EXPECT_EQ(p.cx.Brush().Style(), framework::bsClear);
    EXPECT_EQ(p.cx.Font().Color(), framework::clBlack);
}

TEST(CanvasDrawText, DisabledTextRestoresASolidBrush) {
    DibSurface surface(80, 20);
    TextPainting p(surface);
    p.cx.Brush().SetStyle(framework::bsSolid);
    p.cx.Font().SetColor(framework::clRed);
    p.cx.DrawText("Exit", RECT{0, 0, 80, 20}, cxSingleLine | cxShowPrefix, false);
    EXPECT_EQ(p.cx.Brush().Style(), framework::bsSolid);
    EXPECT_EQ(p.cx.Font().Color(), framework::clRed);
}

TEST(CanvasDrawText, MultiLineVerticalCentringCentresTheWholeBlock) {
    const char* text = "First\nSecond\nThird";
    DibSurface centred(100, 100);
    TextPainting p(centred);
    p.cx.DrawText(text, RECT{0, 0, 100, 100}, cxAlignHCenter | cxAlignVCenter, true);

    RECT measure{0, 0, 100, 0};
    ::DrawTextA(centred.dc(), text, -1, &measure, DT_CALCRECT | DT_NOPREFIX);
    const int blockHeight = measure.bottom - measure.top;
    ASSERT_GT(blockHeight, 30) << "three lines expected";

    DibSurface expected(100, 100);
    TextPainting q(expected);
    q.cx.DrawText(text, RECT{0, (100 - blockHeight) / 2, 100, 100}, cxAlignHCenter, true);
    RECT got = centred.BoundsOfChanged(), want = expected.BoundsOfChanged();
    EXPECT_TRUE(::EqualRect(&got, &want))
        << "ink (" << got.left << ", " << got.top << ", " << got.right << ", " << got.bottom
        << "), expected (" << want.left << ", " << want.top << ", " << want.right << ", "
        << want.bottom << ")";
}

TEST(CanvasDrawText, MultiLineBottomPlacementAndDisabledOffset) {
    const char* text = "One\nTwo";
    DibSurface surface(60, 60);
    TextPainting p(surface);
    ASSERT_TRUE(p.canvas.RequiredState(framework::csFontValid)); // measure in the canvas font
    RECT measure{0, 0, 60, 0};
    ::DrawTextA(surface.dc(), text, -1, &measure, DT_CALCRECT | DT_NOPREFIX);
    p.cx.DrawText(text, RECT{0, 0, 60, 60}, cxAlignBottom, true);
    RECT bottom = surface.BoundsOfChanged();

    DibSurface top(60, 60);
    TextPainting q(top);
    q.cx.DrawText(text, RECT{0, 60 - measure.bottom, 60, 60}, cxAlignTop, true);
    RECT want = top.BoundsOfChanged();
    EXPECT_TRUE(::EqualRect(&bottom, &want));

    DibSurface disabled(60, 60);
    TextPainting d(disabled);
    d.cx.DrawText(text, RECT{0, 0, 60, 60}, cxAlignBottom, false);
    RECT shadow = disabled.BoundsOfColor(Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(shadow.top, bottom.top - 1) << "bottom placement leaves room for the highlight";
}

TEST(CanvasDrawText, AmpersandIsAPrefixOnlyWhenAsked) {
    DibSurface plain(120, 20), prefixed(120, 20);
    {
        TextPainting p(plain);
        p.cx.DrawText("A&B", RECT{0, 0, 120, 20}, cxSingleLine, true);
    }
    TextPainting p(prefixed);
    p.cx.DrawText("A&B", RECT{0, 0, 120, 20}, cxSingleLine | cxShowPrefix, true);
    RECT a = plain.BoundsOfChanged(), b = prefixed.BoundsOfChanged();
    EXPECT_GT(a.right - a.left, b.right - b.left) << "the '&' is drawn only without the prefix";
    EXPECT_GT(b.bottom, a.bottom) << "the prefixed B is underlined";
}

TEST(CanvasDrawText, ClipsToTheRectangleWhenTheTextDoesNotFit) {
    DibSurface surface(60, 40);
    TextPainting p(surface);
    const RECT single{5, 5, 25, 12};
    p.cx.DrawText("A rather long caption", single, cxSingleLine, true);
    EXPECT_TRUE(surface.OutsideUntouched(single));
    EXPECT_FALSE(surface.Untouched());

    surface.Reset();
    // Wider than the one-line extent of the string but lower than its three lines.
    const RECT block{2, 10, 58, 24};
    p.cx.DrawText("a\nb\nc", block, cxAlignVCenter, true);
    EXPECT_TRUE(surface.OutsideUntouched(block));
    EXPECT_FALSE(surface.Untouched());
    EXPECT_EQ(::GetClipRgn(surface.dc(), TcxRegion().Handle()), 0) << "clip region given back";
}

TEST(CanvasDrawText, EmptyTextAndMeasureOnlyDrawNothing) {
    DibSurface surface(60, 20);
    TextPainting p(surface);
    p.cx.DrawText("", RECT{0, 0, 60, 20}, cxSingleLine, true);
    p.cx.DrawText("Measure", RECT{0, 0, 60, 20}, cxSingleLine | cxDontPrint, true);
    p.cx.DrawText("Measure", RECT{0, 0, 60, 20}, cxWordBreak | cxDontPrint, false);
    EXPECT_TRUE(surface.Untouched());
}

TEST(AlignTextRect, GivesTheTextExtentAlignedInsideTheRectangle) {
    DibSurface surface(4, 4);
    TextPainting p(surface);
    const SIZE extent = p.cx.TextExtent("Caption");
    RECT r{10, 20, 210, 70};
    p.cx.AlignTextRect("Caption", r, cxAlignHCenter | cxAlignVCenter | cxSingleLine);
    EXPECT_EQ(r.left, 10 + (200 - extent.cx) / 2);
    EXPECT_EQ(r.top, 20 + (50 - extent.cy) / 2);
    EXPECT_EQ(r.right - r.left, extent.cx);
    EXPECT_EQ(r.bottom - r.top, extent.cy);

    r = RECT{10, 20, 210, 70};
    p.cx.AlignTextRect("Caption", r, cxAlignRight | cxAlignBottom | cxSingleLine);
    EXPECT_EQ(r.right, 210);
    EXPECT_EQ(r.bottom, 70);
    EXPECT_EQ(r.top, 70 - extent.cy);
}

TEST(TextMeasures, ScreenCanvasAndMeasureFontHeightAgreeWithADib) {
    framework::TFont font;
    font.SetName("Arial");
    font.SetHeight(-24);
    DibSurface surface(4, 4);
    Painting p(surface);
    const int height = p.cx.MeasureFontHeight(font);
    EXPECT_GT(height, 20);
    EXPECT_EQ(p.cx.Font().Name(), "Arial");

    TcxScreenCanvas screen;
    EXPECT_EQ(screen.MeasureFontHeight(font), height);
    EXPECT_EQ(screen.TextWidth("Width"), p.cx.TextWidth("Width"));
    TScreenCanvas plain;
    EXPECT_FALSE(plain.HandleAllocated());
    EXPECT_NE(plain.Handle(), nullptr);
    plain.FreeHandle();
    EXPECT_FALSE(plain.HandleAllocated());
}

TEST(TextFlagsToDrawTextFlags, FollowsTheTable) {
    struct Row {
        unsigned flags;
        UINT expected;
    } rows[] = {
        {0, DT_NOPREFIX},
        {cxAlignLeft | cxAlignTop, DT_NOPREFIX},
        {cxAlignRight, DT_NOPREFIX | DT_RIGHT},
        {cxAlignHCenter, DT_NOPREFIX | DT_CENTER},
        {cxAlignBottom, DT_NOPREFIX | DT_BOTTOM},
        {cxAlignVCenter, DT_NOPREFIX | DT_VCENTER},
        {cxSingleLine, DT_NOPREFIX | DT_SINGLELINE},
        {cxDontClip, DT_NOPREFIX | DT_NOCLIP},
        {cxExpandTabs, DT_NOPREFIX | DT_EXPANDTABS},
        {cxShowPrefix, 0},
        {cxWordBreak, DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL},
        {cxWordBreak | cxDontBreakChars, DT_NOPREFIX | DT_WORDBREAK},
        {cxDontBreakChars, DT_NOPREFIX},
        {cxShowEndEllipsis, DT_NOPREFIX | DT_END_ELLIPSIS},
        {cxDontPrint, DT_NOPREFIX | DT_CALCRECT},
        {cxShowPathEllipsis, DT_NOPREFIX | DT_PATH_ELLIPSIS},
        {612, DT_CENTER | DT_VCENTER | DT_SINGLELINE}, // the push button's caption flags
    };
    for (const Row& row : rows)
        EXPECT_EQ(TextFlagsToDrawTextFlags(row.flags), row.expected)
            << "flags 0x" << std::hex << row.flags;
}

// ---------------------------------------------------------------------------------------------
// Clipping and regions

RECT BoxOf(const TcxRegion& region) {
    RECT box{};
    ::GetRgnBox(region.Handle(), &box);
    return box;
}

::testing::AssertionResult BoxIs(const TcxRegion& region, RECT want) {
    RECT got = BoxOf(region);
    if (::EqualRect(&got, &want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "region box (" << got.left << ", " << got.top << ", " << got.right << ", "
           << got.bottom << "), expected (" << want.left << ", " << want.top << ", " << want.right
           << ", " << want.bottom << ")";
}

TEST(CurrentClipRegion, FallsBackToThe30000SquareMovedByTheOrigin) {
    DibSurface surface(10, 10);
    Painting p(surface);
    EXPECT_TRUE(BoxIs(p.cx.CurrentClipRegion(false), RECT{0, 0, 30000, 30000}));
    ::SetWindowOrgEx(surface.dc(), 5, 7, nullptr);
    ::SetViewportOrgEx(surface.dc(), 1, 1, nullptr);
    EXPECT_EQ(p.cx.DeviceOrigin().x, -4);
    EXPECT_EQ(p.cx.DeviceOrigin().y, -6);
    EXPECT_EQ(p.cx.WindowOrg().x, 5);
    EXPECT_EQ(p.cx.ViewportOrg().y, 1);
    EXPECT_TRUE(BoxIs(p.cx.CurrentClipRegion(true), RECT{4, 6, 30004, 30006}));
    EXPECT_TRUE(BoxIs(p.cx.CurrentClipRegion(false), RECT{0, 0, 30000, 30000}));

    ::IntersectClipRect(surface.dc(), 6, 7, 9, 10); // logical: device (2, 1, 5, 4)
    EXPECT_TRUE(BoxIs(p.cx.CurrentClipRegion(false), RECT{2, 1, 5, 4}));
    EXPECT_TRUE(BoxIs(p.cx.CurrentClipRegion(true), RECT{6, 7, 9, 10}));
}

TEST(ApplyClipRegion, SetAddSubtractAndIntersect) {
    struct Case {
        RegionOperation operation;
        RECT region;
        int expectedCount;
        POINT inside, outside;
    } cases[] = {
        {roSet, {0, 0, 5, 5}, 25, {0, 0}, {12, 12}},
        {roAdd, {0, 0, 5, 5}, 25 + 100, {2, 2}, {7, 7}},
        {roSubtract, {12, 12, 15, 15}, 100 - 9, {10, 10}, {13, 13}},
        {roIntersect, {15, 15, 30, 30}, 25, {17, 17}, {12, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "operation " << int(c.operation));
        DibSurface surface(24, 24);
        Painting p(surface);
        p.cx.IntersectClipRect(RECT{10, 10, 20, 20});
        TcxRegion region(c.region);
        p.cx.ApplyClipRegion(region, c.operation);
        EXPECT_TRUE(BoxIs(region, c.region)) << "a kept region is left as it was";
        p.cx.FillRect(surface.bounds(), framework::clRed);
        EXPECT_EQ(surface.CountColor(surface.bounds(), RGB(255, 0, 0)), c.expectedCount);
        EXPECT_TRUE(surface.HasColor(c.inside.x, c.inside.y, RGB(255, 0, 0)));
        EXPECT_TRUE(surface.IsSentinel(c.outside.x, c.outside.y));
    }
}

TEST(ApplyClipRegion, ConsiderOriginWorksInLogicalCoordinates) {
    DibSurface surface(20, 20);
    Painting p(surface);
    ::SetViewportOrgEx(surface.dc(), 3, 4, nullptr);
    TcxRegion region(0, 0, 5, 5);
    p.cx.ApplyClipRegion(region, roSet, true);
    EXPECT_TRUE(BoxIs(region, RECT{0, 0, 5, 5}));
    p.cx.FillRect(RECT{-3, -4, 17, 16}, framework::clBlue);
    EXPECT_TRUE(surface.AllHaveColor(RECT{3, 4, 8, 9}, RGB(0, 0, 255)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{3, 4, 8, 9}));

    // A remembered region restores the clip exactly.
    TcxRegion saved = p.cx.CurrentClipRegion();
    p.cx.ExcludeClipRect(RECT{0, 0, 5, 1});
    p.cx.ApplyClipRegion(std::move(saved), roSet);
    surface.Reset();
    p.cx.FillRect(RECT{-3, -4, 17, 16}, framework::clBlue);
    EXPECT_TRUE(surface.AllHaveColor(RECT{3, 4, 8, 9}, RGB(0, 0, 255)));
}

TEST(TcxRegion, CombineAndOffset) {
    TcxRegion empty;
    EXPECT_TRUE(empty.IsEmpty());
    TcxRegion a(0, 0, 10, 10);
    a.Combine(TcxRegion(5, 0, 20, 10), roAdd);
    EXPECT_TRUE(BoxIs(a, RECT{0, 0, 20, 10}));
    a.Combine(TcxRegion(RECT{0, 0, 15, 10}), roSubtract);
    EXPECT_TRUE(BoxIs(a, RECT{15, 0, 20, 10}));
    TcxRegion b(16, 2, 30, 4);
    a.Combine(b, roIntersect);
    EXPECT_TRUE(BoxIs(a, RECT{16, 2, 20, 4}));
    EXPECT_TRUE(BoxIs(b, RECT{16, 2, 30, 4}));
    a.Combine(b, roSet);
    a.Offset(-16, 3);
    EXPECT_TRUE(BoxIs(a, RECT{0, 5, 14, 7}));

    HRGN raw = ::CreateRectRgn(0, 0, 1, 1);
    {
        TcxRegion owner(raw);
        TcxRegion other(2, 2, 3, 3);
        HRGN otherHandle = other.Handle();
        owner.Combine(std::move(other), roAdd);
        EXPECT_EQ(::GetObjectType(otherHandle), 0u) << "a consumed region is freed";
    }
    EXPECT_EQ(::GetObjectType(raw), 0u) << "an adopted handle is deleted with its owner";
}

// ---------------------------------------------------------------------------------------------
// Bitmap turns

using Grid = std::vector<std::vector<int>>;

/// The 3 x 2 bitmap of labels 1..6 (row by row), pixel value = label * 0x010101 * 20.
void FillLabels(TBitmap& bitmap) {
    bitmap.SetPixelFormat(framework::pf32bit);
    bitmap.SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bitmap.ScanLine(y)[x] = static_cast<std::uint32_t>(1 + x + 3 * y) * 0x141414u;
}

Grid LabelsOf(const TBitmap& bitmap) {
    Grid grid(static_cast<size_t>(bitmap.Height()),
              std::vector<int>(static_cast<size_t>(bitmap.Width())));
    ::GdiFlush();
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            grid[y][x] = static_cast<int>((bitmap.ScanLine(y)[x] & 0xFFFFFF) / 0x141414u);
    return grid;
}

TEST(TransformBitmap, AllModesWithAndWithoutMirror) {
    struct Case {
        int mode;
        bool mirror;
        Grid expected;
    } cases[] = {
        {0, false, {{1, 2, 3}, {4, 5, 6}}},   {0, true, {{4, 5, 6}, {1, 2, 3}}},
        {1, false, {{3, 6}, {2, 5}, {1, 4}}}, // a quarter turn counter-clockwise
        {1, true, {{1, 4}, {2, 5}, {3, 6}}},  // transposed
        {2, false, {{4, 1}, {5, 2}, {6, 3}}}, // a quarter turn clockwise
        {2, true, {{6, 3}, {5, 2}, {4, 1}}},  {3, false, {{6, 5, 4}, {3, 2, 1}}},
        {3, true, {{3, 2, 1}, {6, 5, 4}}},
    };
    DibSurface surface(4, 4);
    Painting p(surface);
    for (const Case& c : cases) {
        // Through a canvas on another DC, and the natural way: through the bitmap's own canvas,
        // whose DC has the bitmap selected.
        for (bool ownCanvas : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "mode " << c.mode << ", mirror " << c.mirror
                                              << (ownCanvas ? ", own canvas" : ", other canvas"));
            TBitmap bitmap;
            FillLabels(bitmap);
            if (ownCanvas)
                TcxCanvas(bitmap.Canvas()).TransformBitmap(bitmap, c.mode, c.mirror);
            else
                p.cx.TransformBitmap(bitmap, c.mode, c.mirror);
            EXPECT_EQ(bitmap.Width(), static_cast<int>(c.expected[0].size()));
            EXPECT_EQ(bitmap.Height(), static_cast<int>(c.expected.size()));
            EXPECT_EQ(LabelsOf(bitmap), c.expected);
        }
    }
    EXPECT_TRUE(surface.Untouched());
}

TEST(TransformBitmap, DeviceBitmapsAndEmptyOnes) {
    DibSurface surface(4, 4);
    Painting p(surface);
    TBitmap device(3, 2);
    device.Canvas().SetPixel(0, 0, framework::clRed);
    device.Canvas().SetPixel(2, 1, framework::clBlue);
    p.cx.TransformBitmap(device, 1, true);
    ASSERT_EQ(device.Width(), 2);
    ASSERT_EQ(device.Height(), 3);
    EXPECT_EQ(device.Canvas().Pixel(0, 0), framework::clRed);
    EXPECT_EQ(device.Canvas().Pixel(1, 2), framework::clBlue);
    TcxCanvas(device.Canvas()).TransformBitmap(device, 1, true); // and back, on its own canvas
    ASSERT_EQ(device.Width(), 3);
    EXPECT_EQ(device.Canvas().Pixel(0, 0), framework::clRed);
    EXPECT_EQ(device.Canvas().Pixel(2, 1), framework::clBlue);

    TBitmap empty;
    p.cx.TransformBitmap(empty, 2, true);
    EXPECT_TRUE(empty.Empty());
    TBitmap unchanged;
    FillLabels(unchanged);
    p.cx.TransformBitmap(unchanged, 7, true); // no such mode
    EXPECT_EQ(LabelsOf(unchanged), (Grid{{1, 2, 3}, {4, 5, 6}}));
}

// ---------------------------------------------------------------------------------------------
// Colour helpers

TEST(BlendColors, WhiteOrBlackFaceGivesTheHighlightAndPercentagesMayBeNegative) {
    const COLORREF highlight = RGB(10, 36, 106), window = RGB(255, 255, 255);
    EXPECT_EQ(BlendColors(RGB(255, 255, 255), highlight, window, -2, 30, 72),
              static_cast<TColor>(highlight));
    EXPECT_EQ(BlendColors(RGB(0, 0, 0), highlight, window, 14, 44, 40),
              static_cast<TColor>(highlight));
    // 50 % of (200, 150, 100) less 10 % of (100, 100, 100): each term rounded, then summed.
    EXPECT_EQ(BlendColors(RGB(200, 150, 100), RGB(100, 100, 100), RGB(0, 0, 0), 50, -10, 0),
              static_cast<TColor>(RGB(90, 65, 40)));
    // MulDiv rounds each term: 33 % of 5 = 1.65 -> 2, three times.
    EXPECT_EQ(BlendColors(RGB(5, 5, 5), RGB(5, 5, 5), RGB(5, 5, 5), 33, 33, 33),
              static_cast<TColor>(RGB(6, 6, 6)));
    // Clamped to 0..255.
    EXPECT_EQ(BlendColors(RGB(10, 200, 30), RGB(255, 255, 255), RGB(0, 0, 0), -100, 127, 0),
              static_cast<TColor>(RGB(255, 124, 255)));
}

TEST(SystemBlend, BlendsTheSystemColoursOfNow) {
    const COLORREF face = Sys(COLOR_BTNFACE), highlight = Sys(COLOR_HIGHLIGHT);
    const COLORREF window = Sys(COLOR_WINDOW);
    EXPECT_EQ(SystemBlend(-2, 30, 72), BlendColors(face, highlight, window, -2, 30, 72));
    TColor selection = LightSelectionColor();
    TColor pressed = LightPressedColor();
    if (face != 0 && face != 0xFFFFFF) {
        EXPECT_NE(selection, pressed);
    }
    framework::WindowDc screen(nullptr);
    EXPECT_EQ(static_cast<COLORREF>(selection),
              ::GetNearestColor(screen.get(), static_cast<COLORREF>(SystemBlend(-2, 30, 72))));
}

TEST(ShrinkRect, MovesEachSideInwardByItsMargin) {
    RECT r{10, 20, 110, 70};
    ShrinkRect(r, RECT{1, 2, 3, 4});
    const RECT want{11, 22, 107, 66};
    EXPECT_TRUE(::EqualRect(&r, &want));
}

} // namespace
