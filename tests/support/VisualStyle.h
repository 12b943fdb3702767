// VisualStyle.h - switching the desktop's visual style of the test prefix, for theme tests.
//
// In this file:
//   VisualStyleActive     whether this process's theme library reports an active style
//   SetVisualStyle        switches the style on or off, so that running programs really get
//                         WM_THEMECHANGED
//   ScopedVisualStyle     switches for its lifetime and restores the previous state
//   PumpPendingMessages   dispatches what is queued for this thread
//
// Tests that use these carry "// test-lock: theme".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace testsupport {

/// IsThemeActive of this process's theme library (called directly, not through the program's
/// binding, so that faked binding tables do not matter).
bool VisualStyleActive();

/// Switches the visual style on or off for the desktop and for this process. Wine keeps the style
/// state per process (read from HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager when
/// the theme library loads), so writing the registry alone changes nothing for a running program;
/// the switch goes through the theme library's own functions instead, which update this process,
/// write "ThemeActive" and post WM_THEMECHANGED to every top-level window and its children. Call
/// PumpPendingMessages afterwards to have it handled. Returns false if the switch could not be
/// made (the state is then unchanged). Switching to the present state does nothing and sends
/// nothing. Outside the test prefix it throws (RequireTestPrefix), even for the present state.
bool SetVisualStyle(bool active);

/// Dispatches every message queued for this thread.
void PumpPendingMessages();

/// Switches the style on construction and puts back, on destruction, this process's style state
/// and the "ThemeActive" and "DllName" registry values as they were, also when the test failed.
/// The constructor throws outside the test prefix, before anything is written.
class ScopedVisualStyle {
public:
    explicit ScopedVisualStyle(bool active);
    ~ScopedVisualStyle();
    ScopedVisualStyle(const ScopedVisualStyle&) = delete;
    ScopedVisualStyle& operator=(const ScopedVisualStyle&) = delete;

    /// Whether the switch of the constructor took effect.
    bool Switched() const noexcept { return switched_; }

private:
    bool wasActive_;
    std::optional<std::wstring> themeActiveValue_;
    std::optional<std::wstring> dllNameValue_;
    bool switched_;
};

} // namespace testsupport
