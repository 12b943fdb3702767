// cxWinXPPainter.cpp - the themed painter: the desktop's visual style, the Standard look where
// a theme class does not open.
#include "lookandfeel/cxPainterParts.h"
#include "framework/ScopeGuard.h"
#include "lookandfeel/ThemeLibrary.h"
#include "lookandfeel/ThemeManager.h"

#include <string>

namespace lookandfeel {

using namespace painter;

namespace {

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

HTHEME Theme(ThemedObjectType type) {
    return OpenThemeHandle(type);
}

/// The content rectangle of the push-button part inside (0, 0, 100, 100) on the screen's DC.
bool ButtonContentInsets(HTHEME theme, int state, RECT& content) {
    framework::WindowDc screen(nullptr);
    return SUCCEEDED(lookandfeel::GetThemeBackgroundContentRect(
        theme, screen.get(), kPushButtonPart, state, kMeasureRect, content));
}

} // namespace

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
        const int saved = ::SaveDC(dc);
        auto restore = framework::OnScopeExit([dc, saved] {
            if (saved != 0)
                ::RestoreDC(dc, saved);
        });
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

} // namespace lookandfeel
