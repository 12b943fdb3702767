// cxGraphics.h - the drawing surface of the skinned controls and its colour helpers.
//
// Classes and functions in this file:
//   TcxBorder, TcxBorders    the sides of a frame; a one-byte set (bit 0 left .. bit 3 bottom)
//   RegionOperation          set / add / subtract / intersect, and their CombineRgn modes
//   TextFlags, cx* constants the library's text options and TextFlagsToDrawTextFlags
//   TcxRegion                an owned region (Combine, Offset)
//   TcxBackground            a fill: bitmap (or none) and colour
//   TcxCanvas                a thin drawing object over a borrowed framework canvas: fills with
//                            bitmap tiling and clip exclusion, frames, 3D edges, focus
//                            rectangle, text with the library's flags, clip-region arithmetic,
//                            bitmap rotation
//   TScreenCanvas            a framework canvas on the screen's DC (to measure text)
//   TcxScreenCanvas          a TcxCanvas owning a TScreenCanvas
//   DcBrushFill              fills straight through a DC's DC brush, its colour put back after
//   ShrinkRect, NearestScreenColor, SystemBlend, BlendColors, LightSelectionColor,
//   LightPressedColor
//
// The canvas changes the shared DC's state (brush and font colours, clip region, copy mode) and
// leaves it so: callers rely on clip exclusions staying in effect for the rest of a paint.
#pragma once

#include "framework/Graphics.h"

#include <cstdint>
#include <string_view>

namespace lookandfeel {

using framework::TColor;

enum TcxBorder : std::uint8_t { bLeft, bTop, bRight, bBottom };
using TcxBorders = framework::EnumSet<TcxBorder>;
inline constexpr TcxBorders cxBordersAll{bLeft, bTop, bRight, bBottom};

enum RegionOperation : std::uint8_t { roSet, roAdd, roSubtract, roIntersect };
/// The CombineRgn mode of an operation: RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND.
int RegionCombineMode(RegionOperation operation) noexcept;

/// The library's text options (a 16-bit word).
using TextFlags = std::uint16_t;
inline constexpr TextFlags cxAlignLeft = 0x0001;
inline constexpr TextFlags cxAlignRight = 0x0002;
inline constexpr TextFlags cxAlignHCenter = 0x0004;
inline constexpr TextFlags cxAlignTop = 0x0008;
inline constexpr TextFlags cxAlignBottom = 0x0010;
inline constexpr TextFlags cxAlignVCenter = 0x0020;
inline constexpr TextFlags cxSingleLine = 0x0040;
inline constexpr TextFlags cxDontClip = 0x0080;
inline constexpr TextFlags cxExpandTabs = 0x0100;
inline constexpr TextFlags cxShowPrefix = 0x0200;
inline constexpr TextFlags cxWordBreak = 0x0400;
inline constexpr TextFlags cxShowEndEllipsis = 0x0800;
inline constexpr TextFlags cxDontPrint = 0x1000;
inline constexpr TextFlags cxShowPathEllipsis = 0x2000;
inline constexpr TextFlags cxDontBreakChars = 0x4000;

/// The DrawText flags for the library's text flags (prefixes are off unless cxShowPrefix).
UINT TextFlagsToDrawTextFlags(unsigned flags) noexcept;

/// An owned region handle (may be none).
class TcxRegion {
public:
    /// The empty rectangle (0, 0, 0, 0).
    TcxRegion();
    /// Takes ownership of region.
    explicit TcxRegion(HRGN region) noexcept : handle_(region) {}
    explicit TcxRegion(const RECT& rect);
    TcxRegion(int left, int top, int right, int bottom);
    TcxRegion(TcxRegion&&) noexcept = default;
    TcxRegion& operator=(TcxRegion&&) noexcept = default;

