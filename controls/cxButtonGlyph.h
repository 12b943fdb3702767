// cxButtonGlyph.h - a push button's glyph: its images and the layout of glyph and caption.
//
// Classes in this file:
//   TButtonLayout     where the glyph goes beside the caption
//   TcxGlyphList      an image list of one image size whose slots are shared and counted
//   TcxGlyphCache     the process's glyph lists, one per image size in use
//   TcxButtonGlyph    a button's glyph bitmap (1 to 4 images side by side: up, disabled, down,
//                     exclusive), its images built once per state into a shared list, and the
//                     layout of glyph and caption in the content rectangle
//
// Functions: GlyphCache, CurrentGlyphCache.
//
// Every button lays out and draws its caption through TcxButtonGlyph, but the program's windows
// never give a button an image: the image lists, their cache and the disabled and embossed
// copies are never made by them. They are kept because "Glyph" and "NumGlyphs" are settings of
// the button's window definitions and the glyph tests pin the images' states and sharing.
#pragma once

#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "lookandfeel/cxGraphics.h"
#include "lookandfeel/cxLookAndFeelPainters.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace controls {

using framework::TColor;
using lookandfeel::TcxButtonState;

enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

/// An image list of width x height images; slots are taken and released one by one.
class TcxGlyphList {
public:
    TcxGlyphList(int width, int height);
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    HIMAGELIST Handle() const noexcept { return list_.get(); }
    /// Used slots.
    int Count() const noexcept { return count_; }
    /// Puts image (width x height) into the first free slot, growing the list when none is;
    /// maskColor's pixels become transparent. Returns the slot.
    int Add(HBITMAP image, COLORREF maskColor);
    /// Frees a slot.
    void Release(int index) noexcept;

private:
    framework::UniqueImageList list_;
    std::vector<bool> used_;
    int count_ = 0;
    int width_, height_;
};

/// The glyph lists of the process, one per image size in use.
class TcxGlyphCache {
public:
    /// The list of that image size (the newest first), made when there is none.
    TcxGlyphList* GetList(int width, int height);
    /// A glyph releases its list: an empty list leaves the cache.
    void ReturnList(TcxGlyphList* list);
    bool Empty() const noexcept { return lists_.empty(); }
    size_t ListCount() const noexcept { return lists_.size(); }

private:
    std::vector<std::unique_ptr<TcxGlyphList>> lists_;
};

/// The cache, made now when there is none; CurrentGlyphCache does not make one.
TcxGlyphCache& GlyphCache();
TcxGlyphCache* CurrentGlyphCache() noexcept;

/// A button's glyph and the layout of its content.
class TcxButtonGlyph {
public:
    enum Slot : int { gsUp, gsDisabled, gsDown, gsExclusive };
    static constexpr TColor TransparentColor = framework::clOlive;

    TcxButtonGlyph();
    virtual ~TcxButtonGlyph();
    TcxButtonGlyph(const TcxButtonGlyph&) = delete;
    TcxButtonGlyph& operator=(const TcxButtonGlyph&) = delete;

    const framework::TBitmap& Glyph() const noexcept { return glyph_; }
    /// Copies bitmap (null: none); a strip of square images sets NumGlyphs (1 beyond 4).
    void SetGlyph(const framework::TBitmap* bitmap);
    int NumGlyphs() const noexcept { return numGlyphs_; }
    /// Above 4 is 4; below 1 is ignored.
    void SetNumGlyphs(int value);
    int ImageIndex(Slot slot) const noexcept { return imageIndexes_[slot]; }
    TcxGlyphList* List() const noexcept { return list_; }
    /// The slot of a state's image.
    Slot GlyphSlot(TcxButtonState state) const noexcept;

    /// The image of a state in List(), built now when missing; -1 without a glyph.
    virtual int CreateGlyphImage(TcxButtonState state);
    /// The caption's margins in its box.
    virtual RECT TextMargins() const noexcept;

    struct TLayout {
        POINT glyph;
        RECT text;
    };
    /// Where glyph and caption go in content moved by offset.
    TLayout CalcLayout(lookandfeel::TcxCanvas& canvas, const RECT& content, POINT offset,
                       std::string_view caption, TButtonLayout layout, int margin, int spacing,
                       UINT biDiFlags);
    /// Draws the state's image and the caption (embossed when disabled) at their places.
    void Draw(lookandfeel::TcxCanvas& canvas, const RECT& content, POINT offset,
              std::string_view caption, TButtonLayout layout, int margin, int spacing,
              TcxButtonState state, UINT biDiFlags);

    std::function<void()> OnChange;

private:
    void ReleaseImages() noexcept;
    void Changed();

    framework::TBitmap glyph_;
    int numGlyphs_ = 1;
    std::array<int, 4> imageIndexes_{-1, -1, -1, -1};
    TcxGlyphList* list_ = nullptr;
};

} // namespace controls
