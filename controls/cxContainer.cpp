#include "controls/cxContainer.h"

#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/ThemeLibrary.h"

#include <algorithm>

namespace controls {

using framework::TFont;
using framework::TFontStyles;
using lookandfeel::TcxCanvas;
using lookandfeel::TcxLookAndFeel;

// --- Helpers ------------------------------------------------------------------------------------

int ContainerBorderWidth(TcxContainerBorderStyle style) noexcept {
    switch (style) {
    case cbsNone: return 0;
    case cbsThick:
    case cbsFlat:
    case cbs3D: return 2;
    case cbsSingle:
    case cbsUltraFlat:
    case cbsOffice11:
    default: return 1;
    }
}

RECT ExtendRectByBorders(const RECT& rect, int width, TcxBorders borders) noexcept {
    RECT r = rect;
    if (borders.Contains(lookandfeel::bLeft))
        r.left -= width;
    if (borders.Contains(lookandfeel::bTop))
        r.top -= width;
    if (borders.Contains(lookandfeel::bRight))
        r.right += width;
    if (borders.Contains(lookandfeel::bBottom))
        r.bottom += width;
    return r;
}

RECT ContainerShapeRect(const RECT& bounds, const RECT& clientExtent, int borderWidth,
                        TcxBorders edges) noexcept {
    RECT r = bounds;
    lookandfeel::ShrinkRect(r, clientExtent);
    ::InflateRect(&r, borderWidth, borderWidth);
    RECT back{};
    if (!edges.Contains(lookandfeel::bLeft))
        back.left = borderWidth;
    if (!edges.Contains(lookandfeel::bTop))
        back.top = borderWidth;
    if (!edges.Contains(lookandfeel::bRight))
        back.right = borderWidth;
    if (!edges.Contains(lookandfeel::bBottom))
        back.bottom = borderWidth;
    lookandfeel::ShrinkRect(r, back);
    return r;
}

void DrawContainerShadow(TcxCanvas& canvas, const RECT& rect) {
    canvas.SetBrushColor(framework::clBtnShadow);
    canvas.FillRect(RECT{rect.left + 3, rect.bottom, rect.right, rect.bottom + 3}, nullptr, true);
    canvas.FillRect(RECT{rect.right, rect.top + 3, rect.right + 3, rect.bottom + 3}, nullptr, true);
}

// --- TcxContainerStyle --------------------------------------------------------------------------

TcxContainerStyle::TcxContainerStyle(TcxContainer* owner, int state, TcxContainerStyle* parent)
    : owner_(owner), state_(state), parent_(parent) {
    if (!parent_) {
        lookAndFeel_ = std::make_unique<TcxLookAndFeel>(this);
        lookAndFeelProperties_ = std::make_unique<TcxLookAndFeelProperties>(*lookAndFeel_);
        lookAndFeel_->OnLookAndFeelChanged =
            [this](TcxLookAndFeel&, lookandfeel::TcxLookAndFeelValues) { Changed(); };
        font_.OnChange = [this](framework::TGraphicsObject&) { Changed(); };
    }
}

TcxContainerStyle::~TcxContainerStyle() {
    OnChanged = nullptr;
    if (lookAndFeel_)
        lookAndFeel_->OnLookAndFeelChanged = nullptr;
    font_.OnChange = nullptr;
    // The controller belongs to the normal style; the others leave it alone.
    if (IsBaseStyle())
        SetStyleController(nullptr);
}

void TcxContainerStyle::Changed() {
    if (auto handler = OnChanged)
        handler(*this);
}

template <typename T>
void TcxContainerStyle::Assign(T& field, T value, TcxContainerStyleValue bit) {
    field = value;
    assigned_ |= StyleValueBit(bit);
    Changed();
}

void TcxContainerStyle::SetAssignedValues(TcxContainerStyleValues values) {
    if (values == assigned_)
        return;
    assigned_ = values;
    Changed();
}

const TcxContainerStyle* TcxContainerStyle::ControllerStyle() const noexcept {
    TcxStyleController* controller = BaseStyle().controller_;
    return controller ? controller->styles_[state_].get() : nullptr;
}

void TcxContainerStyle::SetStyleController(TcxStyleController* controller) {
    TcxContainerStyle& base = BaseStyle();
    if (base.controller_ == controller)
        return;
    if (base.controller_)
        base.controller_->RemoveFollower(&base);
    base.controller_ = controller;
    if (controller)
        controller->AddFollower(&base);
    base.Changed();
}

// Per-state values: the style's own, the controller's, or the default.
#define CX_RESOLVE(bit, field, getter, fallback)                                                   \
    if (IsAssigned(bit))                                                                           \
        return field;                                                                              \
    if (const TcxContainerStyle* controlled = ControllerStyle())                                   \
        return controlled->getter();                                                               \
    return fallback

TColor TcxContainerStyle::BorderColor() const {
    CX_RESOLVE(svBorderColor, borderColor_, BorderColor, DefaultBorderColor());
}
TcxContainerBorderStyle TcxContainerStyle::BorderStyle() const {
    CX_RESOLVE(svBorderStyle, borderStyle_, BorderStyle, DefaultBorderStyle());
}
TColor TcxContainerStyle::Color() const {
    // A container that shows its parent's colour answers it before anything else.
    if (IsBaseStyle() && owner_ && owner_->ParentColor() && owner_->Parent())
        return owner_->Parent()->Color();
    CX_RESOLVE(svColor, color_, Color, DefaultColor());
}
TColor TcxContainerStyle::TextColor() const {
    CX_RESOLVE(svTextColor, textColor_, TextColor, DefaultTextColor());
}
TFontStyles TcxContainerStyle::TextStyle() const {
    CX_RESOLVE(svTextStyle, textStyle_, TextStyle, DefaultTextStyle());
}

// Shared values: the normal style's for the other three.
TcxBorders TcxContainerStyle::Edges() const {
    if (!IsBaseStyle())
        return BaseStyle().Edges();
    CX_RESOLVE(svEdges, edges_, Edges, lookandfeel::cxBordersAll);
}
bool TcxContainerStyle::HotTrack() const {
    if (!IsBaseStyle())
        return BaseStyle().HotTrack();
    CX_RESOLVE(svHotTrack, hotTrack_, HotTrack, true);
}
bool TcxContainerStyle::Shadow() const {
    if (!IsBaseStyle())
        return BaseStyle().Shadow();
    CX_RESOLVE(svShadow, shadow_, Shadow, false);
}
bool TcxContainerStyle::TransparentBorder() const {
    if (!IsBaseStyle())
        return BaseStyle().TransparentBorder();
    CX_RESOLVE(svTransparentBorder, transparentBorder_, TransparentBorder, true);
}
#undef CX_RESOLVE

void TcxContainerStyle::SetBorderColor(TColor value) {
    Assign(borderColor_, value, svBorderColor);
}
void TcxContainerStyle::SetBorderStyle(TcxContainerBorderStyle value) {
    Assign(borderStyle_, value, svBorderStyle);
}
void TcxContainerStyle::SetColor(TColor value) {
    Assign(color_, value, svColor);
}
void TcxContainerStyle::SetEdges(TcxBorders value) {
    Assign(edges_, value, svEdges);
}
void TcxContainerStyle::SetHotTrack(bool value) {
    Assign(hotTrack_, value, svHotTrack);
}
void TcxContainerStyle::SetShadow(bool value) {
    Assign(shadow_, value, svShadow);
}
void TcxContainerStyle::SetTextColor(TColor value) {
    Assign(textColor_, value, svTextColor);
}
void TcxContainerStyle::SetTextStyle(TFontStyles value) {
    Assign(textStyle_, value, svTextStyle);
}
void TcxContainerStyle::SetTransparentBorder(bool value) {
    Assign(transparentBorder_, value, svTransparentBorder);
}

void TcxContainerStyle::SetFont(const TFont& value) {
    assigned_ |= StyleValueBit(svFont);
    Font().Assign(value); // tells the normal style's change when something differs
}

TFont TcxContainerStyle::VisibleFont() const {
    TFont font(Font());
    font.SetColor(TextColor());
    font.SetStyle(TextStyle());
    return font;
}

TColor TcxContainerStyle::DefaultBorderColor() const {
    switch (state_) {
    case cxStyleNormal: return framework::clWindowFrame;
    case cxStyleDisabled: return framework::clBtnShadow;
    default: return BaseStyle().BorderColor();
    }
}

TcxContainerBorderStyle TcxContainerStyle::DefaultBorderStyle() const {
    if (IsBaseStyle()) {
        switch (LookAndFeel().Kind()) {
        case lookandfeel::lfFlat: return cbsFlat;
        case lookandfeel::lfStandard: return cbs3D;
        case lookandfeel::lfOffice11: return cbsOffice11;
        case lookandfeel::lfUltraFlat:
        default: return cbsUltraFlat;
        }
    }
    TcxContainerBorderStyle base = BaseStyle().BorderStyle();
    if (!HotTrack() || state_ == cxStyleDisabled)
        return base;
    switch (base) {
    case cbsNone: return cbsFlat;
    case cbsSingle:
    case cbsThick: return cbsThick;
    case cbsFlat:
    case cbs3D: return cbs3D;
    default: return base; // ultra-flat and Office 11 show their state by colour
    }
}

TColor TcxContainerStyle::DefaultColor() const {
    bool face = owner_ && owner_->HasFaceColoredBackground();
    switch (state_) {
    case cxStyleNormal: return face ? framework::clBtnFace : framework::clWindow;
    case cxStyleDisabled: return face ? BaseStyle().Color() : framework::clBtnFace;
    default: return BaseStyle().Color();
    }
}

TColor TcxContainerStyle::DefaultTextColor() const {
    switch (state_) {
    case cxStyleNormal: return Font().Color();
    case cxStyleDisabled: return framework::clBtnShadow;
    default: return BaseStyle().TextColor();
    }
}

TFontStyles TcxContainerStyle::DefaultTextStyle() const {
    return IsBaseStyle() ? Font().Style() : BaseStyle().TextStyle();
}

namespace {
constexpr const char* kBorderStyleNames[] = {"cbsNone", "cbsSingle",    "cbsThick",   "cbsFlat",
                                             "cbs3D",   "cbsUltraFlat", "cbsOffice11"};
constexpr const char* kEdgeNames[] = {"bLeft", "bTop", "bRight", "bBottom"};
constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
} // namespace

void TcxContainerStyle::ApplyProperty(const framework::DefinitionProperty& p,
                                      framework::TDefinitionLoader& loader) {
    auto bits = [&p](const auto& names) {
        std::uint8_t result = 0;
        for (size_t i = 0; i < p.values.size(); ++i)
            result =
                static_cast<std::uint8_t>(result | (1u << p.Enumerated<int>(names, "value", i)));
        return result;
    };
    if (p.name == "BorderColor") {
        p.ExpectCount(1);
        SetBorderColor(framework::ParseColor(p));
    } else if (p.name == "BorderStyle") {
        SetBorderStyle(p.Enumerated<TcxContainerBorderStyle>(kBorderStyleNames, "border style"));
    } else if (p.name == "Color") {
        p.ExpectCount(1);
        SetColor(framework::ParseColor(p));
        if (IsBaseStyle() && owner_)
            owner_->SetParentColor(false);
    } else if (p.name == "Edges") {
        SetEdges(TcxBorders::FromBits(bits(kEdgeNames)));
    } else if (p.name == "HotTrack") {
        SetHotTrack(framework::ParseBoolean(p));
    } else if (p.name == "Shadow") {
        SetShadow(framework::ParseBoolean(p));
    } else if (p.name == "TextColor") {
        p.ExpectCount(1);
        SetTextColor(framework::ParseColor(p));
    } else if (p.name == "TextStyle") {
        SetTextStyle(TFontStyles::FromBits(bits(kFontStyleNames)));
    } else if (p.name == "TransparentBorder") {
        SetTransparentBorder(framework::ParseBoolean(p));
    } else {
        TPropertyObject::ApplyProperty(p, loader);
    }
}

framework::TPropertyObject* TcxContainerStyle::NestedObject(std::string_view name) {
    if (name == "LookAndFeel")
        return BaseStyle().lookAndFeelProperties_.get();
    return TPropertyObject::NestedObject(name);
}

std::string TcxContainerStyle::DisplayName() const {
    static constexpr const char* names[] = {"Style", "StyleFocused", "StyleDisabled", "StyleHot"};
    return names[state_ & 3];
}

// --- TcxContainerViewInfo -----------------------------------------------------------------------

void TcxContainerViewInfo::Paint(TcxCanvas&) {}

// --- TcxContainer -------------------------------------------------------------------------------

TcxContainer::TcxContainer(StyleFactory factory, std::unique_ptr<TcxContainerViewInfo> viewInfo)
    : viewInfo_(std::move(viewInfo)) {
    for (int state = 0; state < 4; ++state) {
        styles_[state] = factory(*this, state, state ? styles_[0].get() : nullptr);
        styles_[state]->OnChanged = [this](TcxContainerStyle& style) { StyleChanged(style); };
    }
    LookAndFeel().SetMaster(&Style().LookAndFeel());
    // The control's font is the normal style's: a change of either reaches the other.
    Style().Font().Assign(Font());
}

TcxContainer::~TcxContainer() {
    if (HandleAllocated())
        ::DestroyWindow(Handle());
    LookAndFeel().OnLookAndFeelChanged = nullptr;
    LookAndFeel().SetMaster(nullptr);
    for (auto& style : styles_)
        style->OnChanged = nullptr;
}

TcxContainerState TcxContainer::ContainerState() const {
    if (!Enabled() || (HandleAllocated() && !::IsWindowEnabled(Handle())))
        return {csDisabled};
    TcxContainerState state;
    if (HandleAllocated() && ::GetFocus() == Handle())
        state.Include(csActive);
    else
        state.Include(csNormal);
    if (MouseInControl() && HandleAllocated()) {
        POINT cursor;
        if (::GetCursorPos(&cursor) && ::ScreenToClient(Handle(), &cursor) && IsInHotArea(cursor))
            state.Include(csHotTrack);
    }
    return state;
}

bool TcxContainer::IsInHotArea(POINT point) const {
    RECT r = ClientRect();
    return ::PtInRect(&r, point) != FALSE;
}

TcxContainerStyle& TcxContainer::ActiveStyle() {
    TcxContainerState state = ContainerState();
    if (state.Contains(csDisabled))
        return StyleDisabled();
    if (state.Contains(csActive))
        return StyleFocused();
    if (state.Contains(csHotTrack) && Style().HotTrack())
        return StyleHot();
    return Style();
}

void TcxContainer::SetCtl3D(bool value) {
    if (ctl3D_ == value)
        return;
    ctl3D_ = value;
    ShortRefreshContainer();
}

void TcxContainer::CalculateViewInfo() {
    TcxContainerViewInfo& vi = *viewInfo_;
    TcxContainerStyle& style = ActiveStyle();
    vi.ContainerState = ContainerState();
    vi.HotState = !style.HotTrack() ? 0
                  : vi.ContainerState.Contains(csActive) || vi.ContainerState.Contains(csHotTrack)
                      ? 2
                      : 1;
    vi.Bounds = RECT{0, 0, Width(), Height()};
    vi.BorderRect = vi.ClientRect = vi.Bounds;
    vi.BorderStyle = style.BorderStyle();
    if (vi.BorderStyle == cbsUltraFlat || vi.BorderStyle == cbsOffice11)
        vi.BorderStyle = cbsSingle;
    vi.BorderWidth = ContainerBorderWidth(vi.BorderStyle);
    vi.BorderColor = style.BorderColor();
    vi.BackgroundColor = style.Color();
    vi.Edges = style.Edges();
    vi.NativeStyle = false;
    vi.Shadow = false;
}

void TcxContainer::ShortRefreshContainer() {
    CalculateViewInfo();
    Invalidate();
}

void TcxContainer::StyleChanged(TcxContainerStyle&) {
    ShortRefreshContainer();
}

void TcxContainer::LookAndFeelChanged(TcxLookAndFeel&, lookandfeel::TcxLookAndFeelValues) {
    ShortRefreshContainer();
}

void TcxContainer::MouseEnter(framework::TWinControl*) {
    ShortRefreshContainer();
}

void TcxContainer::MouseLeave(framework::TWinControl*) {
    ShortRefreshContainer();
}

void TcxContainer::FontChanged() {
    if (syncingFont_)
        return;
    syncingFont_ = true;
    Style().Font().Assign(Font());
    syncingFont_ = false;
}

void TcxContainer::CreateWnd() {
    TcxControl::CreateWnd();
    CalculateViewInfo();
}

void TcxContainer::Paint(framework::TCanvas&) {
    CalculateViewInfo();
    viewInfo_->Paint(cxCanvas());
}

LRESULT TcxContainer::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = TcxControl::WndProc(message, wParam, lParam);
        ShortRefreshContainer();
        return result;
    }
    default: return TcxControl::WndProc(message, wParam, lParam);
    }
}

