// Office11ColorsTests.cpp - the Office 11 palette: its colour helpers, the blends of system
// colours (from injected colour snapshots), scheme detection through a faked theme-name query
// with the real visual style on, the gradient fill and bitmap recolouring on 32-bit DIBs, and
// the holders of the program's palette.
// test-lock: theme
#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/ThemeServices.h"
#include "lookandfeel/cxGraphics.h"
#include "tests/support/DibSurface.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace lookandfeel;
using framework::TBitmap;
using testsupport::DescribeRgb;
using testsupport::DibSurface;

TColor Nearest(COLORREF rgb) {
    return NearestScreenColor(static_cast<TColor>(rgb));
}

::testing::AssertionResult SameColor(TColor expected, TColor got) {
    if (expected == got)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected " << DescribeRgb(static_cast<COLORREF>(expected)) << ", got "
           << DescribeRgb(static_cast<COLORREF>(got));
}

COLORREF BrushColor(HBRUSH brush) {
    LOGBRUSH info{};
    if (::GetObjectA(brush, sizeof(info), &info) != sizeof(info))
        return CLR_INVALID;
    return info.lbColor;
}

/// Every test leaves the program's palette without holders.
class PaletteTest : public ::testing::Test {
protected:
    void TearDown() override {
        while (Office11PaletteHolders() > 0)
            ReleaseOffice11Palette();
    }
};

// --- Colour helpers ---------------------------------------------------------------------------

TEST(Office11Helpers, MiddleColorRoundsEachProductAndCapsAtWhite) {
    // 25 % of (100, 0, 1) plus 75 % of (0, 200, 3): blue 0.25 rounds down, 2.25 down.
    EXPECT_TRUE(
        SameColor(Nearest(RGB(25, 150, 2)), MiddleColor(RGB(100, 0, 1), RGB(0, 200, 3), 25)));
    // Half of 3 is 1.5, rounded up to 2; half of 255 twice is 128 + 128, capped.
    EXPECT_TRUE(
        SameColor(Nearest(RGB(2, 255, 255)), MiddleColor(RGB(3, 255, 255), RGB(0, 255, 255), 50)));
    EXPECT_TRUE(
        SameColor(Nearest(RGB(10, 20, 30)), MiddleColor(RGB(10, 20, 30), RGB(1, 2, 3), 100)));
    EXPECT_TRUE(SameColor(Nearest(RGB(1, 2, 3)), MiddleColor(RGB(10, 20, 30), RGB(1, 2, 3), 0)));
    // System colours are resolved first.
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    EXPECT_TRUE(SameColor(Nearest(face), MiddleColor(framework::clBtnFace, RGB(9, 9, 9), 100)));
}

TEST(Office11Helpers, CaptionToneLighterAndDarker) {
    EXPECT_TRUE(SameColor(Nearest(RGB(128, 177, 255)),
                          CaptionTone(CaptionToneKind::Lighter, RGB(0, 100, 255))));
    EXPECT_TRUE(SameColor(Nearest(RGB(4, 103, 255)),
                          CaptionTone(CaptionToneKind::Darker, RGB(0, 100, 255))));
    EXPECT_TRUE(SameColor(Nearest(RGB(255, 254, 255)),
                          CaptionTone(CaptionToneKind::Darker, RGB(254, 253, 255))));
    EXPECT_TRUE(SameColor(CaptionTone(CaptionToneKind::Lighter, ::GetSysColor(COLOR_BTNFACE)),
                          CaptionTone(CaptionToneKind::Lighter)));
}

// --- Computation from system colours ----------------------------------------------------------

SystemColorSet ContrivedColors() {
    SystemColorSet set = SystemColorSet::Current();
    set.Set(COLOR_BTNFACE, RGB(200, 100, 50));
    set.Set(COLOR_WINDOW, RGB(255, 255, 255));
    set.Set(COLOR_BTNSHADOW, RGB(100, 50, 25));
    set.Set(COLOR_HIGHLIGHT, RGB(0, 0, 128));
    return set;
}

