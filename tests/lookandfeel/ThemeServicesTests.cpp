// ThemeServicesTests.cpp - the theme manager against the real theme library of the test prefix,
// with the visual style on, off, and switched while the services run (a real WM_THEMECHANGED).
// The style is switched through the library's own functions (tests/support/VisualStyle.h) and put
// back as it was at the end of every test.
// test-lock: theme
#include "framework/Exceptions.h"
#include "lookandfeel/ThemeServices.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using lookandfeel::ThemedObjectType;
using testsupport::PumpPendingMessages;
using testsupport::SetVisualStyle;

// Records the calls that reach the theme library through the binding's table.
struct ThemeCalls {
    static inline std::vector<std::wstring> opened; // class lists asked for
    static inline std::vector<HTHEME> closed;
    static inline std::wstring failingClass; // OpenThemeData answers null for this class list
    static inline decltype(&::OpenThemeData) realOpen = nullptr;
    static inline decltype(&::CloseThemeData) realClose = nullptr;

    static HTHEME WINAPI Open(HWND window, LPCWSTR classList) {
        opened.emplace_back(classList);
        if (classList == failingClass)
            return nullptr;
        return realOpen(window, classList);
    }
    static HRESULT WINAPI Close(HTHEME theme) {
        closed.push_back(theme);
        return realClose(theme);
    }
    static void Reset() {
        opened.clear();
        closed.clear();
        failingClass.clear();
    }
};

// Sets the style, then starts the services (which read the active flag at start-up), then
// counts OpenThemeData and CloseThemeData. Destruction runs in reverse: the services stop before
// the style is put back.
class RealStyle : public ::testing::Test {
protected:
    void Start(bool styleActive) {
        ThemeCalls::Reset();
        style_.emplace(styleActive);
        ASSERT_TRUE(style_->Switched()) << "cannot switch the visual style";
        ASSERT_EQ(testsupport::VisualStyleActive(), styleActive);
        services_.emplace();
        ASSERT_TRUE(lookandfeel::ThemeLibraryLoaded());
        open_.emplace(&ThemeCalls::Open);
        close_.emplace(&ThemeCalls::Close);
        ThemeCalls::realOpen = open_->Original();
        ThemeCalls::realClose = close_->Original();
    }

    static size_t OpenCount(const std::wstring& classList) {
        return static_cast<size_t>(
            std::count(ThemeCalls::opened.begin(), ThemeCalls::opened.end(), classList));
    }

    std::optional<testsupport::ScopedVisualStyle> style_;
    std::optional<testsupport::ScopedThemeServices> services_;
    std::optional<lookandfeel::ScopedThemeFunction<&lookandfeel::ThemeFunctions::OpenThemeData>>
        open_;
    std::optional<lookandfeel::ScopedThemeFunction<&lookandfeel::ThemeFunctions::CloseThemeData>>
        close_;
};

TEST_F(RealStyle, ActiveStyleOpensEachClassOnceAndCachesIt) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    EXPECT_TRUE(lookandfeel::ThemeActiveFlag());
    EXPECT_TRUE(lookandfeel::ThemesAvailable());

    HTHEME button = lookandfeel::OpenThemeHandle(ThemedObjectType::Button);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), button);
    EXPECT_TRUE(lookandfeel::ThemeAvailable(ThemedObjectType::Button));
    EXPECT_EQ(ThemeCalls::opened, std::vector<std::wstring>{L"Button"});

    EXPECT_TRUE(lookandfeel::ThemesAvailable(
        {ThemedObjectType::Edit, ThemedObjectType::ScrollBar, ThemedObjectType::TreeView}));
    EXPECT_EQ(ThemeCalls::opened.size(), 4u);

    // The handle really is one of the style: the push button has a content rectangle inside its
    // border.
    RECT bounds{0, 0, 100, 100}, content{};
    EXPECT_EQ(lookandfeel::GetThemeBackgroundContentRect(button, nullptr, 1, 1, bounds, content),
              S_OK);
    EXPECT_GT(content.left, 0);
    EXPECT_LT(content.right, 100);

    EXPECT_EQ(lookandfeel::CloseThemeHandle(ThemedObjectType::Button), S_OK);
    EXPECT_EQ(ThemeCalls::closed, std::vector<HTHEME>{button});
    EXPECT_EQ(lookandfeel::CloseThemeHandle(ThemedObjectType::Button), S_OK); // not open
    EXPECT_EQ(ThemeCalls::closed.size(), 1u);
}

