// Graphics.cpp - fonts, brushes, pens and bitmaps, the GDI objects that the framework creates and
// counts (see Graphics.h; the canvas is in Canvas.cpp).
#include "framework/Graphics.h"

#include <algorithm>
#include <cstring>

namespace framework {

namespace {

GraphicsObjectCounts counts;

template <typename H> H Counted(H handle, long GraphicsObjectCounts::*kind) {
    if (!handle)
        throw EOutOfResources("Out of system resources");
    ++(counts.*kind);
    ++counts.Alive;
    return handle;
}

int ScreenPixelsPerInch() {
    static const int ppi = [] {
        WindowDc screen(nullptr);
        int value = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return value > 0 ? value : 96;
    }();
    return ppi;
}

} // namespace

GraphicsObjectCounts GraphicsObjectStats() noexcept {
    return counts;
}

void detail::NoteGdiDeleted() noexcept {
    --counts.Alive;
}

// ---------------------------------------------------------------------------------------------
// TGraphicsObject

void TGraphicsObject::Changing() {
    if (canvas_)
        canvas_->ObjectChanging(*this);
}

void TGraphicsObject::Notify() {
    if (OnChange)
        OnChange(*this);
}

void TGraphicsObject::Changed(bool handleAffected) {
    Changing();
    if (handleAffected)
        DropHandle();
    Notify();
}

// ---------------------------------------------------------------------------------------------
// TFont

TFont::TFont(const TFont& other) : TGraphicsObject(other) {
    TakeFrom(other);
}

void TFont::TakeFrom(const TFont& other) noexcept {
    name_ = other.name_;
    height_ = other.height_;
    charset_ = other.charset_;
    color_ = other.color_;
    style_ = other.style_;
    orientation_ = other.orientation_;
    pitchAndFamily_ = other.pitchAndFamily_;
    outPrecision_ = other.outPrecision_;
    quality_ = other.quality_;
}

bool TFont::SameShape(const TFont& other) const noexcept {
    return name_ == other.name_ && height_ == other.height_ && charset_ == other.charset_ &&
           style_ == other.style_ && orientation_ == other.orientation_ &&
           pitchAndFamily_ == other.pitchAndFamily_ && outPrecision_ == other.outPrecision_ &&
           quality_ == other.quality_;
}

void TFont::Assign(const TFont& other) {
    if (this == &other)
        return;
    bool shape = !SameShape(other);
    if (!shape && color_ == other.color_)
        return;
    Changing();
    TakeFrom(other);
    if (shape)
        DropHandle();
    Notify();
}

void TFont::SetName(std::string_view name) {
    ChangeValue(name_, name, true);
}

void TFont::SetHeight(int height) {
    ChangeValue(height_, height, true);
}

int TFont::Size() const {
    return -::MulDiv(height_, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points) {
    SetHeight(-::MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetCharset(BYTE charset) {
    ChangeValue(charset_, charset, true);
}

void TFont::SetColor(TColor color) {
    ChangeValue(color_, color, false); // the colour is the DC's text colour, not part of the HFONT
}

void TFont::SetStyle(TFontStyles style) {
    ChangeValue(style_, style, true);
}

void TFont::SetOrientation(int tenths) {
    ChangeValue(orientation_, tenths, true);
}

LOGFONTA TFont::LogFont() const {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfEscapement = orientation_;
    lf.lfOrientation = orientation_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic);
    lf.lfUnderline = style_.Contains(fsUnderline);
    lf.lfStrikeOut = style_.Contains(fsStrikeOut);
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = outPrecision_;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = quality_;
    lf.lfPitchAndFamily = pitchAndFamily_;
    size_t n = std::min(name_.size(), sizeof(lf.lfFaceName) - 1);
    std::memcpy(lf.lfFaceName, name_.data(), n);
    return lf;
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTA lf = LogFont();
        handle_.reset(Counted(::CreateFontIndirectA(&lf), &GraphicsObjectCounts::FontsCreated));
    }
    return handle_.get();
}

void TFont::SetHandle(HFONT font) {
    LOGFONTA lf{};
    if (font && ::GetObjectA(font, sizeof(lf), &lf) != sizeof(lf))
        throw EInvalidOperation("Invalid font handle");
    Changing();
    DropHandle();
    if (font) {
        lf.lfFaceName[sizeof(lf.lfFaceName) - 1] = '\0';
        name_ = lf.lfFaceName;
        height_ = lf.lfHeight;
        charset_ = lf.lfCharSet;
        TFontStyles style;
        if (lf.lfWeight >= FW_SEMIBOLD)
            style.Include(fsBold);
        if (lf.lfItalic)
            style.Include(fsItalic);
        if (lf.lfUnderline)
            style.Include(fsUnderline);
        if (lf.lfStrikeOut)
            style.Include(fsStrikeOut);
        style_ = style;
        orientation_ = lf.lfEscapement;
        pitchAndFamily_ = lf.lfPitchAndFamily;
        outPrecision_ = lf.lfOutPrecision;
        quality_ = lf.lfQuality;
        handle_.reset(Counted(font, &GraphicsObjectCounts::FontsCreated));
    }
    Notify();
}

// ---------------------------------------------------------------------------------------------
// TBrush

TBrush::TBrush(const TBrush& other)
    : TGraphicsObject(other), color_(other.color_), style_(other.style_), bitmap_(other.bitmap_) {}

void TBrush::Assign(const TBrush& other) {
    if (this == &other ||
        (color_ == other.color_ && style_ == other.style_ && bitmap_ == other.bitmap_))
        return;
    Changing();
    color_ = other.color_;
    style_ = other.style_;
    bitmap_ = other.bitmap_;
    DropHandle();
    Notify();
}

void TBrush::SetColor(TColor color) {
    TBrushStyle style = color == clNone ? bsClear : bsSolid;
    if (color == color_ && (style == style_ || color == clNone))
        return;
    color_ = color;
    style_ = style;
    Changed(true);
}

void TBrush::SetStyle(TBrushStyle style) {
    ChangeValue(style_, style, true);
}

void TBrush::SetBitmap(const TBitmap* bitmap) {
    ChangeValue(bitmap_, bitmap, true);
}

HBRUSH TBrush::Handle() const {
    if (handle_)
        return handle_.get();
    if (bitmap_ && !bitmap_->Empty())
        handle_.reset(Counted(::CreatePatternBrush(bitmap_->Handle()),
                              &GraphicsObjectCounts::BrushesCreated));
    else if (style_ == bsClear)
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)); // stock: never deleted
    else
        handle_.reset(
            Counted(::CreateSolidBrush(ColorToRGB(color_)), &GraphicsObjectCounts::BrushesCreated));
    return handle_.get();
}