TEST(Office11Compute, WithoutSchemeEntriesAreBlendsOfTheSystemColours) {
    SystemColorSet system = ContrivedColors();
    Office11Colors c = ComputeOffice11Colors(Office11Scheme::None, true, system);
    EXPECT_EQ(c.Scheme, Office11Scheme::None);
    EXPECT_FALSE(c.SchemeActive);
    EXPECT_EQ(c.Tuning, 75);
    EXPECT_TRUE(SameColor(Nearest(RGB(243, 221, 210)), c.Entries[0])); // 22 % face, 78 % window
    EXPECT_TRUE(SameColor(RGB(200, 100, 50), c.Entries[2]));
    EXPECT_TRUE(SameColor(Nearest(RGB(140, 103, 85)), c.Entries[5])); // 74 % shadow
    EXPECT_TRUE(SameColor(RGB(204, 163, 157), c.Entries[27]));        // raw blend (41, 11, 48)
    EXPECT_TRUE(SameColor(Nearest(RGB(227, 177, 152)), c.Entries[38]));
    EXPECT_TRUE(SameColor(Nearest(RGB(201, 103, 54)), c.Entries[39]));
    EXPECT_TRUE(SameColor(RGB(0, 0, 128), c.Entries[21]));
    EXPECT_TRUE(SameColor(0xFFFFFF, c.Entries[15]));
    EXPECT_TRUE(SameColor(static_cast<TColor>(system.Get(COLOR_GRAYTEXT)), c.Entries[31]));
    EXPECT_TRUE(SameColor(static_cast<TColor>(system.Get(COLOR_HIGHLIGHTTEXT)), c.Entries[48]));
    // Entries that repeat others.
    EXPECT_EQ(c.Entries[17], c.Entries[1]);
    EXPECT_EQ(c.Entries[35], c.Entries[18]);
    EXPECT_EQ(c.Entries[45], c.Entries[24]);
    // Mix 0 blends shadow with the window colour, mix 3 with the face.
    EXPECT_TRUE(SameColor(Nearest(RGB(178, 153, 141)), c.Mix[0]));
    EXPECT_TRUE(SameColor(Nearest(RGB(150, 75, 38)), c.Mix[3]));
    EXPECT_TRUE(SameColor(static_cast<TColor>(system.Get(COLOR_BTNHIGHLIGHT)), c.LightEdge));
    EXPECT_TRUE(SameColor(RGB(200, 100, 50), c.InfoColor));
    EXPECT_TRUE(SameColor(Nearest(RGB(200, 100, 50)), c.Spare1));
}

TEST(Office11Compute, PureWhiteOrBlackFaceMakesEveryBlendTheHighlight) {
    for (COLORREF face : {RGB(255, 255, 255), RGB(0, 0, 0)}) {
        SCOPED_TRACE(DescribeRgb(face));
        SystemColorSet system = SystemColorSet::Current();
        system.Set(COLOR_BTNFACE, face);
        const COLORREF highlight = system.Get(COLOR_HIGHLIGHT);
        Office11Colors c = ComputeOffice11Colors(Office11Scheme::None, false, system);
        for (int entry : {6, 7, 8, 9, 20, 22, 23, 24, 25, 28, 40, 41, 44, 45}) {
            SCOPED_TRACE(entry);
            EXPECT_TRUE(SameColor(Nearest(highlight), c.Entries[static_cast<size_t>(entry)]));
        }
        for (int entry : {27, 33, 42, 43}) {
            SCOPED_TRACE(entry);
            EXPECT_TRUE(
                SameColor(static_cast<TColor>(highlight), c.Entries[static_cast<size_t>(entry)]));
        }
    }
}

