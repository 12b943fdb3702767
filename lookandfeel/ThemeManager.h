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
class ThemedObjectTypes {
public:
    constexpr ThemedObjectTypes() noexcept = default;
    constexpr ThemedObjectTypes(ThemedObjectType type) noexcept : mask_(Bit(type)) {}
    constexpr ThemedObjectTypes(std::initializer_list<ThemedObjectType> types) noexcept {
        for (ThemedObjectType type : types)
            mask_ |= Bit(type);
    }
    /// Bits above the last type are dropped.
    static constexpr ThemedObjectTypes FromBits(std::uint32_t mask) noexcept {
        ThemedObjectTypes set;
        set.mask_ = mask & kAllBits;
        return set;
    }
    static constexpr ThemedObjectTypes All() noexcept { return FromBits(kAllBits); }

    constexpr std::uint32_t ToBits() const noexcept { return mask_; }
    constexpr bool Empty() const noexcept { return mask_ == 0; }
    constexpr bool Contains(ThemedObjectType type) const noexcept {
        return (mask_ & Bit(type)) != 0;
    }
    constexpr ThemedObjectTypes& Include(ThemedObjectType type) noexcept {
        mask_ |= Bit(type);
        return *this;
    }
    constexpr ThemedObjectTypes& Exclude(ThemedObjectType type) noexcept {
        mask_ &= ~Bit(type);
        return *this;
    }
    friend constexpr ThemedObjectTypes operator|(ThemedObjectTypes a,
                                                 ThemedObjectTypes b) noexcept {
        return FromBits(a.mask_ | b.mask_);
    }
    /// The members of a that are not in b.
    friend constexpr ThemedObjectTypes operator-(ThemedObjectTypes a,
                                                 ThemedObjectTypes b) noexcept {
        return FromBits(a.mask_ & ~b.mask_);
    }
    friend constexpr bool operator==(ThemedObjectTypes a, ThemedObjectTypes b) noexcept {
        return a.mask_ == b.mask_;
    }

private:
    static constexpr std::uint32_t kAllBits = (1u << kThemedObjectTypeCount) - 1;
    static constexpr std::uint32_t Bit(ThemedObjectType type) noexcept {
        int ordinal = static_cast<int>(type);
        return ordinal >= 0 && ordinal < kThemedObjectTypeCount ? 1u << ordinal : 0;
    }
    std::uint32_t mask_ = 0;
};

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
