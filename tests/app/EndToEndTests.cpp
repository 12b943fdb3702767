// test-lock: registry-uninstall
//
// Starts the built program against a seeded registry and looks at it from outside, as a user's
// tools would: its window, its tree, its exit code.
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/TestPrefix.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::ChildProcess;
using testsupport::RemoteTreeItem;

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

void WriteEntry(HKEY root, const std::string& name, const char* displayName, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    std::string path = std::string(kUninstall) + "\\" + name;
    ASSERT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    if (displayName)
        ::RegSetValueExA(key, "DisplayName", 0, type, reinterpret_cast<const BYTE*>(displayName),
                         static_cast<DWORD>(strlen(displayName) + 1));
    ::RegCloseKey(key);
}

/// The subkey names of a scope's Uninstall key, in enumeration order.
std::vector<std::string> EntryNames(HKEY root) {
    std::vector<std::string> names;
    HKEY uninstall = nullptr;
    if (::RegOpenKeyExA(root, kUninstall, 0, KEY_READ, &uninstall) != ERROR_SUCCESS)
        return names;
    char name[256];
    DWORD length = sizeof name;
    for (DWORD i = 0; ::RegEnumKeyExA(uninstall, i, name, &length, nullptr, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name)
        names.push_back(name);
    ::RegCloseKey(uninstall);
    return names;
}

void DeleteEntries(HKEY root, const std::string& prefix) {
    for (const auto& name : EntryNames(root))
        if (name.rfind(prefix, 0) == 0)
            ::RegDeleteTreeA(root, (std::string(kUninstall) + "\\" + name).c_str());
}

/// What the program should list for a scope: every subkey, in enumeration order, whose
/// "DisplayName" is a non-empty string; a "DisplayName" of another type ends the listing.
std::vector<std::string> ExpectedCaptions(HKEY root) {
    std::vector<std::string> captions;
    for (const auto& name : EntryNames(root)) {
        char value[1024] = {};
        DWORD size = sizeof value - 1, type = 0;
        std::string path = std::string(kUninstall) + "\\" + name;
        LSTATUS status = ::RegGetValueA(root, path.c_str(), "DisplayName",
                                        RRF_RT_ANY | RRF_NOEXPAND, &type, value, &size);
        if (status != ERROR_SUCCESS)
            continue;
        if (type != REG_SZ && type != REG_EXPAND_SZ && size > 0)
            break;
        if (value[0])
            captions.push_back(value);
    }
    return captions;
}

std::vector<std::string> Texts(const std::vector<RemoteTreeItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.text);
    return out;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::RequireTestPrefix("seed the Uninstall keys of this machine");
        RemoveSeeded();
        WriteEntry(HKEY_LOCAL_MACHINE, "E2E-A", "E2E Machine Tool 1.0");
        WriteEntry(HKEY_LOCAL_MACHINE, "E2E-B", nullptr); // no DisplayName: no node
        WriteEntry(HKEY_LOCAL_MACHINE, "E2E-C", "%ProgramFiles% Suite", REG_EXPAND_SZ);
        WriteEntry(HKEY_CURRENT_USER, "E2E-D", "E2E User Tool");
        WriteEntry(HKEY_CURRENT_USER, "E2E-E", "E2E User Tool");
    }
    void TearDown() override {
        // Also runs when SetUp refused: outside the test prefix nothing is deleted either.
        if (testsupport::InsideTestPrefix())
            RemoveSeeded();
    }
    static void RemoveSeeded() {
        DeleteEntries(HKEY_LOCAL_MACHINE, "E2E-");
        DeleteEntries(HKEY_CURRENT_USER, "E2E-");
    }
};

TEST_F(EndToEnd, ShowsBothScopesInTheTreeAndEndsWithExitCodeZeroWhenClosed) {
    ChildProcess program(testsupport::ProgramPath());
    HWND main = program.WaitForWindow("Ordanel.MainForm");
    ASSERT_NE(main, nullptr);

    EXPECT_EQ(testsupport::WindowText(main), " ");
    RECT client;
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, 372);
    EXPECT_EQ(client.bottom, 441);
    EXPECT_TRUE(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    LONG style = ::GetWindowLongA(main, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    RECT frame;
    ::GetWindowRect(main, &frame);
    EXPECT_EQ(frame.left, (::GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);

    HWND tree = testsupport::FindChildOfClass(main, "SysTreeView32");
    ASSERT_NE(tree, nullptr);
    auto roots = testsupport::ReadRemoteTree(tree);
    ASSERT_EQ(Texts(roots), (std::vector<std::string>{"Entire System", "Current User"}));
    EXPECT_EQ(Texts(roots[0].children), ExpectedCaptions(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(Texts(roots[1].children), ExpectedCaptions(HKEY_CURRENT_USER));
    // The seeded entries in particular, expanded strings shown as stored.
    auto machine = Texts(roots[0].children);
    EXPECT_NE(std::find(machine.begin(), machine.end(), "%ProgramFiles% Suite"), machine.end());
    for (const auto& root : roots) {
        EXPECT_TRUE(root.expanded) << root.text;
        EXPECT_EQ(root.image, 0);
        for (const auto& entry : root.children) {
            EXPECT_EQ(entry.image, 1);
            EXPECT_EQ(entry.selectedImage, 1);
        }
    }
    auto selected =
        reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    EXPECT_EQ(selected, roots[0].item) << "\"Entire System\" is selected";

    ::PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(EndToEnd, CloseItemOfTheSystemMenuEndsTheProgramLikeTheCloseBox) {
    ChildProcess program(testsupport::ProgramPath());
    HWND main = program.WaitForWindow("Ordanel.MainForm");
    ASSERT_NE(main, nullptr);
    ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
}

TEST(StartupFailure, UnreadableWindowDefinitionIsReportedAndExitsWithCodeOne) {
    // A copy of the program whose main window definition is broken.
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string copy = std::string(temp) + "OrdanelBroken.exe";
    ASSERT_TRUE(::CopyFileA(testsupport::ProgramPath().c_str(), copy.c_str(), FALSE));
    HANDLE update = ::BeginUpdateResourceA(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    static const char broken[] = "TMainForm MainForm {\n  Caption: \"unterminated\n}\n";
    // Replace it in whichever language the resource compiler stored it.
    for (WORD language :
         {MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)})
        ASSERT_TRUE(::UpdateResourceA(update, MAKEINTRESOURCEA(10), "TMAINFORM", language,
                                      const_cast<char*>(broken), sizeof broken - 1));
    ASSERT_TRUE(::EndUpdateResourceA(update, FALSE));

    testsupport::MessageBoxSeen seen;
    long exitCode;
    {
        ChildProcess program(copy);
        testsupport::MessageBoxWatcher watcher(program.Id());
        seen = watcher.Wait(20000);
        exitCode = program.WaitForExit();
    }
    ::DeleteFileA(copy.c_str());
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.caption, "Application Error");
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_EQ(seen.text.rfind("Exception EDefinitionError in module OrdanelBroken.exe at ", 0), 0u)
        << seen.text;
    EXPECT_NE(seen.text.find("TMainForm line 2: unterminated string."), std::string::npos)
        << seen.text;
    EXPECT_EQ(exitCode, 1);
}

} // namespace