TEST(Office11Compute, SchemeTableIgnoresSystemColoursButNeedsThemes) {
    SystemColorSet system = ContrivedColors();
    Office11Colors olive = ComputeOffice11Colors(Office11Scheme::Olive, true, system);
    EXPECT_TRUE(olive.SchemeActive);
    EXPECT_EQ(olive.Tuning, 125);
    EXPECT_TRUE(SameColor(0xDEF7F4, olive.Entries[0]));
    EXPECT_TRUE(SameColor(0xA7D9D9, olive.Entries[2]));
    EXPECT_TRUE(SameColor(0x447A63, olive.Entries[47]));
    EXPECT_TRUE(SameColor(0xC9EEFD, olive.InfoColor));
    EXPECT_TRUE(SameColor(0xFFFFFF, olive.LightEdge));
    EXPECT_EQ(olive.Spare2, olive.Entries[47]);
    // Mix 0 blends entry 5 with entry 0 (90 %).
    EXPECT_TRUE(SameColor(MiddleColor(0x8CC2B0, 0xDEF7F4, 90), olive.Mix[0]));

    Office11Colors blue = ComputeOffice11Colors(Office11Scheme::Blue, true, system);
    EXPECT_TRUE(SameColor(0x800000, blue.Entries[21]));
    EXPECT_TRUE(SameColor(0x962D00, blue.Entries[18]));
    EXPECT_EQ(blue.Tuning, 41);
    Office11Colors silver = ComputeOffice11Colors(Office11Scheme::Silver, true, system);
    EXPECT_TRUE(SameColor(0xFFFAFD, silver.Entries[19]));
    EXPECT_TRUE(SameColor(0xBA9EA0, silver.Entries[39]));
    EXPECT_EQ(silver.Tuning, 40);

    // Without themes a detected variant does not count: system colours again.
    Office11Colors unthemed = ComputeOffice11Colors(Office11Scheme::Olive, false, system);
    EXPECT_FALSE(unthemed.SchemeActive);
    EXPECT_TRUE(SameColor(RGB(200, 100, 50), unthemed.Entries[2]));
    EXPECT_EQ(unthemed.Tuning, 75);
}

// --- The program's palette without theme services (classic desktop) ---------------------------

TEST_F(PaletteTest, ClassicDesktopTakesTheSystemColours) {
    ASSERT_FALSE(ThemesAvailable());
    AcquireOffice11Palette();
    EXPECT_EQ(Office11CurrentScheme(), Office11Scheme::None);
    EXPECT_FALSE(Office11SchemeActive());
    EXPECT_TRUE(SameColor(static_cast<TColor>(::GetSysColor(COLOR_BTNFACE)), Office11FaceColor()));
    EXPECT_TRUE(SameColor(NearestScreenColor(SystemBlend(-2, 30, 72)), Office11Entry(20)));
    EXPECT_TRUE(SameColor(Office11Entry(20), Office11HotFaceColor()));
    EXPECT_TRUE(
        SameColor(static_cast<TColor>(::GetSysColor(COLOR_BTNSHADOW)), Office11BorderColor()));
    EXPECT_EQ(Office11Entry(-1), framework::clNone);
    EXPECT_EQ(Office11Entry(kOffice11EntryCount), framework::clNone);
}

TEST_F(PaletteTest, BrushesFollowTheEntriesAndSecondNamesShareAHandle) {
    AcquireOffice11Palette();
    const std::vector<std::pair<Office11Brush, TColor>> expected = {
        {Office11Brush::Entry12, Office11Entry(12)}, {Office11Brush::Entry13, Office11Entry(13)},
        {Office11Brush::Entry14, Office11Entry(14)}, {Office11Brush::Entry15, Office11Entry(15)},
        {Office11Brush::Entry18, Office11Entry(18)}, {Office11Brush::Entry19, Office11Entry(19)},
        {Office11Brush::Entry20, Office11Entry(20)}, {Office11Brush::Entry21, Office11Entry(21)},
        {Office11Brush::Entry26, Office11Entry(26)}, {Office11Brush::Entry27, Office11Entry(27)},
        {Office11Brush::Entry28, Office11Entry(28)}, {Office11Brush::Entry29, Office11Entry(29)},
        {Office11Brush::Group, Office11GroupColor()}};
    std::set<HBRUSH> handles;
    for (const auto& [brush, colour] : expected) {
        SCOPED_TRACE(static_cast<int>(brush));
        HBRUSH handle = Office11BrushHandle(brush);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(BrushColor(handle), static_cast<COLORREF>(colour));
        handles.insert(handle);
    }
    EXPECT_EQ(handles.size(), expected.size());
    EXPECT_EQ(Office11BrushHandle(Office11Brush::Border),
              Office11BrushHandle(Office11Brush::Entry18));
    EXPECT_EQ(Office11BrushHandle(Office11Brush::LightBackground),
              Office11BrushHandle(Office11Brush::Entry19));
    EXPECT_EQ(Office11BrushHandle(Office11Brush::LightSelection),
              Office11BrushHandle(Office11Brush::Entry20));
    EXPECT_EQ(Office11BrushHandle(static_cast<Office11Brush>(99)), nullptr);
}

