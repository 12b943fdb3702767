// RegistryWork.h - the registry work of the program's start, alone: what the bare process of the
// start-up benchmark does, and what the benchmark checks its answers against.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

inline constexpr char kUninstallPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

/// One scope: opens its Uninstall key (ANSI functions, full access plus view), lists every subkey
/// name, closes it, then for each name opens the entry by its path from root, asks the size of
/// "DisplayName", reads it and closes the entry, as the catalogue does. Returns the number of
/// non-empty names read.
inline int ReadUninstallScope(HKEY root, REGSAM view) {
    const REGSAM access = KEY_ALL_ACCESS | view;
    HKEY uninstall = nullptr;
    if (::RegOpenKeyExA(root, kUninstallPath, 0, access, &uninstall) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0, longest = 0;
    ::RegQueryInfoKeyA(uninstall, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr);
    std::vector<std::string> names;
    names.reserve(count);
    // Longest is in characters; a UTF-8 character takes up to four bytes.
    std::vector<char> buffer(4 * size_t{longest} + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (::RegEnumKeyExA(uninstall, i, buffer.data(), &length, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS)
            names.emplace_back(buffer.data(), length);
    }
    ::RegCloseKey(uninstall);
    int read = 0;
    std::string path;
    std::string text;
    for (const std::string& name : names) {
        path.assign(kUninstallPath).append("\\").append(name);
        HKEY entry = nullptr;
        if (::RegOpenKeyExA(root, path.c_str(), 0, access, &entry) != ERROR_SUCCESS)
            continue;
        DWORD type = 0, size = 0;
        if (::RegQueryValueExA(entry, "DisplayName", nullptr, &type, nullptr, &size) ==
                ERROR_SUCCESS &&
            size > 0) {
            text.assign(size, '\0');
            if (::RegQueryValueExA(entry, "DisplayName", nullptr, &type,
                                   reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS &&
                text[0] != '\0')
                ++read;
        }
        ::RegCloseKey(entry);
    }
    return read;
}

/// Every scope the program reads: the machine's 64-bit and 32-bit views, then the current user.
inline int ReadUninstallEntries() {
    return ReadUninstallScope(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY) +
           ReadUninstallScope(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY) +
           ReadUninstallScope(HKEY_CURRENT_USER, 0);
}

} // namespace bench
