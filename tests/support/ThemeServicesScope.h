// ThemeServicesScope.h - runs the theme services for the lifetime of a test scope.
#pragma once

#include "lookandfeel/ThemeServices.h"

namespace testsupport {

/// InitializeThemeServices on construction, FinalizeThemeServices on destruction. Create it after
/// any ScopedThemeSystemApi (so that the library is freed through the same loader) and before any
/// ScopedThemeFunction (so that the binding is in place when the entry is replaced).
class ScopedThemeServices {
public:
    ScopedThemeServices() { lookandfeel::InitializeThemeServices(); }
    ~ScopedThemeServices() { lookandfeel::FinalizeThemeServices(); }
    ScopedThemeServices(const ScopedThemeServices&) = delete;
    ScopedThemeServices& operator=(const ScopedThemeServices&) = delete;
};

} // namespace testsupport
