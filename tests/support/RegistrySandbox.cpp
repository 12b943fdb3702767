// RegistrySandbox.cpp - the scratch registry key for tests and the hookable registry table.
#include "tests/support/RegistrySandbox.h"

#include <stdexcept>

namespace testsupport {

namespace {

constexpr wchar_t kSymbolicLinkValue[] = L"SymbolicLinkValue";
constexpr ULONG kKeyNameInformation = 3; // KEY_INFORMATION_CLASS

using NtQueryKeyFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);

template <typename Fn> Fn Ntdll(const char* name) {
    const FARPROC proc = ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), name);
    if (!proc)
        throw std::runtime_error(std::string("ntdll lacks ") + name);
    // Through void (*)(): the generic function pointer type that casts to any other.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

void Check(LSTATUS status, const std::string& what) {
    if (status != ERROR_SUCCESS)
        throw std::runtime_error(what + " failed with " + std::to_string(status));
}

// Opens relative below parent without following a link at its end; nullptr when it is missing.
HKEY OpenNoFollow(HKEY parent, const std::wstring& relative, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, relative.c_str(), REG_OPTION_OPEN_LINK, access, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

std::wstring NativeNameOf(HKEY key) {
    alignas(ULONG) BYTE buffer[4096];
    ULONG got = 0;
    const LONG status =
        Ntdll<NtQueryKeyFn>("NtQueryKey")(key, kKeyNameInformation, buffer, sizeof(buffer), &got);
    if (status != 0)
        throw std::runtime_error("NtQueryKey(KeyNameInformation) failed");
    const ULONG bytes = *reinterpret_cast<const ULONG*>(buffer);
    return std::wstring(reinterpret_cast<const wchar_t*>(buffer + sizeof(ULONG)),
                        bytes / sizeof(wchar_t));
}

std::string Utf8(const wchar_t* text) {
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (count <= 1)
        return {};
    std::string out(static_cast<size_t>(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), count, nullptr, nullptr);
    out.pop_back();
    return out;
}

} // namespace

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return {};
    const int count =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          count);
    return wide;
}

bool IsLinkKey(HKEY key) {
    DWORD type = REG_NONE;
    return ::RegQueryValueExW(key, kSymbolicLinkValue, nullptr, &type, nullptr, nullptr) ==
               ERROR_SUCCESS &&
           type == REG_LINK;
}

void DeleteKeyNoFollow(HKEY parent, const std::wstring& relative, REGSAM view) {
    const HKEY key = OpenNoFollow(parent, relative, KEY_ALL_ACCESS | view);
    if (!key)
        return;
    if (!IsLinkKey(key)) {
        for (;;) {
            wchar_t name[256];
            DWORD length = 256;
            if (::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            const std::wstring child(name, length);
            DeleteKeyNoFollow(key, child, view);
            // A child that could not be deleted would be enumerated again for ever.
            if (HKEY still = OpenNoFollow(key, child, KEY_READ | view)) {
                ::RegCloseKey(still);
                break;
            }
        }
    }
    Ntdll<NtDeleteKeyFn>("NtDeleteKey")(key);
    ::RegCloseKey(key);
}

std::string TestProgramName() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of("\\/") + 1);
    return name.substr(0, name.rfind('.'));
}

RegistrySandbox::RegistrySandbox(const std::string& name)
    : path_("Software\\OrdanelTests\\" + name) {
    DeleteKeyNoFollow(HKEY_CURRENT_USER, Wide(path_));
    Check(::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key_, nullptr),
          "creating " + path_);
    nativePath_ = NativeNameOf(key_);
}

RegistrySandbox::~RegistrySandbox() {
    try {
        ::RegCloseKey(key_);
        DeleteKeyNoFollow(HKEY_CURRENT_USER, Wide(path_));
    } catch (...) {
    }
}

std::string RegistrySandbox::PathOf(const std::string& relative) const {
    return relative.empty() ? path_ : path_ + "\\" + relative;
}

