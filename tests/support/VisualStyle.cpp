// VisualStyle.cpp - switching the visual style of the test prefix through the theme library's
// own functions (see VisualStyle.h for why the registry alone is not enough under Wine).
#include "tests/support/VisualStyle.h"

#include "tests/support/TestPrefix.h"

#include <vector>

namespace testsupport {

namespace {

constexpr wchar_t kThemeManagerKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

HMODULE ThemeLibrary() {
    static HMODULE library = ::LoadLibraryA("uxtheme.dll");
    return library;
}

template <typename Function> Function ThemeProc(const char* nameOrOrdinal) {
    HMODULE library = ThemeLibrary();
    FARPROC proc = library ? ::GetProcAddress(library, nameOrOrdinal) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// Undocumented, exported by ordinal only: open a style file, make it the active style (which
// posts WM_THEMECHANGED), close the file.
using OpenThemeFileFn = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, HANDLE*, DWORD);
using CloseThemeFileFn = HRESULT(WINAPI*)(HANDLE);
using ApplyThemeFn = HRESULT(WINAPI*)(HANDLE, char*, HWND);
const char* const kOpenThemeFile = MAKEINTRESOURCEA(2);
const char* const kCloseThemeFile = MAKEINTRESOURCEA(3);
const char* const kApplyTheme = MAKEINTRESOURCEA(4);

std::optional<std::wstring> ReadValue(const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kThemeManagerKey, 0, KEY_QUERY_VALUE, &key))
        return std::nullopt;
    DWORD size = 0;
    std::optional<std::wstring> value;
    if (!::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size)) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        if (!::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                                &size))
            value = std::wstring(buffer.data());
    }
    ::RegCloseKey(key);
    return value;
}

void WriteValue(const wchar_t* name, const std::optional<std::wstring>& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kThemeManagerKey, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr))
        return;
    if (value)
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                         static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    else
        ::RegDeleteValueW(key, name);
    ::RegCloseKey(key);
}

std::wstring DefaultStylePath() {
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\resources\\themes\\light\\light.msstyles";
}

bool SwitchOff() {
    // EnableTheming(FALSE) clears this process's state, writes ThemeActive "0" and posts
    // WM_THEMECHANGED to all windows.
    auto enableTheming = ThemeProc<HRESULT(WINAPI*)(BOOL)>("EnableTheming");
    return enableTheming && SUCCEEDED(enableTheming(FALSE));
}

bool SwitchOn() {
    auto openThemeFile = ThemeProc<OpenThemeFileFn>(kOpenThemeFile);
    auto closeThemeFile = ThemeProc<CloseThemeFileFn>(kCloseThemeFile);
    auto applyTheme = ThemeProc<ApplyThemeFn>(kApplyTheme);
    if (!openThemeFile || !closeThemeFile || !applyTheme)
        return false;
    std::wstring path = ReadValue(L"DllName").value_or(L"");
    if (path.empty())
        path = DefaultStylePath();
    HANDLE file = nullptr;
    if (FAILED(openThemeFile(path.c_str(), nullptr, nullptr, &file, 0)) || !file)
        return false;
    char reserved[] = "";
    HRESULT result = applyTheme(file, reserved, nullptr);
    closeThemeFile(file);
    if (FAILED(result))
        return false;
    // Wine's ApplyTheme writes nothing to the registry when the same style was active in this
    // process before, so the values that other programs read at start are written here.
    WriteValue(L"ThemeActive", std::wstring(L"1"));
    WriteValue(L"DllName", path);
    return true;
}

bool Switch(bool active) {
    if (VisualStyleActive() == active)
        return true;
    if (!(active ? SwitchOn() : SwitchOff()))
        return false;
    return VisualStyleActive() == active;
}

} // namespace

bool VisualStyleActive() {
    auto isThemeActive = ThemeProc<BOOL(WINAPI*)()>("IsThemeActive");
    return isThemeActive && isThemeActive();
}

bool SetVisualStyle(bool active) {
    RequireTestPrefix("switch the visual style");
    return Switch(active);
}

void PumpPendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

ScopedVisualStyle::ScopedVisualStyle(bool active)
    : wasActive_(VisualStyleActive()), themeActiveValue_(ReadValue(L"ThemeActive")),
      dllNameValue_(ReadValue(L"DllName")), switched_(SetVisualStyle(active)) {}

ScopedVisualStyle::~ScopedVisualStyle() {
    // The constructor's switch passed the guard; putting things back needs no second check.
    Switch(wasActive_);
    WriteValue(L"ThemeActive", themeActiveValue_);
    WriteValue(L"DllName", dllNameValue_);
}

} // namespace testsupport
