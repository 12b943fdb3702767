// cxControls.h - the base of the skinned controls.
//
// Contents, in two sections:
//   Mouse tracking, popup menus and the work area: BeginMouseTracking / EndMouseTracking with
//   IcxMouseTrackingCaller and IcxMouseTrackingHitTest, IcxPopupMenuProvider,
//   ShowControlPopupMenu, IsMenuShortCut, GetMenuHeight, GetWorkArea.
//   The base control: TcxControl.
#pragma once

#include "framework/Controls.h"
#include "framework/Menus.h"
#include "lookandfeel/cxGraphics.h"
#include "lookandfeel/ThemeManager.h"
#include "lookandfeel/cxLookAndFeels.h"

#include <windows.h>

#include <memory>
#include <string_view>

namespace controls {

// --- Mouse tracking, popup menus and the work area ----------------------------------------------

/// What a control asks to be told when the cursor has left it (BeginMouseTracking). The caller
/// carries a liveness token: a tracking tick watches it while it calls out, so that a caller
/// destroyed meanwhile (by a handler of the leave notification) is never called. A caller's
/// tracking ends when it is destroyed.
class IcxMouseTrackingCaller {
public:
    /// The cursor has left the tracked bounds.
    virtual void MouseTrackingMouseLeave() = 0;
    /// Expires when the caller is destroyed.
    std::weak_ptr<const void> TrackingToken() const noexcept { return token_; }

protected:
    IcxMouseTrackingCaller() = default;
    IcxMouseTrackingCaller(const IcxMouseTrackingCaller&) = delete;
    IcxMouseTrackingCaller& operator=(const IcxMouseTrackingCaller&) = delete;
    ~IcxMouseTrackingCaller();

private:
    std::shared_ptr<const char> token_ = std::make_shared<const char>('\0');
};

/// Optional for a caller: decides whether a point in the control's client coordinates still
/// counts as inside (instead of the bounds given to BeginMouseTracking).
class IcxMouseTrackingHitTest {
public:
    virtual bool PtInCaller(POINT clientPoint) = 0;

protected:
    ~IcxMouseTrackingHitTest() = default;
};

/// A component that shows a menu of its own and knows its shortcuts; a control's popup-menu slot
/// takes it as it takes a framework TPopupMenu.
class IcxPopupMenuProvider {
public:
    /// Whether the key message is one of the menu's shortcuts.
    virtual bool IsShortCut(const MSG& keyMessage) = 0;
    /// Shows the menu at a screen point.
    virtual void Popup(int x, int y) = 0;

protected:
    ~IcxPopupMenuProvider() = default;
};

/// Starts watching the cursor every 10 ms for caller: once it is outside bounds (client
/// coordinates of control, taken to the screen now) or outside what the caller's hit test
/// accepts, the control is sent CM_MOUSELEAVE (when the cursor is outside its client area), the
/// caller is told and the tracking ends. Nothing happens when the caller is tracked already.
/// control must live as long as the caller's tracking; the caller ends it when the control goes.
void BeginMouseTracking(framework::TWinControl* control, const RECT& bounds,
                        IcxMouseTrackingCaller* caller);
/// Ends the caller's tracking, if any. Safe from inside the caller's leave handling.
void EndMouseTracking(IcxMouseTrackingCaller* caller) noexcept;
/// Whether the caller is being tracked.
bool IsMouseTracking(const IcxMouseTrackingCaller* caller) noexcept;
/// How many callers are being tracked.
size_t MouseTrackingCount() noexcept;

/// Shows menu (a TPopupMenu with AutoPopup, or an IcxPopupMenuProvider) for control at a screen
/// point; false when there is no menu to show.
bool ShowControlPopupMenu(framework::TWinControl* control, framework::TComponent* menu, int x,
                          int y);
/// Whether the key message is a shortcut of menu (a provider, or a TPopupMenu with a window).
bool IsMenuShortCut(framework::TComponent* menu, const MSG& keyMessage);
/// The estimated height in pixels of menu when shown.
int GetMenuHeight(const framework::TPopupMenu* menu);
/// The work area of the monitor nearest to a screen point.
RECT GetWorkArea(POINT screenPoint);

// --- The base control ---------------------------------------------------------------------------

/// The look-and-feel of a control as window definitions see it ("LookAndFeel.NativeStyle: True",
/// "Style.LookAndFeel.Kind: lfFlat"): the object it names is borrowed.
class TcxLookAndFeelProperties final : public framework::TPropertyObject {
public:
    explicit TcxLookAndFeelProperties(lookandfeel::TcxLookAndFeel& lookAndFeel) noexcept
        : lookAndFeel_(lookAndFeel) {}
    void ApplyProperty(const framework::DefinitionProperty& property,
                       framework::TDefinitionLoader& loader) override;
    std::string DisplayName() const override { return "LookAndFeel"; }

private:
    lookandfeel::TcxLookAndFeel& lookAndFeel_;
};

/// The base of the skinned controls: a custom control that owns a look-and-feel (following the
/// application's unless given another master) and draws through a TcxCanvas. The erase request is
/// answered as done unless IsEraseBackgroundNeeded says otherwise; mouse enter and leave, font,
/// caption and look-and-feel changes end in overridable operations.
class TcxControl : public framework::TCustomControl {
public:
    ~TcxControl() override;

    lookandfeel::TcxLookAndFeel& LookAndFeel() noexcept { return *lookAndFeel_; }
    /// Copies the settings of another look-and-feel onto this control's.
    void SetLookAndFeel(const lookandfeel::TcxLookAndFeel& value) { lookAndFeel_->Assign(value); }
    /// The drawing object over the control's canvas (the DC being painted during Paint).
    lookandfeel::TcxCanvas& cxCanvas() noexcept { return cxCanvas_; }

    framework::TPropertyObject* NestedObject(std::string_view name) override;

protected:
    TcxControl();

    /// The look-and-feel's effective values named in changed have changed: repaints by default.
    virtual void LookAndFeelChanged(lookandfeel::TcxLookAndFeel& sender,
                                    lookandfeel::TcxLookAndFeelValues changed);
    /// The desktop's visual style changed (the theme services' notice, told after their cached
    /// theme handles were closed): repaints by default, frame included, since the painter is
    /// chosen anew at every paint.
    virtual void ThemeChanged();
    /// Whether WM_ERASEBKGND erases (the framework's erase) instead of being answered as done.
    virtual bool IsEraseBackgroundNeeded() const { return false; }
    /// The mouse entered or left control (this control, or the one a notification named).
    virtual void MouseEnter(framework::TWinControl* control);
    virtual void MouseLeave(framework::TWinControl* control);
    /// The window's font (WM_SETFONT) or caption (WM_SETTEXT) has changed.
    virtual void FontChanged();
    virtual void TextChanged();

    bool NeedsEraseBackground() const final { return IsEraseBackgroundNeeded(); }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT CMMouseEnter(framework::TWinControl* control) override;
    LRESULT CMMouseLeave(framework::TWinControl* control) override;
    /// Repaints the whole window when it exists.
    void Invalidate();

private:
    std::unique_ptr<lookandfeel::TcxLookAndFeel> lookAndFeel_;
    TcxLookAndFeelProperties lookAndFeelProperties_;
    lookandfeel::TcxCanvas cxCanvas_;
    lookandfeel::ThemeChangeNotifier themeChange_;
};

} // namespace controls
