// Graphics.h - the framework's drawing objects: fonts, brushes, pens, canvases and bitmaps.
// (Graphics.cpp makes the GDI objects, Canvas.cpp the canvas.)
//
// Classes in this file:
//   TGraphicsObject   base of TFont, TBrush and TPen: change notification, lazily built handle
//   TFont             a logical font (name, height, charset, colour, style, escapement)
//   TBrush            a solid, clear or bitmap-pattern brush
//   TPen              a cosmetic pen (colour, width, style) and its raster mode
//   TCanvas           a device context with its current font, brush and pen
//   TGraphic          base of pictures that can draw themselves on a canvas
//   TBitmap           an owned HBITMAP (device-compatible or 32-bit DIB) with its own canvas
//   EOutOfResources   raised when GDI refuses to create an object
//   EInvalidGraphic   raised for picture data that cannot be read
//
// Handles: every HFONT/HBRUSH/HPEN/HBITMAP/HDC created here is owned by exactly one object and
// deleted by it; a canvas selects the original objects back into its DC before one of its own
// objects is rebuilt and when the DC is released, so no object is deleted while selected.
//
// Not done yet: palettes, metafiles, icons, transparent bitmap drawing, monochrome bitmaps.
#pragma once

#include "framework/Colors.h"
#include "framework/EnumSet.h"
#include "framework/Exceptions.h"
#include "framework/Handles.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace framework {

FRAMEWORK_EXCEPTION_KIND(EOutOfResources, Exception);
FRAMEWORK_EXCEPTION_KIND(EInvalidGraphic, Exception);

/// Counts of the GDI objects that the graphics objects of this module have created and still
/// hold. Benchmarks and leak tests read them; GetGuiResources is a stub returning 0 under Wine.
struct GraphicsObjectCounts {
    long FontsCreated = 0;
    long BrushesCreated = 0;
    long PensCreated = 0;
    long BitmapsCreated = 0;
    long DcsCreated = 0;
    long Alive = 0; ///< created by this module and not yet deleted
};
GraphicsObjectCounts GraphicsObjectStats() noexcept;

namespace detail {
void NoteGdiDeleted() noexcept;
/// GdiTraits that also keep GraphicsObjectStats().Alive.
template <typename T> struct CountedGdiTraits {
    using Type = T;
    static constexpr T Invalid() { return nullptr; }
    static void Close(T h) {
        ::DeleteObject(h);
        NoteGdiDeleted();
    }
};
struct CountedDcTraits {
    using Type = HDC;
    static constexpr HDC Invalid() { return nullptr; }
    static void Close(HDC h) {
        ::DeleteDC(h);
        NoteGdiDeleted();
    }
};
} // namespace detail
template <typename T> using CountedGdi = UniqueHandle<detail::CountedGdiTraits<T>>;
using CountedDc = UniqueHandle<detail::CountedDcTraits>;

class TCanvas;
class TBitmap;

/// Base of TFont, TBrush and TPen. OnChange is the owner's hook (repaint, copy on); it is called
/// after every change, once per change.
class TGraphicsObject {
public:
    virtual ~TGraphicsObject() = default;
    std::function<void(TGraphicsObject&)> OnChange;

protected:
    TGraphicsObject() = default;
    /// A copy belongs to no canvas and has no OnChange of its own.
    TGraphicsObject(const TGraphicsObject&) : TGraphicsObject() {}
    TGraphicsObject& operator=(const TGraphicsObject&) = delete;

    /// Changing (the canvas selects the object out of its DC), then the handle is dropped when
    /// the change affects it, then Notify.
    void Changed(bool handleAffected);
    /// Sets field to value and calls Changed, unless field holds value already.
    template <typename T, typename V>
    void ChangeValue(T& field, const V& value, bool handleAffected) {
        if (field == value)
            return;
        field = value;
        Changed(handleAffected);
    }
    void Changing();
    void Notify();
    virtual void DropHandle() noexcept = 0;

private:
    friend class TCanvas;
    TCanvas* canvas_ = nullptr; // the canvas owning this object, if any
};

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = EnumSet<TFontStyle>;

/// A logical font. Height < 0 is the character height in pixels, > 0 the cell height, 0 the
/// font mapper's default. The HFONT is created on first use of Handle() and rebuilt after a
/// change of anything but Color.
class TFont : public TGraphicsObject {
public:
    TFont() = default;
    /// Copies the attributes (not OnChange, not the handle).
    TFont(const TFont& other);
    TFont& operator=(const TFont& other) {
        Assign(other);
        return *this;
    }
    ~TFont() override = default;

    /// Takes all attributes of other; notifies once, and only when something differs.
    void Assign(const TFont& other);

    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string_view name);
    int Height() const noexcept { return height_; }
    void SetHeight(int height);
    /// Size in points for the screen's pixels per inch (Height = -Size * ppi / 72).
    int Size() const;
    void SetSize(int points);
    BYTE Charset() const noexcept { return charset_; }
    void SetCharset(BYTE charset);
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const noexcept { return style_; }
    void SetStyle(TFontStyles style);
    /// Escapement and orientation of the text in tenths of a degree (900: bottom to top).
    int Orientation() const noexcept { return orientation_; }
    void SetOrientation(int tenths);

    /// The font handle, created now when missing. Owned by the font: do not delete it.
    HFONT Handle() const;
    /// Takes ownership of font and reads its attributes from it (Color is kept).
    void SetHandle(HFONT font);
    /// The LOGFONT the handle is (or would be) created from.
    LOGFONTA LogFont() const;