framework::TPropertyObject* TcxContainer::NestedObject(std::string_view name) {
    if (name == "Style")
        return &Style();
    if (name == "StyleFocused")
        return &StyleFocused();
    if (name == "StyleDisabled")
        return &StyleDisabled();
    if (name == "StyleHot")
        return &StyleHot();
    return TcxControl::NestedObject(name);
}

void TcxContainer::ApplyProperty(const framework::DefinitionProperty& p,
                                 framework::TDefinitionLoader& loader) {
    if (p.name == "Ctl3D") {
        SetCtl3D(framework::ParseBoolean(p));
        return;
    }
    TcxControl::ApplyProperty(p, loader);
    // The control's colour and font are the normal style's.
    if (p.name == "Color")
        Style().SetColor(framework::ParseColor(p));
    else if (p.name == "Font")
        Style().SetFont(Font());
}

// --- Editor layer -------------------------------------------------------------------------------
// Of this layer the program's windows reach only what the group box is built on; the style
// controller, the edit field's defaults and the editor style's extra settings are kept for the
// reasons given in cxContainer.h.

// --- TcxStyleController -------------------------------------------------------------------------

TcxStyleController::TcxStyleController() {
    for (int state = 0; state < 4; ++state) {
        styles_[state] =
            std::make_unique<TcxEditStyle>(nullptr, state, state ? styles_[0].get() : nullptr);
        styles_[state]->OnChanged = [this, state](TcxContainerStyle&) { StyleChanged(state); };
    }
}

