// cxLookAndFeelPainters.cpp - the five painters, their default colours and the ultra-flat colour
// cache.
#include "lookandfeel/cxLookAndFeelPainters.h"

#include "lookandfeel/Office11Colors.h"
#include "lookandfeel/ThemeLibrary.h"
#include "lookandfeel/cxLookAndFeels.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

namespace lookandfeel {

using framework::clBtnFace;
using framework::clBtnHighlight;
using framework::clBtnShadow;
using framework::clBtnText;
using framework::clDefault;
using framework::clHighlight;
using framework::clHighlightText;
using framework::clWindow;
using framework::clWindowText;

namespace {
// Each painter's only instance. The constructors are protected, so the instances are made
// through derived helpers that expose them.
template <class Painter> const Painter& Singleton() noexcept {
    struct Instance final : Painter {};
    static const Instance instance;
    return instance;
}

constexpr TColor kBlack = 0x000000;

// Theme parts, states and properties the themed painter asks for.
constexpr int kPushButtonPart = 1;
constexpr int kScrollBarArrowPart = 1;
constexpr int kComboBoxPart = 1;
constexpr int kListViewBorderPart = 5;
constexpr int kColorProperty = 204;
constexpr int kBorderColorProperty = 3801;
constexpr int kTextColorProperty = 3803;
constexpr DWORD kThemeButtonTextFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE; // 37
constexpr RECT kMeasureRect{0, 0, 100, 100};

/// The caption flags of a push button: centred both ways, one line, '&' underlines.
constexpr unsigned kButtonCaptionFlags =
    cxAlignHCenter | cxAlignVCenter | cxSingleLine | cxShowPrefix; // 612

RECT Deflated(RECT rect, int by) noexcept {
    ::InflateRect(&rect, -by, -by);
    return rect;
}

bool IsEmpty(const RECT& rect) noexcept {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

// Fills and frame lines go straight to the DC through its DC brush. Through the canvas each
// colour change creates and selects a new brush, and a classic frame has four colours plus the
// face, five brushes per button. The DC brush colour is put back.
void Fill(TcxCanvas& canvas, const RECT& rect, TColor color) {
    // clNone fills nothing, as a canvas brush of that colour is clear.
    if (IsEmpty(rect) || color == framework::clNone)
        return;
    HDC dc = canvas.Handle();
    if (!dc)
        return;
    const COLORREF previous = ::SetDCBrushColor(dc, framework::ColorToRGB(color));
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::SetDCBrushColor(dc, previous);
}

/// A one-pixel frame in one colour; each side stays inside rect.
void Frame(TcxCanvas& canvas, const RECT& r, TColor color) {
    Fill(canvas, RECT{r.left, r.top, std::min(r.left + 1, r.right), r.bottom}, color);
    Fill(canvas, RECT{std::max(r.right - 1, r.left), r.top, r.right, r.bottom}, color);
    Fill(canvas, RECT{r.left, r.top, r.right, std::min(r.top + 1, r.bottom)}, color);
    Fill(canvas, RECT{r.left, std::max(r.bottom - 1, r.top), r.right, r.bottom}, color);
}

/// A one-pixel frame with the left and top sides in leftTop, right and bottom in rightBottom
/// (drawn in that order, so the top-right and bottom-left corners take rightBottom).
void TwoColorFrame(TcxCanvas& canvas, const RECT& r, TColor leftTop, TColor rightBottom) {
    Fill(canvas, RECT{r.left, r.top, std::min(r.left + 1, r.right), r.bottom}, leftTop);
    Fill(canvas, RECT{r.left, r.top, r.right, std::min(r.top + 1, r.bottom)}, leftTop);
    Fill(canvas, RECT{std::max(r.right - 1, r.left), r.top, r.right, r.bottom}, rightBottom);
    Fill(canvas, RECT{r.left, std::max(r.bottom - 1, r.top), r.right, r.bottom}, rightBottom);
}

/// The triangle of an arrow with the given base (odd) and height, centred in rect.
void DrawTriangle(TcxCanvas& canvas, const RECT& rect, ArrowDirection direction, int base,
                  int height, TColor color) {
    if (base <= 0 || height <= 0)
        return;
    const bool vertical = direction == ArrowDirection::Up || direction == ArrowDirection::Down;
    const int w = vertical ? base : height, h = vertical ? height : base;
    const int x = rect.left + (rect.right - rect.left - w) / 2;
    const int y = rect.top + (rect.bottom - rect.top - h) / 2;
    const int half = (base - 1) / 2;
    std::array<POINT, 3> points{};
    switch (direction) {
    case ArrowDirection::Up:
        points = {POINT{x + half, y}, POINT{x, y + height - 1},
                  POINT{x + base - 1, y + height - 1}};
        break;
    case ArrowDirection::Down:
        points = {POINT{x, y}, POINT{x + base - 1, y}, POINT{x + half, y + height - 1}};
        break;
    case ArrowDirection::Left:
        points = {POINT{x, y + half}, POINT{x + height - 1, y},
                  POINT{x + height - 1, y + base - 1}};
        break;
    case ArrowDirection::Right:
        points = {POINT{x, y}, POINT{x + height - 1, y + half}, POINT{x, y + base - 1}};
        break;
    }
    canvas.Brush().SetColor(color);
    canvas.Pen().SetColor(color);
    canvas.Pen().SetStyle(framework::psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Polygon(points);
}

/// Base and height of the arrow in rect (side: width for up and down, height otherwise).
void ArrowSize(const RECT& rect, ArrowDirection direction, int& base, int& height) noexcept {
    const bool vertical = direction == ArrowDirection::Up || direction == ArrowDirection::Down;
    const int side = vertical ? rect.right - rect.left : rect.bottom - rect.top;
    base = (side - 1) / 2;
    if (base % 2 == 0)
        ++base;
    height = base / 2 + 1;
}

RECT CentredSquare(const RECT& rect) noexcept {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    const int side = std::min(w, h);
    RECT square{0, 0, side, side};
    ::OffsetRect(&square, rect.left + (w - side) / 2, rect.top + (h - side) / 2);
    return square;
}

void DrawArrowIn(TcxCanvas& canvas, const RECT& rect, ArrowDirection direction, TColor color) {
    // The size rule gives a one-pixel arrow for a side of 0: an empty rectangle gets none.
    if (IsEmpty(rect))
        return;
    int base = 0, height = 0;
    ArrowSize(rect, direction, base, height);
    DrawTriangle(canvas, rect, direction, base, height, color);
}

HTHEME Theme(ThemedObjectType type) {
    return OpenThemeHandle(type);
}

/// The content rectangle of the push-button part inside (0, 0, 100, 100) on the screen's DC.
bool ButtonContentInsets(HTHEME theme, int state, RECT& content) {
    framework::WindowDc screen(nullptr);
    return SUCCEEDED(lookandfeel::GetThemeBackgroundContentRect(
        theme, screen.get(), kPushButtonPart, state, kMeasureRect, content));
}

/// SaveDC on construction, RestoreDC on destruction.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) noexcept : dc_(dc), saved_(::SaveDC(dc)) {}
    ~SavedDcState() {
        if (saved_ != 0)
            ::RestoreDC(dc_, saved_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC dc_;
    int saved_;
};

// --- Default colours ---------------------------------------------------------------------------

constexpr int Index(TcxDefaultColor which) noexcept {
    return static_cast<int>(which);
}

/// The root painter's default colours, in the order of TcxDefaultColor. TreeLine repeats
/// GridLine through the virtual query, so it has no value of its own here.
constexpr std::array<TColor, kDefaultColorCount> kRootDefaultColors{
    clWindow,    clWindowText, clBtnShadow,     clBtnHighlight,  clBtnText,    clBtnFace, clBtnText,
    clBtnShadow, clBtnFace,    clBtnText,       clBtnShadow,     clBtnFace,    clBtnFace, clBtnText,
    clBtnShadow, clBtnFace,    0xFF0000,        clBtnFace,       clBtnText,    0xFF0000,  clDefault,
    clBtnFace,   clHighlight,  clHighlightText, clWindow,        clWindowText, 0x0000FF,  clBtnFace,
    0xD5FFFF,    clWindowText, clHighlight,     clHighlightText, clBtnFace,    clBtnFace, clBtnText,
    clBtnFace,   0xFFFFFF,     0x000000,        clBtnFace,       clBtnText,    0xFFFFFF,  0x000000,
    0x000000,    0x000000,     0xCFCFCF,        0xFFFFFF,        clBtnShadow,  0xF0CAA6,  0x800000,
    clBtnShadow, clBtnShadow,
};

// --- Ultra-flat colour cache -------------------------------------------------------------------

// The hot and pressed faces are blends that need a screen DC each time they are computed; a
// button asks for them on every paint. Once the module runs they are kept, and a primary
// system-colour notifier (told before the controls repaint) computes them again.
struct UltraFlatColorCache {
    TColor hot = clDefault;
    TColor pressed = clDefault;
    std::unique_ptr<TcxSystemPaletteChangedNotifier> notifier;

    void Refresh() {
        hot = LightSelectionColor();
        pressed = LightPressedColor();
    }
};

UltraFlatColorCache& ColorCache() noexcept {
    static UltraFlatColorCache cache;
    return cache;
}

TColor UltraFlatHotColor() {
    const UltraFlatColorCache& cache = ColorCache();
    return cache.notifier ? cache.hot : LightSelectionColor();
}

TColor UltraFlatPressedColor() {
    const UltraFlatColorCache& cache = ColorCache();
    return cache.notifier ? cache.pressed : LightPressedColor();
}

} // namespace

TcxLookAndFeelKind StyleToKind(PainterStyle style) noexcept {
    switch (style) {
    case PainterStyle::Flat: return lfFlat;
    case PainterStyle::UltraFlat: return lfUltraFlat;
    case PainterStyle::Office11: return lfOffice11;
    default: return lfStandard;
    }
}

// =============================================================================================
// Root

const TcxCustomLookAndFeelPainter& TcxCustomLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxCustomLookAndFeelPainter>();
}
PainterStyle TcxCustomLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Standard;
}

TColor TcxCustomLookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    const int index = Index(which);
    if (index < 0 || index >= kDefaultColorCount)
        return clDefault;
    if (which == TcxDefaultColor::TreeLine)
        return DefaultColor(TcxDefaultColor::GridLine);
    return kRootDefaultColors[static_cast<size_t>(index)];
}

void TcxCustomLookAndFeelPainter::PaintSmallArrow(TcxCanvas& canvas, const RECT& rect,
                                                  TColor color) const {
    // Five pixels wide and three high, or the largest such triangle the rectangle holds.
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    int base = std::min({5, w, 2 * h - 1});
    if (base % 2 == 0)
        --base;
    DrawTriangle(canvas, rect, ArrowDirection::Down, base, base / 2 + 1, color);
}

void TcxCustomLookAndFeelPainter::PaintArrow(TcxCanvas& canvas, const RECT& rect,
                                             ArrowDirection direction, TColor color) const {
    DrawArrowIn(canvas, CentredSquare(rect), direction, color);
}

void TcxCustomLookAndFeelPainter::PaintArrowButton(TcxCanvas& canvas, const RECT& rect,
                                                   TcxButtonState state, ArrowDirection direction,
                                                   bool asButton) const {
    if (asButton)
        PaintButtonFace(canvas, rect, state);
    else
        Fill(canvas, rect, ButtonFaceColor(state));
    DrawArrowIn(canvas, rect, direction, ButtonCaptionColor(state, clDefault));
}

void TcxCustomLookAndFeelPainter::PaintDropDownArrow(TcxCanvas& canvas, const RECT& rect,
                                                     TcxButtonState state,
                                                     ArrowDirection direction) const {
    RECT r = CentredSquare(rect);
    if (state == cxbsPressed)
        ::OffsetRect(&r, ButtonPressedShift(), ButtonPressedShift());
    if (state == cxbsDisabled) {
        RECT emboss = r;
        ::OffsetRect(&emboss, 1, 1);
        DrawArrowIn(canvas, emboss, direction, clBtnHighlight);
        DrawArrowIn(canvas, r, direction, clBtnShadow);
    } else {
        DrawArrowIn(canvas, r, direction, ButtonCaptionColor(state, clDefault));
    }
}

int TcxCustomLookAndFeelPainter::ControlBorderWidth() const {
    return 0;
}
void TcxCustomLookAndFeelPainter::PaintControlBorder(TcxCanvas&, const RECT&) const {}

RECT TcxCustomLookAndFeelPainter::AdjustButtonPaintBounds(const RECT& rect) const {
    return rect;
}
int TcxCustomLookAndFeelPainter::ButtonFrameWidth(TcxButtonState) const {
    return 0;
}
TColor TcxCustomLookAndFeelPainter::ButtonFaceColor(TcxButtonState) const {
    return clBtnFace;
}

RECT TcxCustomLookAndFeelPainter::InsetFocusBounds(const RECT& rect, int inset) noexcept {
    RECT inner = Deflated(rect, inset);
    return IsEmpty(inner) ? rect : inner;
}

RECT TcxCustomLookAndFeelPainter::ButtonFocusBounds(TcxCanvas&, const RECT& rect) const {
    return InsetFocusBounds(rect, 4);
}

TcxFrameWidths TcxCustomLookAndFeelPainter::ButtonGroupFrameWidths(int, int) const {
    const int w = ButtonFrameWidth(cxbsNormal);
    return {w, w, w, w};
}

int TcxCustomLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 0;
}
int TcxCustomLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 0;
}