private:
    void DropHandle() noexcept override { handle_.reset(); }
    void TakeFrom(const TFont& other) noexcept;
    bool SameShape(const TFont& other) const noexcept;

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    BYTE charset_ = DEFAULT_CHARSET;
    TColor color_ = clWindowText;
    TFontStyles style_;
    int orientation_ = 0;
    BYTE pitchAndFamily_ = DEFAULT_PITCH;
    BYTE outPrecision_ = OUT_DEFAULT_PRECIS;
    BYTE quality_ = DEFAULT_QUALITY;
    mutable CountedGdi<HFONT> handle_;
};

enum TBrushStyle : std::uint8_t { bsSolid, bsClear };

/// A brush: solid colour, clear (no fill, transparent text background) or a bitmap pattern.
/// The HBRUSH is rebuilt lazily, and only after something really changed.
class TBrush : public TGraphicsObject {
public:
    TBrush() = default;
    TBrush(const TBrush& other);
    TBrush& operator=(const TBrush& other) {
        Assign(other);
        return *this;
    }
    ~TBrush() override = default;
    void Assign(const TBrush& other);

    TColor Color() const noexcept { return color_; }
    /// Setting the present colour changes nothing (the handle is kept). A solid brush is asked
    /// for: a clear brush given a colour becomes solid.
    void SetColor(TColor color);
    TBrushStyle Style() const noexcept { return style_; }
    void SetStyle(TBrushStyle style);
    /// A pattern bitmap, borrowed: it must live as long as the brush uses it (until SetBitmap
    /// with another or nullptr). Takes precedence over colour and style.
    const TBitmap* Bitmap() const noexcept { return bitmap_; }
    void SetBitmap(const TBitmap* bitmap);

    /// The brush handle, created now when missing (the stock null brush when clear).
    HBRUSH Handle() const;

private:
    void DropHandle() noexcept override { handle_.reset(); }

    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    const TBitmap* bitmap_ = nullptr;
    mutable CountedGdi<HBRUSH> handle_;
};

enum TPenStyle : std::uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame
};
/// Raster modes of a pen, in the order of the R2_ codes less one (pmBlack = R2_BLACK - 1, ...).
enum TPenMode : std::uint8_t {
    pmBlack,
    pmNotMerge,
    pmMaskNotPen,
    pmNotCopy,
    pmMaskPenNot,
    pmNot,
    pmXor,
    pmNotMask,
    pmMask,
    pmNotXor,
    pmNop,
    pmMergeNotPen,
    pmCopy,
    pmMergePenNot,
    pmMerge,
    pmWhite
};

class TPen : public TGraphicsObject {
public:
    TPen() = default;
    TPen(const TPen& other);
    TPen& operator=(const TPen& other) {
        Assign(other);
        return *this;
    }
    ~TPen() override = default;
    void Assign(const TPen& other);

    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    int Width() const noexcept { return width_; }
    void SetWidth(int width); ///< below 1 counts as 1
    TPenStyle Style() const noexcept { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const noexcept { return mode_; }
    void SetMode(TPenMode mode); ///< applied with SetROP2 when the pen is made current
    int Rop2() const noexcept { return static_cast<int>(mode_) + 1; }

    HPEN Handle() const;

private:
    void DropHandle() noexcept override { handle_.reset(); }

    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
    mutable CountedGdi<HPEN> handle_;
};

class TGraphic;

/// Which parts of a canvas' state are made current in its DC.
enum TCanvasStates : unsigned {
    csHandleValid = 1,
    csFontValid = 2,
    csPenValid = 4,
    csBrushValid = 8,
    csAllValid = 15
};

/// A device context with its current font, brush and pen. The DC is borrowed (SetHandle(HDC)),
/// owned (SetHandle(UniqueHdc)) or obtained by a derived canvas on first use of Handle().
/// Drawing selects the canvas' objects into the DC as needed ("made current") and sets the text
/// colour (font), background colour and mode (brush) and raster mode (pen) with them. When the
/// DC is released or the canvas destroyed, the DC gets back its original font, brush, pen, text
/// and background colours, background mode and raster mode. The clip region is left as it is:
/// callers that change it restore it themselves.
class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    /// The DC, obtained now by a derived canvas when it has none; nullptr when there is none.
    HDC Handle();
    bool HandleAllocated() const noexcept { return dc_ != nullptr; }
    /// Borrows dc (nullptr releases the present one).
    void SetHandle(HDC dc);
    /// Takes ownership of dc (deleted with DeleteDC on release).
    void SetHandle(UniqueHdc dc);

