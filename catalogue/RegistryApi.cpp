// RegistryApi.cpp - the native registry table, the table in force and its scoped override.
#include "catalogue/RegistryApi.h"

namespace catalogue {

namespace {

// advapi32's functions are imported, so their addresses are only known at load time; function-local
// statics keep the tables usable from any static initialiser.
RegistryApi& Current() noexcept {
    // One thread uses the catalogue, so a plain variable is enough.
    static RegistryApi current = NativeRegistryApi();
    return current;
}

} // namespace

const RegistryApi& NativeRegistryApi() noexcept {
    static const RegistryApi native{&::RegOpenKeyExA, &::RegCloseKey,      &::RegQueryInfoKeyA,
                                    &::RegEnumKeyExA, &::RegQueryValueExA, &::RegDeleteKeyA};
    return native;
}

const RegistryApi& CurrentRegistryApi() noexcept {
    return Current();
}

ScopedRegistryApi::ScopedRegistryApi(const RegistryApi& replacement) noexcept
    : previous_(Current()) {
    Current() = replacement;
}

ScopedRegistryApi::~ScopedRegistryApi() {
    Current() = previous_;
}

} // namespace catalogue
