#include "controls/cxButtonGlyph.h"

#include "framework/Handles.h"

#include <algorithm>
#include <utility>

namespace controls {

using framework::clBtnFace;
using framework::clBtnHighlight;
using framework::clBtnShadow;
using framework::ColorToRGB;
using framework::TBitmap;
using namespace lookandfeel;

namespace {

// DSPDxax: where the monochrome source is white the brush is painted, elsewhere the
// destination stays.
constexpr DWORD kRopDSPDxax = 0x00E20746;

/// Paints color into dest, at (x, y), where the monochrome mask is white.
void PaintThroughMask(HDC dest, HBITMAP mask, int x, int y, int width, int height, COLORREF color) {
    framework::UniqueHdc maskDc(::CreateCompatibleDC(dest));
    framework::SelectGuard maskSelected(maskDc.get(), mask);
    framework::UniqueBrush brush(::CreateSolidBrush(color));
    framework::SelectGuard brushSelected(dest, brush.get());
    COLORREF oldText = ::SetTextColor(dest, RGB(0, 0, 0));
    COLORREF oldBk = ::SetBkColor(dest, RGB(255, 255, 255));
    ::BitBlt(dest, x, y, width, height, maskDc.get(), 0, 0, kRopDSPDxax);
    ::SetTextColor(dest, oldText);
    ::SetBkColor(dest, oldBk);
}

/// A monochrome mask of source: white where source shows background, black elsewhere.
framework::UniqueBitmap MonoMask(HDC source, int x, int width, int height, COLORREF background) {
    framework::UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
    framework::UniqueHdc maskDc(::CreateCompatibleDC(source));
    {
        framework::SelectGuard selected(maskDc.get(), mask.get());
        COLORREF oldBk = ::SetBkColor(source, background);
        ::BitBlt(maskDc.get(), 0, 0, width, height, source, x, 0, SRCCOPY);
        ::SetBkColor(source, oldBk);
    }
    return mask;
}

std::unique_ptr<TcxGlyphCache>& CacheSlot() {
    static std::unique_ptr<TcxGlyphCache> cache;
    return cache;
}

} // namespace

// --- Glyph lists and their cache ----------------------------------------------------------------

TcxGlyphList::TcxGlyphList(int width, int height) : width_(width), height_(height) {
    list_.reset(::ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 4));
    if (!list_)
        throw framework::EOutOfResources("Cannot create an image list");
}

int TcxGlyphList::Add(HBITMAP image, COLORREF maskColor) {
    auto free = std::find(used_.begin(), used_.end(), false);
    int added = ::ImageList_AddMasked(list_.get(), image, maskColor);
    if (added < 0)
        throw framework::EOutOfResources("Cannot add a glyph image");
    int slot = added;
    if (free != used_.end()) {
        // A released slot is reused: the new image moves there and the extra one goes.
        slot = static_cast<int>(free - used_.begin());
        ::ImageList_Copy(list_.get(), slot, list_.get(), added, ILCF_MOVE);
        ::ImageList_Remove(list_.get(), added);
        used_[slot] = true;
    } else {
        used_.resize(static_cast<size_t>(added) + 1, false);
        used_[added] = true;
    }
    ++count_;
    return slot;
}

void TcxGlyphList::Release(int index) noexcept {
    if (index >= 0 && static_cast<size_t>(index) < used_.size() && used_[index]) {
        used_[index] = false;
        --count_;
    }
}

