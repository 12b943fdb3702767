// Benchmarks.h - the benchmark entry points; each prints plain "<area>: <measure>: <value>" lines.
#pragma once

/// Canvas costs: brush rebuilds of repeated fills, and the single-line text route against
/// calling DrawTextA directly.
void RunGraphicsBench();