TEST_F(RealStyle, StyleSwitchedOffGivesNoHandlesWithoutAskingTheLibrary) {
    ASSERT_NO_FATAL_FAILURE(Start(false));
    EXPECT_FALSE(lookandfeel::ThemeActiveFlag());
    EXPECT_NE(lookandfeel::ThemeChangeReceiverWindow(), nullptr);
    EXPECT_FALSE(lookandfeel::ThemesAvailable());
    EXPECT_FALSE(lookandfeel::ThemeAvailable(ThemedObjectType::Button));
    EXPECT_FALSE(lookandfeel::ThemesAvailable({ThemedObjectType::Button}));
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), nullptr);
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Edit, L"Edit"), nullptr);
    EXPECT_TRUE(ThemeCalls::opened.empty());
    EXPECT_EQ(lookandfeel::CloseThemeHandle(ThemedObjectType::Button), 1);
}

TEST_F(RealStyle, ThemeChangeClosesEveryHandleOnceRereadsTheFlagAndTellsNotifiersInOrder) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    std::vector<char> calls;
    std::optional<bool> flagSeen;
    HTHEME buttonSeen = nullptr;
    // The first notifier looks at the state the change left: flag re-read, cache emptied.
    lookandfeel::ThemeChangeNotifier a([&] {
        calls.push_back('a');
        flagSeen = lookandfeel::ThemeActiveFlag();
        buttonSeen = lookandfeel::OpenThemeHandle(ThemedObjectType::Button);
    });
    lookandfeel::ThemeChangeNotifier b([&] { calls.push_back('b'); });
    lookandfeel::ThemeChangeNotifier c([&] { calls.push_back('c'); });

    std::vector<HTHEME> open;
    for (ThemedObjectType type : {ThemedObjectType::Button, ThemedObjectType::Edit,
                                  ThemedObjectType::ScrollBar, ThemedObjectType::TreeView}) {
        open.push_back(lookandfeel::OpenThemeHandle(type));
        ASSERT_NE(open.back(), nullptr);
    }
    ThemeCalls::opened.clear();

    ASSERT_TRUE(SetVisualStyle(false));
    PumpPendingMessages();
    std::vector<HTHEME> closed = ThemeCalls::closed;
    std::sort(closed.begin(), closed.end());
    std::sort(open.begin(), open.end());
    EXPECT_EQ(closed, open);
    EXPECT_FALSE(lookandfeel::ThemeActiveFlag());
    EXPECT_EQ(calls, (std::vector<char>{'a', 'b', 'c'}));
    EXPECT_EQ(flagSeen, false);
    EXPECT_EQ(buttonSeen, nullptr);
    EXPECT_TRUE(ThemeCalls::opened.empty());
    EXPECT_FALSE(lookandfeel::ThemesAvailable());

    // Back on: nothing is left to close, and the notifier reopens its class from the new style.
    ThemeCalls::closed.clear();
    calls.clear();
    ASSERT_TRUE(SetVisualStyle(true));
    PumpPendingMessages();
    EXPECT_TRUE(ThemeCalls::closed.empty());
    EXPECT_TRUE(lookandfeel::ThemeActiveFlag());
    EXPECT_EQ(calls, (std::vector<char>{'a', 'b', 'c'}));
    EXPECT_EQ(flagSeen, true);
    EXPECT_NE(buttonSeen, nullptr);
    EXPECT_EQ(ThemeCalls::opened, std::vector<std::wstring>{L"Button"});
}

TEST_F(RealStyle, ExceptionFromANotifierIsReportedAndTheOthersAreStillTold) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    std::vector<char> calls;
    lookandfeel::ThemeChangeNotifier a([&] { calls.push_back('a'); });
    lookandfeel::ThemeChangeNotifier b([&] {
        calls.push_back('b');
        throw framework::Exception("Theme cache refresh failed");
    });
    lookandfeel::ThemeChangeNotifier c([&] { calls.push_back('c'); });

    testsupport::MessageBoxWatcher watcher;
    ASSERT_TRUE(SetVisualStyle(false));
    PumpPendingMessages(); // the report box is shown and closed inside this
    EXPECT_EQ(watcher.Wait().text, "Theme cache refresh failed.");
    EXPECT_EQ(watcher.Count(), 1);
    EXPECT_EQ(calls, (std::vector<char>{'a', 'b', 'c'}));
    EXPECT_FALSE(lookandfeel::ThemeActiveFlag());
}

