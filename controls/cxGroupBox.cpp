#include "controls/cxGroupBox.h"

#include "framework/Exceptions.h"
#include "framework/ScopeGuard.h"
#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/ThemeLibrary.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace controls {

using framework::TFont;
using lookandfeel::TcxCanvas;
using lookandfeel::TcxRegion;
using lookandfeel::ThemedObjectType;

namespace {

constexpr int kGroupBoxPart = 4;      // BP_GROUPBOX of the "Button" theme class
constexpr int kThemeFillColor = 3802; // TMT_FILLCOLOR
constexpr int kThemeTextColor = 3803; // TMT_TEXTCOLOR
constexpr int kCaptionIndent = 8;     // from the frame's corner to the caption
constexpr char kHeightSample[] = "Qq";

enum class CaptionSide { Top, Bottom, Left, Right, Centre };

CaptionSide SideOf(TcxCaptionAlignment a) noexcept {
    if (a <= alTopRight)
        return CaptionSide::Top;
    if (a <= alBottomRight)
        return CaptionSide::Bottom;
    if (a <= alLeftBottom)
        return CaptionSide::Left;
    if (a <= alRightBottom)
        return CaptionSide::Right;
    return CaptionSide::Centre;
}

int NativeStateOf(const TcxContainerViewInfo& vi) noexcept {
    return vi.ContainerState.Contains(csDisabled) ? 2 : 1; // GBS_DISABLED, GBS_NORMAL
}

/// The character after the caption's accelerator marker, or 0.
char AcceleratorOf(std::string_view caption) noexcept {
    char result = 0;
    for (size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == '&') {
            if (caption[i + 1] != '&')
                result = caption[i + 1];
            ++i;
        }
    return result;
}

bool SameLetter(char a, char b) noexcept {
    auto upper = [](char c) {
        return static_cast<char>(reinterpret_cast<UINT_PTR>(
            ::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<BYTE>(c))))));
    };
    return upper(a) == upper(b);
}

} // namespace

std::string GroupBoxDisplayCaption(std::string_view caption, TcxCaptionAlignment alignment) {
    if (!IsVerticalAlignment(alignment))
        return std::string(caption);
    std::string result;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            result += caption[i];
        } else if (i + 1 < caption.size()) {
            result += caption[++i];
        } else {
            result += '_';
        }
    }
    return result;
}

// --- TcxGroupBoxButtonViewInfo ------------------------------------------------------------------

void TcxGroupBoxButtonViewInfo::Calculate(const RECT& bounds, SIZE glyphSize, bool leftSide) {
    Bounds = bounds;
    int top = bounds.top + (bounds.bottom - bounds.top - glyphSize.cy) / 2;
    int left = leftSide ? bounds.left : bounds.right - glyphSize.cx;
    GlyphRect = RECT{left, top, left + glyphSize.cx, top + glyphSize.cy};
}

// --- TcxGroupBoxViewData ------------------------------------------------------------------------

TcxGroupBoxViewData::TcxGroupBoxViewData(TcxCustomGroupBox& box)
    : TcxCustomEditViewData(box), box_(box) {
    lookandfeel::TcxScreenCanvas screen;
    screen.SetFont(box.CaptionFont());
    captionHeight_ = screen.TextHeight(kHeightSample);
}

bool TcxGroupBoxViewData::IsNativeStyle() const {
    const lookandfeel::TcxLookAndFeel& lookAndFeel = box_.Style().LookAndFeel();
    return (lookAndFeel.NativeStyle() || lookAndFeel.Kind() == lookandfeel::lfOffice11) &&
           lookandfeel::OpenThemeHandle(ThemedObjectType::Edit) != nullptr;
}

bool TcxGroupBoxViewData::ShadowAllowed() const {
    CaptionSide side = SideOf(box_.Alignment());
    return side != CaptionSide::Bottom && side != CaptionSide::Right;
}

RECT TcxGroupBoxViewData::BorderExtent() const {
    RECT extent = TcxCustomEditViewData::BorderExtent();
    int h = captionHeight_;
    switch (SideOf(box_.Alignment())) {
    case CaptionSide::Top: extent.top = h / 2 + 1; break;
    case CaptionSide::Bottom: extent.bottom = h / 2 + 1; break;
    case CaptionSide::Left: extent.left = h / 2; break;
    case CaptionSide::Right: extent.right = h / 2; break;
    case CaptionSide::Centre: break;
    }
    return extent;
}

