// ThemeManager.cpp - the theme-handle cache, the theme-change receiver window and the notifier
// list.
#include "lookandfeel/ThemeManager.h"

#include "framework/ExceptionReport.h"
#include "framework/HiddenWindow.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace lookandfeel {

namespace {

constexpr std::array<const wchar_t*, kThemedObjectTypeCount> kDefaultClassNames = {
    L"Button",   L"Clock",      L"ComboBox", L"Edit",       L"ExplorerBar", L"Header",
    L"ListView", L"Menu",       L"Page",     L"Progress",   L"Rebar",       L"ScrollBar",
    L"Spin",     L"StartPanel", L"Status",   L"Tab",        L"TaskBand",    L"TaskBar",
    L"ToolBar",  L"ToolTip",    L"TrackBar", L"TrayNotify", L"TreeView",    L"Window"};

struct ThemeSlot {
    UniqueTheme handle;
    std::wstring classList; // empty: none remembered
};

class ThemeChangeReceiver;

struct ManagerState {
    bool themeActive = false;
    std::array<ThemeSlot, kThemedObjectTypeCount> slots;
    // Both exist only while the library is loaded and the manager runs.
    std::unique_ptr<std::vector<ThemeChangeNotifier*>> notifiers;
    std::unique_ptr<ThemeChangeReceiver> receiver;
};

ManagerState& Manager() noexcept {
    // The binding's state is created first so that it outlives this one at process exit (a slot
    // still open then is closed through the binding).
    static const bool bindingFirst = (BoundThemeFunctions(), true);
    (void)bindingFirst;
    static ManagerState state;
    return state;
}

bool ValidType(ThemedObjectType type) noexcept {
    int ordinal = static_cast<int>(type);
    return ordinal >= 0 && ordinal < kThemedObjectTypeCount;
}

ThemeSlot& Slot(ThemedObjectType type) noexcept {
    return Manager().slots[static_cast<size_t>(type)];
}

// Flag and library: the part of ThemesAvailable that opens nothing.
bool ThemesUsable() noexcept {
    return Manager().themeActive && ThemeBindingComplete();
}

std::wstring UpperCase(std::wstring_view text) {
    std::wstring upper(text);
    if (!upper.empty())
        ::CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

bool IsRegistered(const ThemeChangeNotifier* notifier) noexcept {
    const auto& list = Manager().notifiers;
    return list && std::find(list->begin(), list->end(), notifier) != list->end();
}

void BroadcastThemeChange() {
    const auto& list = Manager().notifiers;
    if (!list)
        return;
    // A notifier may destroy another one (or itself) while it is told: the loop runs over the
    // notifiers registered when it began and skips any that went away meanwhile.
    const std::vector<ThemeChangeNotifier*> registered = *list;
    for (ThemeChangeNotifier* notifier : registered) {
        if (!IsRegistered(notifier) || !notifier->OnThemeChanged)
            continue;
        // Each notifier is guarded on its own, so that one failing does not leave the following
        // ones with caches of the old style.
        try {
            // A copy runs: the handler may destroy its notifier or replace itself, which would
            // destroy the function object while it runs.
            const ThemeChangeNotifier::Handler handler = notifier->OnThemeChanged;
            handler();
        } catch (...) {
            framework::HandleException();
        }
    }
}

// Owns the hidden top-level window that the system's WM_THEMECHANGED broadcast reaches.
class ThemeChangeReceiver {
public:
    ThemeChangeReceiver()
        : window_([](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
              return HandleMessage(window, message, wParam, lParam);
          }) {}
    ~ThemeChangeReceiver() { Manager().themeActive = false; }
    ThemeChangeReceiver(const ThemeChangeReceiver&) = delete;
    ThemeChangeReceiver& operator=(const ThemeChangeReceiver&) = delete;

    HWND Handle() const noexcept { return window_.Handle(); }

private:
    static LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_THEMECHANGED)
            return ::DefWindowProcA(window, message, wParam, lParam);
        try {
            // Handles of the old style are never reused: the next OpenThemeHandle opens them
            // again, and only if a style is still active.
            CloseAllThemeHandles();
            ::DefWindowProcA(window, message, wParam, lParam);
            Manager().themeActive = IsThemeActive() != 0;
            BroadcastThemeChange();
        } catch (...) {
            framework::HandleException();
        }
        return 0;
    }