TColor TcxCustomLookAndFeelPainter::ClassicCaptionColor(TcxButtonState state,
                                                        TColor requested) noexcept {
    if (state == cxbsDisabled)
        return clBtnShadow;
    return requested == clDefault ? clBtnText : requested;
}

TColor TcxCustomLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state,
                                                       TColor requested) const {
    return ClassicCaptionColor(state, requested);
}

bool TcxCustomLookAndFeelPainter::ButtonHotTracks(bool defaultValue) const noexcept {
    return defaultValue;
}
bool TcxCustomLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return false;
}

void TcxCustomLookAndFeelPainter::PaintButton(TcxCanvas& canvas, const RECT& rect,
                                              std::string_view caption, TcxButtonState state,
                                              bool drawFrame, TColor faceColor,
                                              TColor textColor) const {
    PaintButtonClassic(canvas, rect, caption, state, drawFrame, faceColor, textColor);
}

void TcxCustomLookAndFeelPainter::PaintButtonClassic(TcxCanvas& canvas, const RECT& rect,
                                                     std::string_view caption, TcxButtonState state,
                                                     bool drawFrame, TColor faceColor,
                                                     TColor textColor) const {
    RECT r = rect;
    if (drawFrame) {
        PaintButtonFrame(canvas, r, state);
        r = Deflated(r, ButtonFrameWidth(state));
    }
    Fill(canvas, r, faceColor == clDefault ? ButtonFaceColor(state) : faceColor);
    canvas.Font().SetColor(textColor == clDefault ? ButtonCaptionColor(state, clDefault)
                                                  : textColor);
    canvas.Brush().SetStyle(framework::bsClear);
    // The caption box gets an even height and, when lower than 18 pixels, one more pixel at the
    // top: with an even text height that lifts the caption of a low button by one pixel.
    if ((r.bottom - r.top) % 2 != 0)
        --r.bottom;
    if (r.bottom - r.top < 18)
        --r.top;
    if (state == cxbsPressed)
        ::OffsetRect(&r, ButtonPressedShift(), ButtonPressedShift());
    // A button smaller than its frame leaves an inverted box, which GDI would take as the
    // rectangle between its corners and draw the caption outside the button.
    if (!caption.empty() && !IsEmpty(r))
        canvas.DrawText(caption, r, kButtonCaptionFlags, state != cxbsDisabled);
    canvas.Brush().SetStyle(framework::bsSolid);
}

