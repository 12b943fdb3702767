#include "tests/support/UninstallSandbox.h"

#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestPrefix.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {
constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kSymbolicLinkValue[] = L"SymbolicLinkValue";

void Check(LSTATUS status, const std::string& what) {
    if (status != ERROR_SUCCESS)
        throw std::runtime_error(what + " failed with " + std::to_string(status));
}

HKEY CreateW(HKEY parent, const std::wstring& path, REGSAM view, DWORD options = 0) {
    HKEY key = nullptr;
    Check(::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS | view,
                            nullptr, &key, nullptr),
          "creating a key");
    return key;
}

// Opens or creates keyPath below the scope's Uninstall key.
HKEY CreateBelow(Scope scope, const std::wstring& keyPath, DWORD options = 0) {
    HKEY uninstall = CreateW(RootOf(scope), kUninstall, ViewOf(scope));
    if (keyPath.empty())
        return uninstall;
    HKEY key = nullptr;
    const LSTATUS status =
        ::RegCreateKeyExW(uninstall, keyPath.c_str(), 0, nullptr, options,
                          KEY_ALL_ACCESS | ViewOf(scope), nullptr, &key, nullptr);
    ::RegCloseKey(uninstall);
    Check(status, "creating an entry key");
    return key;
}

void EmptyUninstallKeys() {
    for (Scope scope : {Scope::Machine, Scope::Machine32, Scope::User}) {
        DeleteKeyNoFollow(RootOf(scope), kUninstall, ViewOf(scope));
        ::RegCloseKey(CreateW(RootOf(scope), kUninstall, ViewOf(scope)));
    }
}

} // namespace

HKEY RootOf(Scope scope) {
    return scope == Scope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

REGSAM ViewOf(Scope scope) {
    switch (scope) {
    case Scope::Machine: return KEY_WOW64_64KEY;
    case Scope::Machine32: return KEY_WOW64_32KEY;
    case Scope::User: break;
    }
    return 0;
}

UninstallSandbox::UninstallSandbox() {
    RequireTestPrefix("empty the Uninstall keys of this machine");
    EmptyUninstallKeys();
}

UninstallSandbox::~UninstallSandbox() {
    try {
        EmptyUninstallKeys();
    } catch (...) {
    }
}

void UninstallSandbox::AddEntry(Scope scope, const std::string& name, const char* displayName) {
    // With its NUL, so that an empty caption is written as an empty string, not left out.
    AddEntry(scope, Wide(name), displayName ? Wide(displayName) + L'\0' : std::wstring());
}

void UninstallSandbox::AddEntry(Scope scope, const std::wstring& name,
                                const std::wstring& displayName) {
    HKEY key = CreateBelow(scope, name);
    LSTATUS status = ERROR_SUCCESS;
    if (!displayName.empty()) {
        // displayName holds its terminating NUL when it came from the UTF-8 overload.
        std::wstring data = displayName;
        if (data.back() != L'\0')
            data += L'\0';
        status = ::RegSetValueExW(key, L"DisplayName", 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(data.c_str()),
                                  static_cast<DWORD>(data.size() * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
    Check(status, "writing DisplayName");
}

void UninstallSandbox::SetValue(Scope scope, const std::string& keyPath, const char* valueName,
                                DWORD type, const void* data, DWORD size) {
    HKEY key = CreateBelow(scope, Wide(keyPath));
    const LSTATUS status =
        ::RegSetValueExA(key, valueName, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    Check(status, "writing a value");
}

void UninstallSandbox::SetValue(Scope scope, const std::wstring& keyPath,
                                const std::wstring& valueName, DWORD type, const void* data,
                                DWORD size) {
    // Through ntdll: Wine's RegSetValueExW adds a NUL to string data of whole UTF-16 units that
    // lacks one, and such values exist (other programs write them natively).
    struct CountedName {
        USHORT Length;
        USHORT MaximumLength;
        PWSTR Buffer;
    };
    using NtSetValueKeyFn = LONG(NTAPI*)(HANDLE, CountedName*, ULONG, ULONG, PVOID, ULONG);
    static const auto setValue = reinterpret_cast<NtSetValueKeyFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtSetValueKey")));
    if (!setValue)
        throw std::runtime_error("ntdll lacks NtSetValueKey");
    std::wstring nameCopy = valueName;
    const USHORT bytes = static_cast<USHORT>(nameCopy.size() * sizeof(wchar_t));
    CountedName name{bytes, bytes, nameCopy.data()};
    HKEY key = CreateBelow(scope, keyPath);
    const LONG status = setValue(key, &name, 0, type, const_cast<void*>(data), size);
    ::RegCloseKey(key);
    if (status != 0)
        throw std::runtime_error("writing a value failed with status " + std::to_string(status));
}

void UninstallSandbox::CreateLink(Scope scope, const std::string& keyPath,
                                  const std::wstring& target) {
    HKEY link = CreateBelow(scope, Wide(keyPath), REG_OPTION_CREATE_LINK);
    const LSTATUS status = ::RegSetValueExW(link, kSymbolicLinkValue, 0, REG_LINK,
                                            reinterpret_cast<const BYTE*>(target.data()),
                                            static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    ::RegCloseKey(link);
    Check(status, "setting a link's target");
}

bool UninstallSandbox::Exists(Scope scope, const std::string& keyPath) const {
    HKEY key = nullptr;
    std::wstring path = kUninstall;
    if (!keyPath.empty())
        path += L"\\" + Wide(keyPath);
    if (::RegOpenKeyExW(RootOf(scope), path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | ViewOf(scope),
                        &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void UninstallSandbox::RemoveUninstallKey(Scope scope) {
    DeleteKeyNoFollow(RootOf(scope), kUninstall, ViewOf(scope));
}

} // namespace testsupport