    HRGN Handle() const noexcept { return handle_.get(); }
    /// True for no handle or a region without area.
    bool IsEmpty() const;
    /// Combines other into this region (set: a copy of other). other is kept.
    void Combine(const TcxRegion& other, RegionOperation operation);
    /// The same, and other is freed afterwards.
    void Combine(TcxRegion&& other, RegionOperation operation);
    void Offset(int dx, int dy);

private:
    framework::UniqueRegion handle_;
};

/// A background: tiled bitmap when one is given and not empty, else the colour.
struct TcxBackground {
    explicit TcxBackground(TColor color, const framework::TBitmap* bitmap = nullptr) noexcept
        : Bitmap(bitmap), Color(color) {}
    const framework::TBitmap* Bitmap;
    TColor Color;
};

/// The drawing object of painters and controls, over a framework canvas it does not own.
class TcxCanvas {
public:
    explicit TcxCanvas(framework::TCanvas& canvas) noexcept : canvas_(canvas) {}
    virtual ~TcxCanvas() = default;
    TcxCanvas(const TcxCanvas&) = delete;
    TcxCanvas& operator=(const TcxCanvas&) = delete;

    framework::TCanvas& Canvas() noexcept { return canvas_; }
    HDC Handle() { return canvas_.Handle(); }
    framework::TFont& Font() noexcept { return canvas_.Font(); }
    void SetFont(const framework::TFont& font) { canvas_.Font().Assign(font); }
    framework::TBrush& Brush() noexcept { return canvas_.Brush(); }
    framework::TPen& Pen() noexcept { return canvas_.Pen(); }

    /// Assigns the brush colour only when it differs, so the brush is not rebuilt.
    void SetBrushColor(TColor color);

    /// Fills rect with the brush, or tiles bitmap over it on a grid anchored at the canvas
    /// origin; with exclude, rect is then taken out of the clip region.
    void FillRect(const RECT& rect, const framework::TBitmap* bitmap = nullptr,
                  bool exclude = false);
    /// SetBrushColor(color), then a plain fill.
    void FillRect(const RECT& rect, TColor color);
    /// Fills the strips of the sides in borders (left, right, top, bottom), each at most the
    /// rectangle. clDefault keeps the present brush colour.
    void FrameRect(const RECT& rect, TColor color = framework::clDefault, int width = 1,
                   TcxBorders borders = cxBordersAll, bool exclude = false);
    void FillRectWithFrame(const RECT& rect, const TcxBackground& background, TcxBorders borders,
                           TColor frameColor, int width = 1, bool exclude = false);
    /// Left and top sides in leftTop, right and bottom in rightBottom.
    void DrawTwoColorFrame(const RECT& rect, TColor leftTop, TColor rightBottom,
                           TcxBorders borders = cxBordersAll, int width = 1);
    /// A one-pixel 3D edge in the button system colours.
    void DrawEdge(const RECT& rect, bool sunken, bool outer, TcxBorders borders = cxBordersAll);
    /// The dotted focus rectangle (drawn by inverting: twice removes it).
    void DrawFocusRect(const RECT& rect);
    /// Draws 8-bit text with the library's flags; disabled text is embossed (a clBtnHighlight
    /// copy one pixel right and down, the text itself in clBtnShadow).
    void DrawText(std::string_view text, RECT rect, unsigned flags, bool enabled = true);

    SIZE TextExtent(std::string_view text) { return canvas_.TextExtent(text); }
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    /// Assigns font and returns TextHeight("Qq").
    int MeasureFontHeight(const framework::TFont& font);
    /// Sets rect to the extent of text, aligned inside the given rect as flags ask.
    void AlignTextRect(std::string_view text, RECT& rect, unsigned flags);

    /// Inverts the pixels of rect (copy mode left at SRCCOPY).
    void InvertRect(const RECT& rect);
    /// Turns (mode 1: a quarter counter-clockwise, 2: a quarter clockwise, 3: a half) and, with
    /// mirror, then flips the bitmap top to bottom. Modes 1 and 2 swap width and height. The
    /// canvas may be any, the bitmap's own included; nothing is drawn on it.
    void TransformBitmap(framework::TBitmap& bitmap, int mode, bool mirror);