void TcxCustomLookAndFeelPainter::PaintButtonFrame(TcxCanvas&, const RECT&, TcxButtonState) const {}

bool TcxCustomLookAndFeelPainter::ButtonNeedsParentBackground() const {
    return false;
}

void TcxCustomLookAndFeelPainter::PaintButtonFace(TcxCanvas& canvas, const RECT& rect,
                                                  TcxButtonState state) const {
    Fill(canvas, rect, ButtonFaceColor(state));
    PaintButtonFrame(canvas, rect, state);
}

TColor TcxCustomLookAndFeelPainter::CheckButtonColor(TcxButtonState state) const noexcept {
    return state == cxbsPressed || state == cxbsDisabled ? clBtnFace : clWindow;
}
bool TcxCustomLookAndFeelPainter::DrawExpandButtonFirst() const noexcept {
    return true;
}
int TcxCustomLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 0;
}
bool TcxCustomLookAndFeelPainter::IsPointOverExpandButton(POINT point,
                                                          const RECT& rect) const noexcept {
    return ::PtInRect(&rect, point) != FALSE;
}

// =============================================================================================
// Standard

const TcxStandardLookAndFeelPainter& TcxStandardLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxStandardLookAndFeelPainter>();
}
PainterStyle TcxStandardLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Standard;
}

