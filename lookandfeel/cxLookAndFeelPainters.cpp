// cxLookAndFeelPainters.cpp - the root painter, its default colours and arrows, and the kinds of
// the painter styles.
#include "lookandfeel/cxLookAndFeelPainters.h"

#include "lookandfeel/cxPainterParts.h"

#include <array>

namespace lookandfeel {

using framework::clBtnFace;
using framework::clBtnHighlight;
using framework::clBtnShadow;
using framework::clBtnText;
using framework::clDefault;
using framework::clHighlight;
using framework::clHighlightText;
using framework::clWindow;
using framework::clWindowText;
using namespace painter;

namespace {

/// The triangle of an arrow with the given base (odd) and height, centred in rect.
void DrawTriangle(TcxCanvas& canvas, const RECT& rect, ArrowDirection direction, int base,
                  int height, TColor color) {
    if (base <= 0 || height <= 0)
        return;
    const bool vertical = direction == ArrowDirection::Up || direction == ArrowDirection::Down;
    const int w = vertical ? base : height, h = vertical ? height : base;
    const int x = rect.left + (rect.right - rect.left - w) / 2;
    const int y = rect.top + (rect.bottom - rect.top - h) / 2;
    const int half = (base - 1) / 2;
    std::array<POINT, 3> points{};
    switch (direction) {
    case ArrowDirection::Up:
        points = {POINT{x + half, y}, POINT{x, y + height - 1},
                  POINT{x + base - 1, y + height - 1}};
        break;
    case ArrowDirection::Down:
        points = {POINT{x, y}, POINT{x + base - 1, y}, POINT{x + half, y + height - 1}};
        break;
    case ArrowDirection::Left:
        points = {POINT{x, y + half}, POINT{x + height - 1, y},
                  POINT{x + height - 1, y + base - 1}};
        break;
    case ArrowDirection::Right:
        points = {POINT{x, y}, POINT{x + height - 1, y + half}, POINT{x, y + base - 1}};
        break;
    }
    canvas.Brush().SetColor(color);
    canvas.Pen().SetColor(color);
    canvas.Pen().SetStyle(framework::psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Polygon(points);
}

/// Base and height of the arrow in rect (side: width for up and down, height otherwise).
void ArrowSize(const RECT& rect, ArrowDirection direction, int& base, int& height) noexcept {
    const bool vertical = direction == ArrowDirection::Up || direction == ArrowDirection::Down;
    const int side = vertical ? rect.right - rect.left : rect.bottom - rect.top;
    base = (side - 1) / 2;
    if (base % 2 == 0)
        ++base;
    height = base / 2 + 1;
}

RECT CentredSquare(const RECT& rect) noexcept {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const int side = std::min(w, h);
    RECT square{0, 0, side, side};
    ::OffsetRect(&square, rect.left + (w - side) / 2, rect.top + (h - side) / 2);
    return square;
}

void DrawArrowIn(TcxCanvas& canvas, const RECT& rect, ArrowDirection direction, TColor color) {
    // The size rule gives a one-pixel arrow for a side of 0: an empty rectangle gets none.
    if (IsEmpty(rect))
        return;
    int base = 0, height = 0;
    ArrowSize(rect, direction, base, height);
    DrawTriangle(canvas, rect, direction, base, height, color);
}

// --- Default colours ---------------------------------------------------------------------------

constexpr int Index(TcxDefaultColor which) noexcept {
    return static_cast<int>(which);
}

/// The root painter's default colours, in the order of TcxDefaultColor. TreeLine repeats
/// GridLine through the virtual query, so it has no value of its own here.
constexpr std::array<TColor, kDefaultColorCount> kRootDefaultColors{
    clWindow,    clWindowText, clBtnShadow,     clBtnHighlight,  clBtnText,    clBtnFace, clBtnText,
    clBtnShadow, clBtnFace,    clBtnText,       clBtnShadow,     clBtnFace,    clBtnFace, clBtnText,
    clBtnShadow, clBtnFace,    0xFF0000,        clBtnFace,       clBtnText,    0xFF0000,  clDefault,
    clBtnFace,   clHighlight,  clHighlightText, clWindow,        clWindowText, 0x0000FF,  clBtnFace,
    0xD5FFFF,    clWindowText, clHighlight,     clHighlightText, clBtnFace,    clBtnFace, clBtnText,
    clBtnFace,   0xFFFFFF,     0x000000,        clBtnFace,       clBtnText,    0xFFFFFF,  0x000000,
    0x000000,    0x000000,     0xCFCFCF,        0xFFFFFF,        clBtnShadow,  0xF0CAA6,  0x800000,
    clBtnShadow, clBtnShadow,
};

} // namespace

TcxLookAndFeelKind StyleToKind(PainterStyle style) noexcept {
    switch (style) {
    case PainterStyle::Flat: return lfFlat;
    case PainterStyle::UltraFlat: return lfUltraFlat;
    case PainterStyle::Office11: return lfOffice11;
    default: return lfStandard;
    }
}

// =============================================================================================
// Root

const TcxCustomLookAndFeelPainter& TcxCustomLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxCustomLookAndFeelPainter>();
}
PainterStyle TcxCustomLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Standard;
}