    void ExcludeClipRect(const RECT& rect);
    void IntersectClipRect(const RECT& rect);
    /// A copy of the clip region, or (0, 0, 30000, 30000) when the DC has none; with
    /// considerOrigin, in logical coordinates.
    TcxRegion CurrentClipRegion(bool considerOrigin = true);
    /// Combines region into the clip region; it is consumed.
    void ApplyClipRegion(TcxRegion&& region, RegionOperation operation = roSet,
                         bool considerOrigin = true);
    /// The same, and region is left as it was.
    void ApplyClipRegion(TcxRegion& region, RegionOperation operation = roSet,
                         bool considerOrigin = true);
    /// Viewport origin minus window origin.
    POINT DeviceOrigin();
    POINT WindowOrg();
    POINT ViewportOrg();

    TColor Pixel(int x, int y) { return canvas_.Pixel(x, y); }
    void SetPixel(int x, int y, TColor color) { canvas_.SetPixel(x, y, color); }
    void MoveTo(int x, int y) { canvas_.MoveTo(x, y); }
    void LineTo(int x, int y) { canvas_.LineTo(x, y); }
    void Polygon(std::span<const POINT> points) { canvas_.Polygon(points); }
    void Polyline(std::span<const POINT> points) { canvas_.Polyline(points); }
    void CopyRect(const RECT& dest, framework::TCanvas& source, const RECT& sourceRect) {
        canvas_.CopyRect(dest, source, sourceRect);
    }
    void Draw(int x, int y, const framework::TGraphic& graphic) { canvas_.Draw(x, y, graphic); }

private:
    void SelectClip(TcxRegion& region, bool considerOrigin);

    framework::TCanvas& canvas_;
};

/// A framework canvas on the screen's DC, obtained when first needed and released (handle back
/// to none) by FreeHandle and on destruction.
class TScreenCanvas : public framework::TCanvas {
public:
    TScreenCanvas() = default;
    ~TScreenCanvas() override;
    void FreeHandle() override;

protected:
    void CreateHandle() override;

private:
    HDC screen_ = nullptr;
};

namespace detail {
struct ScreenCanvasHolder {
    TScreenCanvas screenCanvas;
};
} // namespace detail

/// A TcxCanvas over a TScreenCanvas that it owns.
class TcxScreenCanvas : private detail::ScreenCanvasHolder, public TcxCanvas {
public:
    TcxScreenCanvas() : TcxCanvas(screenCanvas) {}
};

/// Fills rectangles through the DC's stock DC brush: no brush is created or selected, which is
/// what makes frames of several colours cheap. The DC brush's colour is put back at the end of
/// the fill's scope. An empty or inverted rectangle is refused (FillRect would paint Wine's
/// inverted one with its sides swapped).
class DcBrushFill {
public:
    explicit DcBrushFill(HDC dc) noexcept;
    ~DcBrushFill();
    DcBrushFill(const DcBrushFill&) = delete;
    DcBrushFill& operator=(const DcBrushFill&) = delete;

    void Fill(const RECT& rect, COLORREF colour) noexcept;

private:
    HDC dc_;
    HBRUSH brush_;
    COLORREF previous_;
};

/// left += margins.left, top += margins.top, right -= margins.right, bottom -= margins.bottom.
void ShrinkRect(RECT& rect, const RECT& margins) noexcept;
/// The colour the screen really shows for color.
TColor NearestScreenColor(TColor color);
/// Each channel: MulDiv(face, p1, 100) + MulDiv(highlight, p2, 100) + MulDiv(window, p3, 100),
/// clamped to 0..255; a pure black or pure white face gives highlight unchanged.
TColor BlendColors(COLORREF face, COLORREF highlight, COLORREF window, int p1, int p2, int p3);
/// BlendColors of clBtnFace, clHighlight and clWindow as they are now.
TColor SystemBlend(std::int8_t p1, std::int8_t p2, std::int8_t p3);
/// The ultra-flat face colours of hot and pressed buttons.
TColor LightSelectionColor();
TColor LightPressedColor();

} // namespace lookandfeel