TColor TcxStandardLookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    if (which == TcxDefaultColor::SortedColumn)
        return clWindow;
    return TcxCustomLookAndFeelPainter::DefaultColor(which);
}

int TcxStandardLookAndFeelPainter::ControlBorderWidth() const {
    return 2;
}
void TcxStandardLookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    TwoColorFrame(canvas, rect, clBtnShadow, clBtnHighlight);
    TwoColorFrame(canvas, Deflated(rect, 1), framework::cl3DDkShadow, framework::cl3DLight);
}

int TcxStandardLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == cxbsDefault ? 3 : 2;
}
int TcxStandardLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 1;
}
int TcxStandardLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 1;
}
bool TcxStandardLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return false;
}

void TcxStandardLookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                     TcxButtonState state) const {
    RECT r = rect;
    if (state == cxbsDefault || state == cxbsPressed) {
        Frame(canvas, r, kBlack);
        r = Deflated(r, 1);
    }
    if (state == cxbsPressed) {
        TwoColorFrame(canvas, r, clBtnShadow, clBtnShadow);
        return;
    }
    TwoColorFrame(canvas, r, clBtnHighlight, framework::cl3DDkShadow);
    TwoColorFrame(canvas, Deflated(r, 1), framework::cl3DLight, clBtnShadow);
}

int TcxStandardLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 12;
}

// =============================================================================================
// WinXP

const TcxWinXPLookAndFeelPainter& TcxWinXPLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxWinXPLookAndFeelPainter>();
}
PainterStyle TcxWinXPLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Native;
}

int TcxWinXPLookAndFeelPainter::ButtonStateId(TcxButtonState state) noexcept {
    switch (state) {
    case cxbsDefault: return 5;
    case cxbsNormal: return 1;
    case cxbsHot: return 2;
    case cxbsPressed: return 3;
    case cxbsDisabled: return 4;
    }
    return 1;
}

TColor TcxWinXPLookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    if (which == TcxDefaultColor::SortedColumn)
        return TcxCustomLookAndFeelPainter::DefaultColor(which);
    if (which == TcxDefaultColor::ContainerBorder) {
        COLORREF color = 0;
        if (HTHEME theme = Theme(ThemedObjectType::ComboBox);
            theme && SUCCEEDED(lookandfeel::GetThemeColor(theme, kComboBoxPart, 1,
                                                          kBorderColorProperty, &color)))
            return static_cast<TColor>(color);
    }
    return TcxStandardLookAndFeelPainter::DefaultColor(which);
}

void TcxWinXPLookAndFeelPainter::PaintArrowButton(TcxCanvas& canvas, const RECT& rect,
                                                  TcxButtonState state, ArrowDirection direction,
                                                  bool asButton) const {
    // The theme draws a part of its own size into an empty rectangle, even outside it.
    if (IsEmpty(rect))
        return;
    if (HTHEME theme = Theme(ThemedObjectType::ScrollBar)) {
        static constexpr int kOffset[] = {1, 1, 2, 3, 4}; // default, normal, hot, pressed, disabled
        const int stateId = 4 * static_cast<int>(direction) + kOffset[state <= 4 ? state : 1];
        if (SUCCEEDED(lookandfeel::DrawThemeBackground(theme, canvas.Handle(), kScrollBarArrowPart,
                                                       stateId, rect)))
            return;
    }
    TcxStandardLookAndFeelPainter::PaintArrowButton(canvas, rect, state, direction, asButton);
}

int TcxWinXPLookAndFeelPainter::ControlBorderWidth() const {
    return Theme(ThemedObjectType::ListView) ? 1
                                             : TcxStandardLookAndFeelPainter::ControlBorderWidth();
}

void TcxWinXPLookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    if (IsEmpty(rect))
        return;
    if (HTHEME theme = Theme(ThemedObjectType::ListView)) {
        HDC dc = canvas.Handle();
        SavedDcState saved(dc);
        // A border one pixel thin has no inside; GDI would take the inverted rectangle as the one
        // between its corners and keep part of the border from being drawn.
        if (const RECT inner = Deflated(rect, 1); !IsEmpty(inner))
            ::ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
        lookandfeel::DrawThemeBackground(theme, dc, kListViewBorderPart, 0, rect);
        return;
    }
    TcxStandardLookAndFeelPainter::PaintControlBorder(canvas, rect);
}

RECT TcxWinXPLookAndFeelPainter::AdjustButtonPaintBounds(const RECT& rect) const {
    HTHEME theme = Theme(ThemedObjectType::Button);
    if (theme && lookandfeel::IsThemeBackgroundPartiallyTransparent(theme, kPushButtonPart, 1))
        return Deflated(rect, -1);
    return rect;
}

int TcxWinXPLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    RECT content{};
    if (HTHEME theme = Theme(ThemedObjectType::Button);
        theme && ButtonContentInsets(theme, ButtonStateId(state), content))
        return content.left;
    // Also for the default state, whose classic frame is 3 wide: the face fill then covers its
    // innermost line.
    return 2;
}

TColor TcxWinXPLookAndFeelPainter::ButtonFaceColor(TcxButtonState state) const {
    COLORREF color = 0;
    if (HTHEME theme = Theme(ThemedObjectType::Button);
        theme && SUCCEEDED(lookandfeel::GetThemeColor(theme, kPushButtonPart, ButtonStateId(state),
                                                      kColorProperty, &color)))
        return static_cast<TColor>(color);
    // A theme without that colour (Wine's own style has none) is treated as no theme.
    return TcxStandardLookAndFeelPainter::ButtonFaceColor(state);
}

