// ThemeLibrary.cpp - the run-time binding to UxTheme.dll: version test, loading, function table
// and the call operations.
#include "lookandfeel/ThemeLibrary.h"

#include <commctrl.h>

#include <string>

namespace lookandfeel {

namespace {

ThemeSystemApi& ActiveSystemApi() noexcept {
    static ThemeSystemApi api = DefaultThemeSystemApi();
    return api;
}

// The library is freed through the loader in use, so that a test's fake loader also receives the
// matching FreeLibrary.
struct ThemeLibraryTraits {
    using Type = HMODULE;
    static constexpr HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE module) { CurrentThemeSystemApi().FreeLibrary(module); }
};
using UniqueThemeLibrary = framework::UniqueHandle<ThemeLibraryTraits>;

struct BindingState {
    bool themeCapable = false;
    // Declared before the table, so that it is freed after the table is gone.
    UniqueThemeLibrary library;
    ThemeFunctions functions;
};

BindingState& Binding() noexcept {
    static BindingState state;
    return state;
}

// GetProcAddress answers with a generic function pointer; going through void(*)() tells the
// compiler that the cast to the real signature is intended.
template <typename Function> Function FunctionCast(FARPROC proc) noexcept {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

constexpr HRESULT kMissingFunction = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

// The size of the ANSI version record, as the version query expects it to be announced.
constexpr DWORD kVersionRecordSize = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordSize);

bool IsThemeCapableVersion(DWORD major, DWORD minor) noexcept {
    return major > 5 || (major == 5 && minor >= 1);
}

} // namespace

const char* const kThemeFunctionNames[kThemeFunctionCount] = {
#define ORDANEL_THEME_NAME(name) #name,
    ORDANEL_THEME_FUNCTIONS(ORDANEL_THEME_NAME)
#undef ORDANEL_THEME_NAME
};

const ThemeSystemApi& DefaultThemeSystemApi() noexcept {
    static const ThemeSystemApi api{&::GetVersionExA, &::InitCommonControls, &::LoadLibraryA,
                                    &::GetProcAddress, &::FreeLibrary};
    return api;
}

const ThemeSystemApi& CurrentThemeSystemApi() noexcept {
    return ActiveSystemApi();
}

ThemeSystemApi& detail::MutableThemeSystemApi() noexcept {
    return ActiveSystemApi();
}

const ThemeFunctions& BoundThemeFunctions() noexcept {
    return Binding().functions;
}

ThemeFunctions& detail::MutableThemeFunctions() noexcept {
    return Binding().functions;
}