TEST_F(PaletteTest, TheLastOfTwoHoldersFreesBrushesAndBitmaps) {
    EXPECT_EQ(Office11BrushHandle(Office11Brush::Entry13), nullptr);
    AcquireOffice11Palette();
    AcquireOffice11Palette();
    EXPECT_EQ(Office11PaletteHolders(), 2);
    HBRUSH brush = Office11BrushHandle(Office11Brush::Entry13);
    HBRUSH shared = Office11BrushHandle(Office11Brush::Entry18);
    HBITMAP arrow = Office11SubmenuArrowBitmap().Handle();
    ASSERT_NE(arrow, nullptr);

    ReleaseOffice11Palette();
    EXPECT_EQ(Office11PaletteHolders(), 1);
    EXPECT_EQ(Office11BrushHandle(Office11Brush::Entry13), brush);
    EXPECT_EQ(::GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(::GetObjectType(arrow), static_cast<DWORD>(OBJ_BITMAP));

    ReleaseOffice11Palette();
    EXPECT_EQ(Office11PaletteHolders(), 0);
    EXPECT_EQ(Office11BrushHandle(Office11Brush::Entry13), nullptr);
    EXPECT_EQ(Office11BrushHandle(Office11Brush::Border), nullptr);
    EXPECT_EQ(::GetObjectType(brush), 0u);
    EXPECT_EQ(::GetObjectType(shared), 0u);
    EXPECT_EQ(::GetObjectType(arrow), 0u);
    EXPECT_TRUE(Office11SubmenuArrowBitmap().Empty());

    // A release without a holder must not leave the count below zero: the next acquire is again
    // the first and creates the brushes.
    ReleaseOffice11Palette();
    EXPECT_EQ(Office11PaletteHolders(), 0);
    AcquireOffice11Palette();
    EXPECT_NE(Office11BrushHandle(Office11Brush::Entry13), nullptr);
}

TEST_F(PaletteTest, RefreshRebuildsObjectsOnlyWithHolders) {
    RefreshOffice11Palette();
    EXPECT_EQ(Office11BrushHandle(Office11Brush::Entry12), nullptr);
    EXPECT_TRUE(Office11ExpandPlusBitmap().Empty());

    AcquireOffice11Palette();
    HBRUSH before = Office11BrushHandle(Office11Brush::Entry12);
    RefreshOffice11Palette();
    HBRUSH after = Office11BrushHandle(Office11Brush::Entry12);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_EQ(::GetObjectType(before), 0u);
    EXPECT_EQ(BrushColor(after), static_cast<COLORREF>(Office11Entry(12)));
}

TEST_F(PaletteTest, BitmapsComeFromTheResourcesAndTheArrowTakesTheGradient) {
    AcquireOffice11Palette();
    const TBitmap& minus = Office11ExpandMinusBitmap();
    const TBitmap& plus = Office11ExpandPlusBitmap();
    EXPECT_EQ(minus.Width(), 9);
    EXPECT_EQ(minus.Height(), 9);
    EXPECT_EQ(plus.Width(), 9);
    EXPECT_EQ(plus.Height(), 9);

    const TBitmap& arrow = Office11SubmenuArrowBitmap();
    ASSERT_EQ(arrow.PixelFormat(), framework::pf32bit);
    ASSERT_EQ(arrow.Width(), 8);
    ASSERT_EQ(arrow.Height(), 9);
    ::GdiFlush();
    auto rgb = [&](int x, int y) {
        std::uint32_t p = arrow.ScanLine(y)[x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    };
    EXPECT_EQ(rgb(0, 0), RGB(255, 0, 255)); // background kept
    EXPECT_EQ(rgb(6, 4), RGB(0, 0, 0));     // the black edge kept
    // The lightest grey (top) becomes entry 0, the darkest (bottom) entry 1.
    EXPECT_TRUE(SameColor(Nearest(static_cast<COLORREF>(Office11Entry(0))),
                          static_cast<TColor>(rgb(2, 0))));
    EXPECT_TRUE(SameColor(Nearest(static_cast<COLORREF>(Office11Entry(1))),
                          static_cast<TColor>(rgb(2, 7))));
}

// --- Gradient fill ----------------------------------------------------------------------------

TEST(Office11GradientFill, TenPixelsAreTenBandsEndingInColourB) {
    for (bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        DibSurface surface(14, 14);
        RECT rect = horizontal ? RECT{2, 1, 12, 5} : RECT{1, 2, 5, 12};
        auto before = testsupport::DcSnapshot::Of(surface.dc());
        COLORREF dcBrush = ::SetDCBrushColor(surface.dc(), RGB(1, 2, 3));
        GradientFill(surface.dc(), rect, RGB(0, 0, 0), horizontal, RGB(90, 180, 45));
        EXPECT_EQ(::GetDCBrushColor(surface.dc()), RGB(1, 2, 3));
        ::SetDCBrushColor(surface.dc(), dcBrush);
        EXPECT_EQ(testsupport::DcSnapshot::Of(surface.dc()), before);
        for (int i = 0; i < 10; ++i) {
            RECT band = horizontal ? RECT{2 + i, 1, 3 + i, 5} : RECT{1, 2 + i, 5, 3 + i};
            EXPECT_TRUE(surface.AllHaveColor(band, RGB(10 * i, 20 * i, 5 * i))) << "band " << i;
        }
        EXPECT_TRUE(surface.OutsideUntouched(rect));
    }
}

TEST(Office11GradientFill, WideExtentHas256BandsWithRoundedBoundaries) {
    for (bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        DibSurface surface(horizontal ? 302 : 3, horizontal ? 3 : 302);
        RECT rect = horizontal ? RECT{1, 1, 301, 2} : RECT{1, 1, 2, 301};
        // Red goes 0..255 over 256 bands: a pixel's red value is its band's number.
        GradientFill(surface.dc(), rect, RGB(0, 0, 0), horizontal, RGB(255, 0, 0));
        auto red = [&](int offset) {
            COLORREF c = horizontal ? surface.Rgb(1 + offset, 1) : surface.Rgb(1, 1 + offset);
            return static_cast<int>(GetRValue(c));
        };
        // Band i starts at MulDiv(i, 300, 256): 0, 1, 2, 4 (3.52 rounded), 5, ...
        EXPECT_EQ(red(0), 0);
        EXPECT_EQ(red(1), 1);
        EXPECT_EQ(red(2), 2);
        EXPECT_EQ(red(3), 2);
        EXPECT_EQ(red(4), 3);
        EXPECT_EQ(red(299), 255);
        std::set<int> reds;
        for (int offset = 0; offset < 300; ++offset)
            reds.insert(red(offset));
        EXPECT_EQ(reds.size(), 256u);
        EXPECT_TRUE(surface.OutsideUntouched(rect));
    }
}

TEST(Office11GradientFill, OnePixelEqualColoursAndEmptyRectangles) {
    DibSurface surface(10, 10);
    GradientFill(surface.dc(), RECT{3, 2, 4, 8}, RGB(10, 20, 30), true, RGB(200, 0, 0));
    EXPECT_TRUE(surface.AllHaveColor(RECT{3, 2, 4, 8}, RGB(10, 20, 30)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{3, 2, 4, 8}));

    surface.Reset();
    GradientFill(surface.dc(), RECT{2, 5, 9, 6}, RGB(10, 20, 30), false, RGB(200, 0, 0));
    EXPECT_TRUE(surface.AllHaveColor(RECT{2, 5, 9, 6}, RGB(10, 20, 30)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{2, 5, 9, 6}));

    // A system colour and its own RGB value are equal colours: one flat fill.
    surface.Reset();
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    GradientFill(surface.dc(), RECT{1, 1, 9, 9}, framework::clBtnFace, true,
                 static_cast<TColor>(face));
    EXPECT_TRUE(surface.AllHaveColor(RECT{1, 1, 9, 9}, face));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 1, 9, 9}));

    for (RECT empty : {RECT{5, 5, 5, 9}, RECT{8, 2, 3, 6}, RECT{2, 7, 9, 3}, RECT{4, 4, 4, 4}}) {
        for (bool horizontal : {true, false}) {
            surface.Reset();
            GradientFill(surface.dc(), empty, RGB(0, 0, 0), horizontal, RGB(255, 255, 255));
            GradientFill(surface.dc(), empty, RGB(9, 9, 9), horizontal, RGB(9, 9, 9));
            EXPECT_TRUE(surface.Untouched())
                << empty.left << "," << empty.top << "," << empty.right << "," << empty.bottom;
        }
    }
}

