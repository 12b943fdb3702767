// GraphicsBench.cpp - what the canvas costs: brushes created by repeated fills (same colour
// against a colour alternating each time) and the single-line caption route of
// TcxCanvas::DrawText against calling DrawTextA directly for the same text and rectangle.
#include "bench/Benchmarks.h"
#include "framework/Graphics.h"
#include "lookandfeel/cxGraphics.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

using framework::TBitmap;

/// Brushes created by 1000 fills, each preceded by SetBrushColor.
long BrushesPerThousandFills(lookandfeel::TcxCanvas& canvas, bool alternate) {
    canvas.SetBrushColor(framework::clBtnFace);
    canvas.FillRect(RECT{0, 0, 10, 10});
    const long before = framework::GraphicsObjectStats().BrushesCreated;
    for (int i = 0; i < 1000; ++i) {
        canvas.SetBrushColor(alternate && i % 2 == 0 ? framework::clBtnShadow
                                                     : framework::clBtnFace);
        canvas.FillRect(RECT{0, 0, 10, 10});
    }
    return framework::GraphicsObjectStats().BrushesCreated - before;
}

constexpr int kCaptions = 10000;
constexpr const char* kCaption = "Remove from add/remove programs list";

double TimeCanvasDrawText(lookandfeel::TcxCanvas& canvas, const RECT& rect) {
    const double start = Seconds();
    for (int i = 0; i < kCaptions; ++i)
        canvas.DrawText(kCaption, rect,
                        lookandfeel::cxAlignHCenter | lookandfeel::cxAlignVCenter |
                            lookandfeel::cxSingleLine,
                        true);
    return Seconds() - start;
}

double TimeDrawTextA(HDC dc, const RECT& rect) {
    const double start = Seconds();
    for (int i = 0; i < kCaptions; ++i) {
        RECT r = rect;
        ::DrawTextA(dc, kCaption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    return Seconds() - start;
}

} // namespace

void RunGraphicsBench() {
    TBitmap surface(300, 40, framework::pf32bit);
    lookandfeel::TcxCanvas canvas(surface.Canvas());

    long same = BrushesPerThousandFills(canvas, false);
    long alternating = BrushesPerThousandFills(canvas, true);
    std::printf("canvas: brushes created per 1000 FillRect, unchanged colour: %ld\n", same);
    std::printf("canvas: brushes created per 1000 FillRect, alternating colour: %ld\n",
                alternating);

    // Both routes draw the same caption in the same font with a transparent background.
    canvas.Brush().SetStyle(framework::bsClear);
    canvas.Font().SetColor(framework::clBtnText);
    const RECT rect{0, 0, 300, 40};
    canvas.DrawText(kCaption, rect, lookandfeel::cxSingleLine, true); // selects font and brush
    HDC dc = canvas.Handle();
    TimeDrawTextA(dc, rect); // warm the glyph caches
    double best = 1e9, bestDirect = 1e9;
    for (int round = 0; round < 3; ++round) {
        best = std::min(best, TimeCanvasDrawText(canvas, rect));
        bestDirect = std::min(bestDirect, TimeDrawTextA(dc, rect));
    }
    std::printf("canvas: DrawText single-line: %.2f us per caption\n", best * 1e6 / kCaptions);
    std::printf("canvas: DrawTextA: %.2f us per caption\n", bestDirect * 1e6 / kCaptions);
    std::printf("canvas: DrawText single-line / DrawTextA: %.2f\n", best / bestDirect);
}