TcxGlyphList* TcxGlyphCache::GetList(int width, int height) {
    for (auto it = lists_.rbegin(); it != lists_.rend(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height)
            return it->get();
    lists_.push_back(std::make_unique<TcxGlyphList>(width, height));
    return lists_.back().get();
}

void TcxGlyphCache::ReturnList(TcxGlyphList* list) {
    if (list && list->Count() == 0)
        std::erase_if(lists_, [list](const auto& l) { return l.get() == list; });
}

TcxGlyphCache& GlyphCache() {
    auto& cache = CacheSlot();
    if (!cache)
        cache = std::make_unique<TcxGlyphCache>();
    return *cache;
}

TcxGlyphCache* CurrentGlyphCache() noexcept {
    return CacheSlot().get();
}

// --- TcxButtonGlyph -----------------------------------------------------------------------------

TcxButtonGlyph::TcxButtonGlyph() {
    GlyphCache();
}

TcxButtonGlyph::~TcxButtonGlyph() {
    ReleaseImages();
    if (TcxGlyphCache* cache = CurrentGlyphCache(); cache && cache->Empty())
        CacheSlot().reset();
}

void TcxButtonGlyph::SetGlyph(const TBitmap* bitmap) {
    ReleaseImages();
    if (bitmap && !bitmap->Empty())
        glyph_.Assign(*bitmap);
    else
        glyph_.SetSize(0, 0);
    const int w = glyph_.Width(), h = glyph_.Height();
    if (h > 0 && w % h == 0) {
        int count = w / h;
        if (count > 4)
            count = 1;
        if (count > 0)
            numGlyphs_ = count;
    }
    Changed();
}

void TcxButtonGlyph::SetNumGlyphs(int value) {
    value = std::min(value, 4);
    if (value < 1 || value == numGlyphs_)
        return;
    ReleaseImages();
    numGlyphs_ = value;
    Changed();
}

void TcxButtonGlyph::Changed() {
    if (auto handler = OnChange)
        handler();
}

void TcxButtonGlyph::ReleaseImages() noexcept {
    for (int& index : imageIndexes_) {
        if (index >= 0 && list_)
            list_->Release(index);
        index = -1;
    }
    // The list is given up whether or not other glyphs still use it: the next image may be of
    // another size. An empty one leaves the cache and is freed there.
    if (TcxGlyphList* list = std::exchange(list_, nullptr); list && list->Count() == 0)
        if (TcxGlyphCache* cache = CurrentGlyphCache())
            cache->ReturnList(list);
}

TcxButtonGlyph::Slot TcxButtonGlyph::GlyphSlot(TcxButtonState state) const noexcept {
    switch (state) {
    case cxbsPressed: return numGlyphs_ < 3 ? gsUp : gsDown;
    case cxbsDisabled: return gsDisabled;
    default: return gsUp;
    }
}

int TcxButtonGlyph::CreateGlyphImage(TcxButtonState state) {
    const Slot slot = GlyphSlot(state);
    if (imageIndexes_[slot] >= 0)
        return imageIndexes_[slot];
    if (glyph_.Empty())
        return -1;
    const int w = glyph_.Width() / numGlyphs_, h = glyph_.Height();
    if (w <= 0)
        return -1;
    if (!list_)
        list_ = GlyphCache().GetList(w, h);
    const int column = slot < numGlyphs_ ? slot : 0;
    HDC source = glyph_.Canvas().Handle();
    TBitmap image(w, h);
    HDC dest = image.Canvas().Handle();
    const RECT all{0, 0, w, h};
    framework::UniqueBrush face(::CreateSolidBrush(ColorToRGB(clBtnFace)));
    COLORREF mask;
    if (slot != gsDisabled) {
        ::FillRect(dest, &all, face.get());
        ::BitBlt(dest, 0, 0, w, h, source, column * w, 0, SRCCOPY);
        mask = ::GetPixel(dest, 0, h - 1); // automatic: the bottom-left pixel
    } else if (numGlyphs_ == 1) {
        // An embossed copy: the glyph's non-background shape in highlight, one pixel down and
        // right, and in shadow in place, on the face colour.
        BITMAP info{};
        ::GetObjectA(glyph_.Handle(), sizeof info, &info);
        const bool monochrome = info.bmBitsPixel == 1;
        framework::UniqueBitmap shape =
            MonoMask(source, column * w, w, h, monochrome ? RGB(255, 255, 255) : RGB(0, 0, 0));
        ::FillRect(dest, &all, face.get());
        PaintThroughMask(dest, shape.get(), 1, 1, w, h, ColorToRGB(clBtnHighlight));
        PaintThroughMask(dest, shape.get(), 0, 0, w, h, ColorToRGB(clBtnShadow));
        mask = CLR_DEFAULT;
    } else {
        ::BitBlt(dest, 0, 0, w, h, source, column * w, 0, SRCCOPY);
        struct Repaint {
            COLORREF from;
            TColor to;
        };
        const Repaint passes[] = {{RGB(255, 255, 255), clBtnHighlight},
                                  {RGB(128, 128, 128), clBtnShadow},
                                  {ColorToRGB(TransparentColor), clBtnFace}};
        for (const Repaint& pass : passes) {
            framework::UniqueBitmap where = MonoMask(dest, 0, w, h, pass.from);
            PaintThroughMask(dest, where.get(), 0, 0, w, h, ColorToRGB(pass.to));
        }
        mask = CLR_DEFAULT;
    }
    glyph_.ReleaseCanvas();
    image.ReleaseCanvas();
    if (mask == CLR_DEFAULT) {
        // Disabled images are added with the automatic colour: the bottom-left pixel.
        HDC dc = image.Canvas().Handle();
        mask = ::GetPixel(dc, 0, h - 1);
        image.ReleaseCanvas();
    }
    imageIndexes_[slot] = list_->Add(image.Handle(), mask);
    return imageIndexes_[slot];
}

RECT TcxButtonGlyph::TextMargins() const noexcept {
    if (glyph_.Width() > 0 && glyph_.Height() > 0)
        return {0, 0, 0, 0};
    return {1, 0, 2, 0};
}

TcxButtonGlyph::TLayout TcxButtonGlyph::CalcLayout(TcxCanvas& canvas, const RECT& content,
                                                   POINT offset, std::string_view caption,
                                                   TButtonLayout layout, int margin, int spacing,
                                                   UINT biDiFlags) {
    if (biDiFlags & DT_RIGHT) {
        if (layout == blGlyphLeft)
            layout = blGlyphRight;
        else if (layout == blGlyphRight)
            layout = blGlyphLeft;
    }
    RECT text{0, 0, 0, 0};
    SIZE ts{0, 0};
    if (!caption.empty()) {
        const RECT m = TextMargins();
        text = {m.left, m.top, content.right - content.left - m.right, 0};
        canvas.Canvas().RequiredState(framework::csHandleValid | framework::csFontValid);
        ::DrawTextA(canvas.Handle(), caption.data(), static_cast<int>(caption.size()), &text,
                    DT_CALCRECT | biDiFlags);
        ts = {text.right - text.left + m.left + m.right, text.bottom - text.top + m.top + m.bottom};
    }
    const SIZE cs{content.right - content.left, content.bottom - content.top};
    const SIZE gs{numGlyphs_ > 0 ? glyph_.Width() / numGlyphs_ : 0, glyph_.Height()};
    POINT glyphPos{0, 0}, textPos{0, 0};
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    if (horizontal) {
        glyphPos.y = (cs.cy - gs.cy) / 2;
        textPos.y = (cs.cy - ts.cy - 1) / 2;
    } else {
        glyphPos.x = (cs.cx - gs.cx) / 2;
        textPos.x = (cs.cx - ts.cx) / 2;
    }
    if (ts.cx == 0 || gs.cx == 0)
        spacing = 0;
    const int csAxis = horizontal ? cs.cx : cs.cy;
    const int gsAxis = horizontal ? gs.cx : gs.cy;
    const int tsAxis = horizontal ? ts.cx : ts.cy;
    if (margin == -1 && spacing == -1) {
        margin = (csAxis - (gsAxis + tsAxis)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (csAxis - (gsAxis + spacing + tsAxis)) / 2;
    } else if (spacing == -1) {
        spacing = ((csAxis - (margin + gsAxis)) - tsAxis) / 2;
    }
    // Along the layout's axis the glyph goes margin from its edge and the caption spacing beyond.
    LONG& glyphAt = horizontal ? glyphPos.x : glyphPos.y;
    LONG& textAt = horizontal ? textPos.x : textPos.y;
    if (layout == blGlyphLeft || layout == blGlyphTop) {
        glyphAt = margin;
        textAt = glyphAt + gsAxis + spacing;
    } else {
        glyphAt = csAxis - margin - gsAxis;
        textAt = glyphAt - spacing - tsAxis;
    }
    glyphPos.x += content.left + offset.x;
    glyphPos.y += content.top + offset.y;
    ::OffsetRect(&text, textPos.x + content.left + offset.x, textPos.y + content.top + offset.y);
    return {glyphPos, text};
}

void TcxButtonGlyph::Draw(TcxCanvas& canvas, const RECT& content, POINT offset,
                          std::string_view caption, TButtonLayout layout, int margin, int spacing,
                          TcxButtonState state, UINT biDiFlags) {
    const TLayout at =
        CalcLayout(canvas, content, offset, caption, layout, margin, spacing, biDiFlags);
    if (int index = CreateGlyphImage(state); index >= 0 && list_)
        ::ImageList_Draw(list_->Handle(), index, canvas.Handle(), at.glyph.x, at.glyph.y,
                         ILD_TRANSPARENT);
    if (caption.empty())
        return;
    framework::TCanvas& c = canvas.Canvas();
    c.Brush().SetStyle(framework::bsClear);
    const UINT flags = DT_CENTER | DT_VCENTER | biDiFlags;
    auto drawAt = [&](RECT r, TColor color) {
        c.Font().SetColor(color);
        c.RequiredState(framework::csAllValid);
        ::DrawTextA(c.Handle(), caption.data(), static_cast<int>(caption.size()), &r, flags);
    };
    const TColor color = c.Font().Color();
    if (state == cxbsDisabled) {
        RECT shifted = at.text;
        ::OffsetRect(&shifted, 1, 1);
        drawAt(shifted, clBtnHighlight);
    }
    drawAt(at.text, color);
    c.Brush().SetStyle(framework::bsSolid);
}

} // namespace controls