void BindThemeLibrary() {
    UnbindThemeLibrary();
    const ThemeSystemApi& api = CurrentThemeSystemApi();
    BindingState& binding = Binding();

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = kVersionRecordSize;
    // A failed query leaves the record zeroed, which reads as a system without visual styles.
    if (!api.GetVersionExA(&version))
        version = OSVERSIONINFOA{};
    binding.themeCapable = IsThemeCapableVersion(version.dwMajorVersion, version.dwMinorVersion);

    api.InitCommonControls();

    if (!binding.themeCapable)
        return;
    UniqueThemeLibrary library(api.LoadLibraryA("UxTheme.dll"));
    if (!library)
        return;
    ThemeFunctions functions;
    // One look-up per name, in the order of the list; a missing function leaves its entry null.
#define ORDANEL_THEME_LOOKUP(name)                                                                 \
    functions.name =                                                                               \
        FunctionCast<decltype(functions.name)>(api.GetProcAddress(library.get(), #name));
    ORDANEL_THEME_FUNCTIONS(ORDANEL_THEME_LOOKUP)
#undef ORDANEL_THEME_LOOKUP
    binding.functions = functions;
    binding.library = std::move(library);
}

void UnbindThemeLibrary() noexcept {
    BindingState& binding = Binding();
    binding.functions = ThemeFunctions{};
    binding.library.reset();
}

bool ThemeLibraryLoaded() noexcept {
    return static_cast<bool>(Binding().library);
}

bool ThemeCapableSystem() noexcept {
    return Binding().themeCapable;
}

bool ThemeBindingComplete() noexcept {
    if (!ThemeLibraryLoaded())
        return false;
    const ThemeFunctions& f = Binding().functions;
    return f.OpenThemeData && f.CloseThemeData && f.DrawThemeBackground && f.DrawThemeText &&
           f.GetThemeBackgroundContentRect && f.GetThemePartSize && f.GetThemeBackgroundRegion &&
           f.DrawThemeEdge && f.IsThemeBackgroundPartiallyTransparent &&
           f.DrawThemeParentBackground && f.GetThemeColor && f.IsThemeActive &&
           f.GetCurrentThemeName;
}

// --- Call operations --------------------------------------------------------------------------

HTHEME OpenThemeData(HWND window, LPCWSTR classList) noexcept {
    auto f = Binding().functions.OpenThemeData;
    return f ? f(window, classList) : nullptr;
}

HRESULT CloseThemeData(HTHEME theme) noexcept {
    auto f = Binding().functions.CloseThemeData;
    return f ? f(theme) : kMissingFunction;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                            const RECT* clipRect) noexcept {
    auto f = Binding().functions.DrawThemeBackground;
    return f ? f(theme, dc, part, state, rect, clipRect) : kMissingFunction;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& rect) noexcept {
    return lookandfeel::DrawThemeBackground(theme, dc, part, state, &rect, nullptr);
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& rect,
                            const RECT& clipRect) noexcept {
    return lookandfeel::DrawThemeBackground(theme, dc, part, state, &rect, &clipRect);
}

HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int charCount,
                      DWORD textFlags, DWORD textFlags2, const RECT* rect) noexcept {
    auto f = Binding().functions.DrawThemeText;
    return f ? f(theme, dc, part, state, text, charCount, textFlags, textFlags2, rect)
             : kMissingFunction;
}

HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, const char* text, int charCount,
                      DWORD textFlags, DWORD textFlags2, const RECT* rect) noexcept {
    if (!text)
        return E_POINTER;
    try {
        std::wstring wide;
        if (charCount != 0) {
            int length = ::MultiByteToWideChar(CP_ACP, 0, text, charCount, nullptr, 0);
            if (length <= 0)
                return HRESULT_FROM_WIN32(::GetLastError());
            wide.resize(static_cast<size_t>(length));
            ::MultiByteToWideChar(CP_ACP, 0, text, charCount, wide.data(), length);
            // With -1 the conversion includes the terminating NUL; the wide text is passed
            // NUL-terminated with -1 as well.
            if (charCount < 0)
                wide.pop_back();
        }
        // A multi-byte character becomes one UTF-16 unit, so a given count is recounted.
        int wideCount = charCount < 0 ? -1 : static_cast<int>(wide.size());
        return lookandfeel::DrawThemeText(theme, dc, part, state, wide.c_str(), wideCount,
                                          textFlags, textFlags2, rect);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                      const RECT* boundingRect, RECT* contentRect) noexcept {
    auto f = Binding().functions.GetThemeBackgroundContentRect;
    return f ? f(theme, dc, part, state, boundingRect, contentRect) : kMissingFunction;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                      const RECT& boundingRect, RECT& contentRect) noexcept {
    return lookandfeel::GetThemeBackgroundContentRect(theme, dc, part, state, &boundingRect,
                                                      &contentRect);
}

HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                         THEMESIZE sizeKind, SIZE* size) noexcept {
    auto f = Binding().functions.GetThemePartSize;
    // The system declares the rectangle non-const although it only reads it.
    return f ? f(theme, dc, part, state, const_cast<RECT*>(rect), sizeKind, size)
             : kMissingFunction;
}

HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, THEMESIZE sizeKind,
                         SIZE* size) noexcept {
    return lookandfeel::GetThemePartSize(theme, dc, part, state, nullptr, sizeKind, size);
}

HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                 HRGN* region) noexcept {
    auto f = Binding().functions.GetThemeBackgroundRegion;
    return f ? f(theme, dc, part, state, rect, region) : kMissingFunction;
}

HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* destRect, UINT edge,
                      UINT flags, RECT* contentRect) noexcept {
    auto f = Binding().functions.DrawThemeEdge;
    return f ? f(theme, dc, part, state, destRect, edge, flags, contentRect) : kMissingFunction;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) noexcept {
    auto f = Binding().functions.IsThemeBackgroundPartiallyTransparent;
    return f ? f(theme, part, state) : FALSE;
}

HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) noexcept {
    auto f = Binding().functions.DrawThemeParentBackground;
    if (!f)
        return kMissingFunction;
    HGDIOBJ font = dc ? ::GetCurrentObject(dc, OBJ_FONT) : nullptr;
    // The system declares the rectangle non-const although it only reads it.
    HRESULT result = f(window, dc, const_cast<RECT*>(rect));
    if (font)
        ::SelectObject(dc, font);
    return result;
}

HRESULT GetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color) noexcept {
    auto f = Binding().functions.GetThemeColor;
    return f ? f(theme, part, state, property, color) : kMissingFunction;
}

BOOL IsThemeActive() noexcept {
    auto f = Binding().functions.IsThemeActive;
    return f ? f() : FALSE;
}

HRESULT GetCurrentThemeName(LPWSTR fileName, int fileNameLength, LPWSTR colorName,
                            int colorNameLength, LPWSTR sizeName, int sizeNameLength) noexcept {
    auto f = Binding().functions.GetCurrentThemeName;
    return f ? f(fileName, fileNameLength, colorName, colorNameLength, sizeName, sizeNameLength)
             : kMissingFunction;
}

} // namespace lookandfeel