void RegistrySandbox::CreateKey(const std::string& relative) {
    HKEY key = nullptr;
    Check(::RegCreateKeyExW(key_, Wide(relative).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
          "creating " + relative);
    ::RegCloseKey(key);
}

bool RegistrySandbox::KeyExists(const std::string& relative) const {
    const HKEY key = OpenNoFollow(key_, Wide(relative), KEY_READ);
    if (!key)
        return false;
    ::RegCloseKey(key);
    return true;
}

std::vector<std::string> RegistrySandbox::SubkeyNames(const std::string& relative) const {
    std::vector<std::string> names;
    const HKEY key = OpenNoFollow(key_, Wide(relative), KEY_READ);
    if (!key)
        return names;
    if (!IsLinkKey(key)) {
        for (DWORD index = 0;; ++index) {
            char name[1024];
            DWORD length = sizeof(name);
            if (::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
    }
    ::RegCloseKey(key);
    return names;
}

void RegistrySandbox::DeleteKey(const std::string& relative) {
    DeleteKeyNoFollow(key_, Wide(relative));
}

void RegistrySandbox::SetValue(const std::string& relative, const std::string& name, DWORD type,
                               const void* data, size_t size) {
    HKEY key = nullptr;
    Check(::RegCreateKeyExW(key_, Wide(relative).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
          "creating " + relative);
    const LSTATUS status = ::RegSetValueExW(
        key, Wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
    ::RegCloseKey(key);
    Check(status, "writing " + name);
}

void RegistrySandbox::SetString(const std::string& relative, const std::string& name,
                                const std::wstring& text, DWORD type, bool terminated) {
    SetValue(relative, name, type, text.c_str(),
             (text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
}

void RegistrySandbox::SetDword(const std::string& relative, const std::string& name, DWORD value) {
    SetValue(relative, name, REG_DWORD, &value, sizeof(value));
}

void RegistrySandbox::CreateLink(const std::string& relative, const std::string& targetRelative) {
    HKEY link = nullptr;
    Check(::RegCreateKeyExW(key_, Wide(relative).c_str(), 0, nullptr,
                            REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &link, nullptr),
          "creating link " + relative);
    // The target is a full native path, stored as UTF-16 without a NUL.
    const std::wstring target = nativePath_ + L"\\" + Wide(targetRelative);
    const LSTATUS status = ::RegSetValueExW(link, kSymbolicLinkValue, 0, REG_LINK,
                                            reinterpret_cast<const BYTE*>(target.data()),
                                            static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    ::RegCloseKey(link);
    Check(status, "setting the target of link " + relative);
}

bool RegistrySandbox::IsLink(const std::string& relative) const {
    const HKEY key = OpenNoFollow(key_, Wide(relative), KEY_READ);
    if (!key)
        return false;
    const bool link = IsLinkKey(key);
    ::RegCloseKey(key);
    return link;
}

// RegistryApiHooks ----------------------------------------------------------------------------

RegistryApiHooks* RegistryApiHooks::active_ = nullptr;

RegistryApiHooks::RegistryApiHooks() : previous_(catalogue::CurrentRegistryApi()) {
    if (active_)
        throw std::logic_error("RegistryApiHooks do not nest");
    OpenKeyEx = previous_.OpenKeyEx;
    CloseKey = previous_.CloseKey;
    QueryInfoKey = previous_.QueryInfoKey;
    EnumKeyEx = previous_.EnumKeyEx;
    QueryValueEx = previous_.QueryValueEx;
    EnumKeyExW = previous_.EnumKeyExW;
    NtDeleteKey = previous_.NtDeleteKey;
    AnsiCodePage = previous_.AnsiCodePage;
    OpenKeyExW = previous_.OpenKeyExW;
    QueryInfoKeyW = previous_.QueryInfoKeyW;
    EnumValueW = previous_.EnumValueW;
    active_ = this;
    override_.emplace(catalogue::RegistryApi{
        &OpenKeyExThunk, &CloseKeyThunk, &QueryInfoKeyThunk, &EnumKeyExThunk, &QueryValueExThunk,
        [](HKEY key, DWORD index, LPWSTR name, LPDWORD length, LPDWORD reserved, LPWSTR cls,
           LPDWORD clsLength, PFILETIME written) -> LSTATUS {
            return active_->EnumKeyExW(key, index, name, length, reserved, cls, clsLength, written);
        },
        [](HANDLE key) -> LONG { return active_->NtDeleteKey(key); },
        []() -> UINT { return active_->AnsiCodePage(); }, &OpenKeyExWThunk, &QueryInfoKeyWThunk,
        &EnumValueWThunk});
}

void RegistryApiHooks::AfterQueryInfoKey(std::function<void(HKEY, LPDWORD)> after) {
    QueryInfoKey =
        [this, after = std::move(after)](HKEY key, LPSTR cls, LPDWORD clsLength, LPDWORD reserved,
                                         LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
                                         LPDWORD values, LPDWORD maxValueNameLen,
                                         LPDWORD maxValueLen, LPDWORD security, PFILETIME written) {
            const LSTATUS status = previous_.QueryInfoKey(
                key, cls, clsLength, reserved, subKeys, maxSubKeyLen, maxClassLen, values,
                maxValueNameLen, maxValueLen, security, written);
            after(key, subKeys);
            return status;
        };
}

std::string RegistryApiHooks::NameOf(HANDLE key) const {
    const auto found = open_.find(static_cast<HKEY>(key));
    if (found == open_.end())
        return {};
    const std::string& path = found->second;
    const size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

RegistryApiHooks::~RegistryApiHooks() {
    override_.reset();
    active_ = nullptr;
}

LSTATUS WINAPI RegistryApiHooks::OpenKeyExThunk(HKEY key, LPCSTR sub, DWORD options, REGSAM access,
                                                PHKEY result) {
    const LSTATUS status = active_->OpenKeyEx(key, sub, options, access, result);
    if (status == ERROR_SUCCESS && result && *result) {
        ++active_->opens_;
        active_->open_[*result] = sub ? sub : "";
    }
    return status;
}

LSTATUS WINAPI RegistryApiHooks::OpenKeyExWThunk(HKEY key, LPCWSTR sub, DWORD options,
                                                 REGSAM access, PHKEY result) {
    const LSTATUS status = active_->OpenKeyExW(key, sub, options, access, result);
    if (status == ERROR_SUCCESS && result && *result) {
        ++active_->opens_;
        active_->open_[*result] = sub ? Utf8(sub) : "";
    }
    return status;
}

LSTATUS WINAPI RegistryApiHooks::CloseKeyThunk(HKEY key) {
    ++active_->closes_;
    if (active_->open_.erase(key) == 0)
        ++active_->strayCloses_;
    return active_->CloseKey(key);
}

LSTATUS WINAPI RegistryApiHooks::QueryInfoKeyThunk(HKEY key, LPSTR cls, LPDWORD clsLength,
                                                   LPDWORD reserved, LPDWORD subKeys,
                                                   LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
                                                   LPDWORD values, LPDWORD maxValueNameLen,
                                                   LPDWORD maxValueLen, LPDWORD security,
                                                   PFILETIME written) {
    return active_->QueryInfoKey(key, cls, clsLength, reserved, subKeys, maxSubKeyLen, maxClassLen,
                                 values, maxValueNameLen, maxValueLen, security, written);
}

LSTATUS WINAPI RegistryApiHooks::EnumKeyExThunk(HKEY key, DWORD index, LPSTR name, LPDWORD length,
                                                LPDWORD reserved, LPSTR cls, LPDWORD clsLength,
                                                PFILETIME written) {
    return active_->EnumKeyEx(key, index, name, length, reserved, cls, clsLength, written);
}

LSTATUS WINAPI RegistryApiHooks::QueryValueExThunk(HKEY key, LPCSTR name, LPDWORD reserved,
                                                   LPDWORD type, LPBYTE data, LPDWORD size) {
    return active_->QueryValueEx(key, name, reserved, type, data, size);
}

LSTATUS WINAPI RegistryApiHooks::QueryInfoKeyWThunk(HKEY key, LPWSTR cls, LPDWORD clsLength,
                                                    LPDWORD reserved, LPDWORD subKeys,
                                                    LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
                                                    LPDWORD values, LPDWORD maxValueNameLen,
                                                    LPDWORD maxValueLen, LPDWORD security,
                                                    PFILETIME written) {
    return active_->QueryInfoKeyW(key, cls, clsLength, reserved, subKeys, maxSubKeyLen, maxClassLen,
                                  values, maxValueNameLen, maxValueLen, security, written);
}

LSTATUS WINAPI RegistryApiHooks::EnumValueWThunk(HKEY key, DWORD index, LPWSTR name,
                                                 LPDWORD nameLength, LPDWORD reserved, LPDWORD type,
                                                 LPBYTE data, LPDWORD size) {
    return active_->EnumValueW(key, index, name, nameLength, reserved, type, data, size);
}

} // namespace testsupport