RECT TcxWinXPLookAndFeelPainter::ButtonFocusBounds(TcxCanvas& canvas, const RECT& rect) const {
    RECT content{};
    if (HTHEME theme = Theme(ThemedObjectType::Button);
        theme && SUCCEEDED(lookandfeel::GetThemeBackgroundContentRect(
                     theme, canvas.Handle(), kPushButtonPart, 1, rect, content)))
        return IsEmpty(content) ? rect : content;
    return InsetFocusBounds(rect, 4);
}

TcxFrameWidths TcxWinXPLookAndFeelPainter::ButtonGroupFrameWidths(int count, int index) const {
    RECT content{};
    if (HTHEME theme = Theme(ThemedObjectType::Button);
        theme && ButtonContentInsets(theme, 1, content)) {
        const int grow =
            lookandfeel::IsThemeBackgroundPartiallyTransparent(theme, kPushButtonPart, 1) ? 1 : 0;
        return {content.left + grow, content.top + grow, kMeasureRect.right - content.right + grow,
                kMeasureRect.bottom - content.bottom + grow};
    }
    return TcxStandardLookAndFeelPainter::ButtonGroupFrameWidths(count, index);
}

int TcxWinXPLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 2;
}
int TcxWinXPLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 0;
}

TColor TcxWinXPLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state,
                                                      TColor requested) const {
    COLORREF color = 0;
    if (HTHEME theme = Theme(ThemedObjectType::Button);
        theme && SUCCEEDED(lookandfeel::GetThemeColor(theme, kPushButtonPart, ButtonStateId(state),
                                                      kTextColorProperty, &color)))
        return static_cast<TColor>(color);
    return ClassicCaptionColor(state, requested);
}

bool TcxWinXPLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return true;
}

void TcxWinXPLookAndFeelPainter::PaintButton(TcxCanvas& canvas, const RECT& rect,
                                             std::string_view caption, TcxButtonState state,
                                             bool drawFrame, TColor faceColor,
                                             TColor textColor) const {
    if (IsEmpty(rect))
        return;
    // A theme that refuses to draw the part leaves the classic button rather than nothing.
    if (HTHEME theme = Theme(ThemedObjectType::Button);
        theme && SUCCEEDED(lookandfeel::DrawThemeBackground(theme, canvas.Handle(), kPushButtonPart,
                                                            ButtonStateId(state), rect))) {
        if (!caption.empty())
            DrawThemedText(canvas, ThemedObjectType::Button, kPushButtonPart, ButtonStateId(state),
                           caption, rect, kThemeButtonTextFlags);
        return;
    }
    PaintButtonClassic(canvas, rect, caption, state, drawFrame, faceColor, textColor);
}

void TcxWinXPLookAndFeelPainter::PaintButtonFace(TcxCanvas& canvas, const RECT& rect,
                                                 TcxButtonState state) const {
    if (IsEmpty(rect))
        return;
    if (HTHEME theme = Theme(ThemedObjectType::Button);
        theme && SUCCEEDED(lookandfeel::DrawThemeBackground(theme, canvas.Handle(), kPushButtonPart,
                                                            ButtonStateId(state), rect)))
        return;
    TcxStandardLookAndFeelPainter::PaintButtonFace(canvas, rect, state);
}

bool TcxWinXPLookAndFeelPainter::ButtonNeedsParentBackground() const {
    HTHEME theme = Theme(ThemedObjectType::Button);
    return theme && lookandfeel::IsThemeBackgroundPartiallyTransparent(theme, kPushButtonPart, 1);
}

bool TcxWinXPLookAndFeelPainter::DrawExpandButtonFirst() const noexcept {
    return false;
}

bool TcxWinXPLookAndFeelPainter::DrawThemedText(TcxCanvas& canvas, ThemedObjectType type, int part,
                                                int state, std::string_view text, const RECT& rect,
                                                DWORD textFlags) const {
    HTHEME theme = Theme(type);
    if (!theme)
        return false;
    // The theme draws with the DC's font: make the canvas's font current first.
    if (!canvas.Canvas().RequiredState(framework::csHandleValid | framework::csFontValid))
        return false;
    const std::string terminated(text); // -1: up to the first NUL
    return SUCCEEDED(lookandfeel::DrawThemeText(theme, canvas.Handle(), part, state,
                                                terminated.c_str(), -1, textFlags, 0, &rect));
}

// =============================================================================================
// Flat