    framework::THiddenWindow window_;
};

} // namespace

const wchar_t* ThemeClassName(ThemedObjectType type) noexcept {
    return ValidType(type) ? kDefaultClassNames[static_cast<size_t>(type)] : nullptr;
}

HTHEME OpenThemeHandle(ThemedObjectType type, std::wstring_view classList) {
    if (!ValidType(type) || !ThemesAvailable())
        return nullptr;
    ThemeSlot& slot = Slot(type);
    if (slot.handle) {
        if (classList.empty() || UpperCase(classList) == UpperCase(slot.classList))
            return slot.handle.get();
        CloseThemeHandle(type);
    }
    std::wstring chosen = !classList.empty()        ? std::wstring(classList)
                          : !slot.classList.empty() ? slot.classList
                                                    : std::wstring(ThemeClassName(type));
    HTHEME theme = OpenThemeData(nullptr, chosen.c_str());
    if (theme) {
        slot.handle.reset(theme);
        slot.classList = std::move(chosen);
    } else {
        slot.classList.clear();
    }
    return theme;
}

HRESULT CloseThemeHandle(ThemedObjectType type) noexcept {
    if (!ThemesUsable())
        return S_FALSE;
    if (!ValidType(type))
        return E_INVALIDARG;
    ThemeSlot& slot = Slot(type);
    if (!slot.handle)
        return S_OK;
    HRESULT result = CloseThemeData(slot.handle.release());
    slot.classList.clear();
    return result;
}

void CloseAllThemeHandles() noexcept {
    for (ThemeSlot& slot : Manager().slots)
        slot.handle.reset();
}

bool ThemesAvailable(ThemedObjectTypes types) {
    if (!ThemesUsable())
        return false;
    for (int ordinal = 0; ordinal < kThemedObjectTypeCount; ++ordinal) {
        auto type = static_cast<ThemedObjectType>(ordinal);
        if (types.Contains(type) && !OpenThemeHandle(type))
            return false;
    }
    return true;
}

bool ThemeAvailable(ThemedObjectType type) {
    return ValidType(type) && ThemesAvailable(ThemedObjectTypes(type));
}

bool ThemeActiveFlag() noexcept {
    return Manager().themeActive;
}

HWND ThemeChangeReceiverWindow() noexcept {
    const auto& receiver = Manager().receiver;
    return receiver ? receiver->Handle() : nullptr;
}

ThemeChangeNotifier::ThemeChangeNotifier() : ThemeChangeNotifier(Handler{}) {}

ThemeChangeNotifier::ThemeChangeNotifier(Handler onThemeChanged)
    : OnThemeChanged(std::move(onThemeChanged)) {
    auto& list = Manager().notifiers;
    if (ThemeLibraryLoaded() && list)
        list->push_back(this);
}

ThemeChangeNotifier::~ThemeChangeNotifier() {
    // Whether the library is loaded now does not matter: it may have been unbound since this
    // notifier registered, and the list must not keep a notifier that is gone.
    if (auto& list = Manager().notifiers)
        list->erase(std::remove(list->begin(), list->end(), this), list->end());
}

void InitializeThemeManager() {
    FinalizeThemeManager();
    if (!ThemeLibraryLoaded())
        return;
    ManagerState& state = Manager();
    auto receiver = std::make_unique<ThemeChangeReceiver>();
    auto notifiers = std::make_unique<std::vector<ThemeChangeNotifier*>>();
    state.themeActive = IsThemeActive() != 0;
    state.receiver = std::move(receiver);
    state.notifiers = std::move(notifiers);
}

void FinalizeThemeManager() noexcept {
    ManagerState& state = Manager();
    state.receiver.reset(); // sets the flag to false and destroys the window
    state.themeActive = false;
    CloseAllThemeHandles();
    state.notifiers.reset();
    for (ThemeSlot& slot : state.slots)
        slot.classList.clear();
}

} // namespace lookandfeel