TEST_F(RealStyle, SetWithAClassThatDoesNotOpenIsNotAvailable) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    ThemeCalls::failingClass = L"Edit";
    EXPECT_TRUE(lookandfeel::ThemesAvailable({ThemedObjectType::Button, ThemedObjectType::Header}));
    EXPECT_FALSE(lookandfeel::ThemesAvailable(
        {ThemedObjectType::Button, ThemedObjectType::Edit, ThemedObjectType::Header}));
    EXPECT_FALSE(lookandfeel::ThemeAvailable(ThemedObjectType::Edit));
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Edit), nullptr);
    EXPECT_TRUE(lookandfeel::ThemesAvailable()); // the empty set opens nothing
    // The failure is not remembered: every question asks the library again.
    EXPECT_EQ(OpenCount(L"Edit"), 3u);
    EXPECT_EQ(OpenCount(L"Button"), 1u);

    ThemeCalls::failingClass.clear();
    EXPECT_NE(lookandfeel::OpenThemeHandle(ThemedObjectType::Edit), nullptr);
    EXPECT_EQ(OpenCount(L"Edit"), 4u);
}

TEST_F(RealStyle, DifferentClassListReopensTheSlot) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    HTHEME first = lookandfeel::OpenThemeHandle(ThemedObjectType::Button);
    ASSERT_NE(first, nullptr);

    // The same list in other case is the same list.
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button, L"bUTTON"), first);
    EXPECT_EQ(ThemeCalls::opened, std::vector<std::wstring>{L"Button"});
    EXPECT_TRUE(ThemeCalls::closed.empty());

    HTHEME second = lookandfeel::OpenThemeHandle(ThemedObjectType::Button, L"Edit;Button");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ThemeCalls::closed, std::vector<HTHEME>{first});
    EXPECT_EQ(ThemeCalls::opened.back(), L"Edit;Button");
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), second);
    EXPECT_EQ(ThemeCalls::opened.size(), 2u);

    // Closing all keeps the remembered list, closing the one slot forgets it.
    lookandfeel::CloseAllThemeHandles();
    EXPECT_EQ(ThemeCalls::closed, (std::vector<HTHEME>{first, second}));
    EXPECT_NE(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), nullptr);
    EXPECT_EQ(ThemeCalls::opened.back(), L"Edit;Button");
    EXPECT_EQ(lookandfeel::CloseThemeHandle(ThemedObjectType::Button), S_OK);
    EXPECT_NE(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), nullptr);
    EXPECT_EQ(ThemeCalls::opened.back(), L"Button");

    // A class list that does not open leaves the slot empty and forgets the list.
    ThemeCalls::failingClass = L"NoSuchClass";
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button, L"NoSuchClass"), nullptr);
    EXPECT_NE(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), nullptr);
    EXPECT_EQ(ThemeCalls::opened.back(), L"Button");
}

TEST_F(RealStyle, ShutDownClosesTheOpenHandlesAndClearsTheFlag) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    std::vector<HTHEME> open{lookandfeel::OpenThemeHandle(ThemedObjectType::Button),
                             lookandfeel::OpenThemeHandle(ThemedObjectType::TreeView)};
    ASSERT_NE(open[0], nullptr);
    ASSERT_NE(open[1], nullptr);
    lookandfeel::FinalizeThemeManager();
    EXPECT_EQ(ThemeCalls::closed, open);
    EXPECT_FALSE(lookandfeel::ThemeActiveFlag());
    EXPECT_EQ(lookandfeel::ThemeChangeReceiverWindow(), nullptr);
    EXPECT_FALSE(lookandfeel::ThemesAvailable());
}

// A missing function of those the program calls switches visual styles off for the whole
// program, even with the style active.
TEST(RealStyleBinding, MissingCalledFunctionMeansNoThemes) {
    testsupport::ScopedVisualStyle style(true);
    ASSERT_TRUE(style.Switched());
    struct Fake {
        static FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
            return std::string(name) == "GetThemeColor" ? nullptr : ::GetProcAddress(module, name);
        }
    };
    lookandfeel::ThemeSystemApi api = lookandfeel::DefaultThemeSystemApi();
    api.GetProcAddress = &Fake::GetProcAddress;
    lookandfeel::ScopedThemeSystemApi scopedApi(api);
    testsupport::ScopedThemeServices services;
    ASSERT_TRUE(lookandfeel::ThemeLibraryLoaded());
    EXPECT_TRUE(lookandfeel::ThemeActiveFlag());
    EXPECT_FALSE(lookandfeel::ThemesAvailable());
    EXPECT_EQ(lookandfeel::OpenThemeHandle(ThemedObjectType::Button), nullptr);
}

} // namespace