TcxStyleController::~TcxStyleController() {
    // The followers take their values from the defaults from now on.
    for (TcxContainerStyle* follower : std::vector<TcxContainerStyle*>(followers_))
        follower->SetStyleController(nullptr);
    for (int state = 3; state >= 0; --state)
        styles_[state].reset();
}

void TcxStyleController::AddFollower(TcxContainerStyle* style) {
    followers_.push_back(style);
}

void TcxStyleController::RemoveFollower(TcxContainerStyle* style) noexcept {
    std::erase(followers_, style);
}

void TcxStyleController::StyleChanged(int) {
    for (TcxContainerStyle* follower : std::vector<TcxContainerStyle*>(followers_))
        follower->Changed();
}

// --- Editor view data, properties and the editor ---------------------------------------------

TcxContainerStyle& TcxCustomEditViewData::Style() const {
    return edit_.ActiveStyle();
}

bool TcxCustomEditViewData::IsNativeStyle() const {
    return edit_.Style().LookAndFeel().NativeStyle() &&
           lookandfeel::OpenThemeHandle(lookandfeel::ThemedObjectType::Edit) != nullptr;
}

TcxContainerBorderStyle TcxCustomEditViewData::BorderStyle() const {
    if (IsNativeStyle())
        return edit_.Style().BorderStyle();
    TcxContainerBorderStyle style = Style().BorderStyle();
    return style == cbsUltraFlat || style == cbsOffice11 ? cbsSingle : style;
}

