// cxFlatPainters.cpp - the Flat, UltraFlat and Office 11 painters and the ultra-flat colour cache.
//
// The three painters that native style skips. The program's windows set native style on every
// skinned control, so while a visual style is active they draw with the themed painter and never
// with these. Without a visual style they fall back to the painter of their Kind, which nothing
// in them sets: the ultra-flat default; the Flat and Office 11 painters are never used by them.
// They are kept because Kind is a setting of every look-and-feel (window definitions store it),
// the ultra-flat painter is that fallback, and the painter tests pin each style's pixels.
#include "lookandfeel/cxPainterParts.h"
#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/cxSystemPalette.h"

#include <memory>

namespace lookandfeel {

using framework::clBtnFace;
using framework::clBtnHighlight;
using framework::clBtnShadow;
using framework::clBtnText;
using framework::clDefault;
using framework::clHighlight;
using framework::clHighlightText;
using framework::clWindowText;
using namespace painter;

namespace {

// --- Ultra-flat colour cache -------------------------------------------------------------------

// The hot and pressed faces are blends that need a screen DC each time they are computed; a
// button asks for them on every paint. Once the module runs they are kept, and a primary
// system-colour notifier (told before the controls repaint) computes them again.
struct UltraFlatColorCache {
    TColor hot = clDefault;
    TColor pressed = clDefault;
    std::unique_ptr<TcxSystemPaletteChangedNotifier> notifier;

    void Refresh() {
        hot = LightSelectionColor();
        pressed = LightPressedColor();
    }
};

UltraFlatColorCache& ColorCache() noexcept {
    static UltraFlatColorCache cache;
    return cache;
}

TColor UltraFlatHotColor() {
    const UltraFlatColorCache& cache = ColorCache();
    return cache.notifier ? cache.hot : LightSelectionColor();
}

TColor UltraFlatPressedColor() {
    const UltraFlatColorCache& cache = ColorCache();
    return cache.notifier ? cache.pressed : LightPressedColor();
}

} // namespace

// =============================================================================================
// Flat

const TcxFlatLookAndFeelPainter& TcxFlatLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxFlatLookAndFeelPainter>();
}
PainterStyle TcxFlatLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Flat;
}

int TcxFlatLookAndFeelPainter::ControlBorderWidth() const {
    return 1;
}
void TcxFlatLookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    TwoColorFrame(canvas, rect, clBtnShadow, clBtnHighlight);
}
int TcxFlatLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == cxbsDefault ? 2 : 1;
}
int TcxFlatLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 1;
}
int TcxFlatLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 1;
}
bool TcxFlatLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return false;
}

void TcxFlatLookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                 TcxButtonState state) const {
    RECT r = rect;
    switch (state) {
    case cxbsDefault:
        Frame(canvas, r, kBlack);
        r = Deflated(r, 1);
        TwoColorFrame(canvas, r, clBtnHighlight, clBtnShadow);
        break;
    case cxbsPressed: TwoColorFrame(canvas, r, clBtnShadow, clBtnHighlight); break;
    default: TwoColorFrame(canvas, r, clBtnHighlight, clBtnShadow); break;
    }
}

int TcxFlatLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 11;
}

// =============================================================================================
// UltraFlat

const TcxUltraFlatLookAndFeelPainter& TcxUltraFlatLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxUltraFlatLookAndFeelPainter>();
}
PainterStyle TcxUltraFlatLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::UltraFlat;
}

TColor TcxUltraFlatLookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    if (which == TcxDefaultColor::ContainerBorder)
        return clBtnShadow;
    return TcxCustomLookAndFeelPainter::DefaultColor(which);
}

int TcxUltraFlatLookAndFeelPainter::ControlBorderWidth() const {
    return 1;
}
void TcxUltraFlatLookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    Frame(canvas, rect, clBtnShadow);
}
int TcxUltraFlatLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == cxbsDefault ? 2 : 1;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonFaceColor(TcxButtonState state) const {
    switch (state) {
    case cxbsHot: return UltraFlatHotColor();
    case cxbsPressed: return UltraFlatPressedColor();
    default: return clBtnFace;
    }
}

RECT TcxUltraFlatLookAndFeelPainter::ButtonFocusBounds(TcxCanvas&, const RECT& rect) const {
    return InsetFocusBounds(rect, 3);
}

TcxFrameWidths TcxUltraFlatLookAndFeelPainter::ButtonGroupFrameWidths(int count, int index) const {
    TcxFrameWidths widths{1, 2, 1, 2};
    if (index == 0)
        ++widths.Left;
    else if (index == count - 1)
        ++widths.Right;
    return widths;
}

int TcxUltraFlatLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 2;
}
int TcxUltraFlatLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 0;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state,
                                                          TColor requested) const {
    if (state == cxbsPressed)
        return clHighlightText;
    return ClassicCaptionColor(state, requested);
}

bool TcxUltraFlatLookAndFeelPainter::ButtonHotTracks(bool) const noexcept {
    return true;
}
bool TcxUltraFlatLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return true;
}

void TcxUltraFlatLookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                      TcxButtonState state) const {
    switch (state) {
    case cxbsDefault:
        Frame(canvas, rect, framework::clWindowFrame);
        Frame(canvas, Deflated(rect, 1), framework::clWindowFrame);
        break;
    case cxbsPressed:
    case cxbsHot: Frame(canvas, rect, clHighlight); break;
    case cxbsDisabled: Frame(canvas, rect, clBtnShadow); break;
    default: Frame(canvas, rect, clBtnText); break;
    }
}

int TcxUltraFlatLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 11;
}

TColor TcxUltraFlatLookAndFeelPainter::ToolButtonBorderColor(TcxButtonState state) const {
    return state == cxbsNormal ? clBtnShadow : clHighlight;
}
TColor TcxUltraFlatLookAndFeelPainter::SeparatorColor() const {
    return clBtnShadow;
}
TColor TcxUltraFlatLookAndFeelPainter::ToolButtonTextColor() const {
    return clBtnText;
}
TColor TcxUltraFlatLookAndFeelPainter::HighlightBorderColor() const {
    return clHighlight;
}

// =============================================================================================
// Office 11

const TcxOffice11LookAndFeelPainter& TcxOffice11LookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxOffice11LookAndFeelPainter>();
}
PainterStyle TcxOffice11LookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Office11;
}

TColor TcxOffice11LookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    using D = TcxDefaultColor;
    switch (which) {
    case D::ContentDarkEdge: return Office11DarkEdgeColor();
    case D::ContentLightEdge: return Office11LightEdgeColor();
    case D::FilterBox:
    case D::Indicator:
    case D::Panel: return Office11FaceColor();
    case D::FilterBoxText: return DefaultColor(D::GroupText);
    case D::Header: return Office11HeaderColor();
    case D::Group: return Office11GroupColor();
    case D::GroupByBox: return Office11LightGradientColor();
    case D::GroupByBoxMiddle: return Office11MiddleGradientColor();
    case D::GroupByBoxLine: return DefaultColor(D::Group);
    case D::Selection: return Office11SelectionColor();
    case D::SelectionText: return clWindowText;
    case D::ContainerBorder: return Office11LineColor();
    case D::Footer: return Office11FooterColor();
    case D::LayoutView: return Office11LightFaceColor();
    case D::TabBody: return DefaultColor(D::LayoutView);
    case D::FooterCell: return DefaultColor(D::Footer);
    default: return TcxUltraFlatLookAndFeelPainter::DefaultColor(which);
    }
}

void TcxOffice11LookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    Frame(canvas, rect, Office11BorderColor());
}

TColor TcxOffice11LookAndFeelPainter::ButtonFaceColor(TcxButtonState state) const {
    switch (state) {
    case cxbsHot: return Office11HotFaceColor();
    case cxbsPressed: return Office11PressedFaceColor();
    case cxbsDisabled: return clBtnFace;
    default: return Office11FaceColor();
    }
}

TColor TcxOffice11LookAndFeelPainter::ButtonCaptionColor(TcxButtonState state, TColor) const {
    if (state == cxbsPressed && !Office11SchemeActive())
        return clHighlightText;
    if (state == cxbsDisabled)
        return Office11DisabledTextColor();
    return Office11TextColor();
}

void TcxOffice11LookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                     TcxButtonState state) const {
    switch (state) {
    case cxbsDefault: TcxUltraFlatLookAndFeelPainter::PaintButtonFrame(canvas, rect, state); break;
    case cxbsPressed:
    case cxbsHot: Frame(canvas, rect, Office11HotFrameColor()); break;
    case cxbsDisabled: Frame(canvas, rect, Office11DisabledTextColor()); break;
    default: Frame(canvas, rect, clBtnText); break;
    }
}

bool TcxOffice11LookAndFeelPainter::DrawExpandButtonFirst() const noexcept {
    return false;
}

TColor TcxOffice11LookAndFeelPainter::ToolButtonBorderColor(TcxButtonState state) const {
    return state == cxbsNormal ? Office11Entry(14) : Office11HotFrameColor();
}
TColor TcxOffice11LookAndFeelPainter::HighlightBorderColor() const {
    return Office11HotFrameColor();
}
TColor TcxOffice11LookAndFeelPainter::DarkGradientColor() const {
    return Office11DarkGradientColor();
}
TColor TcxOffice11LookAndFeelPainter::BandBorderColor() const {
    return Office11Entry(14);
}
TColor TcxOffice11LookAndFeelPainter::BandBackgroundColor() const {
    return Office11Entry(15);
}
TColor TcxOffice11LookAndFeelPainter::MiddleGradientColor() const {
    return Office11MiddleGradientColor();
}

// =============================================================================================
// Module

void InitializePainters() {
    UltraFlatColorCache& cache = ColorCache();
    if (cache.notifier)
        return;
    cache.Refresh();
    auto notifier = std::make_unique<TcxSystemPaletteChangedNotifier>(true);
    notifier->OnColorsChanged = [] { ColorCache().Refresh(); };
    cache.notifier = std::move(notifier);
}

void FinalizePainters() noexcept {
    ColorCache().notifier.reset();
}

} // namespace lookandfeel
