// RegistryApi.h - the registry functions the catalogue calls, as a replaceable table.
//
// Classes and functions in this file:
//   RegistryApi          table of the six advapi32 functions the registry wrapper uses
//   NativeRegistryApi()  the table of the real advapi32 functions
//   CurrentRegistryApi() the table in force; every registry call of the catalogue goes through it
//   ScopedRegistryApi    installs a replacement table for one scope (tests inject failures with it)
//   UniqueHkey           move-only owner of an opened key, closed through the table in force
#pragma once

#include "framework/Handles.h"

#include <windows.h>

namespace catalogue {

/// The registry functions of advapi32 (ANSI forms) that the catalogue calls. A replacement table
/// must fill every entry; entries take exactly the parameters of the advapi32 function they stand
/// for and return its status code.
struct RegistryApi {
    decltype(&::RegOpenKeyExA) OpenKeyEx;
    decltype(&::RegCloseKey) CloseKey;
    decltype(&::RegQueryInfoKeyA) QueryInfoKey;
    decltype(&::RegEnumKeyExA) EnumKeyEx;
    decltype(&::RegQueryValueExA) QueryValueEx;
    decltype(&::RegDeleteKeyA) DeleteKey;
};

/// The table of the real advapi32 functions.
const RegistryApi& NativeRegistryApi() noexcept;

/// The table in force: the native one unless a ScopedRegistryApi has replaced it.
const RegistryApi& CurrentRegistryApi() noexcept;

/// Replaces the table in force for its own lifetime and puts the previous table back when it is
/// destroyed. Overrides nest (innermost wins) and must end in reverse order of creation, which
/// scoped objects do by themselves. Main thread only, like the rest of the catalogue.
class ScopedRegistryApi {
public:
    /// Installs a copy of replacement.
    explicit ScopedRegistryApi(const RegistryApi& replacement) noexcept;
    ~ScopedRegistryApi();

    ScopedRegistryApi(const ScopedRegistryApi&) = delete;
    ScopedRegistryApi& operator=(const ScopedRegistryApi&) = delete;

    /// The table that was in force before this override; a replacement usually forwards to it.
    const RegistryApi& Previous() const noexcept { return previous_; }

private:
    RegistryApi previous_;
};

namespace detail {
struct HkeyTraits {
    using Type = HKEY;
    static constexpr HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { CurrentRegistryApi().CloseKey(h); }
};
} // namespace detail

/// Owner of a key handle this code opened (never a predefined root such as HKEY_CURRENT_USER).
/// Closed with RegCloseKey through the table in force at the time of closing.
using UniqueHkey = framework::UniqueHandle<detail::HkeyTraits>;

} // namespace catalogue
