// cxGraphics.cpp - TcxCanvas, TcxRegion, the screen canvases and the colour helpers.
#include "lookandfeel/cxGraphics.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace lookandfeel {

using framework::clBtnFace;
using framework::clBtnHighlight;
using framework::clBtnShadow;
using framework::clDefault;
using framework::ColorToRGB;
using framework::TBitmap;
using framework::TFont;

namespace {

bool IsEmptyRect(const RECT& r) noexcept {
    return r.right <= r.left || r.bottom <= r.top;
}

/// Division rounding toward minus infinity, so that the tiling grid stays anchored at the
/// origin for negative coordinates too.
long long FloorDiv(long long a, long long b) noexcept {
    long long q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

/// Keeps a DC's clip region for a scope and puts it back (also "no clip region") afterwards.
class ClipKeeper {
public:
    explicit ClipKeeper(HDC dc) : dc_(dc), saved_(::CreateRectRgn(0, 0, 0, 0)) {
        had_ = saved_ && ::GetClipRgn(dc_, saved_.get()) == 1;
    }
    ~ClipKeeper() { ::SelectClipRgn(dc_, had_ ? saved_.get() : nullptr); }
    ClipKeeper(const ClipKeeper&) = delete;
    ClipKeeper& operator=(const ClipKeeper&) = delete;

private:
    HDC dc_;
    framework::UniqueRegion saved_;
    bool had_ = false;
};

} // namespace

int RegionCombineMode(RegionOperation operation) noexcept {
    switch (operation) {
    case roSet: return RGN_COPY;
    case roAdd: return RGN_OR;
    case roSubtract: return RGN_DIFF;
    case roIntersect: return RGN_AND;
    }
    return RGN_COPY;
}

UINT TextFlagsToDrawTextFlags(unsigned flags) noexcept {
    UINT result = DT_NOPREFIX;
    if (flags & cxAlignRight)
        result |= DT_RIGHT;
    if (flags & cxAlignHCenter)
        result |= DT_CENTER;
    if (flags & cxAlignBottom)
        result |= DT_BOTTOM;
    if (flags & cxAlignVCenter)
        result |= DT_VCENTER;
    if (flags & cxSingleLine)
        result |= DT_SINGLELINE;
    if (flags & cxDontClip)
        result |= DT_NOCLIP;
    if (flags & cxExpandTabs)
        result |= DT_EXPANDTABS;
    if (flags & cxShowPrefix)
        result &= ~static_cast<UINT>(DT_NOPREFIX);
    if (flags & cxWordBreak) {
        result |= DT_WORDBREAK;
        if (!(flags & cxDontBreakChars))
            result |= DT_EDITCONTROL;
    }
    if (flags & cxShowEndEllipsis)
        result |= DT_END_ELLIPSIS;
    if (flags & cxDontPrint)
        result |= DT_CALCRECT;
    if (flags & cxShowPathEllipsis)
        result |= DT_PATH_ELLIPSIS;
    return result;
}

// ---------------------------------------------------------------------------------------------
// TcxRegion

TcxRegion::TcxRegion() : TcxRegion(0, 0, 0, 0) {}

TcxRegion::TcxRegion(const RECT& rect) : TcxRegion(rect.left, rect.top, rect.right, rect.bottom) {}

TcxRegion::TcxRegion(int left, int top, int right, int bottom)
    : handle_(::CreateRectRgn(left, top, right, bottom)) {}

bool TcxRegion::IsEmpty() const {
    RECT box;
    return !handle_ || ::GetRgnBox(handle_.get(), &box) == NULLREGION;
}

void TcxRegion::Combine(const TcxRegion& other, RegionOperation operation) {
    if (!handle_)
        handle_.reset(::CreateRectRgn(0, 0, 0, 0));
    if (!handle_)
        return;
    if (other.handle_) {
        // RGN_COPY copies the first source, so set takes other alone.
        if (operation == roSet)
            ::CombineRgn(handle_.get(), other.handle_.get(), nullptr, RGN_COPY);
        else
            ::CombineRgn(handle_.get(), handle_.get(), other.handle_.get(),
                         RegionCombineMode(operation));
        return;
    }
    // A region without handle counts as empty.
    if (operation == roSet || operation == roIntersect)
        ::SetRectRgn(handle_.get(), 0, 0, 0, 0);
}

void TcxRegion::Combine(TcxRegion&& other, RegionOperation operation) {
    TcxRegion consumed(std::move(other));
    Combine(static_cast<const TcxRegion&>(consumed), operation);
}

void TcxRegion::Offset(int dx, int dy) {
    if (handle_)
        ::OffsetRgn(handle_.get(), dx, dy);
}

// ---------------------------------------------------------------------------------------------
// TcxCanvas: fills and frames

void TcxCanvas::SetBrushColor(TColor color) {
    // A clear brush of the same colour still has to become solid, or the next fill in that
    // colour would draw nothing (text drawing leaves the brush clear).
    if (Brush().Color() != color || Brush().Style() == framework::bsClear)
        Brush().SetColor(color);
}

void TcxCanvas::FillRect(const RECT& rect, TColor color) {
    SetBrushColor(color);
    FillRect(rect);
}

void TcxCanvas::FillRect(const RECT& rect, const TBitmap* bitmap, bool exclude) {
    if (IsEmptyRect(rect))
        return;
    if (!bitmap || bitmap->Empty()) {
        canvas_.FillRect(rect);
    } else if (HDC dc = Handle()) {
        // Only the cells that can show matter: a huge rectangle is cut to the clip box first,
        // so that tiling a tiny bitmap over it stays cheap.
        RECT area = rect;
        RECT box;
        bool visible = true;
        switch (::GetClipBox(dc, &box)) {
        case ERROR: break; // no box known: tile the whole rectangle
        case NULLREGION: visible = false; break;
        default: visible = ::IntersectRect(&area, &area, &box) != FALSE; break;
        }
        if (visible) {
            const long long w = bitmap->Width(), h = bitmap->Height();
            const long long c0 = FloorDiv(area.left, w), c1 = FloorDiv(area.right - 1LL, w);
            const long long r0 = FloorDiv(area.top, h), r1 = FloorDiv(area.bottom - 1LL, h);
            framework::TCanvas& source = bitmap->Canvas();
            for (long long r = r0; r <= r1; ++r) {
                for (long long c = c0; c <= c1; ++c) {
                    const long long x = c * w, y = r * h;
                    RECT part{static_cast<LONG>(std::max<long long>(x, area.left)),
                              static_cast<LONG>(std::max<long long>(y, area.top)),
                              static_cast<LONG>(std::min<long long>(x + w, area.right)),
                              static_cast<LONG>(std::min<long long>(y + h, area.bottom))};
                    RECT from{static_cast<LONG>(part.left - x), static_cast<LONG>(part.top - y),
                              static_cast<LONG>(part.right - x),
                              static_cast<LONG>(part.bottom - y)};
                    canvas_.CopyRect(part, source, from);
                }
            }
        }
    }
    if (exclude)
        ApplyClipRegion(TcxRegion(rect), roSubtract, true);
}

void TcxCanvas::FrameRect(const RECT& rect, TColor color, int width, TcxBorders borders,
                          bool exclude) {
    if (IsEmptyRect(rect))
        return;
    if (color != clDefault)
        SetBrushColor(color);
    const RECT& r = rect;
    if (borders.Contains(bLeft))
        FillRect(RECT{r.left, r.top, std::min(r.left + width, r.right), r.bottom}, nullptr,
                 exclude);
    if (borders.Contains(bRight))
        FillRect(RECT{std::max(r.right - width, r.left), r.top, r.right, r.bottom}, nullptr,
                 exclude);
    if (borders.Contains(bTop))
        FillRect(RECT{r.left, r.top, r.right, std::min(r.top + width, r.bottom)}, nullptr, exclude);
    if (borders.Contains(bBottom))
        FillRect(RECT{r.left, std::max(r.bottom - width, r.top), r.right, r.bottom}, nullptr,
                 exclude);
}

void TcxCanvas::FillRectWithFrame(const RECT& rect, const TcxBackground& background,
                                  TcxBorders borders, TColor frameColor, int width, bool exclude) {
    FrameRect(rect, frameColor, width, borders, exclude);
    RECT inner = rect;
    if (borders.Contains(bLeft))
        inner.left += width;
    if (borders.Contains(bTop))
        inner.top += width;
    if (borders.Contains(bRight))
        inner.right -= width;
    if (borders.Contains(bBottom))
        inner.bottom -= width;
    SetBrushColor(background.Color);
    FillRect(inner, background.Bitmap, exclude);
}

void TcxCanvas::DrawTwoColorFrame(const RECT& rect, TColor leftTop, TColor rightBottom,
                                  TcxBorders borders, int width) {
    // Each strip is kept inside the rectangle (as FrameRect does), so a frame wider than a thin
    // rectangle cannot paint outside it.
    const RECT& r = rect;
    if (borders.Contains(bLeft)) {
        SetBrushColor(leftTop);
        FillRect(RECT{r.left, r.top, std::min(r.left + width, r.right), r.bottom});
    }
    if (borders.Contains(bTop)) {
        SetBrushColor(leftTop);
        FillRect(RECT{r.left, r.top, r.right, std::min(r.top + width, r.bottom)});
    }
    if (borders.Contains(bRight)) {
        SetBrushColor(rightBottom);
        FillRect(RECT{std::max(r.right - width, r.left), r.top, r.right, r.bottom});
    }
    if (borders.Contains(bBottom)) {
        SetBrushColor(rightBottom);
        FillRect(RECT{r.left, std::max(r.bottom - width, r.top), r.right, r.bottom});
    }
}

void TcxCanvas::DrawEdge(const RECT& rect, bool sunken, bool outer, TcxBorders borders) {
    using namespace framework;
    TColor leftTop, rightBottom;
    if (sunken) {
        leftTop = outer ? clBtnShadow : cl3DDkShadow;
        rightBottom = outer ? clBtnHighlight : cl3DLight;
    } else {
        leftTop = outer ? cl3DLight : clBtnHighlight;
        rightBottom = outer ? cl3DDkShadow : clBtnShadow;
    }
    DrawTwoColorFrame(rect, leftTop, rightBottom, borders, 1);
}

void TcxCanvas::DrawFocusRect(const RECT& rect) {
    SetBrushColor(framework::clWhite);
    Font().SetColor(framework::clBlack);
    // The dotted pattern is drawn with the text and background colours: black on white.
    if (canvas_.RequiredState(framework::csHandleValid | framework::csFontValid |
                              framework::csBrushValid))
        ::DrawFocusRect(canvas_.Handle(), &rect);
}

void TcxCanvas::InvertRect(const RECT& rect) {
    if (!IsEmptyRect(rect)) {
        canvas_.SetCopyMode(DSTINVERT); // 0x550009
        canvas_.CopyRect(rect, canvas_, rect);
    }
    canvas_.SetCopyMode(SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// TcxCanvas: text

int TcxCanvas::MeasureFontHeight(const TFont& font) {
    SetFont(font);
    return TextHeight("Qq");
}

void TcxCanvas::AlignTextRect(std::string_view text, RECT& rect, unsigned flags) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const UINT dt = TextFlagsToDrawTextFlags(flags);
    if (!canvas_.RequiredState(framework::csHandleValid | framework::csFontValid))
        return;
    // DT_BOTTOM is left out of the measuring call as well: Wine's DT_CALCRECT keeps the given
    // bottom for single-line bottom-aligned text instead of returning the text's height. The
    // alignment below applies it either way.
    ::DrawTextA(Handle(), text.data(), static_cast<int>(text.size()), &rect,
                (dt & ~static_cast<UINT>(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
    const int dw = width - (rect.right - rect.left);
    const int dh = height - (rect.bottom - rect.top);
    int dx = 0, dy = 0;
    if (dt & DT_CENTER)
        dx = dw / 2;
    else if (dt & DT_RIGHT)
        dx = dw;
    if (dt & DT_VCENTER)
        dy = dh / 2;
    else if (dt & DT_BOTTOM)
        dy = dh;
    ::OffsetRect(&rect, dx, dy);
}

void TcxCanvas::DrawText(std::string_view text, RECT rect, unsigned flags, bool enabled) {
    if (text.empty())
        return;
    const RECT given = rect;
    const int d = enabled ? 0 : 1;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    // "Measure only" must never print, so it always takes the DrawText route (DT_CALCRECT).
    const bool useExtTextOut =
        (flags & cxSingleLine) &&
        !(flags & (cxShowPrefix | cxShowEndEllipsis | cxShowPathEllipsis | cxDontPrint));
    const bool multiLine = !(flags & cxSingleLine);

    SIZE extent = TextExtent(text);
    int blockHeight = 0;
    if (multiLine) {
        // Several lines: the block's own extent (as wrapped in this width) decides whether it
        // fits; the single-line extent of the whole string says nothing about its height.
        RECT block{0, 0, width - d, 0};
        AlignTextRect(text, block,
                      cxAlignLeft | cxAlignTop |
                          (flags & (cxWordBreak | cxDontBreakChars | cxShowPrefix)));
        extent = SIZE{block.right - block.left, block.bottom - block.top};
        blockHeight = extent.cy;
    }
    if (width > extent.cx && height > extent.cy)
        flags |= cxDontClip;

    UINT drawTextFlags = 0;
    UINT options = 0;
    if (!useExtTextOut) {
        if (multiLine && (flags & (cxAlignBottom | cxAlignVCenter))) {
            if (flags & cxAlignBottom)
                rect.top = rect.bottom - blockHeight - d;
            else
                rect.top = (rect.top + rect.bottom - blockHeight) / 2;
            flags &= ~static_cast<unsigned>(cxAlignBottom | cxAlignVCenter);
        }
        drawTextFlags = TextFlagsToDrawTextFlags(flags);
    } else {
        if (extent.cx < width) {
            if ((flags & 7) == cxAlignRight)
                rect.left = rect.right - extent.cx - d;
            else if ((flags & 7) == cxAlignHCenter)
                rect.left = (rect.left + rect.right - extent.cx) / 2;
        }
        if (extent.cy < height) {
            if ((flags & 0x38) == cxAlignBottom)
                rect.top = rect.bottom - extent.cy - d;
            else if ((flags & 0x38) == cxAlignVCenter)
                rect.top = (rect.top + rect.bottom - extent.cy) / 2;
        }
        options = (flags & cxDontClip) ? 0 : ETO_CLIPPED;
    }

    framework::TBrush& brush = Brush();
    framework::TFont& font = Font();
    const framework::TBrushStyle brushStyle = brush.Style();
    const TColor fontColor = font.Color();

    // A block taller than the rectangle starts above it; keep it inside what was given.
    std::optional<ClipKeeper> clip;
    if (!useExtTextOut && !(flags & cxDontClip) && rect.top < given.top && Handle()) {
        clip.emplace(Handle());
        ::IntersectClipRect(Handle(), given.left, given.top, given.right, given.bottom);
    }

    auto output = [&](RECT& r) {
        if (!canvas_.RequiredState(framework::csHandleValid | framework::csFontValid |
                                   framework::csBrushValid))
            return;
        if (useExtTextOut)
            ::ExtTextOutA(Handle(), r.left, r.top, options, &r, text.data(),
                          static_cast<UINT>(text.size()), nullptr);
        else
            ::DrawTextA(Handle(), text.data(), static_cast<int>(text.size()), &r, drawTextFlags);
    };

    if (!enabled) {
        brush.SetStyle(framework::bsClear);
        font.SetColor(clBtnHighlight);
        rect.left += 1;
        rect.top += 1;
        output(rect);
        ::OffsetRect(&rect, -1, -1);
        font.SetColor(clBtnShadow);
    }
    output(rect);

    if (brush.Style() != brushStyle)
        brush.SetStyle(brushStyle);
    font.SetColor(fontColor);
}

// ---------------------------------------------------------------------------------------------
// TcxCanvas: bitmaps

void TcxCanvas::TransformBitmap(TBitmap& bitmap, int mode, bool mirror) {
    if (mode < 0 || mode > 3 || (mode == 0 && !mirror) || bitmap.Empty())
        return;
    // The pixels travel through a memory DC made for the purpose, not the canvas's: when this
    // canvas is the bitmap's own, ReleaseCanvas below deletes the canvas's DC, and GetDIBits and
    // SetDIBits on a deleted DC read and write nothing.
    framework::UniqueHdc transfer(::CreateCompatibleDC(nullptr));
    HDC dc = transfer.get();
    if (!dc)
        return;
    const int w = bitmap.Width(), h = bitmap.Height();
    const bool swap = mode == 1 || mode == 2;
    const int nw = swap ? h : w, nh = swap ? w : h;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> source(static_cast<size_t>(w) * h);
    std::vector<std::uint32_t> target(source.size());
    bitmap.ReleaseCanvas(); // GetDIBits and SetDIBits want a bitmap selected in no DC
    ::GetDIBits(dc, bitmap.Handle(), 0, static_cast<UINT>(h), source.data(), &info, DIB_RGB_COLORS);

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int tx = x, ty = y;
            switch (mode) {
            case 0: tx = x, ty = h - 1 - y; break;
            case 1: tx = y, ty = mirror ? x : w - 1 - x; break;
            case 2: tx = h - 1 - y, ty = mirror ? w - 1 - x : x; break;
            case 3: tx = w - 1 - x, ty = mirror ? y : h - 1 - y; break;
            }
            target[static_cast<size_t>(ty) * nw + tx] = source[static_cast<size_t>(y) * w + x];
        }
    }

    if (swap) {
        bitmap.SetHeight(0);
        bitmap.SetSize(h, w);
    }
    info.bmiHeader.biWidth = nw;
    info.bmiHeader.biHeight = -nh;
    bitmap.ReleaseCanvas();
    ::SetDIBits(dc, bitmap.Handle(), 0, static_cast<UINT>(nh), target.data(), &info,
                DIB_RGB_COLORS);
}

// ---------------------------------------------------------------------------------------------
// TcxCanvas: clipping and origins

void TcxCanvas::ExcludeClipRect(const RECT& rect) {
    if (HDC dc = Handle())
        ::ExcludeClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void TcxCanvas::IntersectClipRect(const RECT& rect) {
    if (HDC dc = Handle())
        ::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
}

TcxRegion TcxCanvas::CurrentClipRegion(bool considerOrigin) {
    TcxRegion region(0, 0, 0, 0);
    HDC dc = Handle();
    if (!dc || ::GetClipRgn(dc, region.Handle()) != 1)
        ::SetRectRgn(region.Handle(), 0, 0, 30000, 30000);
    if (considerOrigin) {
        POINT origin = DeviceOrigin();
        region.Offset(-origin.x, -origin.y);
    }
    return region;
}

void TcxCanvas::SelectClip(TcxRegion& region, bool considerOrigin) {
    HDC dc = Handle();
    if (!dc)
        return;
    POINT origin{};
    if (considerOrigin) {
        origin = DeviceOrigin();
        region.Offset(origin.x, origin.y);
    }
    ::SelectClipRgn(dc, region.Handle()); // the DC takes a copy
    if (considerOrigin)
        region.Offset(-origin.x, -origin.y);
}

void TcxCanvas::ApplyClipRegion(TcxRegion& region, RegionOperation operation, bool considerOrigin) {
    if (operation != roSet) {
        TcxRegion combined = CurrentClipRegion(considerOrigin);
        combined.Combine(region, operation);
        SelectClip(combined, considerOrigin);
        return;
    }
    SelectClip(region, considerOrigin);
}

void TcxCanvas::ApplyClipRegion(TcxRegion&& region, RegionOperation operation,
                                bool considerOrigin) {
    TcxRegion consumed(std::move(region));
    ApplyClipRegion(consumed, operation, considerOrigin);
}

POINT TcxCanvas::WindowOrg() {
    POINT p{};
    if (HDC dc = Handle())
        ::GetWindowOrgEx(dc, &p);
    return p;
}

POINT TcxCanvas::ViewportOrg() {
    POINT p{};
    if (HDC dc = Handle())
        ::GetViewportOrgEx(dc, &p);
    return p;
}

POINT TcxCanvas::DeviceOrigin() {
    POINT viewport = ViewportOrg(), window = WindowOrg();
    return POINT{viewport.x - window.x, viewport.y - window.y};
}

// ---------------------------------------------------------------------------------------------
// Screen canvases

TScreenCanvas::~TScreenCanvas() {
    FreeHandle();
}

void TScreenCanvas::CreateHandle() {
    screen_ = ::GetDC(nullptr);
    SetHandle(screen_);
}

void TScreenCanvas::FreeHandle() {
    HDC screen = screen_;
    screen_ = nullptr;
    SetHandle(static_cast<HDC>(nullptr));
    if (screen)
        ::ReleaseDC(nullptr, screen);
}

// ---------------------------------------------------------------------------------------------
// Module functions

void ShrinkRect(RECT& rect, const RECT& margins) noexcept {
    rect.left += margins.left;
    rect.top += margins.top;
    rect.right -= margins.right;
    rect.bottom -= margins.bottom;
}

TColor NearestScreenColor(TColor color) {
    framework::WindowDc screen(nullptr);
    COLORREF rgb = ColorToRGB(color);
    if (!screen.get())
        return static_cast<TColor>(rgb);
    COLORREF nearest = ::GetNearestColor(screen.get(), rgb);
    return static_cast<TColor>(nearest == CLR_INVALID ? rgb : nearest);
}

TColor BlendColors(COLORREF face, COLORREF highlight, COLORREF window, int p1, int p2, int p3) {
    if (face == 0 || face == 0xFFFFFF)
        return static_cast<TColor>(highlight);
    auto channel = [&](int shift) -> COLORREF {
        int value = ::MulDiv((face >> shift) & 0xFF, p1, 100) +
                    ::MulDiv((highlight >> shift) & 0xFF, p2, 100) +
                    ::MulDiv((window >> shift) & 0xFF, p3, 100);
        return static_cast<COLORREF>(std::clamp(value, 0, 255)) << shift;
    };
    return static_cast<TColor>(channel(0) | channel(8) | channel(16));
}

TColor SystemBlend(std::int8_t p1, std::int8_t p2, std::int8_t p3) {
    return BlendColors(ColorToRGB(clBtnFace), ColorToRGB(framework::clHighlight),
                       ColorToRGB(framework::clWindow), p1, p2, p3);
}

TColor LightSelectionColor() {
    return NearestScreenColor(SystemBlend(-2, 30, 72));
}

TColor LightPressedColor() {
    return NearestScreenColor(SystemBlend(14, 44, 40));
}

// --- DcBrushFill --------------------------------------------------------------------------------

DcBrushFill::DcBrushFill(HDC dc) noexcept
    : dc_(dc), brush_(static_cast<HBRUSH>(::GetStockObject(DC_BRUSH))),
      previous_(::GetDCBrushColor(dc)) {}

DcBrushFill::~DcBrushFill() {
    if (previous_ != CLR_INVALID)
        ::SetDCBrushColor(dc_, previous_);
}

void DcBrushFill::Fill(const RECT& rect, COLORREF colour) noexcept {
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    ::SetDCBrushColor(dc_, colour);
    ::FillRect(dc_, &rect, brush_);
}

} // namespace lookandfeel