// --- Bitmap recolouring -----------------------------------------------------------------------

/// A 4 x 2 bitmap: background magenta at the top left and once more, black twice, greys with
/// red 50, 100 and 150, and a green pixel with red 100.
void PaintSample(TBitmap& bitmap) {
    bitmap.SetPixelFormat(framework::pf32bit);
    bitmap.SetSize(4, 2);
    const std::uint32_t pixels[2][4] = {{0xFF00FF, 0x000000, 0x323232, 0x646464},
                                        {0x969696, 0xFF00FF, 0x64FF00, 0x000000}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            bitmap.ScanLine(y)[x] = pixels[y][x];
}

COLORREF PixelRgb(const TBitmap& bitmap, int x, int y) {
    ::GdiFlush();
    std::uint32_t p = bitmap.ScanLine(y)[x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

TEST(Office11Recolor, RedRangeMapsOntoTheGradient) {
    TBitmap bitmap;
    PaintSample(bitmap);
    RecolorToGradient(bitmap, RGB(200, 220, 240), RGB(20, 40, 60));
    EXPECT_EQ(PixelRgb(bitmap, 0, 0), RGB(255, 0, 255));
    EXPECT_EQ(PixelRgb(bitmap, 1, 1), RGB(255, 0, 255));
    EXPECT_EQ(PixelRgb(bitmap, 1, 0), RGB(0, 0, 0));
    EXPECT_EQ(PixelRgb(bitmap, 3, 1), RGB(0, 0, 0));
    EXPECT_TRUE(SameColor(Nearest(RGB(20, 40, 60)), PixelRgb(bitmap, 2, 0)));    // lowest red
    EXPECT_TRUE(SameColor(Nearest(RGB(200, 220, 240)), PixelRgb(bitmap, 0, 1))); // highest
    EXPECT_TRUE(SameColor(Nearest(RGB(110, 130, 150)), PixelRgb(bitmap, 3, 0))); // middle
    EXPECT_TRUE(SameColor(Nearest(RGB(110, 130, 150)), PixelRgb(bitmap, 2, 1))); // by red only
}

TEST(Office11Recolor, EqualColoursTakeBlackOrWhiteAsTheOtherEnd) {
    TBitmap grey;
    PaintSample(grey);
    RecolorToGradient(grey, RGB(100, 100, 100), RGB(100, 100, 100));
    EXPECT_TRUE(SameColor(Nearest(RGB(0, 0, 0)), PixelRgb(grey, 2, 0)));
    EXPECT_TRUE(SameColor(Nearest(RGB(50, 50, 50)), PixelRgb(grey, 3, 0)));

    TBitmap black;
    PaintSample(black);
    RecolorToGradient(black, RGB(0, 0, 0), RGB(0, 0, 0));
    EXPECT_TRUE(SameColor(Nearest(RGB(255, 255, 255)), PixelRgb(black, 2, 0)));
    EXPECT_TRUE(SameColor(Nearest(RGB(128, 128, 128)), PixelRgb(black, 3, 0))); // 127.5 rounded
}

TEST(Office11Recolor, OneShadeAndEmptyBitmaps) {
    TBitmap bitmap(3, 1, framework::pf32bit);
    bitmap.ScanLine(0)[0] = 0xFFFFFF;
    bitmap.ScanLine(0)[1] = 0x808080;
    bitmap.ScanLine(0)[2] = 0x808080;
    RecolorToGradient(bitmap, RGB(200, 200, 200), RGB(0, 100, 0));
    EXPECT_TRUE(SameColor(Nearest(RGB(100, 150, 100)), PixelRgb(bitmap, 1, 0)));
    EXPECT_EQ(PixelRgb(bitmap, 0, 0), RGB(255, 255, 255));

    TBitmap empty;
    RecolorToGradient(empty, RGB(1, 2, 3), RGB(4, 5, 6));
    EXPECT_TRUE(empty.Empty());
    TBitmap flat(0, 5, framework::pf32bit);
    RecolorToGradient(flat, RGB(1, 2, 3), RGB(4, 5, 6));
    EXPECT_TRUE(flat.Empty());
}

// --- Scheme detection with the visual style on ------------------------------------------------

/// Answers the theme-name query with the names set here, truncated and terminated to the given
/// lengths as the theme library does.
struct FakeThemeName {
    static inline std::wstring file;
    static inline std::wstring color;
    static inline HRESULT result = S_OK;
    static inline bool unterminated = false; // fill the file-name buffer to its end, no NUL
    static inline std::vector<int> lengths;
    static inline int calls = 0;

    static void Copy(LPWSTR buffer, int length, const std::wstring& text, bool terminate = true) {
        if (!buffer || length <= 0)
            return;
        if (!terminate) {
            // The text's tail ends exactly at the buffer's end.
            for (int i = 0; i < length; ++i) {
                int from = static_cast<int>(text.size()) - length + i;
                buffer[i] = from >= 0 ? text[static_cast<size_t>(from)] : L'X';
            }
            return;
        }
        size_t count = std::min(text.size(), static_cast<size_t>(length - 1));
        text.copy(buffer, count);
        buffer[count] = L'\0';
    }
    static HRESULT WINAPI Query(LPWSTR fileName, int fileLength, LPWSTR colorName, int colorLength,
                                LPWSTR sizeName, int sizeLength) {
        ++calls;
        lengths = {fileLength, colorLength, sizeLength};
        if (FAILED(result))
            return result;
        Copy(fileName, fileLength, file, !unterminated);
        Copy(colorName, colorLength, color);
        Copy(sizeName, sizeLength, L"NormalSize");
        return S_OK;
    }
    static void Set(std::wstring fileName, std::wstring colorName) {
        file = std::move(fileName);
        color = std::move(colorName);
        result = S_OK;
        unterminated = false;
    }
};

const std::wstring kLunaPath = L"C:\\WINDOWS\\Resources\\Themes\\Luna\\luna.msstyles";

/// The real visual style switched on and the theme services running, so that themes are
/// available; then the theme-name query is replaced by FakeThemeName.
class ThemedPalette : public PaletteTest {
protected:
    void SetUp() override {
        style_.emplace(true);
        ASSERT_TRUE(style_->Switched()) << "cannot switch the visual style on";
        services_.emplace();
        ASSERT_TRUE(ThemesAvailable()) << "the visual style is on, yet themes are not available";
    }
    void Fake() {
        FakeThemeName::Set(kLunaPath, L"NormalColor");
        FakeThemeName::calls = 0;
        query_.emplace(&FakeThemeName::Query);
    }
    void TearDown() override {
        PaletteTest::TearDown();
        query_.reset();
        services_.reset();
        style_.reset();
    }

    std::optional<testsupport::ScopedVisualStyle> style_;
    std::optional<testsupport::ScopedThemeServices> services_;
    std::optional<ScopedThemeFunction<&ThemeFunctions::GetCurrentThemeName>> query_;
};

TEST_F(ThemedPalette, WinesOwnStyleIsNotTheStandardXpStyle) {
    // The real query answers with the prefix's own style file.
    wchar_t file[1024] = L"", color[1024] = L"", size[1024] = L"";
    ASSERT_TRUE(SUCCEEDED(lookandfeel::GetCurrentThemeName(file, 1024, color, 1024, size, 1024)));
    std::wstring fileName(file);
    EXPECT_NE(fileName.find(L".msstyles"), std::wstring::npos);
    EXPECT_EQ(DetectOffice11Scheme(), Office11Scheme::None);
    AcquireOffice11Palette();
    EXPECT_FALSE(Office11SchemeActive());
    EXPECT_TRUE(SameColor(static_cast<TColor>(::GetSysColor(COLOR_BTNFACE)), Office11FaceColor()));
    EXPECT_TRUE(SameColor(NearestScreenColor(SystemBlend(-2, 30, 72)), Office11Entry(20)));
}

TEST_F(ThemedPalette, ColourVariantsOfTheStandardXpStyle) {
    Fake();
    struct Case {
        std::wstring file, color;
        Office11Scheme scheme;
    };
    const Case cases[] = {
        {kLunaPath, L"NormalColor", Office11Scheme::Blue},
        {kLunaPath, L"HomeStead", Office11Scheme::Olive},
        {kLunaPath, L"metallic", Office11Scheme::Silver},
        {kLunaPath, L"Royale", Office11Scheme::None},
        {kLunaPath, L"", Office11Scheme::None},
        {L"LUNA.MSSTYLES", L"NORMALCOLOR", Office11Scheme::Blue},
        {L"C:\\Themes\\Royale\\Royale.msstyles", L"NormalColor", Office11Scheme::None},
        {L"C:\\Themes\\Luna\\xluna.msstyles", L"NormalColor", Office11Scheme::None},
        {L"C:\\Themes\\luna.msstyles.old", L"NormalColor", Office11Scheme::None},
        {L"C:\\Themes\\luna.msstyles\\light.msstyles", L"NormalColor", Office11Scheme::None},
        {L"", L"NormalColor", Office11Scheme::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file.begin(), c.file.end()) + " / " +
                     std::string(c.color.begin(), c.color.end()));
        FakeThemeName::Set(c.file, c.color);
        EXPECT_EQ(DetectOffice11Scheme(), c.scheme);
    }
    EXPECT_EQ(FakeThemeName::lengths, (std::vector<int>{1024, 1024, 1024}));
}

TEST_F(ThemedPalette, FailingOrOverlongNamesGiveNoScheme) {
    Fake();
    FakeThemeName::result = E_FAIL;
    EXPECT_EQ(DetectOffice11Scheme(), Office11Scheme::None);
    EXPECT_EQ(FakeThemeName::calls, 1);

    // 2000 characters: the query keeps the first 1023, which do not end in the file name.
    FakeThemeName::Set(L"C:\\" + std::wstring(1984, L'd') + L"\\luna.msstyles", L"NormalColor");
    EXPECT_EQ(DetectOffice11Scheme(), Office11Scheme::None);
    // Exactly 1023 characters still fit.
    FakeThemeName::Set(L"C:\\" + std::wstring(1006, L'd') + L"\\luna.msstyles", L"NormalColor");
    ASSERT_EQ(FakeThemeName::file.size(), 1023u);
    EXPECT_EQ(DetectOffice11Scheme(), Office11Scheme::Blue);
    // A query that fills the whole buffer without terminating it is not read past its end.
    FakeThemeName::Set(L"C:\\" + std::wstring(1007, L'd') + L"\\luna.msstyles", L"NormalColor");
    FakeThemeName::unterminated = true;
    EXPECT_EQ(DetectOffice11Scheme(), Office11Scheme::None);
}

TEST_F(ThemedPalette, PaletteTakesTheVariantAtAcquireAndAtRefresh) {
    Fake();
    FakeThemeName::Set(kLunaPath, L"HomeStead");
    AcquireOffice11Palette();
    EXPECT_EQ(Office11CurrentScheme(), Office11Scheme::Olive);
    EXPECT_TRUE(Office11SchemeActive());
    EXPECT_EQ(Office11Tuning(), 125);
    EXPECT_TRUE(SameColor(0xDEF7F4, Office11LightGradientColor()));
    EXPECT_TRUE(SameColor(0xA7D9D9, Office11FaceColor()));
    EXPECT_EQ(BrushColor(Office11BrushHandle(Office11Brush::Entry12)), 0x335E51u);
    HBRUSH oliveBrush = Office11BrushHandle(Office11Brush::Entry12);

    // A theme switch is seen only at the next refresh.
    FakeThemeName::Set(kLunaPath, L"NormalColor");
    EXPECT_TRUE(SameColor(0xA7D9D9, Office11FaceColor()));
    RefreshOffice11Palette();
    EXPECT_EQ(Office11CurrentScheme(), Office11Scheme::Blue);
    EXPECT_TRUE(SameColor(0xF5BE9E, Office11FaceColor()));
    EXPECT_TRUE(SameColor(0x800000, Office11HotFrameColor()));
    EXPECT_EQ(BrushColor(Office11BrushHandle(Office11Brush::Entry12)), 0x764127u);
    EXPECT_EQ(BrushColor(Office11BrushHandle(Office11Brush::LightBackground)), 0xF6F6F6u);
    EXPECT_EQ(::GetObjectType(oliveBrush), 0u);

    FakeThemeName::Set(kLunaPath, L"Metallic");
    RefreshOffice11Palette();
    EXPECT_TRUE(SameColor(0xFFFAFD, Office11Entry(19)));
    EXPECT_TRUE(SameColor(MiddleColor(0xFAF4F3, 0xB59799, 50), Office11MiddleGradientColor()));
    EXPECT_EQ(Office11Tuning(), 40);

    // The variant is dropped once the query fails.
    FakeThemeName::result = E_FAIL;
    RefreshOffice11Palette();
    EXPECT_FALSE(Office11SchemeActive());
    EXPECT_TRUE(SameColor(static_cast<TColor>(::GetSysColor(COLOR_BTNFACE)), Office11FaceColor()));
}

} // namespace
