// EntryScope.cpp - the root, view and path of an entry's key.
#include "catalogue/EntryScope.h"

#include "catalogue/Registry.h"

namespace catalogue {

std::optional<std::string> EntryPath(const std::string& keyName) {
    if (keyName.empty() || HoldsSeparator(keyName))
        return std::nullopt;
    return kEntryPathPrefix + keyName;
}

HKEY RootKeyOf(TEntryScope scope) noexcept {
    return scope == TEntryScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

REGSAM ViewOf(TEntryScope scope) noexcept {
    switch (scope) {
    case TEntryScope::System: return KEY_WOW64_64KEY;
    case TEntryScope::System32: return KEY_WOW64_32KEY;
    case TEntryScope::User: break;
    }
    return 0;
}

} // namespace catalogue
