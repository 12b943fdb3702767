// ThemeLibrary.h - the run-time binding to the system's theme library (UxTheme.dll).
//
// The program links no import of the theme library: on a system that can have visual styles it
// loads "UxTheme.dll" at start-up and looks its functions up by name, so that it also starts
// where the library, or any one function, is missing.
//
// In this file:
//   ThemeSystemApi / ScopedThemeSystemApi   the version query, common-controls start and library
//                                           loader, replaceable for tests
//   ThemeFunctions / ScopedThemeFunction    the table of the 46 bound functions, replaceable per
//                                           entry for tests
//   BindThemeLibrary / UnbindThemeLibrary   start-up and shut-down of the binding
//   ThemeLibraryLoaded, ThemeCapableSystem, ThemeBindingComplete
//   the call operations (OpenThemeData ... GetCurrentThemeName)
//   UniqueTheme                             owner of a theme handle, closed through the binding
#pragma once

#include "framework/Handles.h"
#include "framework/ScopedOverride.h"

#include <windows.h>
#include <uxtheme.h>

namespace lookandfeel {

// --- System functions the binding starts from -------------------------------------------------

/// The version query, the common-controls start and the library loader. Tests replace them to
/// simulate an older system, a missing library or missing functions.
struct ThemeSystemApi {
    BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA info);
    void(WINAPI* InitCommonControls)();
    HMODULE(WINAPI* LoadLibraryA)(LPCSTR name);
    FARPROC(WINAPI* GetProcAddress)(HMODULE module, LPCSTR name);
    BOOL(WINAPI* FreeLibrary)(HMODULE module);
};

/// The system's own functions.
const ThemeSystemApi& DefaultThemeSystemApi() noexcept;
/// The functions in use now.
const ThemeSystemApi& CurrentThemeSystemApi() noexcept;

namespace detail {
/// The functions in use, writable: what ScopedThemeSystemApi replaces.
ThemeSystemApi& MutableThemeSystemApi() noexcept;
} // namespace detail

/// Puts another set of system functions in place for its lifetime; Previous() gives the ones
/// that were in use before (for fakes that delegate). Bind and unbind the library inside the
/// scope: the loaded library is freed through the FreeLibrary in use at that time.
using ScopedThemeSystemApi =
    framework::ScopedOverride<ThemeSystemApi, &detail::MutableThemeSystemApi>;

// --- The bound functions ----------------------------------------------------------------------

/// The bound functions, in the order in which they are looked up.
#define ORDANEL_THEME_FUNCTIONS(X)                                                                 \
    X(CloseThemeData)                                                                              \
    X(DrawThemeBackground)                                                                         \
    X(DrawThemeEdge)                                                                               \
    X(DrawThemeIcon)                                                                               \
    X(DrawThemeParentBackground)                                                                   \
    X(DrawThemeText)                                                                               \
    X(EnableThemeDialogTexture)                                                                    \
    X(GetCurrentThemeName)                                                                         \
    X(GetThemeAppProperties)                                                                       \
    X(GetThemeBackgroundContentRect)                                                               \
    X(GetThemeBackgroundRegion)                                                                    \
    X(GetThemeBackgroundExtent)                                                                    \
    X(GetThemeBool)                                                                                \
    X(GetThemeColor)                                                                               \
    X(GetThemeDocumentationProperty)                                                               \
    X(GetThemeEnumValue)                                                                           \
    X(GetThemeFilename)                                                                            \
    X(GetThemeFont)                                                                                \
    X(GetThemeInt)                                                                                 \
    X(GetThemeIntList)                                                                             \
    X(GetThemeMargins)                                                                             \
    X(GetThemeMetric)                                                                              \
    X(GetThemePartSize)                                                                            \
    X(GetThemePosition)                                                                            \
    X(GetThemePropertyOrigin)                                                                      \
    X(GetThemeRect)                                                                                \
    X(GetThemeString)                                                                              \
    X(GetThemeSysBool)                                                                             \
    X(GetThemeSysColor)                                                                            \
    X(GetThemeSysColorBrush)                                                                       \
    X(GetThemeSysFont)                                                                             \
    X(GetThemeSysInt)                                                                              \
    X(GetThemeSysSize)                                                                             \
    X(GetThemeSysString)                                                                           \
    X(GetThemeTextExtent)                                                                          \
    X(GetThemeTextMetrics)                                                                         \
    X(GetWindowTheme)                                                                              \
    X(HitTestThemeBackground)                                                                      \
    X(IsAppThemed)                                                                                 \
    X(IsThemeActive)                                                                               \
    X(IsThemePartDefined)                                                                          \
    X(IsThemeBackgroundPartiallyTransparent)                                                       \
    X(IsThemeDialogTextureEnabled)                                                                 \
    X(OpenThemeData)                                                                               \
    X(SetThemeAppProperties)                                                                       \
    X(SetWindowTheme)

