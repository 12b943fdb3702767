// ButtonBench.cpp - what the skinned push button costs.
//
// 1. Paints per 1,000 real mouse moves over a button (ultra-flat, so it hot-tracks): only the
//    first move should paint (it turns the button hot), the others change nothing.
// 2. 1,000 paints of a 233 x 25 button (WM_PRINTCLIENT into a 32-bit DIB: the button's one
//    paint entry, the painter, the caption) against 1,000 plain FillRects of the same area, for the
//    ultra-flat look and for the native style, as a ratio from one run.
// 3. 1,000 WM_PAINTs of the button through its back buffer and straight to the window.
// It moves the real cursor, so it refuses to run outside a test prefix.
#include "bench/Benchmarks.h"
#include "controls/cxButtons.h"
#include "framework/Application.h"
#include "lookandfeel/cxLookAndFeels.h"
#include "tests/support/TestForm.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/ThemeServicesScope.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <memory>

namespace {

constexpr int kWidth = 233, kHeight = 25;
constexpr int kMoves = 1000, kPaints = 1000;

class TCountingButton : public controls::TcxButton {
public:
    int paints = 0, moves = 0;

protected:
    void Paint(lookandfeel::TcxCanvas& canvas,
               const controls::TcxButtonPaintState& state) override {
        ++paints;
        TcxButton::Paint(canvas, state);
    }
    LRESULT WMMouseMove(UINT keys, int x, int y) override {
        ++moves;
        return TcxButton::WMMouseMove(keys, x, y);
    }
};

void MoveTo(POINT p) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(p.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &in, sizeof in);
}

void Measure() {
    testsupport::RequireTestPrefix("move the mouse for the button benchmark");
    testsupport::ScopedThemeServices services;
    lookandfeel::InitializeLookAndFeel();
    struct Finalize {
        ~Finalize() { lookandfeel::FinalizeLookAndFeel(); }
    } finalize;
    framework::TApplication application;
    testsupport::TTestFormBase form("TBenchForm F {\n  ClientSize: 260 60\n}\n", "TBenchForm");
    form.CreateFromDefinition();
    form.Show();
    ::SetWindowPos(form.Handle(), HWND_TOP, 100, 100, 0, 0, SWP_NOSIZE);
    TCountingButton button;
    button.SetParent(&form);
    button.SetBounds(10, 10, kWidth, kHeight);
    button.SetCaption("Remove from add/remove programs list");
    button.CreateHandle();
    application.ProcessMessages();

    // 1. Mouse moves.
    POINT origin{0, 0};
    ::ClientToScreen(button.Handle(), &origin);
    MoveTo({origin.x - 40, origin.y - 40});
    for (int i = 0; i < 20; ++i) {
        application.ProcessMessages();
        ::Sleep(5);
    }
    button.paints = button.moves = 0;
    for (int i = 0; i < kMoves; ++i) {
        const int before = button.moves;
        MoveTo({origin.x + 20 + (i % 190), origin.y + 5 + (i % 15)});
        for (int wait = 0; wait < 200 && button.moves == before; ++wait) {
            application.ProcessMessages();
            if (button.moves == before)
                ::Sleep(1);
        }
    }
    application.ProcessMessages();
    std::printf("button: %d mouse moves over a hot-tracking button reached it %d times and "
                "painted it %d times (%.1f paints per 1,000 moves)\n",
                kMoves, button.moves, button.paints,
                button.moves ? 1000.0 * button.paints / button.moves : 0.0);
    MoveTo({origin.x - 40, origin.y - 40});
    for (int i = 0; i < 20; ++i) {
        application.ProcessMessages();
        ::Sleep(5);
    }

    // 2. Paints against fills.
    framework::TBitmap surface(kWidth, kHeight, framework::pf32bit);
    HDC dc = surface.Canvas().Handle();
    framework::UniqueBrush face(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    const RECT area{0, 0, kWidth, kHeight};
    for (bool native : {false, true}) {
        button.LookAndFeel().SetNativeStyle(native);
        auto paints = [&] {
            for (int i = 0; i < kPaints; ++i)
                ::SendMessageA(button.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                               PRF_CLIENT);
        };
        auto fills = [&] {
            for (int i = 0; i < kPaints; ++i)
                ::FillRect(dc, &area, face.get());
        };
        paints(); // warm the caches
        double start = Seconds();
        paints();
        const double painted = Seconds() - start;
        start = Seconds();
        fills();
        const double filled = Seconds() - start;
        std::printf(
            "button: %s (%s painter): %d paints of %d x %d %.1f ms, %d FillRects %.1f ms, "
            "ratio %.1f\n",
            native ? "native style" : "ultra-flat",
            button.GetPainter() == &lookandfeel::TcxWinXPLookAndFeelPainter::Instance() ? "themed"
                                                                                        : "own",
            kPaints, kWidth, kHeight, painted * 1e3, kPaints, filled * 1e3, painted / filled);
    }

    // 3. The window's own paint (WM_PAINT) through its back buffer, against the same without one.
    for (bool buffered : {true, false}) {
        button.SetDoubleBuffered(buffered);
        auto paints = [&] {
            for (int i = 0; i < kPaints; ++i) {
                ::InvalidateRect(button.Handle(), nullptr, FALSE);
                ::UpdateWindow(button.Handle());
            }
        };
        paints();
        const double start = Seconds();
        paints();
        std::printf("button: %d WM_PAINTs %s %.1f ms\n", kPaints,
                    buffered ? "through the back buffer" : "straight to the window",
                    (Seconds() - start) * 1e3);
    }
    button.SetDoubleBuffered(true);
}

} // namespace

void RunButtonBench() {
    try {
        Measure();
    } catch (const std::exception& e) {
        std::printf("button: not measured: %s\n", e.what());
    }
}
