// cxStandardPainter.cpp - the Standard painter: the classic raised and sunken 3D frames.
#include "lookandfeel/cxPainterParts.h"

namespace lookandfeel {

using framework::clBtnHighlight;
using framework::clBtnShadow;
using framework::clWindow;
using namespace painter;

// =============================================================================================
// Standard

const TcxStandardLookAndFeelPainter& TcxStandardLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxStandardLookAndFeelPainter>();
}
PainterStyle TcxStandardLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Standard;
}

TColor TcxStandardLookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    if (which == TcxDefaultColor::SortedColumn)
        return clWindow;
    return TcxCustomLookAndFeelPainter::DefaultColor(which);
}

int TcxStandardLookAndFeelPainter::ControlBorderWidth() const {
    return 2;
}
void TcxStandardLookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    TwoColorFrame(canvas, rect, clBtnShadow, clBtnHighlight);
    TwoColorFrame(canvas, Deflated(rect, 1), framework::cl3DDkShadow, framework::cl3DLight);
}

int TcxStandardLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == cxbsDefault ? 3 : 2;
}
int TcxStandardLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 1;
}
int TcxStandardLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 1;
}
bool TcxStandardLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return false;
}

void TcxStandardLookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                     TcxButtonState state) const {
    RECT r = rect;
    if (state == cxbsDefault || state == cxbsPressed) {
        Frame(canvas, r, kBlack);
        r = Deflated(r, 1);
    }
    if (state == cxbsPressed) {
        TwoColorFrame(canvas, r, clBtnShadow, clBtnShadow);
        return;
    }
    TwoColorFrame(canvas, r, clBtnHighlight, framework::cl3DDkShadow);
    TwoColorFrame(canvas, Deflated(r, 1), framework::cl3DLight, clBtnShadow);
}

int TcxStandardLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 12;
}

} // namespace lookandfeel
