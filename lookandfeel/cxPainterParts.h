// cxPainterParts.h - what the painter files share; included by them only.
//
// Functions and constants in this file (namespace lookandfeel::painter):
//   Singleton        each painter's only instance
//   kBlack, kButtonCaptionFlags
//   Deflated, IsEmpty
//   FillColor, Frame, TwoColorFrame   fills and one-pixel frames through the DC brush
#pragma once

#include "framework/Colors.h"
#include "lookandfeel/cxGraphics.h"
#include "lookandfeel/cxLookAndFeelPainters.h"

#include <windows.h>

#include <algorithm>

namespace lookandfeel::painter {

// Each painter's only instance. The constructors are protected, so the instances are made
// through derived helpers that expose them.
// Each painter's only instance. The constructors are protected, so the instances are made
// through derived helpers that expose them.
template <class Painter> const Painter& Singleton() noexcept {
    struct Instance final : Painter {};
    static const Instance instance;
    return instance;
}

inline constexpr TColor kBlack = 0x000000;

/// The caption flags of a push button: centred both ways, one line, '&' underlines.
inline constexpr unsigned kButtonCaptionFlags =
    cxAlignHCenter | cxAlignVCenter | cxSingleLine | cxShowPrefix; // 612

inline RECT Deflated(RECT rect, int by) noexcept {
    ::InflateRect(&rect, -by, -by);
    return rect;
}

inline bool IsEmpty(const RECT& rect) noexcept {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

// Fills and frame lines go straight to the DC through its DC brush (DcBrushFill). Through the
// canvas each colour change creates and selects a new brush, and a classic frame has four
// colours plus the face, five brushes per button.
inline void FillColor(TcxCanvas& canvas, const RECT& rect, TColor color) {
    // clNone fills nothing, as a canvas brush of that colour is clear.
    if (color == framework::clNone)
        return;
    if (HDC dc = canvas.Handle())
        DcBrushFill(dc).Fill(rect, framework::ColorToRGB(color));
}

/// A one-pixel frame in one colour; each side stays inside rect.
inline void Frame(TcxCanvas& canvas, const RECT& r, TColor color) {
    FillColor(canvas, RECT{r.left, r.top, std::min(r.left + 1, r.right), r.bottom}, color);
    FillColor(canvas, RECT{std::max(r.right - 1, r.left), r.top, r.right, r.bottom}, color);
    FillColor(canvas, RECT{r.left, r.top, r.right, std::min(r.top + 1, r.bottom)}, color);
    FillColor(canvas, RECT{r.left, std::max(r.bottom - 1, r.top), r.right, r.bottom}, color);
}

/// A one-pixel frame with the left and top sides in leftTop, right and bottom in rightBottom
/// (drawn in that order, so the top-right and bottom-left corners take rightBottom).
inline void TwoColorFrame(TcxCanvas& canvas, const RECT& r, TColor leftTop, TColor rightBottom) {
    FillColor(canvas, RECT{r.left, r.top, std::min(r.left + 1, r.right), r.bottom}, leftTop);
    FillColor(canvas, RECT{r.left, r.top, r.right, std::min(r.top + 1, r.bottom)}, leftTop);
    FillColor(canvas, RECT{std::max(r.right - 1, r.left), r.top, r.right, r.bottom}, rightBottom);
    FillColor(canvas, RECT{r.left, std::max(r.bottom - 1, r.top), r.right, r.bottom}, rightBottom);
}

} // namespace lookandfeel::painter
