// test-lock: registry-uninstall
// test-lock: input
// test-lock: theme
//
// The built program as a person uses it, driven from outside its process with real clicks and
// key presses against a seeded registry: what Remove asks and what each answer does to the
// registry (both hives dumped before and after) and to the tree, the keys a removal takes, the
// tree's fixed shape, the tab order, the frame, the ways out, and how both windows look with the
// visual style on and off (the screenshots are kept as artefacts of the test run).
#include "tests/support/DibSurface.h"
#include "tests/support/Input.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ProcessDriver.h"
#include "tests/support/UninstallSandbox.h"
#include "tests/support/VisualStyle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::ChildProcess;
using testsupport::RegistryDump;
using testsupport::RemoteTreeItem;
using testsupport::Scope;

constexpr char kRemoveCaption[] = "Remove from add/remove programs list";

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 15000) {
    return testsupport::PumpUntil(done, timeoutMs, true);
}

/// A real left click: the pointer is moved there first and given a moment, so that the window
/// below it has seen it arrive before the button goes down.
void Click(POINT p) {
    testsupport::MouseTo(p);
    ::Sleep(50);
    testsupport::MouseTo(p, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
}
void Click(HWND window) {
    Click(testsupport::CentreOf(window));
}

/// A window as a message names it: its class and text.
std::string Describe(HWND window) {
    char cls[128] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    return std::string(cls) + " \"" + testsupport::WindowText(window) + "\"";
}

std::vector<std::string> Texts(const std::vector<RemoteTreeItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.text);
    return out;
}

/// The paths of a dump that a removal may change: below the Uninstall keys. Keys of other test
/// programs, which run alongside, are left out of the keys that went missing.
std::vector<std::wstring> BelowUninstall(std::vector<std::wstring> paths) {
    std::erase_if(paths, [](const std::wstring& p) {
        return p.find(L"\\CurrentVersion\\Uninstall") == std::wstring::npos;
    });
    return paths;
}
std::vector<std::wstring> NotOtherTests(std::vector<std::wstring> paths) {
    std::erase_if(paths, [](const std::wstring& p) {
        return p.find(L"\\OrdanelTests\\") != std::wstring::npos;
    });
    return paths;
}

/// The program under test, its windows and a user's hands on them.
class Program {
public:
    Program() : process_(testsupport::ProgramPath()) {
        main = process_.WaitForWindow("Ordanel.MainForm");
        if (!main)
            return;
        tree = testsupport::FindChildOfClass(main, "SysTreeView32");
        remove = ::FindWindowExA(main, nullptr, nullptr, kRemoveCaption);
        exit = ::FindWindowExA(main, nullptr, nullptr, "Exit");
        dialog = testsupport::FindProcessWindow(process_.Id(), "Ordanel.WarningForm");
        if (dialog) {
            yes = ::FindWindowExA(dialog, nullptr, nullptr, "Yes");
            no = ::FindWindowExA(dialog, nullptr, nullptr, "No");
        }
        // Activated as a person does: a click on the notice, which does nothing else.
        POINT notice{185, 120};
        ::ClientToScreen(main, &notice);
        Click(notice);
        testsupport::WaitIdle(main);
    }
    bool Ready() const { return main && tree && remove && exit && dialog && yes && no; }