RECT TcxGroupBoxViewData::ClientExtent() const {
    RECT extent = BorderExtent();
    int h = captionHeight_;
    switch (SideOf(box_.Alignment())) {
    case CaptionSide::Top: extent.top = h + 3; break;
    case CaptionSide::Bottom: extent.bottom = h + 3; break;
    case CaptionSide::Left: extent.left = h + 3; break;
    case CaptionSide::Right: extent.right = h + 3; break;
    case CaptionSide::Centre: break;
    }
    return extent;
}

void TcxGroupBoxViewData::CalculateNativePart(TcxCustomEditViewInfo& vi) const {
    vi.ThemedObjectType = ThemedObjectType::Button;
    vi.NativePart = kGroupBoxPart;
    vi.NativeState = NativeStateOf(vi);
}

RECT TcxGroupBoxViewData::CaptionRect(int width, int height) const {
    const std::string& text = box_.DisplayCaption();
    if (text.empty())
        return RECT{};
    lookandfeel::TcxScreenCanvas screen;
    screen.SetFont(box_.CaptionFont());
    RECT r{kCaptionIndent, 0, 0, captionHeight_};
    if (screen.Canvas().RequiredState(framework::csHandleValid | framework::csFontValid))
        ::DrawTextA(screen.Handle(), text.c_str(), static_cast<int>(text.size()), &r,
                    box_.CaptionTextFlags() | DT_CALCRECT);
    const int tw = r.right - r.left, th = r.bottom - r.top;
    const int c = box_.ActiveStyle().Shadow() ? 3 : 0;
    const int w = width, h = height;
    r = RECT{kCaptionIndent, 0, kCaptionIndent + tw, th};
    TcxCaptionAlignment a = box_.Alignment();
    switch (a) {
    case alTopCenter:
    case alBottomCenter:
    case alCenterCenter: ::OffsetRect(&r, (w - c - tw) / 2 - r.left, 0); break;
    case alTopRight:
    case alBottomRight: ::OffsetRect(&r, w - kCaptionIndent - c - r.right, 0); break;
    default: break;
    }
    switch (a) {
    case alBottomLeft:
    case alBottomCenter:
    case alBottomRight:
        r.top = h - th;
        r.bottom = h;
        ::OffsetRect(&r, 0, -2);
        break;
    case alCenterCenter: ::OffsetRect(&r, 0, (h - c - th) / 2 - r.top); break;
    case alLeftTop: r = RECT{-1, kCaptionIndent, th - 1, kCaptionIndent + tw}; break;
    case alLeftCenter: {
        int bottom = (h - c) - (h - c - tw) / 2;
        r = RECT{-1, bottom - tw, th - 1, bottom};
        break;
    }
    case alLeftBottom: {
        int bottom = h - c - kCaptionIndent;
        r = RECT{-1, bottom - tw, th - 1, bottom};
        break;
    }
    case alRightTop: r = RECT{w - th + 1, kCaptionIndent, w + 1, kCaptionIndent + tw}; break;
    case alRightCenter: {
        int top = (h - tw) / 2;
        r = RECT{w - th + 1, top, w + 1, top + tw};
        break;
    }
    case alRightBottom:
        r = RECT{w - th + 1, h - kCaptionIndent - tw, w + 1, h - kCaptionIndent};
        break;
    default: break;
    }
    return r;
}