TColor TcxCustomLookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    const int index = Index(which);
    if (index < 0 || index >= kDefaultColorCount)
        return clDefault;
    if (which == TcxDefaultColor::TreeLine)
        return DefaultColor(TcxDefaultColor::GridLine);
    return kRootDefaultColors[static_cast<size_t>(index)];
}

void TcxCustomLookAndFeelPainter::PaintSmallArrow(TcxCanvas& canvas, const RECT& rect,
                                                  TColor color) const {
    // Five pixels wide and three high, or the largest such triangle the rectangle holds.
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    int base = std::min({5, w, 2 * h - 1});
    if (base % 2 == 0)
        --base;
    DrawTriangle(canvas, rect, ArrowDirection::Down, base, base / 2 + 1, color);
}

void TcxCustomLookAndFeelPainter::PaintArrow(TcxCanvas& canvas, const RECT& rect,
                                             ArrowDirection direction, TColor color) const {
    DrawArrowIn(canvas, CentredSquare(rect), direction, color);
}

void TcxCustomLookAndFeelPainter::PaintArrowButton(TcxCanvas& canvas, const RECT& rect,
                                                   TcxButtonState state, ArrowDirection direction,
                                                   bool asButton) const {
    if (asButton)
        PaintButtonFace(canvas, rect, state);
    else
        FillColor(canvas, rect, ButtonFaceColor(state));
    DrawArrowIn(canvas, rect, direction, ButtonCaptionColor(state, clDefault));
}

void TcxCustomLookAndFeelPainter::PaintDropDownArrow(TcxCanvas& canvas, const RECT& rect,
                                                     TcxButtonState state,
                                                     ArrowDirection direction) const {
    RECT r = CentredSquare(rect);
    if (state == cxbsPressed)
        ::OffsetRect(&r, ButtonPressedShift(), ButtonPressedShift());
    if (state == cxbsDisabled) {
        RECT emboss = r;
        ::OffsetRect(&emboss, 1, 1);
        DrawArrowIn(canvas, emboss, direction, clBtnHighlight);
        DrawArrowIn(canvas, r, direction, clBtnShadow);
    } else {
        DrawArrowIn(canvas, r, direction, ButtonCaptionColor(state, clDefault));
    }
}

int TcxCustomLookAndFeelPainter::ControlBorderWidth() const {
    return 0;
}
void TcxCustomLookAndFeelPainter::PaintControlBorder(TcxCanvas&, const RECT&) const {}

RECT TcxCustomLookAndFeelPainter::AdjustButtonPaintBounds(const RECT& rect) const {
    return rect;
}
int TcxCustomLookAndFeelPainter::ButtonFrameWidth(TcxButtonState) const {
    return 0;
}
TColor TcxCustomLookAndFeelPainter::ButtonFaceColor(TcxButtonState) const {
    return clBtnFace;
}

RECT TcxCustomLookAndFeelPainter::InsetFocusBounds(const RECT& rect, int inset) noexcept {
    RECT inner = Deflated(rect, inset);
    return IsEmpty(inner) ? rect : inner;
}