    std::vector<RemoteTreeItem> Roots() const { return testsupport::ReadRemoteTree(tree); }
    void Select(HTREEITEM item) const {
        ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
    HTREEITEM Selected() const {
        return reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    }
    bool RemoveEnabled() const { return ::IsWindowEnabled(remove) != FALSE; }
    bool DialogShown() const { return ::IsWindowVisible(dialog) != FALSE; }

    /// Clicks Remove and waits for the dialog; false when it did not come.
    bool AskToRemove(int timeoutMs = 15000) const {
        Click(remove);
        return WaitFor([this] { return DialogShown(); }, timeoutMs);
    }
    /// Waits for the dialog to have gone and the program to have done what the answer asked.
    bool Answered() const {
        return WaitFor([this] {
                   return !DialogShown() && ::IsWindowEnabled(main) &&
                          ::GetForegroundWindow() == main;
               }) &&
               testsupport::WaitIdle(main);
    }
    /// Selects item, presses Remove and clicks the answer; true when the dialog came and went.
    ::testing::AssertionResult RemoveWith(HTREEITEM item, HWND answer) const {
        Select(item);
        if (!AskToRemove())
            return ::testing::AssertionFailure()
                   << "no dialog; Remove " << (RemoveEnabled() ? "enabled" : "disabled")
                   << ", focus on " << Describe(testsupport::FocusOf(main));
        Click(answer);
        if (!Answered())
            return ::testing::AssertionFailure() << "the dialog stayed";
        return ::testing::AssertionSuccess();
    }
    /// The screen's picture of a window, kept as an artefact.
    std::unique_ptr<testsupport::DibSurface> Shoot(HWND window, const std::string& name) const {
        RECT r;
        ::GetWindowRect(window, &r);
        auto shot = testsupport::CaptureScreen(r);
        testsupport::SaveBitmapFile(*shot, testsupport::ArtefactFolder() + "\\" + name + ".bmp");
        return shot;
    }
    long WaitForExit() { return process_.WaitForExit(); }
    DWORD Id() const { return process_.Id(); }

    HWND main = nullptr, tree = nullptr, remove = nullptr, exit = nullptr;
    HWND dialog = nullptr, yes = nullptr, no = nullptr;

private:
    ChildProcess process_;
};

class RemovalEndToEnd : public ::testing::Test {
protected:
    testsupport::UninstallSandbox sandbox;
};

TEST_F(RemovalEndToEnd, RemoveAsksFirstAndNoTheCloseBoxAltF4AndEscapeChangeNothing) {
    sandbox.AddEntry(Scope::Machine, "M-Tool", "Machine Tool");
    sandbox.AddEntry(Scope::Machine, "M-Tool\\Child");
    sandbox.AddEntry(Scope::User, "U-Tool", "User Tool");
    Program program;
    ASSERT_TRUE(program.Ready());
    const auto roots = program.Roots();
    ASSERT_EQ(Texts(roots), (std::vector<std::string>{"Entire System", "Current User"}));
    ASSERT_EQ(roots[0].children.size(), 1u);
    ASSERT_EQ(roots[1].children.size(), 1u);

    // Remove is enabled exactly while an entry is selected.
    struct Selection {
        HTREEITEM item;
        bool enabled;
    };
    for (const Selection& s : {Selection{roots[0].children[0].item, true},
                               {roots[1].item, false},
                               {roots[1].children[0].item, true},
                               {roots[0].item, false}}) {
        program.Select(s.item);
        testsupport::WaitIdle(program.main);
        EXPECT_EQ(program.RemoveEnabled(), s.enabled);
    }
    EXPECT_FALSE(program.AskToRemove(1000)) << "a disabled Remove takes no click";

    const RegistryDump before = testsupport::DumpBothHives();
    auto answerNo = [&] { Click(program.no); };
    auto closeBox = [&] { Click(testsupport::CloseBoxPoint(program.dialog)); };
    auto altF4 = [] { testsupport::PressKeys({VK_MENU, VK_F4}); };
    // Another program closing the dialog, with no input following.
    auto sentClose = [&] {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(program.dialog, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &ignored);
    };
    struct Way {
        const char* name;
        std::function<void()> answer;
    };
    for (const Way& way : {Way{"No", answerNo}, Way{"close box", closeBox}, Way{"Alt+F4", altF4},
                           Way{"WM_CLOSE sent", sentClose}}) {
        SCOPED_TRACE(way.name);
        program.Select(roots[1].children[0].item);
        ASSERT_TRUE(program.AskToRemove());
        EXPECT_FALSE(::IsWindowEnabled(program.main)) << "the main window takes no input";
        // Neither Escape nor a click on Exit does anything while the dialog is open.
        testsupport::PressKeys({VK_ESCAPE});
        Click(program.exit);
        ::Sleep(300);
        testsupport::WaitIdle(program.dialog);
        EXPECT_TRUE(program.DialogShown());
        way.answer();
        ASSERT_TRUE(program.Answered());
        EXPECT_EQ(program.Selected(), roots[1].children[0].item);
    }
    const RegistryDump after = testsupport::DumpBothHives();
    EXPECT_EQ(NotOtherTests(before.KeysMissingFrom(after)), std::vector<std::wstring>{});
    EXPECT_EQ(BelowUninstall(before.Differences(after)), std::vector<std::wstring>{});
    const auto now = program.Roots();
    EXPECT_EQ(Texts(now[0].children), Texts(roots[0].children));
    EXPECT_EQ(Texts(now[1].children), Texts(roots[1].children));

    Click(program.exit);
    EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(RemovalEndToEnd, YesDeletesExactlyTheSelectedKeyTreeByPositionWhateverTheCaptionReads) {
    sandbox.AddEntry(Scope::User, "Shared\\Level1\\Level2\\Level3", nullptr);
    sandbox.AddEntry(Scope::User, "Shared", "Shared Tool");
    static const char data[] = "kept";
    sandbox.SetValue(Scope::User, "Shared\\Level1\\Level2\\Level3", "Deep", REG_SZ, data,
                     sizeof data);
    sandbox.AddEntry(Scope::Machine, "Shared", "Shared Tool");
    sandbox.AddEntry(Scope::Machine32, "Shared", "Shared Tool");
    sandbox.AddEntry(Scope::User, "Twin-A", "Twin");
    sandbox.AddEntry(Scope::User, "Twin-B", "Twin");
    Program program;
    ASSERT_TRUE(program.Ready());
    auto roots = program.Roots();
    ASSERT_EQ(Texts(roots[1].children), (std::vector<std::string>{"Shared Tool", "Twin", "Twin"}));

    // The user's "Shared" goes with the three levels below it; the machine's keys of that name
    // in both views stay, and so does everything else in both hives.
    const RegistryDump before = testsupport::DumpWholeRegistry();
    ASSERT_TRUE(program.RemoveWith(roots[1].children[0].item, program.yes));
    const RegistryDump after = testsupport::DumpWholeRegistry();
    // The keyboard still has a control: Remove, disabled and enabled again as the selection
    // moved, handed the focus on.
    WaitFor([&] { return testsupport::FocusOf(program.main) != nullptr; }, 3000);
    EXPECT_NE(testsupport::FocusOf(program.main), nullptr);
    const std::wstring entry =
        L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Shared";
    const std::vector<std::wstring> gone{entry, entry + L"\\Level1", entry + L"\\Level1\\Level2",
                                         entry + L"\\Level1\\Level2\\Level3"};
    EXPECT_EQ(NotOtherTests(before.KeysMissingFrom(after)), gone);
    EXPECT_EQ(BelowUninstall(before.Differences(after)), gone);
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Shared"));
    EXPECT_TRUE(sandbox.Exists(Scope::Machine, "Shared"));
    EXPECT_TRUE(sandbox.Exists(Scope::Machine32, "Shared"));
    roots = program.Roots();
    EXPECT_EQ(Texts(roots[0].children), (std::vector<std::string>{"Shared Tool", "Shared Tool"}));
    ASSERT_EQ(Texts(roots[1].children), (std::vector<std::string>{"Twin", "Twin"}));

    // The second "Twin", renamed in place, is still removed by its own position.
    const HTREEITEM second = roots[1].children[1].item;
    program.Select(second);
    HWND edit = reinterpret_cast<HWND>(
        ::SendMessageA(program.tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(second)));
    ASSERT_NE(edit, nullptr);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Twin-A"));
    ::SendMessageA(program.tree, TVM_ENDEDITLABELNOW, FALSE, 0);
    roots = program.Roots();
    ASSERT_EQ(Texts(roots[1].children), (std::vector<std::string>{"Twin", "Twin-A"}));
    ASSERT_TRUE(program.RemoveWith(second, program.yes));
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Twin-A"));
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Twin-B"));
    roots = program.Roots();
    ASSERT_EQ(Texts(roots[1].children), (std::vector<std::string>{"Twin"}));

    // The root's only entry goes; the root stays, expanded, and Remove has nothing to act on.
    ASSERT_TRUE(program.RemoveWith(roots[1].children[0].item, program.yes));
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Twin-A"));
    roots = program.Roots();
    ASSERT_EQ(Texts(roots), (std::vector<std::string>{"Entire System", "Current User"}));
    EXPECT_TRUE(roots[1].children.empty());
    EXPECT_TRUE(roots[1].expanded);
    EXPECT_FALSE(program.RemoveEnabled());

    // The main window's close box ends the program like Exit.
    Click(testsupport::CloseBoxPoint(program.main));
    EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(RemovalEndToEnd, TheTreeKeepsItsShapeTabFollowsTheOrderAndTheFrameCannotBeResized) {
    sandbox.AddEntry(Scope::Machine, "M-Tool", "Machine Tool");
    sandbox.AddEntry(Scope::User, "U-Tool", "User Tool");
    Program program;
    ASSERT_TRUE(program.Ready());
    auto roots = program.Roots();
    WaitFor([&] { return testsupport::FocusOf(program.main) == program.tree; }, 3000);
    EXPECT_EQ(testsupport::FocusOf(program.main), program.tree)
        << "the first control that can take the focus: Remove is disabled";

    // Double clicks on both roots, then Left and the keypad's minus on each.
    for (const RemoteTreeItem& root : roots) {
        SCOPED_TRACE(root.text);
        RECT r = testsupport::RemoteItemRect(program.tree, root.item);
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::ClientToScreen(program.tree, &p);
        testsupport::MouseTo(p, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
        testsupport::MouseTo(p, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
        WaitFor([&] { return program.Selected() == root.item; }, 3000);
        EXPECT_EQ(program.Selected(), root.item);
        ::Sleep(300);
        EXPECT_EQ(::SendMessageA(program.tree, TVM_GETEDITCONTROL, 0, 0), 0) << "no caption edit";
        testsupport::PressKeys({VK_LEFT});
        testsupport::PressKeys({VK_SUBTRACT});
        ::Sleep(300);
        testsupport::WaitIdle(program.main);
    }
    roots = program.Roots();
    for (const RemoteTreeItem& root : roots) {
        EXPECT_TRUE(root.expanded) << root.text;
        EXPECT_EQ(root.children.size(), 1u) << root.text;
    }

    // Tab order: Remove, the tree, Exit; a disabled Remove is passed over.
    struct Step {
        std::vector<WORD> keys;
        HWND focus;
    };
    program.Select(roots[0].item);
    for (const Step& step :
         {Step{{VK_TAB}, program.exit}, Step{{VK_TAB}, program.tree}, Step{{VK_DOWN}, program.tree},
          Step{{VK_SHIFT, VK_TAB}, program.remove}, Step{{VK_TAB}, program.tree},
          Step{{VK_TAB}, program.exit}, Step{{VK_TAB}, program.remove}}) {
        if (step.keys.size() == 2)
            testsupport::PressKeys({step.keys[0], step.keys[1]});
        else
            testsupport::PressKeys({step.keys[0]});
        // Input is handled after sent messages, so no message can serve as a barrier: wait.
        WaitFor([&] { return testsupport::FocusOf(program.main) == step.focus; }, 3000);
        EXPECT_EQ(Describe(testsupport::FocusOf(program.main)), Describe(step.focus));
    }

    // No edge or corner of the frame sizes the window, and dragging one changes nothing.
    RECT frame;
    ::GetWindowRect(program.main, &frame);
    const POINT corner{frame.right - 1, frame.bottom - 1};
    for (POINT p : {corner, POINT{frame.left, (frame.top + frame.bottom) / 2},
                    POINT{(frame.left + frame.right) / 2, frame.bottom - 1}}) {
        LRESULT hit = ::SendMessageA(program.main, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        EXPECT_TRUE(hit < HTSIZEFIRST || hit > HTSIZELAST) << "hit test " << hit;
    }
    testsupport::MouseTo(corner, MOUSEEVENTF_LEFTDOWN);
    testsupport::MouseTo(POINT{corner.x + 40, corner.y + 30});
    testsupport::MouseTo(POINT{corner.x + 40, corner.y + 30}, MOUSEEVENTF_LEFTUP);
    ::Sleep(300);
    testsupport::WaitIdle(program.main);
    RECT now;
    ::GetWindowRect(program.main, &now);
    EXPECT_EQ(now.right - now.left, frame.right - frame.left);
    EXPECT_EQ(now.bottom - now.top, frame.bottom - frame.top);

    // Enter on the focused Exit button ends the program.
    testsupport::PressKeys({VK_SHIFT, VK_TAB}); // from Remove back to Exit
    WaitFor([&] { return testsupport::FocusOf(program.main) == program.exit; }, 3000);
    ASSERT_EQ(Describe(testsupport::FocusOf(program.main)), Describe(program.exit));
    testsupport::PressKeys({VK_RETURN});
    EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(RemovalEndToEnd, AQuitMessageWhileTheDialogIsOpenEndsTheProgramWithNothingRemoved) {
    sandbox.AddEntry(Scope::User, "U-Tool", "User Tool");
    Program program;
    ASSERT_TRUE(program.Ready());
    program.Select(program.Roots()[1].children.at(0).item);
    ASSERT_TRUE(program.AskToRemove());
    ASSERT_TRUE(
        ::PostThreadMessageA(::GetWindowThreadProcessId(program.main, nullptr), WM_QUIT, 3, 0));
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_TRUE(sandbox.Exists(Scope::User, "U-Tool"));
}

/// Where each control of a window is, in the window's client coordinates.
RECT PlaceOf(HWND control, HWND window) {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Placed {
    const char* what;
    HWND control;
    RECT expected;
};

void ExpectPlaces(HWND window, const std::vector<Placed>& table) {
    for (const Placed& p : table) {
        ASSERT_NE(p.control, nullptr) << p.what;
        const RECT r = PlaceOf(p.control, window);
        EXPECT_TRUE(::EqualRect(&r, &p.expected))
            << p.what << ": at " << r.left << "," << r.top << " " << r.right - r.left << "x"
            << r.bottom - r.top;
    }
}

TEST_F(RemovalEndToEnd, BothWindowsLookAsDesignedWithAndWithoutTheVisualStyle) {
    sandbox.AddEntry(Scope::Machine, "M-Tool", "Machine Tool");
    sandbox.AddEntry(Scope::User, "U-Tool", "User Tool");
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    if (dpi != 96)
        GTEST_SKIP() << "the layout table is in pixels at 96 pixels per inch";
    std::unique_ptr<testsupport::DibSurface> exitFace[2];
    for (bool style : {true, false}) {
        SCOPED_TRACE(style ? "style on" : "style off");
        testsupport::ScopedVisualStyle visualStyle(style);
        ASSERT_EQ(testsupport::VisualStyleActive(), style);
        Program program;
        ASSERT_TRUE(program.Ready());
        const std::string suffix = style ? "-style-on" : "-style-off";

        // The main window: the table of its controls, the banner's last column in the window's
        // white, the picture in every other column.
        ExpectPlaces(program.main,
                     {{"banner",
                       ::FindWindowExA(program.main, nullptr, "Ordanel.TImage", nullptr),
                       {0, 0, 372, 85}},
                      {"notice",
                       ::FindWindowExA(program.main, nullptr, "Ordanel.TLabel", nullptr),
                       {8, 94, 362, 151}},
                      {"Remove", program.remove, {75, 381, 308, 406}},
                      {"tree", program.tree, {8, 148, 361, 373}},
                      {"Exit", program.exit, {75, 409, 308, 434}}});
        program.Select(program.Roots()[0].children.at(0).item);
        testsupport::WaitIdle(program.main);
        ::Sleep(300);
        auto shot = program.Shoot(program.main, "main-window" + suffix);
        POINT client{0, 0};
        ::ClientToScreen(program.main, &client);
        RECT frame;
        ::GetWindowRect(program.main, &frame);
        const int ox = client.x - frame.left, oy = client.y - frame.top;
        int pictureColumns = 0;
        for (int x = 0; x < 371; ++x)
            pictureColumns += shot->Rgb(ox + x, oy + 40) != RGB(255, 255, 255);
        EXPECT_GT(pictureColumns, 300);
        for (int y = 0; y < 85; ++y)
            ASSERT_EQ(shot->Rgb(ox + 371, oy + y), RGB(255, 255, 255)) << "row " << y;
        EXPECT_EQ(shot->Rgb(ox + 3, oy + 300), RGB(255, 255, 255)) << "the window is white";
        RECT exitRect = PlaceOf(program.exit, program.main);
        OffsetRect(&exitRect, ox, oy);
        exitFace[style] = std::make_unique<testsupport::DibSurface>(233, 25);
        ::BitBlt(exitFace[style]->dc(), 0, 0, 233, 25, shot->dc(), exitRect.left, exitRect.top,
                 SRCCOPY);

        // The dialog: its table, its white, the warning's red.
        ASSERT_TRUE(program.AskToRemove());
        ::Sleep(300);
        testsupport::WaitIdle(program.dialog);
        RECT dialogClient;
        ::GetClientRect(program.dialog, &dialogClient);
        EXPECT_EQ(dialogClient.right, 292);
        EXPECT_EQ(dialogClient.bottom, 160);
        HWND box = ::FindWindowExA(program.dialog, nullptr, "Ordanel.TcxGroupBox", nullptr);
        ExpectPlaces(program.dialog, {{"Yes", program.yes, {74, 125, 147, 152}},
                                      {"No", program.no, {154, 125, 227, 152}},
                                      {"group box", box, {9, 5, 282, 118}}});
        HWND label1 = box ? ::FindWindowExA(box, nullptr, "Ordanel.TLabel", nullptr) : nullptr;
        HWND label2 = label1 ? ::FindWindowExA(box, label1, "Ordanel.TLabel", nullptr) : nullptr;
        ExpectPlaces(
            box, {{"question", label1, {8, 16, 265, 49}}, {"warning", label2, {40, 67, 234, 100}}});
        auto dialogShot = program.Shoot(program.dialog, "warning-dialog" + suffix);
        RECT warning = PlaceOf(label2, program.dialog);
        POINT dialogClientOrigin{0, 0};
        ::ClientToScreen(program.dialog, &dialogClientOrigin);
        RECT dialogFrame;
        ::GetWindowRect(program.dialog, &dialogFrame);
        OffsetRect(&warning, dialogClientOrigin.x - dialogFrame.left,
                   dialogClientOrigin.y - dialogFrame.top);
        EXPECT_GT(dialogShot->CountColor(warning, RGB(255, 0, 0)), 50) << "the red warning";
        EXPECT_EQ(testsupport::FocusOf(program.dialog), program.yes);
        Click(program.no);
        ASSERT_TRUE(program.Answered());
        Click(program.exit);
        EXPECT_EQ(program.WaitForExit(), 0);
    }
    // The skinned buttons draw themselves in another way without the style.
    int differing = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 233; ++x)
            differing += exitFace[0]->Rgb(x, y) != exitFace[1]->Rgb(x, y);
    EXPECT_GT(differing, 100);
}

} // namespace
