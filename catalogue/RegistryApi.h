// RegistryApi.h - the registry functions the catalogue calls, as a replaceable table.
//
// Classes and functions in this file:
//   RegistryApi          table of the system functions the registry wrapper uses
//   NativeRegistryApi()  the table of the real advapi32 functions
//   CurrentRegistryApi() the table in force; every registry call of the catalogue goes through it
//   ScopedRegistryApi    installs a replacement table for one scope (tests inject failures with it)
//   UniqueHkey           move-only owner of an opened key, closed through the table in force
#pragma once

#include "framework/Handles.h"
#include "framework/ScopedOverride.h"

#include <windows.h>

namespace catalogue {

/// The native key-deletion call of ntdll: deletes the key of an open handle (a registry link
/// itself when the handle was opened with REG_OPTION_OPEN_LINK), which must have no subkeys and
/// have been opened with DELETE access. Returns an NTSTATUS.
using NtDeleteKeyFunction = LONG(NTAPI*)(HANDLE key);

/// The system functions that the catalogue calls for registry work: the registry functions of
/// advapi32 (ANSI forms for the catalogue and the deletion; wide forms for the one enumeration
/// that checks what an ANSI name stands for, for the backup, which needs every name exactly, and
/// for the deletion's last look at a key's values), ntdll's NtDeleteKey, through which every key
/// is deleted, and the process's ANSI code page. A replacement table must fill every entry;
/// entries take exactly the parameters of the function they stand for and return its result.
struct RegistryApi {
    decltype(&::RegOpenKeyExA) OpenKeyEx;
    decltype(&::RegCloseKey) CloseKey;
    decltype(&::RegQueryInfoKeyA) QueryInfoKey;
    decltype(&::RegEnumKeyExA) EnumKeyEx;
    decltype(&::RegQueryValueExA) QueryValueEx;
    /// The UTF-16 name of a subkey by index: what an ANSI name really stands for.
    decltype(&::RegEnumKeyExW) EnumKeyExW;
    NtDeleteKeyFunction NtDeleteKey;
    /// The code page of the ANSI calls (UTF-8 when the manifest's setting is honoured).
    decltype(&::GetACP) AnsiCodePage;
    /// Wide forms for reading a tree with its exact UTF-16 names.
    decltype(&::RegOpenKeyExW) OpenKeyExW;
    decltype(&::RegQueryInfoKeyW) QueryInfoKeyW;
    decltype(&::RegEnumValueW) EnumValueW;
};

/// The table of the real advapi32 functions.
const RegistryApi& NativeRegistryApi() noexcept;

/// The table in force: the native one unless a ScopedRegistryApi has replaced it.
const RegistryApi& CurrentRegistryApi() noexcept;

namespace detail {
/// The table in force, for ScopedRegistryApi to replace.
RegistryApi& MutableRegistryApi() noexcept;
} // namespace detail

/// Replaces the table in force for its own lifetime and puts the previous table back when it is
/// destroyed (Previous() gives that table; a replacement usually forwards to it). Overrides nest
/// (innermost wins) and must end in reverse order of creation, which scoped objects do by
/// themselves. Main thread only, like the rest of the catalogue.
using ScopedRegistryApi = framework::ScopedOverride<RegistryApi, &detail::MutableRegistryApi>;

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
