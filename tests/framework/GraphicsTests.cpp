// GraphicsTests.cpp - fonts, brushes, pens, canvases and bitmaps of the framework: lazy and
// unshared handles, DC state restored on release, pixels drawn, no GDI handle leaks.
#include "framework/Graphics.h"
#include "tests/support/DibSurface.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

using namespace framework;
using testsupport::DcSnapshot;
using testsupport::DibSurface;

bool IsLiveGdiObject(HGDIOBJ h) {
    return ::GetObjectType(h) != 0;
}

TEST(TFont, HandleIsBuiltLazilyAndOnlyRebuiltWhenTheShapeChanges) {
    TFont font;
    int changes = 0;
    font.OnChange = [&](TGraphicsObject&) { ++changes; };
    long before = GraphicsObjectStats().FontsCreated;
    HFONT first = font.Handle();
    EXPECT_EQ(GraphicsObjectStats().FontsCreated, before + 1);
    EXPECT_EQ(font.Handle(), first);

    font.SetColor(clRed); // the colour is not part of the HFONT
    EXPECT_EQ(font.Handle(), first);
    EXPECT_EQ(changes, 1);

    TFont same(font);
    font.Assign(same); // nothing differs: no notification, no rebuild
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(font.Handle(), first);

    font.SetStyle({fsBold, fsItalic});
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(IsLiveGdiObject(first)) << "the old HFONT must be deleted";
    HFONT bold = font.Handle();
    LOGFONTA lf{};
    ASSERT_EQ(::GetObjectA(bold, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(lf.lfHeight, -11);
}

TEST(TFont, AssignCopiesEveryAttributeButNotTheHook) {
    TFont source;
    source.SetName("Tahoma");
    source.SetHeight(-20);
    source.SetCharset(ANSI_CHARSET);
    source.SetColor(clBlue);
    source.SetStyle({fsUnderline, fsStrikeOut});
    source.SetOrientation(900);
    int sourceChanges = 0;
    source.OnChange = [&](TGraphicsObject&) { ++sourceChanges; };

    TFont target;
    int targetChanges = 0;
    target.OnChange = [&](TGraphicsObject&) { ++targetChanges; };
    target.Assign(source);
    EXPECT_EQ(targetChanges, 1) << "one notification for the whole assignment";
    EXPECT_EQ(target.Name(), "Tahoma");
    EXPECT_EQ(target.Height(), -20);
    EXPECT_EQ(target.Charset(), ANSI_CHARSET);
    EXPECT_EQ(target.Color(), clBlue);
    EXPECT_EQ(target.Style(), (TFontStyles{fsUnderline, fsStrikeOut}));
    EXPECT_EQ(target.Orientation(), 900);
    EXPECT_EQ(sourceChanges, 0);
    EXPECT_NE(target.Handle(), source.Handle()) << "handles are never shared";
}

TEST(TFont, AdoptedHandleGivesItsAttributesAndIsDeletedByTheFont) {
    TFont font;
    font.SetColor(clGreen);
    LOGFONTA lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    lf.lfEscapement = lf.lfOrientation = 2700;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(lf.lfFaceName, "Arial");
    HFONT made = ::CreateFontIndirectA(&lf);
    ASSERT_NE(made, nullptr);
    font.SetHandle(made);
    EXPECT_EQ(font.Handle(), made);
    EXPECT_EQ(font.Name(), "Arial");
    EXPECT_EQ(font.Height(), -13);
    EXPECT_TRUE(font.Style().Contains(fsBold));
    EXPECT_EQ(font.Orientation(), 2700);
    EXPECT_EQ(font.Color(), clGreen);
    font.SetHeight(-14);
    EXPECT_FALSE(IsLiveGdiObject(made));
}

TEST(TBrush, SameColourKeepsTheHandleAndClearUsesTheStockBrush) {
    TBrush brush;
    brush.SetColor(clRed);
    HBRUSH red = brush.Handle();
    long created = GraphicsObjectStats().BrushesCreated;
    brush.SetColor(clRed);
    EXPECT_EQ(brush.Handle(), red);
    EXPECT_EQ(GraphicsObjectStats().BrushesCreated, created);

    brush.SetStyle(bsClear);
    EXPECT_FALSE(IsLiveGdiObject(red));
    EXPECT_EQ(brush.Handle(), ::GetStockObject(NULL_BRUSH));
    brush.SetColor(clLime); // a new colour asks for paint: solid again
    EXPECT_EQ(brush.Style(), bsSolid);
    LOGBRUSH lb{};
    ASSERT_EQ(::GetObjectA(brush.Handle(), sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, RGB(0, 255, 0));
    brush.SetColor(clNone);
    EXPECT_EQ(brush.Style(), bsClear);
}

TEST(TCanvas, DrawsWithItsObjectsAndFollowsTheirChanges) {
    DibSurface surface(20, 10);
    TCanvas canvas;
    canvas.SetHandle(surface.dc());
    canvas.Brush().SetColor(clRed);
    canvas.FillRect(RECT{0, 0, 5, 5});
    HBRUSH selected = static_cast<HBRUSH>(::GetCurrentObject(surface.dc(), OBJ_BRUSH));
    EXPECT_EQ(selected, canvas.Brush().Handle());
    // Changing a selected brush selects it out first, so the old handle can really be deleted.
    canvas.Brush().SetColor(clBlue);
    EXPECT_FALSE(IsLiveGdiObject(selected));
    canvas.FillRect(RECT{5, 0, 10, 5});
    EXPECT_TRUE(surface.AllHaveColor(RECT{0, 0, 5, 5}, RGB(255, 0, 0)));
    EXPECT_TRUE(surface.AllHaveColor(RECT{5, 0, 10, 5}, RGB(0, 0, 255)));

    canvas.Pen().SetColor(clLime);
    canvas.MoveTo(0, 7);
    canvas.LineTo(20, 7);
    EXPECT_TRUE(surface.AllHaveColor(RECT{0, 7, 20, 8}, RGB(0, 255, 0)));
    EXPECT_EQ(canvas.PenPos().x, 20);

    canvas.SetPixel(19, 0, clYellow);
    EXPECT_EQ(canvas.Pixel(19, 0), clYellow);
    EXPECT_TRUE(surface.OutsideUntouched(RECT{0, 0, 20, 8}));
}

TEST(TCanvas, PolygonIsFilledWithTheBrushAndOutlinedWithThePen) {
    DibSurface surface(12, 12);
    TCanvas canvas;
    canvas.SetHandle(surface.dc());
    canvas.Brush().SetColor(clYellow);
    canvas.Pen().SetColor(clNavy);
    const POINT square[] = {{1, 1}, {10, 1}, {10, 10}, {1, 10}};
    canvas.Polygon(square);
    EXPECT_TRUE(surface.HasColor(5, 5, RGB(255, 255, 0)));
    EXPECT_TRUE(surface.HasColor(1, 5, RGB(0, 0, 128)));
    EXPECT_TRUE(surface.HasColor(10, 5, RGB(0, 0, 128)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{1, 1, 11, 11}));
}

TEST(TCanvas, GivesTheDcBackAsItFoundItOnReleaseAndDestruction) {
    DibSurface surface(40, 20);
    const DcSnapshot before = DcSnapshot::Of(surface.dc());
    {
        TCanvas canvas;
        canvas.SetHandle(surface.dc());
        canvas.Brush().SetStyle(bsClear);
        canvas.Font().SetColor(clRed);
        canvas.Pen().SetMode(pmXor);
        canvas.TextOut(0, 0, "Hi");
        canvas.LineTo(10, 10);
        EXPECT_NE(DcSnapshot::Of(surface.dc()), before);
        canvas.SetHandle(static_cast<HDC>(nullptr));
        EXPECT_EQ(DcSnapshot::Of(surface.dc()), before);
        EXPECT_FALSE(canvas.HandleAllocated());

        canvas.SetHandle(surface.dc());
        canvas.Brush().SetColor(clBlue);
        canvas.FillRect(RECT{0, 0, 3, 3});
    } // destroyed while attached
    EXPECT_EQ(DcSnapshot::Of(surface.dc()), before);
}

TEST(TCanvas, OwnedDcIsDeletedOnRelease) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    TCanvas canvas;
    canvas.SetHandle(UniqueHdc(dc));
    EXPECT_EQ(canvas.Handle(), dc);
    canvas.SetHandle(static_cast<HDC>(nullptr));
    EXPECT_EQ(::GetObjectType(dc), 0u);
}

TEST(TCanvas, TextExtentGrowsWithTheFont) {
    DibSurface surface(4, 4);
    TCanvas canvas;
    canvas.SetHandle(surface.dc());
    SIZE small = canvas.TextExtent("Qq");
    EXPECT_GT(small.cx, 0);
    EXPECT_GT(small.cy, 0);
    canvas.Font().SetName("Arial");
    canvas.Font().SetHeight(-40);
    SIZE large = canvas.TextExtent("Qq");
    EXPECT_GT(large.cy, small.cy);
    EXPECT_GT(canvas.TextWidth("QqQq"), canvas.TextWidth("Qq"));
    EXPECT_EQ(canvas.TextExtent("").cx, 0);
}

TEST(TCanvas, CopyRectHonoursTheCopyModeAndStretches) {
    DibSurface surface(20, 10);
    TBitmap source(2, 2, pf32bit);
    source.Canvas().Brush().SetColor(RGB(0x10, 0x20, 0x30));
    source.Canvas().FillRect(RECT{0, 0, 2, 2});
    TCanvas canvas;
    canvas.SetHandle(surface.dc());
    canvas.CopyRect(RECT{0, 0, 2, 2}, source.Canvas(), RECT{0, 0, 2, 2});
    EXPECT_TRUE(surface.AllHaveColor(RECT{0, 0, 2, 2}, RGB(0x10, 0x20, 0x30)));
    canvas.SetCopyMode(NOTSRCCOPY);
    canvas.CopyRect(RECT{4, 0, 8, 4}, source.Canvas(), RECT{0, 0, 2, 2});
    EXPECT_TRUE(surface.AllHaveColor(RECT{4, 0, 8, 4}, RGB(0xEF, 0xDF, 0xCF)));
    canvas.SetCopyMode(SRCCOPY);
    canvas.Draw(10, 5, source);
    EXPECT_TRUE(surface.AllHaveColor(RECT{10, 5, 12, 7}, RGB(0x10, 0x20, 0x30)));
    EXPECT_TRUE(surface.OutsideUntouched(RECT{0, 0, 12, 7}));
}

TEST(TBitmap, SizesFormatsAndPixels) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetSize(-5, 10);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    bitmap.SetWidth(3); // 3 x 10 now
    EXPECT_FALSE(bitmap.Empty());
    EXPECT_EQ(bitmap.ScanLine(0), nullptr) << "device bitmaps have no reachable rows";

    bitmap.Canvas().Brush().SetColor(clRed);
    bitmap.Canvas().FillRect(RECT{0, 0, 3, 10});
    bitmap.SetPixelFormat(pf32bit);
    ASSERT_NE(bitmap.ScanLine(9), nullptr);
    ::GdiFlush();
    EXPECT_EQ(bitmap.ScanLine(9)[2] & 0xFFFFFF, 0xFF0000u) << "pixels kept across the format";

    bitmap.SetSize(5, 12); // keeps the shared 3 x 10 area, black elsewhere
    ::GdiFlush();
    EXPECT_EQ(bitmap.ScanLine(0)[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(bitmap.ScanLine(11)[4] & 0xFFFFFF, 0u);
    EXPECT_EQ(bitmap.ScanLine(12), nullptr);
    EXPECT_EQ(bitmap.Canvas().Pixel(2, 9), clRed);

    TBitmap copy;
    copy.Assign(bitmap);
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_EQ(copy.Height(), 12);
    EXPECT_EQ(copy.PixelFormat(), pf32bit);
    EXPECT_NE(copy.Handle(), bitmap.Handle());
    EXPECT_EQ(copy.Canvas().Pixel(0, 0), clRed);
}

TEST(TBitmap, ResizingReleasesTheOldBitmapAndItsCanvasKeepsWorking) {
    TBitmap bitmap(4, 4, pf32bit);
    bitmap.Canvas().Brush().SetColor(clBlue);
    bitmap.Canvas().FillRect(RECT{0, 0, 4, 4});
    HBITMAP old = bitmap.Handle();
    bitmap.SetSize(6, 6);
    EXPECT_FALSE(IsLiveGdiObject(old)) << "the old bitmap was still selected somewhere";
    bitmap.Canvas().FillRect(RECT{0, 0, 6, 6});
    EXPECT_EQ(bitmap.Canvas().Pixel(5, 5), clBlue);
    HBITMAP released = bitmap.ReleaseHandle();
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_TRUE(IsLiveGdiObject(released));
    ::DeleteObject(released);
}

TEST(GraphicsObjects, NoGdiHandleLeaksOverAThousandOperations) {
    const HANDLE process = ::GetCurrentProcess();
    DibSurface surface(64, 32);
    // Warm up: the first use of fonts and screen DCs allocates caches inside GDI.
    {
        TCanvas warm;
        warm.SetHandle(surface.dc());
        warm.TextOut(0, 0, "x");
    }
    const long aliveBefore = GraphicsObjectStats().Alive;
    const DWORD gdiBefore = ::GetGuiResources(process, GR_GDIOBJECTS);
    {
        TCanvas canvas;
        canvas.SetHandle(surface.dc());
        TBitmap bitmap(8, 8);
        TBitmap pattern(2, 2, pf32bit);
        for (int i = 0; i < 1000; ++i) {
            canvas.Brush().SetColor(i % 2 ? clRed : clBtnFace);
            canvas.FillRect(RECT{0, 0, 10, 10});
            canvas.Font().SetHeight(-10 - i % 3);
            canvas.TextOut(0, 0, "Leak?");
            canvas.Pen().SetWidth(1 + i % 2);
            canvas.LineTo(i % 64, 31);
            bitmap.SetSize(8 + i % 5, 8);
            canvas.Draw(20, 0, bitmap);
            if (i % 100 == 0) {
                canvas.Brush().SetBitmap(&pattern);
                canvas.FillRect(RECT{30, 0, 40, 10});
                canvas.Brush().SetBitmap(nullptr);
                canvas.SetHandle(static_cast<HDC>(nullptr));
                canvas.SetHandle(surface.dc());
            }
        }
        EXPECT_GT(GraphicsObjectStats().Alive, aliveBefore);
    }
    EXPECT_EQ(GraphicsObjectStats().Alive, aliveBefore);
    // Meaningful on Windows; Wine's GetGuiResources is a stub that answers 0.
    EXPECT_EQ(::GetGuiResources(process, GR_GDIOBJECTS), gdiBefore);
}

TEST(EnumSet, IsOneBitPerOrdinal) {
    TFontStyles styles{fsBold, fsStrikeOut};
    EXPECT_EQ(styles.ToBits(), 0x09);
    EXPECT_TRUE(styles.Contains(fsStrikeOut));
    EXPECT_FALSE(styles.Contains(fsItalic));
    styles.Exclude(fsBold).Include(fsItalic);
    EXPECT_EQ(styles.ToBits(), 0x0A);
    EXPECT_EQ((styles - TFontStyles{fsItalic}).ToBits(), 0x08);
}

} // namespace