// ---------------------------------------------------------------------------------------------
// TPen

TPen::TPen(const TPen& other)
    : TGraphicsObject(other), color_(other.color_), width_(other.width_), style_(other.style_),
      mode_(other.mode_) {}

void TPen::Assign(const TPen& other) {
    if (this == &other)
        return;
    bool shape = color_ != other.color_ || width_ != other.width_ || style_ != other.style_;
    if (!shape && mode_ == other.mode_)
        return;
    Changing();
    color_ = other.color_;
    width_ = other.width_;
    style_ = other.style_;
    mode_ = other.mode_;
    if (shape)
        DropHandle();
    Notify();
}

void TPen::SetColor(TColor color) {
    ChangeValue(color_, color, true);
}

void TPen::SetWidth(int width) {
    width = std::max(width, 1);
    ChangeValue(width_, width, true);
}

void TPen::SetStyle(TPenStyle style) {
    ChangeValue(style_, style, true);
}

void TPen::SetMode(TPenMode mode) {
    ChangeValue(mode_, mode, false);
}

HPEN TPen::Handle() const {
    if (!handle_) {
        // The TPenStyle ordinals are the PS_ codes (PS_SOLID 0 .. PS_INSIDEFRAME 6).
        handle_.reset(Counted(::CreatePen(static_cast<int>(style_), width_, ColorToRGB(color_)),
                              &GraphicsObjectCounts::PensCreated));
    }
    return handle_.get();
}

// ---------------------------------------------------------------------------------------------
// TBitmap

/// The memory DC of a bitmap: created on first use with the bitmap selected into it; freed
/// (bitmap selected out) before the bitmap's handle changes.
class TBitmap::BitmapCanvas : public TCanvas {
public:
    explicit BitmapCanvas(const TBitmap& bitmap) : bitmap_(bitmap) {}
    ~BitmapCanvas() override { FreeHandle(); }

    void FreeHandle() override {
        SetHandle(static_cast<HDC>(nullptr));
        if (oldBitmap_)
            ::SelectObject(memoryDc_.get(), oldBitmap_);
        oldBitmap_ = nullptr;
        memoryDc_.reset();
    }

protected:
    void CreateHandle() override {
        memoryDc_.reset(Counted(::CreateCompatibleDC(nullptr), &GraphicsObjectCounts::DcsCreated));
        if (bitmap_.Handle())
            oldBitmap_ = ::SelectObject(memoryDc_.get(), bitmap_.Handle());
        SetHandle(memoryDc_.get());
    }

private:
    const TBitmap& bitmap_;
    CountedDc memoryDc_;
    HGDIOBJ oldBitmap_ = nullptr;
};