const TcxFlatLookAndFeelPainter& TcxFlatLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxFlatLookAndFeelPainter>();
}
PainterStyle TcxFlatLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Flat;
}

int TcxFlatLookAndFeelPainter::ControlBorderWidth() const {
    return 1;
}
void TcxFlatLookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    TwoColorFrame(canvas, rect, clBtnShadow, clBtnHighlight);
}
int TcxFlatLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == cxbsDefault ? 2 : 1;
}
int TcxFlatLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 1;
}
int TcxFlatLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 1;
}
bool TcxFlatLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return false;
}

void TcxFlatLookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                 TcxButtonState state) const {
    RECT r = rect;
    switch (state) {
    case cxbsDefault:
        Frame(canvas, r, kBlack);
        r = Deflated(r, 1);
        TwoColorFrame(canvas, r, clBtnHighlight, clBtnShadow);
        break;
    case cxbsPressed: TwoColorFrame(canvas, r, clBtnShadow, clBtnHighlight); break;
    default: TwoColorFrame(canvas, r, clBtnHighlight, clBtnShadow); break;
    }
}

int TcxFlatLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 11;
}

// =============================================================================================
// UltraFlat

const TcxUltraFlatLookAndFeelPainter& TcxUltraFlatLookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxUltraFlatLookAndFeelPainter>();
}
PainterStyle TcxUltraFlatLookAndFeelPainter::Style() const noexcept {
    return PainterStyle::UltraFlat;
}

TColor TcxUltraFlatLookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    if (which == TcxDefaultColor::ContainerBorder)
        return clBtnShadow;
    return TcxCustomLookAndFeelPainter::DefaultColor(which);
}

int TcxUltraFlatLookAndFeelPainter::ControlBorderWidth() const {
    return 1;
}
void TcxUltraFlatLookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    Frame(canvas, rect, clBtnShadow);
}
int TcxUltraFlatLookAndFeelPainter::ButtonFrameWidth(TcxButtonState state) const {
    return state == cxbsDefault ? 2 : 1;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonFaceColor(TcxButtonState state) const {
    switch (state) {
    case cxbsHot: return UltraFlatHotColor();
    case cxbsPressed: return UltraFlatPressedColor();
    default: return clBtnFace;
    }
}

RECT TcxUltraFlatLookAndFeelPainter::ButtonFocusBounds(TcxCanvas&, const RECT& rect) const {
    return InsetFocusBounds(rect, 3);
}

TcxFrameWidths TcxUltraFlatLookAndFeelPainter::ButtonGroupFrameWidths(int count, int index) const {
    TcxFrameWidths widths{1, 2, 1, 2};
    if (index == 0)
        ++widths.Left;
    else if (index == count - 1)
        ++widths.Right;
    return widths;
}

int TcxUltraFlatLookAndFeelPainter::ButtonContentIndent() const noexcept {
    return 2;
}
int TcxUltraFlatLookAndFeelPainter::ButtonPressedShift() const noexcept {
    return 0;
}

TColor TcxUltraFlatLookAndFeelPainter::ButtonCaptionColor(TcxButtonState state,
                                                          TColor requested) const {
    if (state == cxbsPressed)
        return clHighlightText;
    return ClassicCaptionColor(state, requested);
}

bool TcxUltraFlatLookAndFeelPainter::ButtonHotTracks(bool) const noexcept {
    return true;
}
bool TcxUltraFlatLookAndFeelPainter::PushButtonHotTrack() const noexcept {
    return true;
}

void TcxUltraFlatLookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                      TcxButtonState state) const {
    switch (state) {
    case cxbsDefault:
        Frame(canvas, rect, framework::clWindowFrame);
        Frame(canvas, Deflated(rect, 1), framework::clWindowFrame);
        break;
    case cxbsPressed:
    case cxbsHot: Frame(canvas, rect, clHighlight); break;
    case cxbsDisabled: Frame(canvas, rect, clBtnShadow); break;
    default: Frame(canvas, rect, clBtnText); break;
    }
}

int TcxUltraFlatLookAndFeelPainter::ExpandButtonSize() const noexcept {
    return 11;
}

TColor TcxUltraFlatLookAndFeelPainter::ToolButtonBorderColor(TcxButtonState state) const {
    return state == cxbsNormal ? clBtnShadow : clHighlight;
}
TColor TcxUltraFlatLookAndFeelPainter::SeparatorColor() const {
    return clBtnShadow;
}
TColor TcxUltraFlatLookAndFeelPainter::ToolButtonTextColor() const {
    return clBtnText;
}
TColor TcxUltraFlatLookAndFeelPainter::HighlightBorderColor() const {
    return clHighlight;
}