void TcxGroupBoxViewData::Calculate(TcxCanvas& canvas, const RECT& bounds,
                                    TcxCustomEditViewInfo& viewInfo) {
    TcxCustomEditViewData::Calculate(canvas, bounds, viewInfo);
    auto& vi = static_cast<TcxGroupBoxViewInfo&>(viewInfo);
    // Ultra-flat and Office 11 frames show the highlight colour whenever the box is enabled.
    TcxContainerBorderStyle styleBorder = Style().BorderStyle();
    if (styleBorder == cbsUltraFlat || styleBorder == cbsOffice11)
        vi.BorderColor = vi.ContainerState.Contains(csDisabled) ? framework::clBtnShadow
                         : styleBorder == cbsOffice11 ? lookandfeel::Office11HotFrameColor()
                                                      : framework::clHighlight;
    vi.Text = box_.DisplayCaption();
    vi.CaptionHeight = captionHeight_;
    vi.CaptionRect = CaptionRect(bounds.right - bounds.left, bounds.bottom - bounds.top);
    vi.CaptionBitmap.SetSize(vi.CaptionRect.right - vi.CaptionRect.left,
                             vi.CaptionRect.bottom - vi.CaptionRect.top);
}

// --- TcxGroupBoxViewInfo ------------------------------------------------------------------------

TcxGroupBoxViewInfo::TcxGroupBoxViewInfo() : CaptionCanvas(CaptionBitmap.Canvas()) {}
TcxGroupBoxViewInfo::~TcxGroupBoxViewInfo() = default;

TcxCustomGroupBox& TcxGroupBoxViewInfo::Box() const {
    return static_cast<TcxCustomGroupBox&>(*Edit);
}

void TcxGroupBoxViewInfo::Paint(TcxCanvas& canvas) {
    if (!Edit)
        return;
    bool hasCaption = !::IsRectEmpty(&CaptionRect) && !CaptionBitmap.Empty();
    TcxRegion saved = canvas.CurrentClipRegion();
    {
        // The clip region and the bitmap's origin are put back also when drawing fails.
        HDC bitmapDc = hasCaption ? CaptionCanvas.Handle() : nullptr;
        auto restore = framework::OnScopeExit([&canvas, &saved, bitmapDc] {
            if (bitmapDc)
                ::SetWindowOrgEx(bitmapDc, 0, 0, nullptr);
            canvas.ApplyClipRegion(saved);
        });
        if (hasCaption) {
            canvas.ExcludeClipRect(CaptionRect);
            // Drawing at control coordinates lands in the bitmap.
            ::SetWindowOrgEx(bitmapDc, CaptionRect.left, CaptionRect.top, nullptr);
        }
        if (NativeStyle)
            PaintNativeFrame(canvas);
        else
            PaintBorderFrame(canvas);
        if (hasCaption)
            PaintCaption(CaptionCanvas);
    }
    if (hasCaption)
        canvas.CopyRect(CaptionRect, CaptionBitmap.Canvas(),
                        RECT{0, 0, CaptionBitmap.Width(), CaptionBitmap.Height()});
}

void TcxGroupBoxViewInfo::PaintBackground(TcxCanvas& canvas) {
    TcxCustomGroupBox& box = Box();
    if (box.Transparent()) {
        box.PaintParentBackground(canvas.Handle(), &Bounds);
        return;
    }
    if (NativeStyle && box.ParentBackground() && box.HandleAllocated())
        if (HTHEME theme = lookandfeel::OpenThemeHandle(ThemedObjectType::Button);
            theme && lookandfeel::IsThemeBackgroundPartiallyTransparent(theme, kGroupBoxPart,
                                                                        NativeStateOf(*this))) {
            lookandfeel::DrawThemeParentBackground(box.Handle(), canvas.Handle(), &Bounds);
            canvas.Canvas().Refresh();
            return;
        }
    canvas.FillRect(Bounds, BackgroundColor);
}

void TcxGroupBoxViewInfo::PaintNativeFrame(TcxCanvas& canvas) {
    TcxRegion saved = canvas.CurrentClipRegion();
    auto restore = framework::OnScopeExit([&canvas, &saved] { canvas.ApplyClipRegion(saved); });
    PaintBackground(canvas);
    if (BorderStyle == cbsNone)
        return;
    TcxCustomGroupBox& box = Box();
    if (box.Alignment() != alCenterCenter && !::IsRectEmpty(&CaptionRect))
        canvas.ExcludeClipRect(CaptionRect);
    RECT frame = Bounds;
    int half = CaptionHeight / 2;
    switch (SideOf(box.Alignment())) {
    case CaptionSide::Top: frame.top = half; break;
    case CaptionSide::Bottom: frame.bottom -= half; break;
    case CaptionSide::Left: frame.left = half; break;
    case CaptionSide::Right: frame.right -= half; break;
    case CaptionSide::Centre: break;
    }
    if (HTHEME theme = lookandfeel::OpenThemeHandle(ThemedObjectType::Button))
        lookandfeel::DrawThemeBackground(theme, canvas.Handle(), kGroupBoxPart,
                                         NativeStateOf(*this), frame);
}