bool TcxCustomEditViewData::HasShadow() const {
    return Style().Shadow() && !IsNativeStyle() && ShadowAllowed();
}

RECT TcxCustomEditViewData::BorderExtent() const {
    RECT extent{};
    bool native = IsNativeStyle();
    TcxContainerBorderStyle borderStyle = BorderStyle();
    if (Style().TransparentBorder()) {
        extent = RECT{2, 2, 2, 2};
    } else if (native && borderStyle == cbsNone) {
        extent = RECT{};
    } else if (native) {
        extent = RECT{2, 2, 2, 2};
    } else {
        int width = ContainerBorderWidth(borderStyle);
        extent = ExtendRectByBorders(RECT{}, width, Style().Edges());
        extent.left = -extent.left;
        extent.top = -extent.top;
    }
    if (HasShadow()) {
        extent.right += 3;
        extent.bottom += 3;
    }
    return extent;
}

void TcxCustomEditViewData::Calculate(TcxCanvas&, const RECT& bounds, TcxCustomEditViewInfo& vi) {
    TcxContainerStyle& style = Style();
    vi.Edit = &edit_;
    vi.Bounds = bounds;
    vi.ContainerState = edit_.ContainerState();
    bool active = vi.ContainerState.Contains(csActive);
    bool hot = vi.ContainerState.Contains(csHotTrack);
    vi.HotState = !style.HotTrack() ? 0 : active || hot ? 2 : 1;
    vi.NativeStyle = IsNativeStyle();
    vi.BorderStyle = BorderStyle();
    vi.BorderWidth = ContainerBorderWidth(vi.BorderStyle);
    vi.Edges = style.Edges();
    vi.Shadow = HasShadow();

    TcxContainerBorderStyle activeBorder = style.BorderStyle();
    if (activeBorder == cbsUltraFlat || activeBorder == cbsOffice11) {
        bool highlighted = active || (hot && style.HotTrack());
        vi.BorderColor = !highlighted                  ? framework::clBtnShadow
                         : activeBorder == cbsOffice11 ? lookandfeel::Office11HotFrameColor()
                                                       : framework::clHighlight;
    } else {
        vi.BorderColor = style.BorderColor();
    }

    CalculateNativePart(vi);
    vi.BackgroundColor = style.Color();
    if (vi.NativeStyle && vi.ContainerState.Contains(csDisabled))
        if (HTHEME theme = lookandfeel::OpenThemeHandle(vi.ThemedObjectType)) {
            COLORREF fill;
            if (SUCCEEDED(lookandfeel::GetThemeColor(theme, vi.NativePart, vi.NativeState,
                                                     3802 /* TMT_FILLCOLOR */, &fill)))
                vi.BackgroundColor = static_cast<TColor>(fill);
        }

    vi.BorderRect = bounds;
    lookandfeel::ShrinkRect(vi.BorderRect, BorderExtent());
    vi.ClientRect = bounds;
    lookandfeel::ShrinkRect(vi.ClientRect, ClientExtent());
}

