#include "controls/cxButtons.h"

#include "framework/NamedValues.h"
#include "framework/ScopeGuard.h"
#include "lookandfeel/ThemeManager.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace controls {

using framework::clDefault;
using framework::clNone;
using framework::TBitmap;
using namespace lookandfeel;

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
    if (const auto state = framework::ValueOfName<TcxButtonState>(kNames, p.name)) {
        p.ExpectCount(1);
        SetColor(*state, framework::ParseColor(p));
        return;
    }
    TPropertyObject::ApplyProperty(p, loader);
}

void TcxButtonColors::Changed() {
    if (button_ && button_->HandleAllocated())
        ::InvalidateRect(button_->Handle(), nullptr, FALSE);
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
    // The themed painter's face may let the background show through its edges: the system's
    // erase (the parent's button brush) goes first. Every other paint covers every pixel itself.
    return destroying_ || UsesSystemPaint() ||
           GetPainter()->Style() == lookandfeel::PainterStyle::Native;
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
        // The clip region goes back as it was, also when drawing throws.
        HDC dc = canvas.Handle();
        framework::UniqueRegion saved(::CreateRectRgn(0, 0, 0, 0));
        const bool hadClip = ::GetClipRgn(dc, saved.get()) == 1;
        auto unclip = framework::OnScopeExit(
            [dc, &saved, hadClip] { ::SelectClipRgn(dc, hadClip ? saved.get() : nullptr); });
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

// --- Mouse and keys ----------------------------------------------------------------------

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
    static constexpr const char* kKindNames[] = {"cxbkStandard", "cxbkDropDown",
                                                 "cxbkDropDownButton"};
    static constexpr const char* kLayoutNames[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop",
                                                   "blGlyphBottom"};
    static constexpr const char* kAlignmentNames[] = {"paLeft", "paRight", "paCenter"};
    if (p.name == "Kind") {
        SetKind(p.Enumerated<TcxButtonKind>(kKindNames, "value"));
    } else if (p.name == "Layout") {
        SetLayout(p.Enumerated<TButtonLayout>(kLayoutNames, "value"));
    } else if (p.name == "PopupAlignment") {
        SetPopupAlignment(p.Enumerated<framework::TPopupAlignment>(kAlignmentNames, "value"));
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