void TcxGroupBoxViewInfo::PaintBorderFrame(TcxCanvas& canvas) {
    TcxCustomGroupBox& box = Box();
    RECT r = ExtendRectByBorders(BorderRect, BorderWidth, Edges);
    switch (BorderStyle) {
    case cbsSingle: canvas.FrameRect(r, BorderColor, 1, Edges, true); break;
    case cbsThick: canvas.FrameRect(r, BorderColor, 2, Edges, true); break;
    case cbsFlat:
        canvas.FrameRect(r, framework::clBtnShadow, 1, Edges, true);
        ::InflateRect(&r, -1, -1);
        canvas.FrameRect(r, framework::clBtnHighlight, 1, Edges, true);
        break;
    case cbs3D:
        if (box.Ctl3D()) {
            RECT etched = r;
            ++etched.left;
            ++etched.top;
            canvas.FrameRect(etched, framework::clBtnHighlight, 1, Edges, true);
            ::OffsetRect(&etched, -1, -1);
            canvas.FrameRect(etched, framework::clBtnShadow, 1, Edges, true);
        } else {
            canvas.FrameRect(r, framework::clWindowFrame, 1, Edges, true);
            ::InflateRect(&r, -1, -1);
            canvas.FrameRect(r, BackgroundColor, 1, Edges, true);
        }
        break;
    default: break;
    }
    if (Shadow)
        DrawContainerShadow(canvas, ExtendRectByBorders(BorderRect, BorderWidth, Edges));
    PaintBackground(canvas);
}

void TcxGroupBoxViewInfo::PaintCaption(TcxCanvas& bitmapCanvas) {
    TcxCustomGroupBox& box = Box();
    const std::string& text = box.DisplayCaption();
    if (text.empty())
        return;
    bitmapCanvas.SetFont(box.CaptionFont());
    if (NativeStyle)
        if (HTHEME theme = lookandfeel::OpenThemeHandle(ThemedObjectType::Button)) {
            COLORREF color;
            if (SUCCEEDED(lookandfeel::GetThemeColor(theme, kGroupBoxPart, NativeStateOf(*this),
                                                     kThemeTextColor, &color)))
                bitmapCanvas.Font().SetColor(static_cast<TColor>(color));
        }
    bool nativeBackground = NativeStyle && box.ParentBackground() && !box.Transparent();
    bool clear = box.Transparent() || nativeBackground;
    HDC dc = bitmapCanvas.Handle();
    if (clear) {
        bitmapCanvas.Canvas().Refresh();
        box.PaintParentBackground(dc, &Bounds);
        bitmapCanvas.Brush().SetStyle(framework::bsClear);
    } else {
        bitmapCanvas.Brush().SetStyle(framework::bsSolid);
        bitmapCanvas.SetBrushColor(BackgroundColor);
        bitmapCanvas.FillRect(CaptionRect);
    }
    bitmapCanvas.Canvas().RequiredState(framework::csHandleValid | framework::csFontValid |
                                        framework::csBrushValid);
    RECT r = CaptionRect;
    const int length = static_cast<int>(text.size());
    switch (SideOf(box.Alignment())) {
    case CaptionSide::Left:
    case CaptionSide::Right: {
        bool left = SideOf(box.Alignment()) == CaptionSide::Left;
        UINT options = ETO_CLIPPED | (clear ? 0 : ETO_OPAQUE);
        ::ExtTextOutA(dc, left ? r.left : r.right, left ? r.bottom - 1 : r.top + 1, options, &r,
                      text.c_str(), static_cast<UINT>(length), nullptr);
        break;
    }
    default: ::DrawTextA(dc, text.c_str(), length, &r, box.CaptionTextFlags()); break;
    }
}

// --- TcxCustomGroupBoxProperties ----------------------------------------------------------------

