// EntryScope.h - where an uninstall entry lives: its scope, the scope's root key and registry
// view, and the path of the entry's key below that root.
//
// In this file:
//   TEntryScope        the machine's 64-bit view, its 32-bit view, the user
//   RootKeyOf, ViewOf  the root key and the view flag of a scope
//   kKeysAboveEntry    the keys from the root down to the Uninstall key, one level each
//   EntryPath          the only way a key name becomes a registry path
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace catalogue {

inline constexpr char kUninstallKeyPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr char kEntryPathPrefix[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
/// The components of kUninstallKeyPath, from the root down, as the registry's UTF-16 names.
inline constexpr const wchar_t* kKeysAboveEntry[] = {L"Software", L"Microsoft", L"Windows",
                                                     L"CurrentVersion", L"Uninstall"};

/// Where an entry lives. The value is the group of its node below its root.
enum class TEntryScope {
    System = 0,   ///< HKEY_LOCAL_MACHINE, 64-bit view
    System32 = 1, ///< HKEY_LOCAL_MACHINE, 32-bit view (what 32-bit installers write)
    User = 2,     ///< HKEY_CURRENT_USER, which has one view
};

/// The root key of a scope.
HKEY RootKeyOf(TEntryScope scope) noexcept;
/// The registry view flag that every open and delete in the scope names (0 for the user's hive).
REGSAM ViewOf(TEntryScope scope) noexcept;

/// The registry path of the entry key named keyName below the Uninstall key, or nothing when
/// keyName cannot be the name of one key: empty (the slot of a failed enumeration step, or of a
/// name the code page cannot hold; the path would name the Uninstall key itself) or holding a "\"
/// (it would reach below another key).
std::optional<std::string> EntryPath(const std::string& keyName);

} // namespace catalogue