/// One entry per bound function, typed as the system declares it; an entry is null when the
/// library is not loaded or does not export the function. (decltype only borrows the types:
/// nothing here imports from the library.)
struct ThemeFunctions {
#define ORDANEL_THEME_ENTRY(name) decltype(&::name) name = nullptr;
    ORDANEL_THEME_FUNCTIONS(ORDANEL_THEME_ENTRY)
#undef ORDANEL_THEME_ENTRY
};

/// Number of bound functions and their names, in look-up order.
inline constexpr int kThemeFunctionCount = 46;
extern const char* const kThemeFunctionNames[kThemeFunctionCount];

/// The table the call operations go through.
const ThemeFunctions& BoundThemeFunctions() noexcept;

namespace detail {
ThemeFunctions& MutableThemeFunctions() noexcept;
}

/// Replaces one entry of the bound table for its lifetime, e.g.
///     ScopedThemeFunction<&ThemeFunctions::OpenThemeData> open(&CountingOpenThemeData);
/// The replaced entry is put back on destruction; Original() gives it to fakes that delegate.
/// Do not unbind and bind the library again inside the scope.
template <auto Member>
using ScopedThemeFunction =
    framework::ScopedMemberOverride<ThemeFunctions, &detail::MutableThemeFunctions, Member>;

// --- Start-up and state -----------------------------------------------------------------------

/// Start-up of the binding: the version test (the system can have visual styles from version 5.1
/// on), the common-controls start (always), then, only on such a system, "UxTheme.dll" is loaded
/// and the 46 functions are looked up in order. Binding again first unbinds.
void BindThemeLibrary();
/// Clears the table and frees the library if it was loaded.
void UnbindThemeLibrary() noexcept;

/// True when the theme library is loaded.
bool ThemeLibraryLoaded() noexcept;
/// The result of the last version test.
bool ThemeCapableSystem() noexcept;
/// True when the library is loaded and every function that the program calls through the
/// operations below is bound. Theme availability requires it, so that a library lacking one of
/// them gives drawing without visual styles instead of half-themed drawing.
bool ThemeBindingComplete() noexcept;

// --- Call operations --------------------------------------------------------------------------
// Each calls the bound function of the same name with the same arguments. Inside this namespace
// call them qualified (lookandfeel::DrawThemeBackground): argument-dependent lookup also finds the
// system's declarations through HDC and HWND, which makes an unqualified call ambiguous. Callers
// use them only after ThemeAvailable / ThemesAvailable answered True; should an entry be missing
// all the same, the operation fails softly (a null handle, FALSE, or
// HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)).

HTHEME OpenThemeData(HWND window, LPCWSTR classList) noexcept;
HRESULT CloseThemeData(HTHEME theme) noexcept;

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                            const RECT* clipRect) noexcept;
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& rect) noexcept;
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT& rect,
                            const RECT& clipRect) noexcept;

HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, LPCWSTR text, int charCount,
                      DWORD textFlags, DWORD textFlags2, const RECT* rect) noexcept;
/// The 8-bit form: the text (charCount bytes, or up to its terminating NUL when -1) is converted
/// from the ANSI code page to UTF-16 first.
HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, const char* text, int charCount,
                      DWORD textFlags, DWORD textFlags2, const RECT* rect) noexcept;

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                      const RECT* boundingRect, RECT* contentRect) noexcept;
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state,
                                      const RECT& boundingRect, RECT& contentRect) noexcept;

HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                         THEMESIZE sizeKind, SIZE* size) noexcept;
/// Without a rectangle.
HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, THEMESIZE sizeKind,
                         SIZE* size) noexcept;

HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                 HRGN* region) noexcept;
HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int part, int state, const RECT* destRect, UINT edge,
                      UINT flags, RECT* contentRect) noexcept;
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) noexcept;

/// Paints the parent's background into the DC. The parent's WM_ERASEBKGND / WM_PRINTCLIENT
/// handling may leave another font selected in the DC; the font selected before the call is
/// selected again after it.
HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect) noexcept;

HRESULT GetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* color) noexcept;
BOOL IsThemeActive() noexcept;
HRESULT GetCurrentThemeName(LPWSTR fileName, int fileNameLength, LPWSTR colorName,
                            int colorNameLength, LPWSTR sizeName, int sizeNameLength) noexcept;

// --- Owner ------------------------------------------------------------------------------------

namespace detail {
struct ThemeTraits {
    using Type = HTHEME;
    static constexpr HTHEME Invalid() { return nullptr; }
    static void Close(HTHEME theme) { lookandfeel::CloseThemeData(theme); }
};
} // namespace detail

/// Owns one theme handle; closes it through the binding.
using UniqueTheme = framework::UniqueHandle<detail::ThemeTraits>;

} // namespace lookandfeel
