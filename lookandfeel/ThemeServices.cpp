// ThemeServices.cpp - module start-up and shut-down of the theme services.
#include "lookandfeel/ThemeServices.h"

namespace lookandfeel {

void InitializeThemeServices() {
    FinalizeThemeServices();
    BindThemeLibrary();
    InitializeThemeManager();
}

void FinalizeThemeServices() noexcept {
    FinalizeThemeManager();
    UnbindThemeLibrary();
}

} // namespace lookandfeel