// =============================================================================================
// Office 11

const TcxOffice11LookAndFeelPainter& TcxOffice11LookAndFeelPainter::Instance() noexcept {
    return Singleton<TcxOffice11LookAndFeelPainter>();
}
PainterStyle TcxOffice11LookAndFeelPainter::Style() const noexcept {
    return PainterStyle::Office11;
}

TColor TcxOffice11LookAndFeelPainter::DefaultColor(TcxDefaultColor which) const {
    using D = TcxDefaultColor;
    switch (which) {
    case D::ContentDarkEdge: return Office11DarkEdgeColor();
    case D::ContentLightEdge: return Office11LightEdgeColor();
    case D::FilterBox:
    case D::Indicator:
    case D::Panel: return Office11FaceColor();
    case D::FilterBoxText: return DefaultColor(D::GroupText);
    case D::Header: return Office11HeaderColor();
    case D::Group: return Office11GroupColor();
    case D::GroupByBox: return Office11LightGradientColor();
    case D::GroupByBoxMiddle: return Office11MiddleGradientColor();
    case D::GroupByBoxLine: return DefaultColor(D::Group);
    case D::Selection: return Office11SelectionColor();
    case D::SelectionText: return clWindowText;
    case D::ContainerBorder: return Office11LineColor();
    case D::Footer: return Office11FooterColor();
    case D::LayoutView: return Office11LightFaceColor();
    case D::TabBody: return DefaultColor(D::LayoutView);
    case D::FooterCell: return DefaultColor(D::Footer);
    default: return TcxUltraFlatLookAndFeelPainter::DefaultColor(which);
    }
}

void TcxOffice11LookAndFeelPainter::PaintControlBorder(TcxCanvas& canvas, const RECT& rect) const {
    Frame(canvas, rect, Office11BorderColor());
}

TColor TcxOffice11LookAndFeelPainter::ButtonFaceColor(TcxButtonState state) const {
    switch (state) {
    case cxbsHot: return Office11HotFaceColor();
    case cxbsPressed: return Office11PressedFaceColor();
    case cxbsDisabled: return clBtnFace;
    default: return Office11FaceColor();
    }
}

TColor TcxOffice11LookAndFeelPainter::ButtonCaptionColor(TcxButtonState state, TColor) const {
    if (state == cxbsPressed && !Office11SchemeActive())
        return clHighlightText;
    if (state == cxbsDisabled)
        return Office11DisabledTextColor();
    return Office11TextColor();
}

void TcxOffice11LookAndFeelPainter::PaintButtonFrame(TcxCanvas& canvas, const RECT& rect,
                                                     TcxButtonState state) const {
    switch (state) {
    case cxbsDefault: TcxUltraFlatLookAndFeelPainter::PaintButtonFrame(canvas, rect, state); break;
    case cxbsPressed:
    case cxbsHot: Frame(canvas, rect, Office11HotFrameColor()); break;
    case cxbsDisabled: Frame(canvas, rect, Office11DisabledTextColor()); break;
    default: Frame(canvas, rect, clBtnText); break;
    }
}

bool TcxOffice11LookAndFeelPainter::DrawExpandButtonFirst() const noexcept {
    return false;
}

TColor TcxOffice11LookAndFeelPainter::ToolButtonBorderColor(TcxButtonState state) const {
    return state == cxbsNormal ? Office11Entry(14) : Office11HotFrameColor();
}
TColor TcxOffice11LookAndFeelPainter::HighlightBorderColor() const {
    return Office11HotFrameColor();
}
TColor TcxOffice11LookAndFeelPainter::DarkGradientColor() const {
    return Office11DarkGradientColor();
}
TColor TcxOffice11LookAndFeelPainter::BandBorderColor() const {
    return Office11Entry(14);
}
TColor TcxOffice11LookAndFeelPainter::BandBackgroundColor() const {
    return Office11Entry(15);
}
TColor TcxOffice11LookAndFeelPainter::MiddleGradientColor() const {
    return Office11MiddleGradientColor();
}

// =============================================================================================
// Module

void InitializePainters() {
    UltraFlatColorCache& cache = ColorCache();
    if (cache.notifier)
        return;
    cache.Refresh();
    auto notifier = std::make_unique<TcxSystemPaletteChangedNotifier>(true);
    notifier->OnColorsChanged = [] { ColorCache().Refresh(); };
    cache.notifier = std::move(notifier);
}

void FinalizePainters() noexcept {
    ColorCache().notifier.reset();
}

} // namespace lookandfeel
