// Benchmarks.h - the benchmarks that `make bench` runs; each prints ratios measured in one run.
#pragma once

#include <windows.h>

/// The performance counter in seconds.
inline double Seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

/// The catalogue build against the bare registry work it stands on, at three sizes.
void RunCatalogueBench();
/// Brush rebuilds per thousand fills, and single-line captions against DrawTextA.
void RunGraphicsBench();
/// The program's start until its main window shows its tree, against a minimal windowed lister
/// doing the same registry work, at 300 and 5,000 entries: the median and spread of the rounds.
void RunStartupBench();
/// Each painter's PaintButton against the bare GDI (or theme) calls such a button needs.
void RunPainterBench();
/// Paints per thousand mouse moves over a hot-tracking button, and a button's paint against a
/// plain fill of its area.
void RunButtonBench();
/// The removal of an entry with 1,000 keys below it against RegDeleteTreeA on the same tree.
void RunRemovalBench();