RECT TcxCustomLookAndFeelPainter::ButtonFocusBounds(TcxCanvas&, const RECT& rect) const {
    return InsetFocusBounds(rect, 4);
}

TcxFrameWidths TcxCustomLookAndFeelPainter::ButtonGroupFrameWidths(int, int) const {
    const int w = ButtonFrameWidth(cxbsNormal);
    return {w, w, w, w};
}

int TcxCustomLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 0;
}
int TcxCustomLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 0;
}

TColor TcxCustomLookAndFeelPainter::ClassicCaptionColor(TcxButtonState state,
                                                        TColor requested) noexcept {
    if (state == cxbsDisabled)
        return clBtnShadow;
    return requested == clDefault ? clBtnText : requested;
}

TColor TcxCustomLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state,
                                                       TColor requested) const {
    return ClassicCaptionColor(state, requested);
}

bool TcxCustomLookAndFeelPainter::ButtonHotTracks(bool defaultValue) const noexcept {
    return defaultValue;
}
bool TcxCustomLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return false;
}

void TcxCustomLookAndFeelPainter::PaintButton(TcxCanvas& canvas, const RECT& rect,
                                              std::string_view caption, TcxButtonState state,
                                              bool drawFrame, TColor faceColor,
                                              TColor textColor) const {
    PaintButtonClassic(canvas, rect, caption, state, drawFrame, faceColor, textColor);
}

void TcxCustomLookAndFeelPainter::PaintButtonClassic(TcxCanvas& canvas, const RECT& rect,
                                                     std::string_view caption, TcxButtonState state,
                                                     bool drawFrame, TColor faceColor,
                                                     TColor textColor) const {
    RECT r = rect;
    if (drawFrame) {
        PaintButtonFrame(canvas, r, state);
        r = Deflated(r, ButtonFrameWidth(state));
    }
    FillColor(canvas, r, faceColor == clDefault ? ButtonFaceColor(state) : faceColor);
    canvas.Font().SetColor(textColor == clDefault ? ButtonCaptionColor(state, clDefault)
                                                  : textColor);
    canvas.Brush().SetStyle(framework::bsClear);
    // The caption box gets an even height and, when lower than 18 pixels, one more pixel at the
    // top: with an even text height that lifts the caption of a low button by one pixel.
    if ((r.bottom - r.top) % 2 != 0)
        --r.bottom;
    if (r.bottom - r.top < 18)
        --r.top;
    if (state == cxbsPressed)
        ::OffsetRect(&r, ButtonPressedShift(), ButtonPressedShift());
    // A button smaller than its frame leaves an inverted box, which GDI would take as the
    // rectangle between its corners and draw the caption outside the button.
    if (!caption.empty() && !IsEmpty(r))
        canvas.DrawText(caption, r, kButtonCaptionFlags, state != cxbsDisabled);
    canvas.Brush().SetStyle(framework::bsSolid);
}

void TcxCustomLookAndFeelPainter::PaintButtonFrame(TcxCanvas&, const RECT&, TcxButtonState) const {}

bool TcxCustomLookAndFeelPainter::ButtonNeedsParentBackground() const {
    return false;
}

void TcxCustomLookAndFeelPainter::PaintButtonFace(TcxCanvas& canvas, const RECT& rect,
                                                  TcxButtonState state) const {
    FillColor(canvas, rect, ButtonFaceColor(state));
    PaintButtonFrame(canvas, rect, state);
}

TColor TcxCustomLookAndFeelPainter::CheckButtonColor(TcxButtonState state) const noexcept {
    return state == cxbsPressed || state == cxbsDisabled ? clBtnFace : clWindow;
}
bool TcxCustomLookAndFeelPainter::DrawExpandButtonFirst() const noexcept {
    return true;
}
int TcxCustomLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 0;
}
bool TcxCustomLookAndFeelPainter::IsPointOverExpandButton(POINT point,
                                                          const RECT& rect) const noexcept {
    return ::PtInRect(&rect, point) != FALSE;
}

} // namespace lookandfeel