    TFont& Font() noexcept { return font_; }
    TBrush& Brush() noexcept { return brush_; }
    TPen& Pen() noexcept { return pen_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    void SetBrush(const TBrush& brush) { brush_.Assign(brush); }
    void SetPen(const TPen& pen) { pen_.Assign(pen); }

    /// Raster operation of CopyRect and Draw (SRCCOPY by default).
    DWORD CopyMode() const noexcept { return copyMode_; }
    void SetCopyMode(DWORD rop) noexcept { copyMode_ = rop; }

    /// Makes the named parts current in the DC. False when there is no DC.
    bool RequiredState(unsigned states);
    /// Forgets what is selected (selects the originals back): call after drawing on Handle()
    /// with code that selects its own objects and does not restore them.
    void Refresh();

    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);
    POINT PenPos();
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polygon(std::span<const POINT> points);
    void Polyline(std::span<const POINT> points);
    void Rectangle(const RECT& rect);
    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    /// Copies source's rect onto dest of this canvas (stretching when sizes differ) with CopyMode.
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);
    void Draw(int x, int y, const TGraphic& graphic);
    void StretchDraw(const RECT& rect, const TGraphic& graphic);

    SIZE TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    void TextOut(int x, int y, std::string_view text);

protected:
    /// Derived canvases obtain their DC here (called by Handle() when there is none).
    virtual void CreateHandle() {}
    /// Releases the DC as SetHandle(nullptr) does; derived canvases free what they obtained.
    virtual void FreeHandle() { SetHandle(static_cast<HDC>(nullptr)); }

private:
    friend class TGraphicsObject;
    void ObjectChanging(const TGraphicsObject& object);
    void Attach(HDC dc, UniqueHdc owned);
    void Detach();
    void Deselect(unsigned states);

    struct Originals {
        HGDIOBJ font = nullptr, brush = nullptr, pen = nullptr;
        COLORREF textColor = 0, bkColor = 0;
        int bkMode = 0, rop2 = 0;
    };

    HDC dc_ = nullptr;
    UniqueHdc ownedDc_; // dc_ when the canvas owns it
    unsigned state_ = 0;
    Originals originals_;
    TFont font_;
    TBrush brush_;
    TPen pen_;
    DWORD copyMode_ = SRCCOPY;
};

/// Base of pictures.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const noexcept = 0;
    virtual int Height() const noexcept = 0;
    virtual bool Empty() const noexcept = 0;
    /// Draws the picture stretched into rect with the canvas' CopyMode.
    virtual void Draw(TCanvas& canvas, const RECT& rect) const = 0;
    std::function<void(TGraphic&)> OnChange;

protected:
    void Changed() {
        if (OnChange)
            OnChange(*this);
    }
};

enum TPixelFormat : std::uint8_t {
    pfDevice, ///< compatible with the screen
    pf32bit   ///< a top-down 32-bit DIB section (BGRA), pixels reachable through ScanLine
};

/// An owned bitmap with its own memory-DC canvas. A bitmap of width or height 0 has no handle
/// and is Empty; negative sizes count as 0.
class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pfDevice);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const noexcept override { return width_; }
    int Height() const noexcept override { return height_; }
    bool Empty() const noexcept override { return !handle_; }
    void Draw(TCanvas& canvas, const RECT& rect) const override;

    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    /// Resizes, keeping the pixels of the area both sizes share; the rest is black.
    void SetSize(int width, int height);
    TPixelFormat PixelFormat() const noexcept { return format_; }
    /// Converts the bitmap, keeping its pixels.
    void SetPixelFormat(TPixelFormat format);

    /// Copies the size, format and pixels of other.
    void Assign(const TBitmap& other);

    /// The bitmap handle (nullptr when empty). Owned: do not delete it.
    HBITMAP Handle() const noexcept { return handle_.get(); }
    /// Takes ownership of bitmap; its size is read from it, a 32-bit DIB section is pf32bit.
    void SetHandle(HBITMAP bitmap);
    /// Gives up the handle without deleting it; the bitmap becomes empty.
    HBITMAP ReleaseHandle();

    /// The canvas over the bitmap (a memory DC created on first use).
    TCanvas& Canvas() const;
    /// Frees the canvas' memory DC, so that the bitmap is selected in no DC (as GetDIBits and
    /// SetDIBits require). The next use of Canvas() creates a new one.
    void ReleaseCanvas() const;

    /// The first pixel of row y (top-down, BGRA) of a pf32bit bitmap; nullptr otherwise or when
    /// y is out of range. GdiFlush before reading what GDI drew.
    std::uint32_t* ScanLine(int y) const noexcept;

private:
    class BitmapCanvas;
    void Replace(CountedGdi<HBITMAP> bitmap, int width, int height, TPixelFormat format,
                 void* bits);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pfDevice;
    void* bits_ = nullptr;
    CountedGdi<HBITMAP> handle_;
    std::unique_ptr<BitmapCanvas> canvas_;
};

/// Creates a bitmap of the given size and format: a top-down 32-bit DIB section for pf32bit
/// (bits receives its pixels), else compatible with the screen. Throws EOutOfResources.
CountedGdi<HBITMAP> CreateBitmapHandle(int width, int height, TPixelFormat format, void** bits);

} // namespace framework
