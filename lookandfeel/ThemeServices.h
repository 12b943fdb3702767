// ThemeServices.h - the theme services: the binding to the theme library (ThemeLibrary.h), the
// theme-handle cache and the theme-change broadcast (ThemeManager.h), and their module start-up
// and shut-down.
//
// Start-up binds the library and then starts the manager; shut-down runs in reverse and unloads
// the library last. Both run before any form exists and after every form is gone.
#pragma once

#include "lookandfeel/ThemeLibrary.h"
#include "lookandfeel/ThemeManager.h"

namespace lookandfeel {

/// Binds the theme library (version test, common controls, UxTheme.dll and its functions) and
/// starts the theme manager. Calling it again first shuts the services down.
void InitializeThemeServices();

/// Stops the theme manager (theme-change window, cached handles, notifier list) and then unloads
/// the library. Safe to call when not initialised, and more than once.
void FinalizeThemeServices() noexcept;

} // namespace lookandfeel
