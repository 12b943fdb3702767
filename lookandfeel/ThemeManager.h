// ThemeManager.h - the theme-handle cache and the theme-change broadcast.
//
// In this file:
//   ThemedObjectType, ThemedObjectTypes   the 24 cached theme classes and sets of them
//   OpenThemeHandle / CloseThemeHandle / CloseAllThemeHandles   the cache, one handle per class
//   ThemesAvailable / ThemeAvailable      may a control draw with the visual style?
//   ThemeChangeNotifier                   told when the desktop's visual style changed
//   InitializeThemeManager / FinalizeThemeManager   module start-up and shut-down (the binding of
//                                         ThemeLibrary.h must be in place first)
//
// The cache is refreshed by a hidden top-level window that receives WM_THEMECHANGED: it closes
// every cached handle, re-reads whether a visual style is active and calls the notifiers. All of
// this runs on the GUI thread only.
#pragma once

#include "framework/EnumSet.h"
#include "lookandfeel/ThemeLibrary.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string_view>

namespace lookandfeel {

/// The theme classes whose handles are cached; the ordinal is the slot.
enum class ThemedObjectType : int {
    Button,
    Clock,
    ComboBox,
    Edit,
    ExplorerBar,
    Header,
    ListView,
    Menu,
    Page,
    Progress,
    Rebar,
    ScrollBar,
    Spin,
    StartPanel,
    Status,
    Tab,
    TaskBand,
    TaskBar,
    ToolBar,
    ToolTip,
    TrackBar,
    TrayNotify,
    TreeView,
    Window,
};
inline constexpr int kThemedObjectTypeCount = 24;

/// The theme class name that a type opens by default ("Button" ... "Window"); null for a value
/// outside the enumeration.
const wchar_t* ThemeClassName(ThemedObjectType type) noexcept;

/// A set of ThemedObjectType: a 32-bit mask, bit n for ordinal n.
using ThemedObjectTypes =
    framework::EnumSet<ThemedObjectType, kThemedObjectTypeCount, std::uint32_t>;

/// The theme handle of the type, opened on first use, or null. classList (a ";"-separated list
/// of theme class names) is optional: without it the slot's handle is returned as it is, or
/// opened with the class list it was last opened with, or with the type's default class name.
/// A different class list (compared ignoring case) closes the slot and opens it anew. A class
/// that does not open gives null each time it is asked (nothing is remembered of the failure).
/// Null whenever ThemesAvailable() is false; OpenThemeData is then not called.
HTHEME OpenThemeHandle(ThemedObjectType type, std::wstring_view classList = {});

/// Closes one slot: 1 (S_FALSE) when themes are not available, 0 when the slot was not open,
/// else the result of CloseThemeData. The slot forgets its class list.
HRESULT CloseThemeHandle(ThemedObjectType type) noexcept;

/// Closes every open slot, in ordinal order; the slots keep their class lists.
void CloseAllThemeHandles() noexcept;

/// True when a visual style is active, the library is loaded with every function the program
/// calls, and every type in the set opens. The empty set tests only the first two.
bool ThemesAvailable(ThemedObjectTypes types = {});
/// ThemesAvailable for one type.
bool ThemeAvailable(ThemedObjectType type);

/// The last answer of IsThemeActive: read at start-up and on every WM_THEMECHANGED; false
/// without the library and after shut-down began.
bool ThemeActiveFlag() noexcept;

/// The hidden window that receives WM_THEMECHANGED; null when the library is not loaded.
HWND ThemeChangeReceiverWindow() noexcept;

/// Tells its owner that the desktop's visual style changed (after the cached handles were closed
/// and the active flag re-read). Registers itself on creation only while the library is loaded
/// and the manager runs (without the library it is never called); unregisters on destruction
/// whenever the manager's notifier list exists.
/// Notifiers are called in the order of their creation, each through a copy of OnThemeChanged (so
/// a handler may destroy its notifier or replace itself). An exception escaping OnThemeChanged is
/// reported through framework::HandleException and the remaining notifiers are still called.
class ThemeChangeNotifier {
public:
    using Handler = std::function<void()>;

    ThemeChangeNotifier();
    explicit ThemeChangeNotifier(Handler onThemeChanged);
    ~ThemeChangeNotifier();
    ThemeChangeNotifier(const ThemeChangeNotifier&) = delete;
    ThemeChangeNotifier& operator=(const ThemeChangeNotifier&) = delete;

    Handler OnThemeChanged;
};

/// Start-up of the manager (after BindThemeLibrary): with the library loaded, creates the hidden
/// theme-change window and the notifier list and reads the active flag. Initialising again first
/// finalises.
void InitializeThemeManager();
/// Shut-down: destroys the theme-change window (the active flag becomes false), closes every
/// cached handle and drops the notifier list. Safe to call when not initialised.
void FinalizeThemeManager() noexcept;

} // namespace lookandfeel
