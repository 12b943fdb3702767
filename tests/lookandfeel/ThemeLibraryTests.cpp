// ThemeLibraryTests.cpp - the theme library binding on simulated systems (version 5.0, no
// library, missing functions), the call operations, the notifier list and the theme-change
// receiver driven by WM_THEMECHANGED sent to it directly. Nothing here depends on whether the
// visual style is on; the tests that switch it are in ThemeServicesTests.cpp.
#include "lookandfeel/ThemeServices.h"
#include "tests/support/ThemeServicesScope.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using lookandfeel::ThemedObjectType;
using lookandfeel::ThemedObjectTypes;

// A system whose version, library and exports the test decides; everything else is the real one.
struct FakeSystem {
    static inline DWORD major = 6;
    static inline DWORD minor = 1;
    static inline bool versionQueryFails = false;
    static inline bool libraryMissing = false;
    static inline std::string missingFunction;

    static inline DWORD announcedSize = 0;
    static inline int initCommonControlsCalls = 0;
    static inline std::vector<std::string> loadedNames;
    static inline HMODULE loaded = nullptr;
    static inline std::vector<HMODULE> freed;
    static inline std::vector<std::string> lookups;

    static void Reset() {
        major = 6;
        minor = 1;
        versionQueryFails = false;
        libraryMissing = false;
        missingFunction.clear();
        announcedSize = 0;
        initCommonControlsCalls = 0;
        loadedNames.clear();
        loaded = nullptr;
        freed.clear();
        lookups.clear();
    }

    static BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
        announcedSize = info->dwOSVersionInfoSize;
        if (versionQueryFails)
            return FALSE;
        info->dwMajorVersion = major;
        info->dwMinorVersion = minor;
        info->dwPlatformId = VER_PLATFORM_WIN32_NT;
        return TRUE;
    }
    static void WINAPI InitCommonControls() {
        ++initCommonControlsCalls;
        ::InitCommonControls();
    }
    static HMODULE WINAPI LoadLibraryA(LPCSTR name) {
        loadedNames.push_back(name);
        if (libraryMissing) {
            ::SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        return loaded = ::LoadLibraryA(name);
    }
    static FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
        lookups.push_back(name);
        return name == missingFunction ? nullptr : ::GetProcAddress(module, name);
    }
    static BOOL WINAPI FreeLibrary(HMODULE module) {
        freed.push_back(module);
        return ::FreeLibrary(module);
    }

    static lookandfeel::ThemeSystemApi Api() {
        return {&GetVersionExA, &InitCommonControls, &LoadLibraryA, &GetProcAddress, &FreeLibrary};
    }
};

class SimulatedSystem : public ::testing::Test {
protected:
    SimulatedSystem() { FakeSystem::Reset(); }
    ~SimulatedSystem() override { lookandfeel::FinalizeThemeServices(); }

    lookandfeel::ScopedThemeSystemApi api_{FakeSystem::Api()};
};

constexpr HRESULT kMissing = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

TEST_F(SimulatedSystem, VersionDecidesWhetherTheLibraryIsLoaded) {
    struct Case {
        DWORD major, minor;
        bool capable;
    };
    const Case cases[] = {{4, 10, false}, {5, 0, false}, {5, 1, true},
                          {5, 2, true},   {6, 0, true},  {10, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.major << "." << c.minor);
        FakeSystem::Reset();
        FakeSystem::major = c.major;
        FakeSystem::minor = c.minor;
        lookandfeel::InitializeThemeServices();
        EXPECT_EQ(FakeSystem::announcedSize, 148u);
        EXPECT_EQ(FakeSystem::initCommonControlsCalls, 1);
        EXPECT_EQ(lookandfeel::ThemeCapableSystem(), c.capable);
        EXPECT_EQ(lookandfeel::ThemeLibraryLoaded(), c.capable);
        EXPECT_EQ(FakeSystem::loadedNames,
                  c.capable ? std::vector<std::string>{"UxTheme.dll"} : std::vector<std::string>{});
        lookandfeel::FinalizeThemeServices();
    }

    FakeSystem::Reset();
    FakeSystem::versionQueryFails = true;
    lookandfeel::InitializeThemeServices();
    EXPECT_FALSE(lookandfeel::ThemeCapableSystem());
    EXPECT_TRUE(FakeSystem::loadedNames.empty());
    EXPECT_EQ(FakeSystem::initCommonControlsCalls, 1);
}

