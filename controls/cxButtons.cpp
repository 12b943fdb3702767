#include "controls/cxButtons.h"

#include "framework/Form.h"
#include "framework/ScopeGuard.h"
#include "lookandfeel/ThemeManager.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace controls {

using framework::clBtnFace;
using framework::clBtnHighlight;
using framework::clBtnShadow;
using framework::clDefault;
using framework::clNone;
using framework::ColorToRGB;
using framework::TBitmap;
using namespace lookandfeel;

namespace {

// DSPDxax: where the monochrome source is white the brush is painted, elsewhere the
// destination stays.
constexpr DWORD kRopDSPDxax = 0x00E20746;

/// Puts a DC's clip region back as it was, also when drawing throws.
class ClipGuard {
public:
    explicit ClipGuard(HDC dc) : dc_(dc), saved_(::CreateRectRgn(0, 0, 0, 0)) {
        hadClip_ = ::GetClipRgn(dc_, saved_.get()) == 1;
    }
    ~ClipGuard() { ::SelectClipRgn(dc_, hadClip_ ? saved_.get() : nullptr); }
    ClipGuard(const ClipGuard&) = delete;
    ClipGuard& operator=(const ClipGuard&) = delete;

private:
    HDC dc_;
    framework::UniqueRegion saved_;
    bool hadClip_ = false;
};

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

// --- TcxButtonColors ----------------------------------------------------------------------------

void TcxButtonColors::SetColor(TcxButtonState state, TColor color) {
    if (color == clDefault || color == clNone) {
        colors_[state] = clDefault;
        assigned_.Exclude(state);
        Changed();
    } else if (color != colors_[state]) {
        colors_[state] = color;
        assigned_.Include(state);
        Changed();
    }
}

void TcxButtonColors::SetAssignedColors(TcxButtonAssignedColors) {
    // The assigned states follow the colours; only a designer edits the set itself, and this
    // program has no designer.
}

void TcxButtonColors::Assign(const framework::TPersistent& source) {
    if (auto* other = dynamic_cast<const TcxButtonColors*>(&source)) {
        colors_ = other->colors_;
        assigned_ = other->assigned_;
        Changed();
        return;
    }
    TPropertyObject::Assign(source);
}

void TcxButtonColors::ApplyProperty(const framework::DefinitionProperty& p,
                                    framework::TDefinitionLoader& loader) {
    static constexpr const char* kNames[] = {"Default", "Normal", "Hot", "Pressed", "Disabled"};
    for (int i = 0; i < 5; ++i)
        if (p.name == kNames[i]) {
            p.ExpectCount(1);
            SetColor(static_cast<TcxButtonState>(i), framework::ParseColor(p));
            return;
        }
    TPropertyObject::ApplyProperty(p, loader);
}

void TcxButtonColors::Changed() {
    if (button_ && button_->HandleAllocated())
        ::InvalidateRect(button_->Handle(), nullptr, FALSE);
}

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
    switch (layout) {
    case blGlyphLeft:
        glyphPos.x = margin;
        textPos.x = glyphPos.x + gs.cx + spacing;
        break;
    case blGlyphRight:
        glyphPos.x = cs.cx - margin - gs.cx;
        textPos.x = glyphPos.x - spacing - ts.cx;
        break;
    case blGlyphTop:
        glyphPos.y = margin;
        textPos.y = glyphPos.y + gs.cy + spacing;
        break;
    case blGlyphBottom:
        glyphPos.y = cs.cy - margin - gs.cy;
        textPos.y = glyphPos.y - spacing - ts.cy;
        break;
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

// --- TcxCustomButton ----------------------------------------------------------------------------

/// The button's look-and-feel as definitions set it ("LookAndFeel.NativeStyle: True").
class TcxCustomButton::LookAndFeelProperties : public framework::TPropertyObject {
public:
    explicit LookAndFeelProperties(TcxLookAndFeel& lookAndFeel) : lookAndFeel_(lookAndFeel) {}
    void ApplyProperty(const framework::DefinitionProperty& p,
                       framework::TDefinitionLoader& loader) override {
        if (!ReadLookAndFeelProperty(lookAndFeel_, p))
            TPropertyObject::ApplyProperty(p, loader);
    }
    std::string DisplayName() const override { return "LookAndFeel"; }

private:
    TcxLookAndFeel& lookAndFeel_;
};

TcxCustomButton::TcxCustomButton()
    : lookAndFeel_(std::make_unique<TcxLookAndFeel>(this)),
      lookAndFeelProperties_(std::make_unique<LookAndFeelProperties>(*lookAndFeel_)),
      colors_(std::make_unique<TcxButtonColors>(this)), glyph_(GetGlyphClass()) {
    glyph_->OnChange = [this] { Invalidate(); };
    lookAndFeel_->OnLookAndFeelChanged = [this](TcxLookAndFeel&, TcxLookAndFeelValues) {
        RecreateWnd();
    };
    SetDoubleBuffered(true);
}

TcxCustomButton::~TcxCustomButton() {
    destroying_ = true;
    themeChange_.OnThemeChanged = nullptr;
    EndMouseTracking(this);
    lookAndFeel_->OnLookAndFeelChanged = nullptr;
    lookAndFeelProperties_.reset();
    lookAndFeel_.reset();
    colors_.reset();
    if (HandleAllocated())
        ::DestroyWindow(Handle());
    glyph_.reset();
}

std::unique_ptr<TcxButtonGlyph> TcxCustomButton::GetGlyphClass() const {
    return std::make_unique<TcxButtonGlyph>();
}

framework::TPopupMenu* TcxCustomButton::DropDownMenu() const noexcept {
    return dropDownMenuAlive_.expired() ? nullptr : dropDownMenu_;
}

void TcxCustomButton::SetDropDownMenu(framework::TPopupMenu* menu) noexcept {
    dropDownMenu_ = menu;
    dropDownMenuAlive_ = menu ? menu->LivenessToken() : std::weak_ptr<const void>();
}

framework::TComponent* TcxCustomButton::PopupMenu() const noexcept {
    // A framework menu that went is forgotten (its token expired); a provider is kept as given.
    if (!popupMenuIsFrameworkMenu_)
        return popupMenu_;
    return popupMenuAlive_.expired() ? nullptr : popupMenu_;
}

void TcxCustomButton::SetPopupMenu(framework::TComponent* menu) {
    popupMenuAlive_.reset();
    popupMenuIsFrameworkMenu_ = false;
    if (auto* popup = dynamic_cast<framework::TPopupMenu*>(menu)) {
        popupMenu_ = menu;
        popupMenuAlive_ = popup->LivenessToken();
        popupMenuIsFrameworkMenu_ = true;
    } else if (dynamic_cast<IcxPopupMenuProvider*>(menu)) {
        popupMenu_ = menu;
    } else {
        popupMenu_ = nullptr;
    }
}

void TcxCustomButton::SetKind(TcxButtonKind kind) {
    if (kind == kind_)
        return;
    kind_ = kind;
    RecreateWnd();
}

void TcxCustomButton::SetLayout(TButtonLayout layout) {
    layout_ = layout;
    Invalidate();
}

void TcxCustomButton::SetLookAndFeel(const TcxLookAndFeel& lookAndFeel) {
    lookAndFeel_->Assign(lookAndFeel);
}

void TcxCustomButton::SetMargin(int margin) {
    if (margin < -1)
        return;
    margin_ = margin;
    Invalidate();
}

void TcxCustomButton::SetSpacing(int spacing) {
    spacing_ = spacing;
    Invalidate();
}

TcxLookAndFeelPainterClass TcxCustomButton::GetPainter() const {
    return lookAndFeel_->GetPushButtonPainterClass();
}

bool TcxCustomButton::IsHotTrack() const {
    if (UsesSystemPaint())
        return false;
    bool enabled = HandleAllocated() ? ::IsWindowEnabled(Handle()) != 0 : Enabled();
    return GetPainter()->PushButtonHotTrack() && enabled;
}

RECT TcxCustomButton::ContentBounds(TcxButtonState state) const {
    RECT r = ClientRect();
    const int w = GetPainter()->ButtonFrameWidth(state);
    ::InflateRect(&r, -w, -w);
    if (kind_ == cxbkDropDownButton)
        r.right -= 13;
    return r;
}

TcxButtonState TcxButtonPaintState::ButtonState() const noexcept {
    if (!enabled)
        return cxbsDisabled;
    if (pressed || menuShown)
        return cxbsPressed;
    if (hot)
        return cxbsHot;
    if (focused || isDefault)
        return cxbsDefault;
    return cxbsNormal;
}

bool TcxCustomButton::PressedLook() const {
    return !suppressPressed_ && HandleAllocated() &&
           (::SendMessageA(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

TcxButtonPaintState TcxCustomButton::PaintState() const {
    TcxButtonPaintState state;
    state.enabled = HandleAllocated() ? ::IsWindowEnabled(Handle()) != 0 : Enabled();
    state.menuShown = menuShown_;
    state.dropDown = kind_ == cxbkDropDownButton;
    // A plain drop-down button is down while its menu is open; the drop-down part of the other
    // kind takes the press away from the main face.
    state.pressed = kind_ == cxbkDropDown ? menuShown_ : PressedLook();
    state.hot = mouseInside_;
    state.focused = HandleAllocated() && ::GetFocus() == Handle();
    state.isDefault = ActiveDefault();
    return state;
}

void TcxCustomButton::CreateParams(framework::TCreateParams& params) {
    TButton::CreateParams(params);
    if (!UsesSystemPaint())
        params.style = (params.style & ~BS_TYPEMASK) | BS_OWNERDRAW;
}

void TcxCustomButton::CreateWnd() {
    TButton::CreateWnd();
    if (!glyph_->Glyph().Empty())
        glyph_->CreateGlyphImage(Enabled() ? cxbsNormal : cxbsDisabled);
}

void TcxCustomButton::RecreateWnd() {
    if (!HandleAllocated() || destroying_)
        return;
    HWND old = Handle();
    const bool focused = ::GetFocus() == old;
    HWND previous = ::GetWindow(old, GW_HWNDPREV);
    // The framework's enter/leave state belongs to the old window.
    if (MouseInControl())
        Perform(WM_MOUSELEAVE, 0, 0);
    EndMouseTracking(this);
    mouseInside_ = false;
    ::DestroyWindow(old);
    CreateHandle();
    ::SetWindowPos(Handle(), previous ? previous : HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (focused)
        ::SetFocus(Handle());
}

void TcxCustomButton::Invalidate() {
    if (HandleAllocated())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TcxCustomButton::Repaint() {
    if (HandleAllocated()) {
        ::InvalidateRect(Handle(), nullptr, FALSE);
        ::UpdateWindow(Handle());
    }
}

bool TcxCustomButton::NeedsEraseBackground() const {
    // The paint covers every pixel itself, the parent's image included where it shows.
    return destroying_ || UsesSystemPaint();
}

void TcxCustomButton::ActiveDefaultChanged() {
    if (UsesSystemPaint())
        TButton::ActiveDefaultChanged();
    else
        Repaint();
}

LRESULT TcxCustomButton::CNDrawItem(DRAWITEMSTRUCT& item) {
    // The system class draws by itself on some changes (the focus): the same paint.
    PaintOn(item.hDC);
    return TRUE;
}

void TcxCustomButton::PaintWindow(HDC dc) {
    if (UsesSystemPaint())
        TButton::PaintWindow(dc);
    else
        PaintOn(dc);
}

LRESULT TcxCustomButton::WMPaint(HDC dc) {
    if (dc || DoubleBuffered() || UsesSystemPaint())
        return TButton::WMPaint(dc);
    framework::PaintDc paint(Handle());
    PaintOn(paint.get());
    return 0;
}

LRESULT TcxCustomButton::WMPrintClient(HDC dc, UINT flags) {
    if (UsesSystemPaint())
        return TButton::WMPrintClient(dc, flags);
    PaintOn(dc);
    return 0;
}

void TcxCustomButton::PaintOn(HDC dc) {
    if (destroying_ || !dc || UsesSystemPaint())
        return;
    const int saved = ::SaveDC(dc);
    framework::TCanvas target;
    // Declared after target: the DC goes back as it was once the canvas has let it go.
    auto restore = framework::OnScopeExit([&] {
        target.SetHandle(static_cast<HDC>(nullptr));
        ::RestoreDC(dc, saved);
    });
    target.SetHandle(dc);
    TcxCanvas canvas(target);
    Paint(canvas, PaintState());
}

void TcxCustomButton::Paint(TcxCanvas& canvas, const TcxButtonPaintState& paintState) {
    const TcxLookAndFeelPainterClass painter = GetPainter();
    const RECT bounds = ClientRect();
    RECT r = bounds;
    if (painter->ButtonNeedsParentBackground())
        lookandfeel::DrawThemeParentBackground(Handle(), canvas.Handle(), &r);
    RECT dropDownPart{};
    if (paintState.dropDown) {
        dropDownPart = {r.right - kDropDownWidth, r.top, r.right, r.bottom};
        r.right -= 13;
    }
    const TcxButtonState state = paintState.ButtonState();
    canvas.SetFont(Font());
    TColor face = colors_->Color(state);
    canvas.Font().SetColor(painter->ButtonCaptionColor(state, Font().Color()));
    if (auto handler = OnGetDrawParams)
        handler(this, state, face, canvas.Font());
    painter->PaintButton(canvas, r, {}, state, true, face, canvas.Font().Color());
    POINT offset{0, 0};
    if (const int s = painter->ButtonPressedShift(); state == cxbsPressed && s != 0)
        offset = {s, s};
    {
        ClipGuard clip(canvas.Handle());
        canvas.IntersectClipRect(ContentBounds(state));
        glyph_->Draw(canvas, ContentBounds(cxbsDefault), offset, Caption(), layout_, margin_,
                     spacing_, state, 0);
    }
    if (paintState.dropDown) {
        painter->PaintButton(canvas, dropDownPart, {}, state, true, face, canvas.Font().Color());
        painter->PaintDropDownArrow(canvas, dropDownPart, state, ArrowDirection::Down);
    }
    if (paintState.focused && !paintState.menuShown)
        canvas.DrawFocusRect(painter->ButtonFocusBounds(canvas, bounds));
}

// --- Mouse, keys and menus ----------------------------------------------------------------------

bool TcxCustomButton::CursorOverWindow() const {
    POINT p;
    return HandleAllocated() && ::GetCursorPos(&p) && ::WindowFromPoint(p) == Handle();
}

void TcxCustomButton::UpdateMouseInside() {
    // While the button goes its look-and-feel is gone already (a pending MenuClosed or a lost
    // capture reaches it from DestroyWindow): it is no longer hot.
    if (destroying_) {
        mouseInside_ = false;
        return;
    }
    mouseInside_ = IsHotTrack() && CursorOverWindow();
    // A hot button is tracked, so that its leave is seen even when no other notice comes.
    if (mouseInside_)
        BeginMouseTracking(this, {0, 0, Width(), Height()}, this);
}

LRESULT TcxCustomButton::CMMouseEnter(framework::TWinControl* control) {
    LRESULT result = TButton::CMMouseEnter(control);
    if (!mouseInside_ && IsHotTrack() && !::GetCapture()) {
        BeginMouseTracking(this, {0, 0, Width(), Height()}, this);
        mouseInside_ = true;
        Repaint();
    }
    return result;
}

LRESULT TcxCustomButton::WMMouseMove(UINT keys, int x, int y) {
    LRESULT result = TButton::WMMouseMove(keys, x, y);
    RECT client = ClientRect();
    if (!mouseInside_ && IsHotTrack() && ::PtInRect(&client, POINT{x, y}) && !::GetCapture())
        Perform(framework::CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
    return result;
}

LRESULT TcxCustomButton::CMMouseLeave(framework::TWinControl* control) {
    LRESULT result = TButton::CMMouseLeave(control);
    EndMouseTracking(this);
    if (mouseInside_ && IsHotTrack()) {
        mouseInside_ = false;
        Invalidate();
    }
    return result;
}

void TcxCustomButton::MouseTrackingMouseLeave() {
    Perform(framework::CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
}

void TcxCustomButton::DropDown() {
    suppressPressed_ = true;
    if (HandleAllocated())
        ::PostMessageA(Handle(), DropDownRequest, 0, 0);
}

bool TcxCustomButton::FireDropDownMenuPopup(framework::TPopupMenu*& menu) {
    bool handled = false;
    if (auto handler = OnDropDownMenuPopup)
        handler(this, menu, handled);
    return handled;
}

bool TcxCustomButton::ShowPopupMenu(framework::TComponent* menu, int x, int y) {
    return ShowControlPopupMenu(this, menu, x, y);
}

void TcxCustomButton::HandleDropDownRequest() {
    if (kind_ == cxbkStandard)
        return;
    framework::TPopupMenu* menu = DropDownMenu();
    if (FireDropDownMenuPopup(menu) || !menu) {
        // No menu follows, so no MenuClosed: the main face must not stay unpressable.
        suppressPressed_ = false;
        return;
    }
    menuShown_ = true;
    Repaint();
    POINT p{0, Height()};
    if (popupAlignment_ == framework::paRight)
        p.x = Width();
    else if (popupAlignment_ == framework::paCenter)
        p.x = Width() / 2;
    ::ClientToScreen(Handle(), &p);
    const RECT work = GetWorkArea(p);
    const int menuHeight = GetMenuHeight(menu);
    if (work.bottom < p.y + menuHeight)
        p.y -= menuHeight + Height() + 2;
    // At the left edge the menu opens to the right, at the right edge to the left, so that it
    // stays on the monitor.
    framework::TPopupAlignment alignment = popupAlignment_;
    if (p.x <= work.left)
        alignment = framework::paLeft;
    else if (p.x >= work.right)
        alignment = framework::paRight;
    const framework::TPopupAlignment saved = menu->Alignment();
    struct Restore {
        TcxCustomButton* button;
        std::weak_ptr<const void> buttonAlive;
        framework::TPopupMenu* menu;
        std::weak_ptr<const void> menuAlive;
        framework::TPopupAlignment saved;
        ~Restore() {
            if (!menuAlive.expired())
                menu->SetAlignment(saved);
            // Also after a failure: MenuShown and SuppressPressed must not stay set. To the
            // button's window of now: it may have been recreated while the menu was open.
            if (!buttonAlive.expired() && button->HandleAllocated())
                ::PostMessageA(button->Handle(), MenuClosed, 0, 0);
        }
    } restore{this, TrackingToken(), menu, menu->LivenessToken(), saved};
    menu->SetAlignment(alignment);
    menu->SetPopupComponent(this);
    menu->Popup(p.x, p.y); // runs the menu's own loop; the button may be gone afterwards
}

void TcxCustomButton::HandleMenuClosed() {
    UpdateMouseInside();
    menuShown_ = false;
    Repaint();
    suppressPressed_ = false;
}

void TcxCustomButton::HandlePendingMenuClosed() {
    MSG msg;
    if (HandleAllocated() && ::PeekMessageA(&msg, Handle(), MenuClosed, MenuClosed, PM_REMOVE))
        HandleMenuClosed();
}

void TcxCustomButton::Click() {
    if (kind_ == cxbkStandard) {
        TButton::Click();
        return;
    }
    if (kind_ == cxbkDropDown && !menuShown_) {
        // No click event: the whole button opens its menu.
        if (!swallowClick_)
            DropDown();
        swallowClick_ = false;
        return;
    }
    if (swallowClick_) {
        swallowClick_ = false;
        return;
    }
    TButton::Click();
}

LRESULT TcxCustomButton::WMLButtonDown(WPARAM keys, LPARAM point) {
    if (kind_ != cxbkStandard) {
        if (menuShown_) {
            swallowClick_ = true;
            menuShown_ = false;
            Repaint();
        } else if (kind_ == cxbkDropDown ||
                   GET_X_LPARAM(point) >= ClientRect().right - kDropDownWidth) {
            DropDown();
        }
    }
    return DefaultHandler(WM_LBUTTONDOWN, keys, point);
}

LRESULT TcxCustomButton::WMKeyDown(UINT message, WPARAM key, LPARAM data) {
    MSG msg{Handle(), message, key, data, 0, {}};
    if (IsMenuShortCut(PopupMenu(), msg))
        return 0;
    if (kind_ == cxbkDropDownButton && (key == VK_UP || key == VK_DOWN)) {
        const bool alt = (HIWORD(data) & KF_ALTDOWN) || (::GetKeyState(VK_MENU) & 0x8000);
        const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (alt || shift) {
            if (!menuShown_)
                DropDown();
            return 0;
        }
    }
    return DefaultHandler(message, key, data);
}

LRESULT TcxCustomButton::WMContextMenu(WPARAM window, LPARAM point) {
    POINT p{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    const bool keyboard = p.x == -1 && p.y == -1;
    if (!keyboard) {
        POINT client = p;
        ::ScreenToClient(Handle(), &client);
        RECT r = ClientRect();
        if (!::PtInRect(&r, client))
            return DefaultHandler(WM_CONTEXTMENU, window, point);
    } else {
        p = {0, 0};
        ::ClientToScreen(Handle(), &p);
    }
    if (ShowPopupMenu(PopupMenu(), p.x, p.y))
        return 0;
    return DefaultHandler(WM_CONTEXTMENU, window, point);
}

LRESULT TcxCustomButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DropDownRequest: HandleDropDownRequest(); return 0;
    case MenuClosed: HandleMenuClosed(); return 0;
    case WM_DESTROY: HandlePendingMenuClosed(); return TButton::WndProc(message, wParam, lParam);
    case WM_LBUTTONDOWN: return WMLButtonDown(wParam, lParam);
    case WM_LBUTTONDBLCLK:
        // The system button reports a double click instead of pressing: it is a second press.
        return Perform(WM_LBUTTONDOWN, wParam, lParam);
    case WM_LBUTTONUP: suppressPressed_ = false; return TButton::WndProc(message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return WMKeyDown(message, wParam, lParam);
    case WM_CONTEXTMENU: return WMContextMenu(wParam, lParam);
    case WM_CAPTURECHANGED: {
        LRESULT result = TButton::WndProc(message, wParam, lParam);
        UpdateMouseInside();
        return result;
    }
    case WM_ENABLE: {
        LRESULT result = TButton::WndProc(message, wParam, lParam);
        if (!wParam) {
            mouseInside_ = false;
            EndMouseTracking(this);
        }
        Invalidate();
        return result;
    }
    case WM_SETFONT: {
        LRESULT result = TButton::WndProc(message, wParam, lParam);
        Invalidate();
        return result;
    }
    default: return TButton::WndProc(message, wParam, lParam);
    }
}

// --- Window definitions ---------------------------------------------------------------------

void TcxCustomButton::ApplyProperty(const framework::DefinitionProperty& p,
                                    framework::TDefinitionLoader& loader) {
    auto pick = [&p](std::initializer_list<const char*> names) {
        const std::string& v = p.Identifier();
        int i = 0;
        for (const char* name : names) {
            if (v == name)
                return i;
            ++i;
        }
        p.Fail("unknown value " + v);
    };
    if (p.name == "Kind") {
        SetKind(static_cast<TcxButtonKind>(
            pick({"cxbkStandard", "cxbkDropDown", "cxbkDropDownButton"})));
    } else if (p.name == "Layout") {
        SetLayout(static_cast<TButtonLayout>(
            pick({"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"})));
    } else if (p.name == "PopupAlignment") {
        SetPopupAlignment(
            static_cast<framework::TPopupAlignment>(pick({"paLeft", "paRight", "paCenter"})));
    } else if (p.name == "Margin") {
        SetMargin(static_cast<int>(p.Number()));
    } else if (p.name == "Spacing") {
        SetSpacing(static_cast<int>(p.Number()));
    } else if (p.name == "NumGlyphs") {
        SetNumGlyphs(static_cast<int>(p.Number()));
    } else if (p.name == "UseSystemPaint") {
        SetUseSystemPaint(framework::ParseBoolean(p));
    } else if (p.name == "DropDownMenu") {
        loader.Reference(p, [this, p](framework::TComponent* c) {
            auto* menu = dynamic_cast<framework::TPopupMenu*>(c);
            if (!menu)
                p.Fail(c->Name() + " is not a popup menu");
            SetDropDownMenu(menu);
        });
    } else if (p.name == "PopupMenu") {
        loader.Reference(p, [this](framework::TComponent* c) { SetPopupMenu(c); });
    } else if (p.name == "Glyph") {
        p.ExpectCount(1);
        framework::UniqueBitmap loaded(
            static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), p.Identifier().c_str(),
                                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        if (!loaded)
            p.Fail("no bitmap " + p.Identifier());
        TBitmap bitmap;
        bitmap.SetHandle(loaded.release());
        SetGlyph(&bitmap);
    } else {
        TButton::ApplyProperty(p, loader);
    }
}

framework::TPropertyObject* TcxCustomButton::NestedObject(std::string_view name) {
    if (name == "LookAndFeel")
        return lookAndFeelProperties_.get();
    if (name == "Colors")
        return colors_.get();
    return TButton::NestedObject(name);
}

void RegisterButtonClasses() {
    framework::RegisterMenuClasses();
    framework::RegisterControlClass("TcxButton", [] { return std::make_unique<TcxButton>(); });
}

} // namespace controls
