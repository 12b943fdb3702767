// cxControls.h - the base of the skinned controls.
//
// Contents, in two sections:
//   Mouse tracking, popup menus and the work area: BeginMouseTracking / EndMouseTracking with
//   IcxMouseTrackingCaller and IcxMouseTrackingHitTest, IcxPopupMenuProvider,
//   ShowControlPopupMenu, IsMenuShortCut, GetMenuHeight, GetWorkArea.
//   The base control: TcxControl.
//
// TODO: both sections.
#pragma once

#include "framework/Controls.h"
#include "framework/Menus.h"

#include <windows.h>

#include <memory>

namespace controls {

// --- Mouse tracking, popup menus and the work area ----------------------------------------------

// (mouse tracking section)

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

// (base control section)

} // namespace controls
