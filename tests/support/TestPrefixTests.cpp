// test-lock: theme
// test-lock: registry-uninstall
//
// The guard that keeps the tests' writes to the Uninstall keys and the visual style inside the
// private test prefix. Were the guard broken, the refusal test would switch the desktop's style
// and empty the user's Uninstall key, hence the locks.
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestPrefix.h"
#include "tests/support/UninstallSandbox.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace testsupport;

constexpr char kProbeEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                               "OrdanelGuardProbe";

/// Whether the probe entry in the user's real Uninstall key (the hive no redirection hides) is
/// still there: an Uninstall sandbox that was not refused would have emptied that key.
bool ProbeEntryExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kProbeEntry, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

std::optional<std::wstring> ThemeActiveValue() {
    wchar_t value[16] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER,
                       L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager",
                       L"ThemeActive", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

/// HKEY_LOCAL_MACHINE of this process stands for another key while it lives.
class ScopedMachineRedirect {
public:
    explicit ScopedMachineRedirect(HKEY target) {
        status_ = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, target);
    }
    ~ScopedMachineRedirect() { ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }
    ScopedMachineRedirect(const ScopedMachineRedirect&) = delete;
    ScopedMachineRedirect& operator=(const ScopedMachineRedirect&) = delete;
    LSTATUS Status() const noexcept { return status_; }

private:
    LSTATUS status_;
};

TEST(TestPrefixGuard, ThePrefixOfTheTestsCarriesTheMarker) {
    EXPECT_TRUE(InsideTestPrefix()) << "tools/winerun did not mark this prefix";
    EXPECT_NO_THROW(RequireTestPrefix("run"));
}

TEST(TestPrefixGuard, WithoutTheMarkerEveryGuardedHelperRefusesBeforeWritingAnything) {
    RegistrySandbox scratch;
    scratch.CreateKey("EmptyMachine");
    HKEY emptyMachine = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, scratch.PathOf("EmptyMachine").c_str(), 0,
                              KEY_ALL_ACCESS, &emptyMachine),
              ERROR_SUCCESS);
    HKEY probe = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kProbeEntry, 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &probe, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(probe);
    const bool styleBefore = VisualStyleActive();
    const std::optional<std::wstring> themeActiveBefore = ThemeActiveValue();

    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"the guard itself", [] { RequireTestPrefix("test the guard"); }},
        {"an Uninstall sandbox", [] { UninstallSandbox sandbox; }},
        {"a switch to the present style", [=] { SetVisualStyle(styleBefore); }},
        {"a switch to the other style", [=] { SetVisualStyle(!styleBefore); }},
        {"a scoped switch", [=] { ScopedVisualStyle style(!styleBefore); }},
    };
    {
        ScopedMachineRedirect redirect(emptyMachine);
        ASSERT_EQ(redirect.Status(), ERROR_SUCCESS);
        EXPECT_FALSE(InsideTestPrefix());
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            try {
                c.run();
                ADD_FAILURE() << "not refused";
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find("OrdanelTestPrefix is missing"),
                          std::string::npos)
                    << e.what();
            }
        }
    }
    ::RegCloseKey(emptyMachine);

    EXPECT_TRUE(scratch.SubkeyNames("EmptyMachine").empty());
    EXPECT_TRUE(ProbeEntryExists()) << "an Uninstall key was emptied";
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kProbeEntry);
    EXPECT_EQ(VisualStyleActive(), styleBefore);
    EXPECT_EQ(ThemeActiveValue(), themeActiveBefore);
    EXPECT_TRUE(InsideTestPrefix()) << "the redirection ended";
}

// The faces the program's windows ask for are Windows' own, as the layout tables and the pixel
// tests assume: "MS Sans Serif" is the bitmap face with text 13 pixels high at -11.
TEST(TestPrefixGuard, ThePrefixHasTheFacesOfWindows) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    struct Face {
        const char* name;
        LONG height; // 0: any
        bool trueType;
    };
    for (const Face& face :
         {Face{"MS Sans Serif", 13, false}, Face{"Marlett", 0, true}, Face{"Tahoma", 13, true}}) {
        SCOPED_TRACE(face.name);
        HFONT font =
            ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face.name);
        HGDIOBJ old = ::SelectObject(dc, font);
        char got[LF_FACESIZE] = {};
        ::GetTextFaceA(dc, LF_FACESIZE, got);
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(dc, &metrics);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        EXPECT_STREQ(got, face.name) << "tools/winerun did not install Wine's fonts";
        if (face.height) {
            EXPECT_EQ(metrics.tmHeight, face.height);
        }
        EXPECT_EQ((metrics.tmPitchAndFamily & TMPF_TRUETYPE) != 0, face.trueType);
    }
    ::DeleteDC(dc);
}

} // namespace