std::unique_ptr<TcxCustomEditViewData>
TcxCustomGroupBoxProperties::CreateViewData(TcxCustomEdit& edit) const {
    return std::make_unique<TcxGroupBoxViewData>(static_cast<TcxCustomGroupBox&>(edit));
}

std::unique_ptr<TcxCustomEditViewInfo> TcxCustomGroupBoxProperties::CreateViewInfo() const {
    return std::make_unique<TcxGroupBoxViewInfo>();
}

std::unique_ptr<TcxCustomEdit> TcxCustomGroupBoxProperties::CreateContainer() const {
    return std::make_unique<TcxGroupBox>();
}

// --- TcxCustomGroupBox --------------------------------------------------------------------------

TcxCustomGroupBox::TcxCustomGroupBox()
    : TcxCustomEdit(std::make_unique<TcxCustomGroupBoxProperties>()) {
    SetBounds(Left(), Top(), 185, 105);
    SetParentColor(true);
    SetParentBackground(true);
    tabStop_ = false;
    UpdateCaptionFont();
    UpdateDisplayCaption();
}

TcxCustomGroupBox::~TcxCustomGroupBox() {
    destroying_ = true;
    if (HandleAllocated())
        ::DestroyWindow(Handle());
}

void TcxCustomGroupBox::CreateParams(framework::TCreateParams& params) {
    TcxCustomEdit::CreateParams(params);
    params.className = "Ordanel.TcxGroupBox";
    // The children are reached by Tab and the dialog keys as if they lay on the form.
    params.exStyle |= WS_EX_CONTROLPARENT;
    params.style |= WS_CLIPCHILDREN;
}

void TcxCustomGroupBox::CreateWnd() {
    UpdateDisplayCaption();
    TcxCustomEdit::CreateWnd();
}

TcxContainerStyle& TcxCustomGroupBox::ActiveStyle() {
    return ContainerState().Contains(csDisabled) ? StyleDisabled() : Style();
}

UINT TcxCustomGroupBox::CaptionTextFlags() const noexcept {
    UINT flags = DT_SINGLELINE; // the framework has no right-to-left reading: no bidi flags
    if (IsVerticalAlignment(alignment_))
        flags |= DT_NOPREFIX;
    return flags;
}

void TcxCustomGroupBox::UpdateCaptionFont() {
    captionFont_.Assign(ActiveStyle().VisibleFont());
    if (!IsVerticalAlignment(alignment_))
        return;
    lookandfeel::TcxScreenCanvas screen;
    screen.SetFont(captionFont_);
    TEXTMETRICA metrics{};
    if (screen.Canvas().RequiredState(framework::csHandleValid | framework::csFontValid) &&
        ::GetTextMetricsA(screen.Handle(), &metrics) && !(metrics.tmPitchAndFamily & TMPF_TRUETYPE))
        captionFont_.SetName("Arial"); // a bitmap font cannot be turned
    LOGFONTA description = captionFont_.LogFont();
    const int angle = alignment_ <= alLeftBottom ? 900 : 2700;
    if (description.lfEscapement == angle)
        return;
    description.lfEscapement = description.lfOrientation = angle;
    description.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    HFONT rotated = ::CreateFontIndirectA(&description);
    if (!rotated)
        throw framework::EOutOfResources("Cannot create the caption font");
    captionFont_.SetHandle(rotated);
}

void TcxCustomGroupBox::UpdateDisplayCaption() {
    displayCaption_ = GroupBoxDisplayCaption(Caption(), alignment_);
}

void TcxCustomGroupBox::SetAlignment(TcxCaptionAlignment value) {
    if (alignment_ == value)
        return;
    alignment_ = value;
    UpdateCaptionFont();
    UpdateDisplayCaption();
    ShortRefreshContainer();
    Realign();
}

void TcxCustomGroupBox::CalculateViewInfo() {
    UpdateCaptionFont();
    TcxCustomEdit::CalculateViewInfo();
}

void TcxCustomGroupBox::StyleChanged(TcxContainerStyle& style) {
    UpdateCaptionFont();
    TcxCustomEdit::StyleChanged(style);
    // The font (the box's own is the normal style's), border, shadow and edges decide the area
    // inside the frame.
    Realign();
}