void TcxCustomEditViewData::CalculateNativePart(TcxCustomEditViewInfo& vi) const {
    vi.ThemedObjectType = lookandfeel::ThemedObjectType::Edit;
    vi.NativePart = 1;                                               // EP_EDITTEXT
    vi.NativeState = vi.ContainerState.Contains(csDisabled) ? 4 : 1; // ETS_DISABLED, ETS_NORMAL
}

std::unique_ptr<TcxCustomEditViewData>
TcxCustomEditProperties::CreateViewData(TcxCustomEdit& edit) const {
    return std::make_unique<TcxCustomEditViewData>(edit);
}

std::unique_ptr<TcxCustomEditViewInfo> TcxCustomEditProperties::CreateViewInfo() const {
    return std::make_unique<TcxCustomEditViewInfo>();
}

namespace {
std::unique_ptr<TcxContainerStyle> CreateEditStyle(TcxContainer& owner, int state,
                                                   TcxContainerStyle* parent) {
    return std::make_unique<TcxEditStyle>(&owner, state, parent);
}
} // namespace

TcxCustomEdit::TcxCustomEdit(std::unique_ptr<TcxCustomEditProperties> properties)
    : TcxContainer(CreateEditStyle, properties->CreateViewInfo()),
      properties_(std::move(properties)) {}

TcxCustomEdit::~TcxCustomEdit() {
    if (HandleAllocated())
        ::DestroyWindow(Handle());
}

void TcxCustomEdit::CalculateViewInfo() {
    auto viewData = CreateViewData();
    viewData->Calculate(cxCanvas(), RECT{0, 0, Width(), Height()}, EditViewInfo());
}

} // namespace controls
