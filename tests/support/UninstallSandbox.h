// UninstallSandbox.h - the real Uninstall keys of the private test prefix, emptied for a test:
// HKLM's in the 64-bit view and in the 32-bit view, and HKCU's. Test programs that use it carry
// "// test-lock: registry-uninstall".
//
// In this file:
//   Scope             the three Uninstall keys
//   UninstallSandbox  empties them before and after a test, writes entries, values and links
//   (RegistryDump.h, included: the dumps that prove what a removal touched)
#pragma once

#include "tests/support/RegistryDump.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testsupport {

enum class Scope { Machine, Machine32, User };

/// The root key and the view flag of a scope.
HKEY RootOf(Scope scope);
REGSAM ViewOf(Scope scope);

class UninstallSandbox {
public:
    /// Empties the three Uninstall keys (creating missing ones); refuses to run outside the
    /// private test prefix.
    UninstallSandbox();
    /// Empties them again. Links inside are deleted as links, never followed.
    ~UninstallSandbox();
    UninstallSandbox(const UninstallSandbox&) = delete;
    UninstallSandbox& operator=(const UninstallSandbox&) = delete;

    /// Creates the entry key name below the scope's Uninstall key (and a "\"-separated path of
    /// subkeys below it when name holds one); with a display name, writes "DisplayName" as REG_SZ.
    void AddEntry(Scope scope, const std::string& name, const char* displayName = nullptr);
    /// The same with UTF-16 names, which may hold what UTF-8 cannot (a lone surrogate).
    void AddEntry(Scope scope, const std::wstring& name, const std::wstring& displayName);
    /// Writes a value of any type with exactly these bytes below the scope's Uninstall key
    /// (keyPath relative to it; empty for the Uninstall key itself).
    void SetValue(Scope scope, const std::string& keyPath, const char* valueName, DWORD type,
                  const void* data, DWORD size);
    /// The same with UTF-16 names, through NtSetValueKey: the bytes are stored as given, string
    /// data too (no conversion, no NUL added).
    void SetValue(Scope scope, const std::wstring& keyPath, const std::wstring& valueName,
                  DWORD type, const void* data, DWORD size);
    /// Creates keyPath as a registry link to the key of the native name target
    /// ("\REGISTRY\...").
    void CreateLink(Scope scope, const std::string& keyPath, const std::wstring& target);
    /// Whether the key exists (relative to the scope's Uninstall key); a link counts as itself.
    bool Exists(Scope scope, const std::string& keyPath) const;
    /// Deletes the scope's whole Uninstall key (the scope then has none).
    void RemoveUninstallKey(Scope scope);
};

} // namespace testsupport