void TcxCustomGroupBox::ThemeChanged() {
    Realign();
    TcxCustomEdit::ThemeChanged();
}

void TcxCustomGroupBox::TextChanged() {
    TcxCustomEdit::TextChanged();
    UpdateDisplayCaption();
    ShortRefreshContainer();
}

void TcxCustomGroupBox::FontChanged() {
    TcxCustomEdit::FontChanged();
    ShortRefreshContainer();
    Realign();
}

void TcxCustomGroupBox::AdjustClientRect(RECT& rect) const {
    if (destroying_)
        return;
    auto& self = const_cast<TcxCustomGroupBox&>(*this);
    TcxGroupBoxViewData viewData(self);
    rect = RECT{0, 0, Width(), Height()};
    lookandfeel::ShrinkRect(rect, viewData.ClientExtent());
}

LRESULT TcxCustomGroupBox::WMPrintClient(HDC dc, UINT flags) {
    if ((flags & PRF_CHECKVISIBLE) && !::IsWindowVisible(Handle()))
        return DefaultHandler(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    PaintWindow(dc);
    return 0;
}

LRESULT TcxCustomGroupBox::CMDialogChar(WORD charCode, LPARAM keyData) {
    char accelerator = AcceleratorOf(Caption());
    bool canFocus = HandleAllocated() && ::IsWindowVisible(Handle());
    for (HWND w = HandleAllocated() ? Handle() : nullptr; canFocus && w;
         w = (::GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) ? ::GetParent(w) : nullptr)
        canFocus = ::IsWindowEnabled(w) != FALSE;
    if (!accelerator || !canFocus || charCode > 0xFF ||
        !SameLetter(accelerator, static_cast<char>(charCode)))
        return TcxCustomEdit::CMDialogChar(charCode, keyData);
    // The first child in tab order that can take the focus.
    std::vector<framework::TWinControl*> children = Controls();
    std::stable_sort(children.begin(), children.end(), [](auto* a, auto* b) {
        auto key = [](framework::TWinControl* c) {
            return c->TabOrder() < 0 ? INT_MAX : c->TabOrder();
        };
        return key(a) < key(b);
    });
    for (framework::TWinControl* child : children) {
        if (!child->HandleAllocated())
            continue;
        HWND w = child->Handle();
        if ((::GetWindowLongPtrA(w, GWL_STYLE) & WS_TABSTOP) && ::IsWindowVisible(w) &&
            ::IsWindowEnabled(w)) {
            ::SetFocus(w);
            break;
        }
    }
    return 1;
}

void TcxCustomGroupBox::ApplyProperty(const framework::DefinitionProperty& p,
                                      framework::TDefinitionLoader& loader) {
    static constexpr const char* kAlignments[] = {
        "alTopLeft",     "alTopCenter",   "alTopRight",    "alBottomLeft", "alBottomCenter",
        "alBottomRight", "alLeftTop",     "alLeftCenter",  "alLeftBottom", "alRightTop",
        "alRightCenter", "alRightBottom", "alCenterCenter"};
    if (p.name == "Alignment") {
        const std::string& name = p.Identifier();
        auto it = std::find(std::begin(kAlignments), std::end(kAlignments), name);
        if (it == std::end(kAlignments))
            p.Fail("unknown alignment " + name);
        SetAlignment(static_cast<TcxCaptionAlignment>(it - std::begin(kAlignments)));
    } else if (p.name == "CaptionBkColor") {
        p.ExpectCount(1);
        SetCaptionBkColor(framework::ParseColor(p));
    } else if (p.name == "TabOrder") {
        // The order among its siblings only: the box itself is no tab stop.
        bool tabStop = tabStop_;
        TcxCustomEdit::ApplyProperty(p, loader);
        tabStop_ = tabStop;
    } else {
        TcxCustomEdit::ApplyProperty(p, loader);
        if (p.name == "Caption")
            UpdateDisplayCaption();
    }
}

void RegisterGroupBoxClasses() {
    framework::RegisterControlClass("TcxGroupBox", [] { return std::make_unique<TcxGroupBox>(); });
}

} // namespace controls
