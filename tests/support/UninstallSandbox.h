// UninstallSandbox.h - redirects HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process to
// scratch keys, so that code reading the Uninstall keys of both scopes sees exactly what a test
// wrote there. The scratch keys live under HKCU\Software\OrdanelTests and are deleted afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

enum class Scope { Machine, User };

class UninstallSandbox {
public:
    /// Creates both scratch roots, each with an empty Uninstall key, and redirects the two
    /// predefined keys to them (RegOverridePredefKey) until destruction.
    UninstallSandbox();
    ~UninstallSandbox();
    UninstallSandbox(const UninstallSandbox&) = delete;
    UninstallSandbox& operator=(const UninstallSandbox&) = delete;

    /// Creates the entry key name below the scope's Uninstall key (and a "\"-separated path of
    /// subkeys below it when name holds one); with a display name, writes "DisplayName" as REG_SZ.
    void AddEntry(Scope scope, const std::string& name, const char* displayName = nullptr);
    /// Writes a value of any type with exactly these bytes below the scope's Uninstall key
    /// (keyPath relative to it; empty for the Uninstall key itself).
    void SetValue(Scope scope, const std::string& keyPath, const char* valueName, DWORD type,
                  const void* data, DWORD size);
    /// Whether the key exists (relative to the scope's Uninstall key).
    bool Exists(Scope scope, const std::string& keyPath) const;
    /// Deletes the scope's whole Uninstall key (the scope then has none).
    void RemoveUninstallKey(Scope scope);

    /// The scratch key standing for a scope's root key.
    HKEY Root(Scope scope) const { return scope == Scope::Machine ? machine_ : user_; }

private:
    std::string base_;
    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
};

} // namespace testsupport
