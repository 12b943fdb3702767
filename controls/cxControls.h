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

namespace controls {

// --- Mouse tracking, popup menus and the work area ----------------------------------------------

// (mouse tracking section)

// --- The base control ---------------------------------------------------------------------------

// (base control section)

} // namespace controls