// On an older system and where the library is missing the program runs without visual styles:
// nothing is opened, the call operations fail softly, and no theme-change window exists.
void ExpectNoThemes() {
    EXPECT_FALSE(lookandfeel::ThemeLibraryLoaded());
    EXPECT_FALSE(lookandfeel::ThemeActiveFlag());
    EXPECT_FALSE(lookandfeel::ThemesAvailable());
    EXPECT_FALSE(lookandfeel::ThemeAvailable(ThemedObjectType::Button));
    EXPECT_FALSE(lookandfeel::ThemesAvailable({ThemedObjectType::Button, ThemedObjectType::Edit}));
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), nullptr);
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button, L"Button"), nullptr);
    EXPECT_EQ(lookandfeel::CloseThemeHandle(ThemedObjectType::Button), 1);
    EXPECT_EQ(lookandfeel::ThemeChangeReceiverWindow(), nullptr);
    EXPECT_EQ(lookandfeel::BoundThemeFunctions().OpenThemeData, nullptr);
    EXPECT_EQ(lookandfeel::OpenThemeData(nullptr, L"Button"), nullptr);
    EXPECT_FALSE(lookandfeel::IsThemeActive());
    wchar_t file[64], color[64], size[64];
    EXPECT_EQ(lookandfeel::GetCurrentThemeName(file, 64, color, 64, size, 64), kMissing);
}

TEST_F(SimulatedSystem, OlderSystemNeverLoadsTheLibrary) {
    FakeSystem::major = 5;
    FakeSystem::minor = 0;
    testsupport::ScopedThemeServices services;
    EXPECT_TRUE(FakeSystem::loadedNames.empty());
    EXPECT_TRUE(FakeSystem::lookups.empty());
    ExpectNoThemes();
}

