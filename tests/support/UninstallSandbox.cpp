#include "tests/support/UninstallSandbox.h"

#include "tests/support/TestPrefix.h"

#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {
constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

HKEY Create(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    return key;
}

/// Opens or creates keyPath below the scope's Uninstall key, one step at a time (the registry
/// limits the length of the path given to one call).
HKEY CreateBelow(HKEY root, const std::string& keyPath) {
    HKEY uninstall = Create(root, kUninstall);
    if (keyPath.empty())
        return uninstall;
    HKEY key = Create(uninstall, keyPath);
    ::RegCloseKey(uninstall);
    return key;
}
} // namespace

UninstallSandbox::UninstallSandbox() {
    RequireTestPrefix("set up an Uninstall sandbox");
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string program = exe;
    program = program.substr(program.find_last_of('\\') + 1);
    base_ = "Software\\OrdanelTests\\" + program;
    ::RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
    machine_ = Create(HKEY_CURRENT_USER, base_ + "\\Machine");
    MarkAsTestMachine(machine_); // a sandbox nested inside this one passes the guard too
    user_ = Create(HKEY_CURRENT_USER, base_ + "\\User");
    ::RegCloseKey(Create(machine_, kUninstall));
    ::RegCloseKey(Create(user_, kUninstall));
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, user_);
}

UninstallSandbox::~UninstallSandbox() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(machine_);
    ::RegCloseKey(user_);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
}

void UninstallSandbox::AddEntry(Scope scope, const std::string& name, const char* displayName) {
    HKEY key = CreateBelow(Root(scope), name);
    if (displayName)
        ::RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(displayName),
                         static_cast<DWORD>(strlen(displayName) + 1));
    ::RegCloseKey(key);
}

void UninstallSandbox::SetValue(Scope scope, const std::string& keyPath, const char* valueName,
                                DWORD type, const void* data, DWORD size) {
    HKEY key = CreateBelow(Root(scope), keyPath);
    ::RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

bool UninstallSandbox::Exists(Scope scope, const std::string& keyPath) const {
    HKEY uninstall = nullptr, key = nullptr;
    if (::RegOpenKeyExA(Root(scope), kUninstall, 0, KEY_READ, &uninstall) != ERROR_SUCCESS)
        return false;
    bool found = keyPath.empty() ||
                 ::RegOpenKeyExA(uninstall, keyPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (key)
        ::RegCloseKey(key);
    ::RegCloseKey(uninstall);
    return found;
}

void UninstallSandbox::RemoveUninstallKey(Scope scope) {
    ::RegDeleteTreeA(Root(scope), kUninstall);
}

} // namespace testsupport
