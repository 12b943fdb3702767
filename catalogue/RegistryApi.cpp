// RegistryApi.cpp - the native registry table, the table in force and its scoped override.
#include "catalogue/RegistryApi.h"

namespace catalogue {

namespace {

LONG NTAPI MissingNtDeleteKey(HANDLE) {
    return static_cast<LONG>(0xC0000002L); // STATUS_NOT_IMPLEMENTED
}

// NtDeleteKey is not in every toolchain's import libraries; ntdll is loaded in every process.
NtDeleteKeyFunction NativeNtDeleteKey() noexcept {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    FARPROC proc = ntdll ? ::GetProcAddress(ntdll, "NtDeleteKey") : nullptr;
    // Through void (*)(): the generic function pointer type that converts to any other.
    return proc ? reinterpret_cast<NtDeleteKeyFunction>(reinterpret_cast<void (*)()>(proc))
                : &MissingNtDeleteKey;
}

} // namespace

const RegistryApi& NativeRegistryApi() noexcept {
    static const RegistryApi native{&::RegOpenKeyExA,    &::RegCloseKey,      &::RegQueryInfoKeyA,
                                    &::RegEnumKeyExA,    &::RegQueryValueExA, &::RegEnumKeyExW,
                                    NativeNtDeleteKey(), &::GetACP,           &::RegOpenKeyExW,
                                    &::RegQueryInfoKeyW, &::RegEnumValueW};
    return native;
}

// advapi32's functions are imported, so their addresses are only known at load time; function-local
// statics keep the tables usable from any static initialiser.
RegistryApi& detail::MutableRegistryApi() noexcept {
    // One thread uses the catalogue, so a plain variable is enough.
    static RegistryApi current = NativeRegistryApi();
    return current;
}

const RegistryApi& CurrentRegistryApi() noexcept {
    return detail::MutableRegistryApi();
}

} // namespace catalogue
