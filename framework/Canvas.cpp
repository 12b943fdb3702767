// Canvas.cpp - the canvas: a device context with its current font, brush and pen, selected into
// it as drawing needs them (see Graphics.h).
#include "framework/Graphics.h"

#include <utility>

namespace framework {

// ---------------------------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas() {
    font_.canvas_ = this;
    brush_.canvas_ = this;
    pen_.canvas_ = this;
}

TCanvas::~TCanvas() {
    Detach();
}

HDC TCanvas::Handle() {
    if (!dc_)
        CreateHandle();
    return dc_;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == dc_ && !ownedDc_)
        return;
    Attach(dc, UniqueHdc());
}

void TCanvas::SetHandle(UniqueHdc dc) {
    HDC h = dc.get();
    Attach(h, std::move(dc));
}

void TCanvas::Attach(HDC dc, UniqueHdc owned) {
    Detach();
    if (!dc)
        return;
    dc_ = dc;
    ownedDc_ = std::move(owned);
    state_ = csHandleValid;
    originals_.font = ::GetCurrentObject(dc, OBJ_FONT);
    originals_.brush = ::GetCurrentObject(dc, OBJ_BRUSH);
    originals_.pen = ::GetCurrentObject(dc, OBJ_PEN);
    originals_.textColor = ::GetTextColor(dc);
    originals_.bkColor = ::GetBkColor(dc);
    originals_.bkMode = ::GetBkMode(dc);
    originals_.rop2 = ::GetROP2(dc);
}

void TCanvas::Detach() {
    if (!dc_)
        return;
    Deselect(csFontValid | csBrushValid | csPenValid);
    ::SetTextColor(dc_, originals_.textColor);
    ::SetBkColor(dc_, originals_.bkColor);
    if (originals_.bkMode)
        ::SetBkMode(dc_, originals_.bkMode);
    if (originals_.rop2)
        ::SetROP2(dc_, originals_.rop2);
    dc_ = nullptr;
    ownedDc_.reset();
    state_ = 0;
}

void TCanvas::Deselect(unsigned states) {
    unsigned selected = state_ & states;
    if (selected & csFontValid)
        ::SelectObject(dc_, originals_.font);
    if (selected & csBrushValid)
        ::SelectObject(dc_, originals_.brush);
    if (selected & csPenValid)
        ::SelectObject(dc_, originals_.pen);
    state_ &= ~selected;
}

void TCanvas::ObjectChanging(const TGraphicsObject& object) {
    if (&object == &font_)
        Deselect(csFontValid);
    else if (&object == &brush_)
        Deselect(csBrushValid);
    else if (&object == &pen_)
        Deselect(csPenValid);
}

void TCanvas::Refresh() {
    Deselect(csFontValid | csBrushValid | csPenValid);
}

bool TCanvas::RequiredState(unsigned states) {
    if (!Handle())
        return false;
    unsigned needed = states & ~state_ & (csFontValid | csBrushValid | csPenValid);
    if (needed & csFontValid) {
        ::SelectObject(dc_, font_.Handle());
        ::SetTextColor(dc_, ColorToRGB(font_.Color()));
    }
    if (needed & csPenValid) {
        ::SelectObject(dc_, pen_.Handle());
        ::SetROP2(dc_, pen_.Rop2());
    }
    if (needed & csBrushValid) {
        ::SelectObject(dc_, brush_.Handle());
        ::SetBkColor(dc_, ColorToRGB(brush_.Color()));
        ::SetBkMode(dc_, brush_.Style() == bsClear ? TRANSPARENT : OPAQUE);
    }
    state_ |= needed;
    return true;
}

TColor TCanvas::Pixel(int x, int y) {
    if (!RequiredState(csHandleValid))
        return clNone;
    return static_cast<TColor>(::GetPixel(dc_, x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (RequiredState(csHandleValid))
        ::SetPixelV(dc_, x, y, ColorToRGB(color));
}

POINT TCanvas::PenPos() {
    POINT p{};
    if (RequiredState(csHandleValid))
        ::GetCurrentPositionEx(dc_, &p);
    return p;
}

void TCanvas::MoveTo(int x, int y) {
    if (RequiredState(csHandleValid))
        ::MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    if (RequiredState(csHandleValid | csPenValid | csBrushValid))
        ::LineTo(dc_, x, y);
}

void TCanvas::Polygon(std::span<const POINT> points) {
    if (!points.empty() && RequiredState(csHandleValid | csPenValid | csBrushValid))
        ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polyline(std::span<const POINT> points) {
    if (!points.empty() && RequiredState(csHandleValid | csPenValid | csBrushValid))
        ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Rectangle(const RECT& rect) {
    if (RequiredState(csHandleValid | csPenValid | csBrushValid))
        ::Rectangle(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

void TCanvas::FillRect(const RECT& rect) {
    if (RequiredState(csHandleValid | csBrushValid))
        ::FillRect(dc_, &rect, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
    if (RequiredState(csHandleValid | csBrushValid))
        ::FrameRect(dc_, &rect, brush_.Handle());
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
    int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    int sw = sourceRect.right - sourceRect.left, sh = sourceRect.bottom - sourceRect.top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0)
        return;
    if (!RequiredState(csHandleValid | csBrushValid))
        return;
    HDC src = source.Handle();
    if (!src)
        return;
    if (dw == sw && dh == sh)
        ::BitBlt(dc_, dest.left, dest.top, dw, dh, src, sourceRect.left, sourceRect.top, copyMode_);
    else
        ::StretchBlt(dc_, dest.left, dest.top, dw, dh, src, sourceRect.left, sourceRect.top, sw, sh,
                     copyMode_);
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
    graphic.Draw(*this, RECT{x, y, x + graphic.Width(), y + graphic.Height()});
}

void TCanvas::StretchDraw(const RECT& rect, const TGraphic& graphic) {
    graphic.Draw(*this, rect);
}

SIZE TCanvas::TextExtent(std::string_view text) {
    SIZE size{};
    if (RequiredState(csHandleValid | csFontValid))
        ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    if (RequiredState(csHandleValid | csFontValid | csBrushValid))
        ::ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
}

} // namespace framework