CountedGdi<HBITMAP> CreateBitmapHandle(int width, int height, TPixelFormat format, void** bits) {
    if (bits)
        *bits = nullptr;
    HBITMAP h = nullptr;
    if (format == pf32bit) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        h = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (h && bits)
            *bits = pixels;
    } else {
        WindowDc screen(nullptr);
        h = ::CreateCompatibleBitmap(screen.get(), width, height);
    }
    return CountedGdi<HBITMAP>(Counted(h, &GraphicsObjectCounts::BitmapsCreated));
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height, TPixelFormat format) : format_(format) {
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    canvas_.reset(); // selects the bitmap out of the memory DC before it is deleted
}

TCanvas& TBitmap::Canvas() const {
    if (!canvas_)
        const_cast<TBitmap*>(this)->canvas_ = std::make_unique<BitmapCanvas>(*this);
    return *canvas_;
}

void TBitmap::ReleaseCanvas() const {
    if (canvas_)
        canvas_->FreeHandle();
}

void TBitmap::Replace(CountedGdi<HBITMAP> bitmap, int width, int height, TPixelFormat format,
                      void* bits) {
    ReleaseCanvas();
    handle_ = std::move(bitmap);
    width_ = width;
    height_ = height;
    format_ = format;
    bits_ = handle_ ? bits : nullptr;
    Changed();
}

namespace {
/// Copies the top-left width x height pixels of the source DC into a new bitmap of the given
/// size and format; the rest of the new bitmap is black.
CountedGdi<HBITMAP> CopyInto(HDC source, int copyWidth, int copyHeight, int width, int height,
                             TPixelFormat format, void** bits) {
    CountedGdi<HBITMAP> fresh = CreateBitmapHandle(width, height, format, bits);
    UniqueHdc dc(::CreateCompatibleDC(nullptr));
    if (!dc)
        throw EOutOfResources("Out of system resources");
    SelectGuard select(dc.get(), fresh.get());
    ::PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);
    if (source && copyWidth > 0 && copyHeight > 0)
        ::BitBlt(dc.get(), 0, 0, copyWidth, copyHeight, source, 0, 0, SRCCOPY);
    return fresh;
}
} // namespace

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_)
        return;
    if (width == 0 || height == 0) {
        Replace({}, width, height, format_, nullptr);
        return;
    }
    void* bits = nullptr;
    HDC source = handle_ ? Canvas().Handle() : nullptr;
    CountedGdi<HBITMAP> fresh = CopyInto(source, std::min(width, width_), std::min(height, height_),
                                         width, height, format_, &bits);
    Replace(std::move(fresh), width, height, format_, bits);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_)
        return;
    if (!handle_) {
        format_ = format;
        return;
    }
    void* bits = nullptr;
    CountedGdi<HBITMAP> fresh =
        CopyInto(Canvas().Handle(), width_, height_, width_, height_, format, &bits);
    Replace(std::move(fresh), width_, height_, format, bits);
}

void TBitmap::Assign(const TBitmap& other) {
    if (this == &other)
        return;
    if (!other.handle_) {
        Replace({}, other.width_, other.height_, other.format_, nullptr);
        return;
    }
    void* bits = nullptr;
    CountedGdi<HBITMAP> fresh = CopyInto(other.Canvas().Handle(), other.width_, other.height_,
                                         other.width_, other.height_, other.format_, &bits);
    Replace(std::move(fresh), other.width_, other.height_, other.format_, bits);
}

void TBitmap::SetHandle(HBITMAP bitmap) {
    if (!bitmap) {
        Replace({}, 0, 0, format_, nullptr);
        return;
    }
    DIBSECTION dib{};
    int got = ::GetObjectA(bitmap, sizeof(dib), &dib);
    if (got < static_cast<int>(sizeof(BITMAP)))
        throw EInvalidOperation("Invalid bitmap handle");
    bool topDown32 = got == static_cast<int>(sizeof(DIBSECTION)) && dib.dsBm.bmBitsPixel == 32 &&
                     dib.dsBmih.biHeight < 0;
    Replace(CountedGdi<HBITMAP>(Counted(bitmap, &GraphicsObjectCounts::BitmapsCreated)),
            dib.dsBm.bmWidth, dib.dsBm.bmHeight, topDown32 ? pf32bit : pfDevice,
            topDown32 ? dib.dsBm.bmBits : nullptr);
}

HBITMAP TBitmap::ReleaseHandle() {
    ReleaseCanvas();
    HBITMAP h = handle_.release();
    if (h)
        detail::NoteGdiDeleted(); // no longer ours to count
    width_ = height_ = 0;
    bits_ = nullptr;
    Changed();
    return h;
}

std::uint32_t* TBitmap::ScanLine(int y) const noexcept {
    if (format_ != pf32bit || !bits_ || y < 0 || y >= height_)
        return nullptr;
    return static_cast<std::uint32_t*>(bits_) + static_cast<size_t>(y) * width_;
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect) const {
    if (!handle_)
        return;
    canvas.CopyRect(rect, Canvas(), RECT{0, 0, width_, height_});
}

} // namespace framework
