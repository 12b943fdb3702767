// test-lock: registry-uninstall
// test-lock: input
//
// Starts the built program against a seeded registry and looks at it from outside, as a user's
// tools would: its window, its tree, its exit code.
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/UninstallSandbox.h"

#include "OrdanelVersion.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::ChildProcess;
using testsupport::RemoteTreeItem;
using testsupport::Scope;

std::vector<std::string> Texts(const std::vector<RemoteTreeItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.text);
    return out;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox.AddEntry(Scope::Machine, "E2E-A", "E2E Machine Tool 1.0");
        sandbox.AddEntry(Scope::Machine, "E2E-B"); // no DisplayName: no node
        static const char expand[] = "%ProgramFiles% Suite";
        sandbox.SetValue(Scope::Machine, "E2E-C", "DisplayName", REG_EXPAND_SZ, expand,
                         sizeof expand);
        sandbox.AddEntry(Scope::Machine32, "E2E-A", "E2E 32-bit Tool");
        sandbox.AddEntry(Scope::User, "E2E-D", "E2E User Tool");
        sandbox.AddEntry(Scope::User, "E2E-E", "E2E User Tool");
        // Names outside code page 1252 next to the look-alike that code page makes of one.
        sandbox.AddEntry(Scope::User, L"Prog?", L"Decoy Question");
        sandbox.AddEntry(Scope::User, L"Prog\u03BB", L"Lambda Tool \u03BB");
        sandbox.AddEntry(Scope::User, L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB",
                         L"\u65E5\u672C\u8A9E\u30C4\u30FC\u30EB 2.0");
    }
    testsupport::UninstallSandbox sandbox;
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
    // The confirmation dialog is there from start-up, hidden, owned as the main window is.
    HWND dialog = ::FindWindowA("Ordanel.WarningForm", nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetWindowThreadProcessId(dialog, nullptr),
              ::GetWindowThreadProcessId(main, nullptr));
    EXPECT_FALSE(::IsWindowVisible(dialog));
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), ::GetWindow(main, GW_OWNER));

    HWND tree = testsupport::FindChildOfClass(main, "SysTreeView32");
    ASSERT_NE(tree, nullptr);
    auto roots = testsupport::ReadRemoteTree(tree);
    ASSERT_EQ(Texts(roots), (std::vector<std::string>{"Entire System", "Current User"}));
    // The 64-bit view, then the 32-bit view; expanded strings shown as stored.
    EXPECT_EQ(Texts(roots[0].children),
              (std::vector<std::string>{"E2E Machine Tool 1.0", "%ProgramFiles% Suite",
                                        "E2E 32-bit Tool"}));
    EXPECT_EQ(Texts(roots[1].children),
              (std::vector<std::string>{"E2E User Tool", "E2E User Tool", "Decoy Question",
                                        "Lambda Tool \xCE\xBB",
                                        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x84"
                                        "\xE3\x83\xBC\xE3\x83\xAB 2.0"}));
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

TEST_F(EndToEnd, AQuitMessageFromElsewhereEndsTheProgramWithExitCodeZero) {
    ChildProcess program(testsupport::ProgramPath());
    HWND main = program.WaitForWindow("Ordanel.MainForm");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(::PostThreadMessageA(::GetWindowThreadProcessId(main, nullptr), WM_QUIT, 5, 0));
    EXPECT_EQ(program.WaitForExit(), 0);
}

// The title, which the taskbar and every error box show, lower-cases from the second character of
// the program's file name, whatever bytes that character takes.
TEST_F(EndToEnd, TheTitleOfACopyWhoseNameStartsWithACharacterOfSeveralBytes) {
    wchar_t folder[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring copy = std::wstring(folder) + L"\u00D6lwerk.exe";
    ASSERT_TRUE(
        ::CopyFileW(testsupport::Wide(testsupport::ProgramPath()).c_str(), copy.c_str(), FALSE));
    struct Remove {
        const std::wstring& file;
        ~Remove() { ::DeleteFileW(file.c_str()); }
    } remove{copy};
    {
        int bytes =
            ::WideCharToMultiByte(CP_UTF8, 0, copy.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string path(static_cast<size_t>(bytes), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, copy.c_str(), -1, path.data(), bytes, nullptr, nullptr);
        path.pop_back();
        ChildProcess program(path);
        HWND main = program.WaitForWindow("Ordanel.MainForm");
        ASSERT_NE(main, nullptr);
        wchar_t title[64] = {};
        ::GetWindowTextW(::GetWindow(main, GW_OWNER), title, 64);
        EXPECT_EQ(std::wstring(title), L"\u00D6lwerk");
        ::PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(), 0);
    }
}

TEST(VersionResource, NamesTheProductAndItsMakerAtTheOneVersion) {
    const std::string path = testsupport::ProgramPath();
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(
        ::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    const std::string version = ORDANEL_VERSION_TEXT ".0";
    const struct {
        const char* field;
        std::string expected;
    } fields[] = {
        {"CompanyName", "Tarvelin"},
        {"LegalCopyright", "Copyright (c) 2026 The Ordanel authors. MIT licence."},
        {"FileDescription", "Ordanel"},
        {"ProductName", "Ordanel"},
        {"FileVersion", version},
        {"ProductVersion", version},
    };
    for (const auto& [field, expected] : fields) {
        char* text = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + field;
        ASSERT_TRUE(
            ::VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << field;
        EXPECT_EQ(std::string(text), expected) << field;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const DWORD high = MAKELONG(ORDANEL_VERSION_MINOR, ORDANEL_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, ORDANEL_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
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
