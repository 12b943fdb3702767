// cxSystemPalette.h - the system colour-change broadcast.
//
// Classes and functions in this file:
//   TcxSystemPaletteChangedNotifier   a subscription to system colour changes (primary ones are
//                                     told first; caches of colour-derived data are primary)
//   SystemPaletteChangedWindow        the hidden window that hears WM_SYSCOLORCHANGE
//
// Everything here runs on the GUI thread only.
#pragma once

#include <windows.h>

#include <functional>

namespace lookandfeel {

/// Told when the system colours change (WM_SYSCOLORCHANGE). One hidden top-level window serves
/// every notifier; it exists while at least one notifier does, and while it exists the program
/// holds the Office 11 palette. On the message the palette is refreshed first, then the primary
/// notifiers are told from the last made to the first, then the others likewise. A notifier may
/// destroy itself or others while being told; none is told twice and none that went away is told.
/// An exception escaping a notifier is reported through framework::HandleException and the rest
/// are still told.
class TcxSystemPaletteChangedNotifier {
public:
    explicit TcxSystemPaletteChangedNotifier(bool isPrimary = false);
    virtual ~TcxSystemPaletteChangedNotifier();
    TcxSystemPaletteChangedNotifier(const TcxSystemPaletteChangedNotifier&) = delete;
    TcxSystemPaletteChangedNotifier& operator=(const TcxSystemPaletteChangedNotifier&) = delete;

    bool IsPrimary() const noexcept { return isPrimary_; }

    /// Calls a copy of OnColorsChanged when it is set (so that the handler may destroy this
    /// notifier); subclasses override it.
    virtual void ColorsChanged();

    std::function<void()> OnColorsChanged;

private:
    const bool isPrimary_;
};

/// The hidden window that receives WM_SYSCOLORCHANGE, or null while no notifier exists.
HWND SystemPaletteChangedWindow() noexcept;

} // namespace lookandfeel
