// RegistrySandbox.h - registry helpers for tests.
//
// Classes in this file:
//   RegistrySandbox   a scratch key under HKCU\Software\OrdanelTests, deleted before and after;
//                     creates keys, writes values of any type with exact bytes, creates and
//                     inspects registry symbolic links, lists and deletes keys (links are never
//                     followed by the cleanup)
//   RegistryApiHooks  a scoped override of the catalogue's registry table whose entries are
//                     replaceable std::functions (default: forward to the table in force before),
//                     and which counts the key handles opened and closed through it
//
// Both work on the real registry of the test prefix; neither goes through the catalogue's table
// except RegistryApiHooks, which is that table.
#pragma once

#include "catalogue/RegistryApi.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

/// UTF-16 from UTF-8 (the tests' code page, as the manifest sets it).
std::wstring Wide(const std::string& utf8);
/// Whether an open key is a registry symbolic link.
bool IsLinkKey(HKEY key);
/// Deletes relative below parent with everything below it, in the given registry view. A link is
/// deleted through its own handle (NtDeleteKey), never followed: RegDeleteKey and RegDeleteTree
/// would act on its target.
void DeleteKeyNoFollow(HKEY parent, const std::wstring& relative, REGSAM view = 0);

/// The file name of this test program without directory and extension.
std::string TestProgramName();

class RegistrySandbox {
public:
    /// Deletes and recreates HKCU\Software\OrdanelTests\<name>. The default name is the test
    /// program's name with "-scratch" appended.
    explicit RegistrySandbox(const std::string& name = TestProgramName() + "-scratch");
    /// Deletes the scratch key with everything below it, links included (not their targets).
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    /// Path of the scratch key relative to HKEY_CURRENT_USER, without a leading "\".
    const std::string& Path() const noexcept { return path_; }
    /// Path() followed by "\" and relative (Path() alone when relative is empty).
    std::string PathOf(const std::string& relative) const;
    /// The scratch key itself (owned by the sandbox).
    HKEY Key() const noexcept { return key_; }

    /// Creates relative (and every missing key on its way) below the scratch key.
    void CreateKey(const std::string& relative);
    /// Whether the key exists; a link counts as itself, not as its target.
    bool KeyExists(const std::string& relative) const;
    /// The subkey names of relative in enumeration order (a link is listed, not entered).
    std::vector<std::string> SubkeyNames(const std::string& relative) const;
    /// Deletes relative with everything below it; links are deleted, never followed.
    void DeleteKey(const std::string& relative);

    /// Writes value name of key relative (created when missing) with exactly these bytes and
    /// this type, through RegSetValueExW, so string data is UTF-16 and gets no NUL added.
    void SetValue(const std::string& relative, const std::string& name, DWORD type,
                  const void* data, size_t size);
    void SetValue(const std::string& relative, const std::string& name, DWORD type,
                  const std::vector<BYTE>& bytes) {
        SetValue(relative, name, type, bytes.data(), bytes.size());
    }
    /// Writes text as UTF-16; with terminated, its NUL is stored too.
    void SetString(const std::string& relative, const std::string& name, const std::wstring& text,
                   DWORD type = REG_SZ, bool terminated = true);
    void SetDword(const std::string& relative, const std::string& name, DWORD value);

    /// Creates relative as a registry symbolic link (REG_OPTION_CREATE_LINK) to the sandbox key
    /// targetRelative, which need not exist yet. Throws when the registry refuses.
    void CreateLink(const std::string& relative, const std::string& targetRelative);
    /// Whether relative is a symbolic link.
    bool IsLink(const std::string& relative) const;
    /// The native name of the scratch key ("\REGISTRY\User\<sid>\Software\...").
    const std::wstring& NativePath() const noexcept { return nativePath_; }

private:
    std::string path_;
    HKEY key_ = nullptr;
    std::wstring nativePath_;
};

/// Installs a registry table whose entries call the members below. Each member starts as the
/// entry of the table that was in force before (Previous()), so a test replaces only the calls it
/// wants to fail or record and forwards the others. Opens that succeed (ANSI and wide) and closes
/// are counted.
/// One instance at a time.
class RegistryApiHooks {
public:
    RegistryApiHooks();
    ~RegistryApiHooks();
    RegistryApiHooks(const RegistryApiHooks&) = delete;
    RegistryApiHooks& operator=(const RegistryApiHooks&) = delete;

    std::function<LSTATUS(HKEY, LPCSTR, DWORD, REGSAM, PHKEY)> OpenKeyEx;
    std::function<LSTATUS(HKEY)> CloseKey;
    std::function<LSTATUS(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                          LPDWORD, LPDWORD, LPDWORD, PFILETIME)>
        QueryInfoKey;
    std::function<LSTATUS(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD, PFILETIME)>
        EnumKeyEx;
    std::function<LSTATUS(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD)> QueryValueEx;
    std::function<LSTATUS(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPWSTR, LPDWORD, PFILETIME)>
        EnumKeyExW;
    std::function<LONG(HANDLE)> NtDeleteKey;
    std::function<UINT()> AnsiCodePage;
    std::function<LSTATUS(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY)> OpenKeyExW;
    std::function<LSTATUS(HKEY, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                          LPDWORD, LPDWORD, LPDWORD, PFILETIME)>
        QueryInfoKeyW;
    std::function<LSTATUS(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD)>
        EnumValueW;

    /// The table in force before these hooks.
    const catalogue::RegistryApi& Previous() const noexcept { return previous_; }

    /// Successful opens through the hooks.
    int Opens() const noexcept { return opens_; }
    /// Close calls through the hooks.
    int Closes() const noexcept { return closes_; }
    /// Handles opened through the hooks and not closed yet.
    size_t StillOpen() const noexcept { return open_.size(); }
    /// The name of the key that a handle open through the hooks was opened as (the last
    /// component of the path it was opened with, UTF-8), or "" for another handle: what a hook on
    /// NtDeleteKey, which gets a handle, is about to delete.
    std::string NameOf(HANDLE key) const;
    /// Hooks QueryInfoKey so that after passes the real query, with the key and the subkey count
    /// it answered (null when the caller did not ask for it); the caller gets the real status.
    void AfterQueryInfoKey(std::function<void(HKEY key, LPDWORD subKeys)> after);
    /// Close calls for a handle that was not open through the hooks (a double close, or a handle
    /// opened elsewhere).
    int StrayCloses() const noexcept { return strayCloses_; }

private:
    static RegistryApiHooks* active_;
    static LSTATUS WINAPI OpenKeyExThunk(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
    static LSTATUS WINAPI CloseKeyThunk(HKEY);
    static LSTATUS WINAPI QueryInfoKeyThunk(HKEY, LPSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                            LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD, PFILETIME);
    static LSTATUS WINAPI EnumKeyExThunk(HKEY, DWORD, LPSTR, LPDWORD, LPDWORD, LPSTR, LPDWORD,
                                         PFILETIME);
    static LSTATUS WINAPI QueryValueExThunk(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    static LSTATUS WINAPI OpenKeyExWThunk(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
    static LSTATUS WINAPI QueryInfoKeyWThunk(HKEY, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                             LPDWORD, LPDWORD, LPDWORD, LPDWORD, LPDWORD,
                                             PFILETIME);
    static LSTATUS WINAPI EnumValueWThunk(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE,
                                          LPDWORD);

    catalogue::RegistryApi previous_;
    std::optional<catalogue::ScopedRegistryApi> override_;
    std::map<HKEY, std::string> open_; // by handle, the path it was opened with
    int opens_ = 0;
    int closes_ = 0;
    int strayCloses_ = 0;
};

} // namespace testsupport
