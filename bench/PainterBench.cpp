// PainterBench.cpp - what a painter adds to drawing a push button.
//
// For each painter it times 1,000 PaintButton calls on a 233 x 25 button with the program's
// caption, per state (normal, hot, pressed), on a 32-bit DIB, against the bare GDI work such a
// button needs on the same DIB and DC: one FillRect, one FrameRect and one single-line DrawTextA
// of the caption. The themed painter with the visual style on is measured against
// DrawThemeBackground plus DrawThemeText of the same part and state. Rounds alternate and the
// fastest of each side is kept. The visual style is switched off for the classic painters and on
// for the themed one, so the benchmark refuses to run outside a test prefix.
#include "bench/Benchmarks.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "lookandfeel/ThemeServices.h"
#include "lookandfeel/cxGraphics.h"
#include "lookandfeel/cxLookAndFeelPainters.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>

namespace {

using namespace lookandfeel;

constexpr int kCalls = 1000;
constexpr int kRounds = 7;
constexpr int kWidth = 233, kHeight = 25;
constexpr char kCaption[] = "Remove from add/remove programs list";
constexpr wchar_t kWideCaption[] = L"Remove from add/remove programs list";

double Time(const std::function<void()>& call) {
    const double start = Seconds();
    for (int i = 0; i < kCalls; ++i)
        call();
    return Seconds() - start;
}

/// The fastest of kRounds alternating rounds of each side, in microseconds per call.
struct Pair {
    double painter, floor;
};
Pair Compare(const std::function<void()>& painter, const std::function<void()>& floor) {
    // Warm the glyph, brush and theme caches (and the processor) with a round of each first.
    Time(painter);
    Time(floor);
    double best = 1e9, bestFloor = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        best = std::min(best, Time(painter));
        bestFloor = std::min(bestFloor, Time(floor));
    }
    return {best * 1e6 / kCalls, bestFloor * 1e6 / kCalls};
}

/// Initialises the painters' colour cache for a scope.
struct PaintersRunning {
    PaintersRunning() { InitializePainters(); }
    ~PaintersRunning() { FinalizePainters(); }
    PaintersRunning(const PaintersRunning&) = delete;
    PaintersRunning& operator=(const PaintersRunning&) = delete;
};

const char* StateName(TcxButtonState state) {
    switch (state) {
    case cxbsNormal: return "normal";
    case cxbsHot: return "hot";
    case cxbsPressed: return "pressed";
    default: return "?";
    }
}

constexpr TcxButtonState kStates[] = {cxbsNormal, cxbsHot, cxbsPressed};

void MeasureClassic(const char* name, const TcxCustomLookAndFeelPainter& painter) {
    framework::TBitmap surface(kWidth, kHeight, framework::pf32bit);
    TcxCanvas canvas(surface.Canvas());
    const RECT bounds{0, 0, kWidth, kHeight};
    painter.PaintButton(canvas, bounds, kCaption, cxbsNormal); // font and DC in place
    HDC dc = canvas.Handle();
    canvas.Canvas().RequiredState(framework::csHandleValid | framework::csFontValid);
    framework::UniqueBrush face(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    framework::UniqueBrush frame(::CreateSolidBrush(::GetSysColor(COLOR_BTNTEXT)));
    auto bare = [&] {
        RECT r = bounds;
        ::FillRect(dc, &r, face.get());
        ::FrameRect(dc, &r, frame.get());
        ::DrawTextA(dc, kCaption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    for (TcxButtonState state : kStates) {
        Pair t = Compare([&] { painter.PaintButton(canvas, bounds, kCaption, state); }, bare);
        std::printf("painters: %-22s %-7s PaintButton %6.2f us  bare GDI %6.2f us  ratio %.2f\n",
                    name, StateName(state), t.painter, t.floor, t.painter / t.floor);
    }
}

void MeasureThemed() {
    HTHEME theme = OpenThemeHandle(ThemedObjectType::Button);
    if (!theme) {
        std::printf("painters: WinXP (style on): no \"Button\" theme, not measured\n");
        return;
    }
    const auto& painter = TcxWinXPLookAndFeelPainter::Instance();
    framework::TBitmap surface(kWidth, kHeight, framework::pf32bit);
    TcxCanvas canvas(surface.Canvas());
    const RECT bounds{0, 0, kWidth, kHeight};
    painter.PaintButton(canvas, bounds, kCaption, cxbsNormal);
    HDC dc = canvas.Handle();
    canvas.Canvas().RequiredState(framework::csHandleValid | framework::csFontValid);
    for (TcxButtonState state : kStates) {
        const int id = TcxWinXPLookAndFeelPainter::ButtonStateId(state);
        auto bare = [&] {
            lookandfeel::DrawThemeBackground(theme, dc, 1, id, bounds);
            lookandfeel::DrawThemeText(theme, dc, 1, id, kWideCaption, -1,
                                       DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, &bounds);
        };
        Pair t = Compare([&] { painter.PaintButton(canvas, bounds, kCaption, state); }, bare);
        std::printf("painters: %-22s %-7s PaintButton %6.2f us  theme calls %6.2f us  ratio "
                    "%.2f\n",
                    "WinXP (style on)", StateName(state), t.painter, t.floor, t.painter / t.floor);
    }
}

void MeasurePainters() {
    testsupport::RequireTestPrefix("switch the visual style for the painter benchmark");
    std::printf("painters: %d PaintButton calls of %d x %d per state, fastest of %d rounds\n",
                kCalls, kWidth, kHeight, kRounds);
    {
        testsupport::ScopedVisualStyle style(false);
        if (!style.Switched())
            std::printf("painters: could not switch the visual style off\n");
        testsupport::ScopedThemeServices services;
        PaintersRunning painters;
        MeasureClassic("Standard", TcxStandardLookAndFeelPainter::Instance());
        MeasureClassic("Flat", TcxFlatLookAndFeelPainter::Instance());
        MeasureClassic("UltraFlat", TcxUltraFlatLookAndFeelPainter::Instance());
        MeasureClassic("Office11", TcxOffice11LookAndFeelPainter::Instance());
        MeasureClassic("WinXP (style off)", TcxWinXPLookAndFeelPainter::Instance());
    }
    {
        testsupport::ScopedVisualStyle style(true);
        if (!style.Switched())
            std::printf("painters: could not switch the visual style on\n");
        testsupport::ScopedThemeServices services;
        PaintersRunning painters;
        MeasureThemed();
    }
}

} // namespace

void RunPainterBench() {
    try {
        MeasurePainters();
    } catch (const std::exception& e) {
        std::printf("painters: not measured: %s\n", e.what());
    }
}
