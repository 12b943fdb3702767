// RegistryWork.h - the registry work of the program's start, alone: what the bare process of the
// start-up benchmark does, and what the benchmark checks its answers against.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

/// The window class of the minimal windowed lister, which the start-up benchmark waits for.
inline constexpr char kListerClass[] = "OrdanelMinimalLister";

inline constexpr char kUninstallPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

/// One scope: opens its Uninstall key (ANSI functions, full access plus view), lists every subkey
/// name, then for each name opens the entry below the Uninstall key, asks the size of
/// "DisplayName", reads it and closes the entry, as the catalogue does; closes the Uninstall key.
/// Appends each non-empty name to texts when given; returns the number of non-empty names read.
inline int ReadUninstallScope(HKEY root, REGSAM view, std::vector<std::string>* texts = nullptr) {
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
    int read = 0;
    std::string text;
    for (const std::string& name : names) {
        HKEY entry = nullptr;
        if (::RegOpenKeyExA(uninstall, name.c_str(), 0, access, &entry) != ERROR_SUCCESS)
            continue;
        DWORD type = 0, size = 0;
        if (::RegQueryValueExA(entry, "DisplayName", nullptr, &type, nullptr, &size) ==
                ERROR_SUCCESS &&
            size > 0) {
            text.assign(size, '\0');
            if (::RegQueryValueExA(entry, "DisplayName", nullptr, &type,
                                   reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS &&
                text[0] != '\0') {
                ++read;
                if (texts)
                    texts->push_back(text.c_str());
            }
        }
        ::RegCloseKey(entry);
    }
    ::RegCloseKey(uninstall);
    return read;
}

/// Every scope the program reads: the machine's 64-bit and 32-bit views, then the current user.
/// With the names read into machine and user when given.
inline int ReadUninstallEntries(std::vector<std::string>* machine = nullptr,
                                std::vector<std::string>* user = nullptr) {
    return ReadUninstallScope(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, machine) +
           ReadUninstallScope(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, machine) +
           ReadUninstallScope(HKEY_CURRENT_USER, 0, user);
}

} // namespace bench