TEST_F(SimulatedSystem, MissingLibraryGivesNoThemesAndNotifiersAreNeverRegistered) {
    FakeSystem::libraryMissing = true;
    lookandfeel::InitializeThemeServices();
    EXPECT_TRUE(lookandfeel::ThemeCapableSystem());
    EXPECT_EQ(FakeSystem::loadedNames.size(), 1u);
    EXPECT_TRUE(FakeSystem::lookups.empty());
    ExpectNoThemes();

    int earlyCalls = 0, lateCalls = 0;
    std::optional<lookandfeel::ThemeChangeNotifier> early;
    early.emplace([&] { ++earlyCalls; });

    // The library appears on the next start-up: only a notifier created now is registered.
    FakeSystem::libraryMissing = false;
    lookandfeel::InitializeThemeServices();
    ASSERT_TRUE(lookandfeel::ThemeLibraryLoaded());
    HWND receiver = lookandfeel::ThemeChangeReceiverWindow();
    ASSERT_NE(receiver, nullptr);
    lookandfeel::ThemeChangeNotifier late([&] { ++lateCalls; });
    ::SendMessageW(receiver, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(earlyCalls, 0);
    EXPECT_EQ(lateCalls, 1);

    // Destroying the unregistered notifier leaves the list alone.
    early.reset();
    ::SendMessageW(receiver, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(lateCalls, 2);
}

TEST_F(SimulatedSystem, MissingFunctionLeavesItsEntryEmptyAndStartUpGoesOn) {
    FakeSystem::missingFunction = "DrawThemeEdge";
    testsupport::ScopedThemeServices services;
    ASSERT_TRUE(lookandfeel::ThemeLibraryLoaded());
    EXPECT_NE(lookandfeel::ThemeChangeReceiverWindow(), nullptr);

    // Every function is asked for by its name, once, in the order of the list.
    std::vector<std::string> expected(lookandfeel::kThemeFunctionNames,
                                      lookandfeel::kThemeFunctionNames +
                                          lookandfeel::kThemeFunctionCount);
    ASSERT_EQ(expected.size(), 46u);
    EXPECT_EQ(expected.front(), "CloseThemeData");
    EXPECT_EQ(expected.back(), "SetWindowTheme");
    EXPECT_EQ(FakeSystem::lookups, expected);

    const lookandfeel::ThemeFunctions& table = lookandfeel::BoundThemeFunctions();
#define EXPECT_ENTRY(name)                                                                         \
    EXPECT_EQ(table.name == nullptr, std::string(#name) == "DrawThemeEdge") << #name;
    ORDANEL_THEME_FUNCTIONS(EXPECT_ENTRY)
#undef EXPECT_ENTRY

    // A function that the program calls is missing: it draws without visual styles, and the
    // operation itself fails softly instead of jumping through an empty entry.
    EXPECT_FALSE(lookandfeel::ThemeBindingComplete());
    EXPECT_FALSE(lookandfeel::ThemesAvailable());
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), nullptr);
    RECT r{0, 0, 10, 10}, content{};
    EXPECT_EQ(
        lookandfeel::DrawThemeEdge(nullptr, nullptr, 1, 1, &r, EDGE_RAISED, BF_RECT, &content),
        kMissing);
}

TEST_F(SimulatedSystem, MissingFunctionThatIsNeverCalledKeepsTheBindingComplete) {
    FakeSystem::missingFunction = "DrawThemeIcon";
    testsupport::ScopedThemeServices services;
    EXPECT_EQ(lookandfeel::BoundThemeFunctions().DrawThemeIcon, nullptr);
    EXPECT_TRUE(lookandfeel::ThemeBindingComplete());
}

TEST_F(SimulatedSystem, LibraryIsFreedOnceThroughTheLoaderAndCanBeBoundAgain) {
    lookandfeel::InitializeThemeServices();
    ASSERT_NE(FakeSystem::loaded, nullptr);
    EXPECT_TRUE(FakeSystem::freed.empty());
    HMODULE first = FakeSystem::loaded;

    // A second start-up shuts the first down before loading again.
    lookandfeel::InitializeThemeServices();
    EXPECT_EQ(FakeSystem::freed, std::vector<HMODULE>{first});
    EXPECT_EQ(FakeSystem::loadedNames.size(), 2u);
    EXPECT_NE(lookandfeel::ThemeChangeReceiverWindow(), nullptr);

    lookandfeel::FinalizeThemeServices();
    lookandfeel::FinalizeThemeServices();
    EXPECT_EQ(FakeSystem::freed.size(), 2u);
    EXPECT_FALSE(lookandfeel::ThemeLibraryLoaded());
    EXPECT_EQ(lookandfeel::BoundThemeFunctions().IsThemeActive, nullptr);
    EXPECT_EQ(lookandfeel::ThemeChangeReceiverWindow(), nullptr);
    EXPECT_FALSE(lookandfeel::ThemeActiveFlag());
}

// --- Theme-change receiver and notifiers (message sent directly to the receiver)
// ------------------

class Receiver : public ::testing::Test {
protected:
    testsupport::ScopedThemeServices services_;

    void SendThemeChanged() {
        HWND receiver = lookandfeel::ThemeChangeReceiverWindow();
        ASSERT_NE(receiver, nullptr);
        EXPECT_EQ(::SendMessageW(receiver, WM_THEMECHANGED, 0, 0), 0);
    }
};

TEST_F(Receiver, NotifiersAreCalledOnceEachInRegistrationOrder) {
    std::vector<char> calls;
    lookandfeel::ThemeChangeNotifier a([&] { calls.push_back('a'); });
    lookandfeel::ThemeChangeNotifier unbound; // no handler: skipped
    std::optional<lookandfeel::ThemeChangeNotifier> b;
    b.emplace([&] { calls.push_back('b'); });
    lookandfeel::ThemeChangeNotifier c([&] { calls.push_back('c'); });
    SendThemeChanged();
    EXPECT_EQ(calls, (std::vector<char>{'a', 'b', 'c'}));

    calls.clear();
    b.reset();
    SendThemeChanged();
    EXPECT_EQ(calls, (std::vector<char>{'a', 'c'}));
}

TEST_F(Receiver, NotifierDestroyedDuringTheBroadcastIsSkipped) {
    std::vector<char> calls;
    std::optional<lookandfeel::ThemeChangeNotifier> b, c;
    lookandfeel::ThemeChangeNotifier a([&] {
        calls.push_back('a');
        c.reset(); // a later notifier goes away while the change is being told
    });
    b.emplace([&] {
        calls.push_back('b');
        b.reset(); // and one removes itself
    });
    c.emplace([&] { calls.push_back('c'); });
    lookandfeel::ThemeChangeNotifier d([&] { calls.push_back('d'); });
    SendThemeChanged();
    EXPECT_EQ(calls, (std::vector<char>{'a', 'b', 'd'}));
}

TEST_F(Receiver, NotifierDestroyedWhileTheLibraryIsUnboundLeavesTheList) {
    int calls = 0;
    std::optional<lookandfeel::ThemeChangeNotifier> notifier;
    notifier.emplace([&] { ++calls; });
    lookandfeel::UnbindThemeLibrary(); // the manager and its list stay
    notifier.reset();
    lookandfeel::BindThemeLibrary();
    // A new notifier at the same address: were the old entry still listed, it would be told twice.
    notifier.emplace([&] { ++calls; });
    SendThemeChanged();
    EXPECT_EQ(calls, 1);
}

// The handler ends its own life as it runs: by destroying its notifier, or by replacing itself.
// It reads only static state afterwards; what it holds by value must still be alive then.
TEST_F(Receiver, HandlerThatEndsItselfKeepsItsCapturesUntilItReturns) {
    static std::optional<lookandfeel::ThemeChangeNotifier> notifier;
    static bool destroyNotifier;
    static std::weak_ptr<int> held;
    static std::optional<bool> heldAfterwards;
    for (bool destroy : {true, false}) {
        SCOPED_TRACE(destroy ? "notifier destroyed" : "handler replaced");
        destroyNotifier = destroy;
        auto token = std::make_shared<int>(0);
        held = token;
        heldAfterwards.reset();
        notifier.emplace([token] {
            if (destroyNotifier)
                notifier.reset();
            else
                notifier->OnThemeChanged = nullptr;
            heldAfterwards = !held.expired();
        });
        token.reset();
        SendThemeChanged();
        EXPECT_EQ(heldAfterwards, true);
        notifier.reset();
        EXPECT_TRUE(held.expired()) << "nothing keeps the handler once it returned";
    }
}

// --- Call operations --------------------------------------------------------------------------

struct TextCall {
    static inline std::wstring text;
    static inline int count = 0;
    static inline int calls = 0;
    static inline HTHEME theme = nullptr;
    static inline DWORD flags = 0, flags2 = 0;
    static inline const RECT* rect = nullptr;

    static HRESULT WINAPI DrawThemeText(HTHEME t, HDC, int, int, LPCWSTR s, int n, DWORD f,
                                        DWORD f2, const RECT* r) {
        ++calls;
        text = n < 0 ? std::wstring(s) : std::wstring(s, static_cast<size_t>(n));
        count = n;
        theme = t;
        flags = f;
        flags2 = f2;
        rect = r;
        return S_OK;
    }
};

TEST_F(Receiver, EightBitTextIsConvertedToUtf16) {
    lookandfeel::ScopedThemeFunction<&lookandfeel::ThemeFunctions::DrawThemeText> fake(
        &TextCall::DrawThemeText);
    HTHEME theme = reinterpret_cast<HTHEME>(0x1234);
    RECT r{1, 2, 3, 4};

    // "Café au lait" in the ANSI code page (UTF-8, as the manifest asks), NUL-terminated.
    EXPECT_EQ(lookandfeel::DrawThemeText(theme, nullptr, 1, 2, "Caf\xC3\xA9 au lait", -1, DT_CENTER,
                                         0, &r),
              S_OK);
    EXPECT_EQ(TextCall::text, L"Caf\u00E9 au lait");
    EXPECT_EQ(TextCall::count, -1);
    EXPECT_EQ(TextCall::theme, theme);
    EXPECT_EQ(TextCall::flags, static_cast<DWORD>(DT_CENTER));
    EXPECT_EQ(TextCall::rect, &r);

    // A count takes that many characters, not the whole string.
    EXPECT_EQ(lookandfeel::DrawThemeText(theme, nullptr, 1, 2, "abcdef", 3, 0, 0, &r), S_OK);
    EXPECT_EQ(TextCall::text, L"abc");
    EXPECT_EQ(TextCall::count, 3);

    EXPECT_EQ(lookandfeel::DrawThemeText(theme, nullptr, 1, 2, "abc", 0, 0, 0, &r), S_OK);
    EXPECT_EQ(TextCall::text, L"");
    EXPECT_EQ(TextCall::count, 0);

    int calls = TextCall::calls;
    EXPECT_EQ(lookandfeel::DrawThemeText(theme, nullptr, 1, 2, static_cast<const char*>(nullptr),
                                         -1, 0, 0, &r),
              E_POINTER);
    EXPECT_EQ(TextCall::calls, calls);
}

// The parent of the child paints its background with another font selected, and leaves it so.
struct FontChangingParent {
    static inline int paintRequests = 0;
    static inline HFONT font = nullptr;
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_ERASEBKGND || message == WM_PRINTCLIENT) {
            ++paintRequests;
            ::SelectObject(reinterpret_cast<HDC>(wParam), font);
            return 1;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

TEST_F(Receiver, ParentBackgroundKeepsTheFontSelectedInTheDc) {
    ASSERT_TRUE(lookandfeel::ThemeLibraryLoaded());
    framework::UniqueFont parentFont(
        ::CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Courier New"));
    framework::UniqueFont ownFont(
        ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma"));
    FontChangingParent::font = parentFont.get();
    FontChangingParent::paintRequests = 0;

    WNDCLASSW wc{};
    wc.lpfnWndProc = &FontChangingParent::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrdanelFontChangingParent";
    ::RegisterClassW(&wc);
    framework::UniqueHwnd parent(::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 100,
                                                   100, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(parent);
    HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 10, 10, 40, 20, parent.get(),
                                   nullptr, wc.hInstance, nullptr);
    ASSERT_NE(child, nullptr);

    framework::UniqueHdc dc(::CreateCompatibleDC(nullptr));
    framework::SelectGuard selected(dc.get(), ownFont.get());
    RECT r{0, 0, 40, 20};
    lookandfeel::DrawThemeParentBackground(child, dc.get(), &r);
    EXPECT_GT(FontChangingParent::paintRequests, 0) << "the parent was not asked to paint";
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), ownFont.get());
}

// --- Types ------------------------------------------------------------------------------------

TEST(ThemedObjectTypes, ClassNamesAndMaskBits) {
    const wchar_t* expected[] = {
        L"Button",   L"Clock",      L"ComboBox", L"Edit",       L"ExplorerBar", L"Header",
        L"ListView", L"Menu",       L"Page",     L"Progress",   L"Rebar",       L"ScrollBar",
        L"Spin",     L"StartPanel", L"Status",   L"Tab",        L"TaskBand",    L"TaskBar",
        L"ToolBar",  L"ToolTip",    L"TrackBar", L"TrayNotify", L"TreeView",    L"Window"};
    static_assert(std::size(expected) == lookandfeel::kThemedObjectTypeCount);
    for (int i = 0; i < lookandfeel::kThemedObjectTypeCount; ++i) {
        auto type = static_cast<ThemedObjectType>(i);
        EXPECT_STREQ(lookandfeel::ThemeClassName(type), expected[i]) << i;
        EXPECT_EQ(ThemedObjectTypes(type).ToBits(), 1u << i) << i;
    }
    EXPECT_EQ(lookandfeel::ThemeClassName(static_cast<ThemedObjectType>(24)), nullptr);

    ThemedObjectTypes set{ThemedObjectType::Button, ThemedObjectType::ScrollBar};
    EXPECT_EQ(set.ToBits(), 0x801u);
    EXPECT_TRUE(set.Contains(ThemedObjectType::ScrollBar));
    EXPECT_FALSE(set.Contains(ThemedObjectType::Edit));
    set.Exclude(ThemedObjectType::Button).Include(ThemedObjectType::Window);
    EXPECT_EQ(set.ToBits(), 0x800800u);
    EXPECT_EQ(set | ThemedObjectType::Button, ThemedObjectTypes::FromBits(0x800801u));
    EXPECT_TRUE(ThemedObjectTypes().Empty());
    EXPECT_EQ(ThemedObjectTypes::FromBits(0xFFFFFFFFu), ThemedObjectTypes::All());
    EXPECT_EQ(ThemedObjectTypes::All().ToBits(), 0x00FFFFFFu);
}

} // namespace
