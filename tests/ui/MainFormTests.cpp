// test-lock: registry-uninstall
// test-lock: input
// The main window in this process, built from its stored definition with the real warning
// dialog: which entries Remove acts on, what the answers do to the registry and the tree, what a
// refused deletion tells the user, and what the banner and Exit do.
#include "catalogue/Catalogue.h"
#include "catalogue/Registry.h"
#include "controls/cxButtons.h"
#include "controls/cxGroupBox.h"
#include "framework/Application.h"
#include "lookandfeel/cxLookAndFeels.h"
#include "tests/support/BackupSandbox.h"
#include "tests/support/Input.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TestForm.h"
#include "tests/support/ThemeServicesScope.h"
#include "tests/support/UninstallSandbox.h"
#include "ui/MainFormUnit.h"
#include "ui/ShellOpen.h"
#include "ui/WarningFormUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using framework::TTreeNode;
using testsupport::Scope;
using ui::MainForm;
using ui::WarningForm;

/// What the test does once the warning dialog is up, run from a timer inside its modal loop.
std::function<void()> g_answer;
bool g_answered = false;

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (!WarningForm || !WarningForm->Modal() || !::IsWindowVisible(WarningForm->Handle()))
        return;
    ::KillTimer(nullptr, id);
    g_answered = true;
    if (g_answer)
        g_answer();
}

class MainFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::RegisterWindowClasses(true); }
    void SetUp() override { lookandfeel::InitializeLookAndFeel(); }
    void TearDown() override {
        application.reset();
        MainForm = nullptr;
        WarningForm = nullptr;
        lookandfeel::FinalizeLookAndFeel();
    }

    /// Start-up as the program does it, on the registry seeded so far.
    void Start() {
        application->CreateForm(MainForm);
        application->CreateForm(WarningForm);
        MainForm->Show();
        ::SetForegroundWindow(MainForm->Handle());
        Pump(200);
    }
    static void Pump(int ms) {
        testsupport::PumpUntil([] { return false; }, ms);
    }
    static void ClickOn(framework::TWinControl& control) {
        testsupport::ClickAt(testsupport::CentreOf(control.Handle()));
    }

    ui::TTreeCatalogue& Catalogue() { return MainForm->Catalogue(); }
    TTreeNode* Entry(TTreeNode* root, const std::string& caption, int nth = 0) {
        for (TTreeNode* n : root->Children())
            if (n->Text() == caption && nth-- == 0)
                return n;
        ADD_FAILURE() << "no entry " << caption;
        return nullptr;
    }
    std::vector<std::string> Captions(TTreeNode* root) {
        std::vector<std::string> texts;
        for (TTreeNode* n : root->Children())
            texts.push_back(n->Text());
        return texts;
    }

    /// Selects node, presses Remove with a real click and answers the dialog with answer; true
    /// when the dialog was shown and has gone again.
    bool Remove(TTreeNode* node, std::function<void()> answer) {
        MainForm->TreeView->SetSelected(node);
        Pump(50);
        g_answer = std::move(answer);
        g_answered = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, AnswerTimer);
        ClickOn(*MainForm->RemoveButton);
        const bool done =
            testsupport::PumpUntil([] { return g_answered && !WarningForm->Modal(); }, 15000);
        ::KillTimer(nullptr, timer);
        Pump(100);
        return done;
    }
    void Yes() { ClickOn(*WarningForm->cxButton2); }
    void No() { ClickOn(*WarningForm->cxButton1); }

    testsupport::UninstallSandbox sandbox;
    testsupport::BackupSandbox backups;
    testsupport::ScopedThemeServices services;
    std::unique_ptr<framework::TApplication> application =
        std::make_unique<framework::TApplication>();
};

TEST_F(MainFormTest, TheWindowHoldsWhatItsTablesSay) {
    sandbox.AddEntry(Scope::Machine, "Tool", "Tool");
    Start();
    const framework::TFont& formFont = MainForm->Font();
    EXPECT_EQ(formFont.Name(), "MS Sans Serif");
    EXPECT_EQ(formFont.Height(), ::MulDiv(-11, framework::FormDpi(), 96));
    EXPECT_EQ(MainForm->Color(), framework::clWhite);
    struct Row {
        framework::TWinControl* control;
        const char* caption;
        const char* font;
    };
    const Row rows[] = {
        {MainForm->Label1,
         "The Ordanel should only be used as a last resort. It should only be used when the normal "
         "uninstall procedures fail to remove it from this list.",
         "Verdana"},
        {MainForm->RemoveButton, "Remove from add/remove programs list", "MS Sans Serif"},
        {MainForm->cxButton2, "Exit", "MS Sans Serif"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(r.control->Caption(), r.caption);
        EXPECT_EQ(r.control->Font().Name(), r.font);
        EXPECT_EQ(r.control->Font().Height(), ::MulDiv(-11, framework::FormDpi(), 96));
        EXPECT_EQ(r.control->Font().Color(), framework::clWindowText);
        EXPECT_TRUE(r.control->Font().Style().Empty());
    }
    EXPECT_FALSE(MainForm->Label1->AutoSize());
    EXPECT_TRUE(MainForm->Label1->WordWrap());
    EXPECT_EQ(MainForm->Label1->Alignment(), framework::taCenter);
    for (controls::TcxButton* button : {MainForm->RemoveButton, MainForm->cxButton2})
        EXPECT_TRUE(button->LookAndFeel().NativeStyle());

    HWND tree = MainForm->TreeView->Handle();
    const LONG style = ::GetWindowLongA(tree, GWL_STYLE);
    EXPECT_EQ(style & (TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_HASBUTTONS |
                       TVS_SHOWSELALWAYS | TVS_NOTOOLTIPS | TVS_TRACKSELECT | TVS_FULLROWSELECT |
                       TVS_SINGLEEXPAND | TVS_DISABLEDRAGDROP),
              TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_DISABLEDRAGDROP);
    EXPECT_EQ(::SendMessageA(tree, TVM_GETINDENT, 0, 0), ::MulDiv(19, framework::FormDpi(), 96));
    HIMAGELIST images =
        reinterpret_cast<HIMAGELIST>(::SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    ASSERT_EQ(images, MainForm->ImageList1->Handle());
    int w = 0, h = 0;
    ::ImageList_GetIconSize(images, &w, &h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    EXPECT_EQ(::ImageList_GetImageCount(images), 2);

    // Tab order: Remove, the tree, Exit, with a disabled Remove passed over.
    HWND form = MainForm->Handle(), remove = MainForm->RemoveButton->Handle(),
         exit = MainForm->cxButton2->Handle();
    EXPECT_EQ(::GetNextDlgTabItem(form, tree, FALSE), exit);
    EXPECT_EQ(::GetNextDlgTabItem(form, exit, FALSE), tree) << "Remove is disabled";
    MainForm->TreeView->SetSelected(Catalogue().SystemRoot()->Children().at(0));
    EXPECT_EQ(::GetNextDlgTabItem(form, exit, FALSE), remove);
    EXPECT_EQ(::GetNextDlgTabItem(form, remove, FALSE), tree);
}

TEST_F(MainFormTest, RemoveIsEnabledExactlyWhileAnEntryIsSelectedAndNothingCollapses) {
    sandbox.AddEntry(Scope::Machine, "Tool", "Tool");
    sandbox.AddEntry(Scope::User, "Mine", "Mine");
    Start();
    ui::TTreeCatalogue& c = Catalogue();
    EXPECT_EQ(MainForm->TreeView->Selected(), c.SystemRoot());
    EXPECT_FALSE(MainForm->RemoveButton->Enabled()) << "at the first showing";
    struct Case {
        TTreeNode* select;
        bool enabled;
    } cases[] = {{c.SystemRoot()->Children()[0], true}, {c.UserRoot(), false},
                 {c.UserRoot()->Children()[0], true},   {nullptr, false},
                 {c.SystemRoot()->Children()[0], true}, {c.SystemRoot(), false}};
    for (const Case& k : cases) {
        MainForm->TreeView->SetSelected(k.select);
        EXPECT_EQ(MainForm->RemoveButton->Enabled(), k.enabled)
            << (k.select ? k.select->Text() : "no selection");
    }
    // Every way of asking refuses: a call, the control's own message, a real double click.
    HWND tree = MainForm->TreeView->Handle();
    c.SystemRoot()->Collapse();
    ::SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE,
                   reinterpret_cast<LPARAM>(c.UserRoot()->ItemId()));
    RECT item{};
    const HTREEITEM userItem = c.UserRoot()->ItemId();
    std::memcpy(&item, &userItem, sizeof userItem); // the message takes the item in the rect
    ASSERT_TRUE(::SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item)));
    ::MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&item), 2);
    const POINT on{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    testsupport::ClickAt(on);
    testsupport::ClickAt(on);
    Pump(300);
    EXPECT_TRUE(c.SystemRoot()->Expanded());
    EXPECT_TRUE(c.UserRoot()->Expanded());
}

TEST_F(MainFormTest, NoAndTheCloseBoxChangeNothingAndYesRemovesTheSelectedKeyAndNode) {
    sandbox.AddEntry(Scope::User, "Twin A", "Same Name");
    sandbox.AddEntry(Scope::User, "Twin A\\Level1\\Level2\\Level3");
    sandbox.AddEntry(Scope::User, "Twin B", "Same Name");
    sandbox.AddEntry(Scope::Machine, "Twin A", "Same Name");
    Start();
    TTreeNode* user = Catalogue().UserRoot();
    const testsupport::RegistryDump before = testsupport::DumpBothHives();
    const auto uninstallChanges = [&] {
        std::vector<std::wstring> changed = before.Differences(testsupport::DumpBothHives());
        std::erase_if(changed, [](const std::wstring& p) {
            return p.find(L"\\CurrentVersion\\Uninstall") == std::wstring::npos;
        });
        return changed;
    };
    ASSERT_TRUE(Remove(Entry(user, "Same Name", 0), [&] { No(); }));
    ASSERT_TRUE(Remove(Entry(user, "Same Name", 0), [&] {
        testsupport::ClickAt(testsupport::CloseBoxPoint(WarningForm->Handle()));
    }));
    EXPECT_TRUE(uninstallChanges().empty());
    ASSERT_EQ(Captions(user), (std::vector<std::string>{"Same Name", "Same Name"}));

    // The first of the two is renamed in place; Yes removes it by its position, with the three
    // levels below it, and leaves its twin and the machine's key of the same name.
    TTreeNode* first = Entry(user, "Same Name", 0);
    ASSERT_NE(first, nullptr);
    first->SetText("Edited");
    ASSERT_TRUE(Remove(first, [&] { Yes(); }));
    EXPECT_EQ(backups.Files().size(), 1u) << "written before the deletion";
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Twin A"));
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Twin B"));
    EXPECT_TRUE(sandbox.Exists(Scope::Machine, "Twin A"));
    EXPECT_EQ(Captions(user), (std::vector<std::string>{"Same Name"}));
    // The selection moved by itself and the rule ran for the new one.
    TTreeNode* selected = MainForm->TreeView->Selected();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(MainForm->RemoveButton->Enabled(), Catalogue().ScopeOf(*selected).has_value());

    // The last entry goes; its root stays, expanded and not removable.
    ASSERT_TRUE(Remove(Entry(user, "Same Name"), [&] { Yes(); }));
    EXPECT_FALSE(sandbox.Exists(Scope::User, "Twin B"));
    EXPECT_TRUE(Captions(user).empty());
    EXPECT_EQ(MainForm->TreeView->Roots().size(), 2u);
    MainForm->TreeView->SetSelected(user);
    EXPECT_FALSE(MainForm->RemoveButton->Enabled());
}

TEST_F(MainFormTest, AKeyThatStaysKeepsItsNodeAndTheUserIsToldWhy) {
    sandbox.AddEntry(Scope::Machine32, "Stubborn", "Stubborn Tool");
    sandbox.AddEntry(Scope::Machine32, "Stubborn\\A\\Locked\\Leaf");
    sandbox.AddEntry(Scope::Machine32, "Stubborn\\B");
    sandbox.AddEntry(Scope::User, "Sealed", "Sealed Tool");
    Start();
    testsupport::RegistryApiHooks hooks;
    hooks.NtDeleteKey = [&](HANDLE key) {
        const std::string name = hooks.NameOf(key);
        return name == "Locked" || name == "Sealed" ? LONG(0xC0000022L) // STATUS_ACCESS_DENIED
                                                    : hooks.Previous().NtDeleteKey(key);
    };
    const std::string reason = ui::SystemErrorText(ERROR_ACCESS_DENIED);
    struct Case {
        TTreeNode* root;
        const char* caption;
        const char* says;
    } cases[] = {
        {Catalogue().SystemRoot(), "Stubborn Tool", "only removed in part: 2 keys"},
        {Catalogue().UserRoot(), "Sealed Tool", "could not be removed"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.caption);
        testsupport::MessageBoxWatcher watcher;
        ASSERT_TRUE(Remove(Entry(k.root, k.caption), [&] { Yes(); }));
        const testsupport::MessageBoxSeen seen = watcher.Wait();
        ASSERT_TRUE(seen.seen);
        EXPECT_EQ(seen.owner, MainForm->Handle());
        EXPECT_EQ(seen.caption, application->Title());
        EXPECT_TRUE(seen.hasErrorIcon);
        EXPECT_NE(seen.text.find(k.says), std::string::npos) << seen.text;
        EXPECT_NE(seen.text.find(reason), std::string::npos) << seen.text;
        EXPECT_EQ(Captions(k.root), std::vector<std::string>{k.caption}) << "the node stays";
        EXPECT_TRUE(::IsWindowEnabled(MainForm->Handle()));
    }
    // As far as the registry allowed: the refused key keeps its parents.
    EXPECT_TRUE(sandbox.Exists(Scope::Machine32, "Stubborn\\A\\Locked"));
    EXPECT_FALSE(sandbox.Exists(Scope::Machine32, "Stubborn\\A\\Locked\\Leaf"));
    EXPECT_FALSE(sandbox.Exists(Scope::Machine32, "Stubborn\\B"));
    EXPECT_TRUE(sandbox.Exists(Scope::User, "Sealed"));
}

TEST_F(MainFormTest, ABackupThatCannotBeWrittenKeepsTheEntryAsItWasAndTheUserIsToldWhy) {
    sandbox.AddEntry(Scope::User, "Precious", "Precious Tool");
    sandbox.AddEntry(Scope::User, "Precious\\Settings\\Deep", "deep");
    Start();
    backups.WriteFile = [](HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) {
        ::SetLastError(ERROR_DISK_FULL);
        return FALSE;
    };
    const testsupport::RegistryDump before = testsupport::DumpBothHives();
    testsupport::MessageBoxWatcher watcher;
    ASSERT_TRUE(Remove(Entry(Catalogue().UserRoot(), "Precious Tool"), [&] { Yes(); }));
    const testsupport::MessageBoxSeen seen = watcher.Wait();
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.owner, MainForm->Handle());
    EXPECT_EQ(seen.caption, application->Title());
    EXPECT_TRUE(seen.hasErrorIcon);
    for (const std::string& says :
         {std::string("its backup could not be written, so nothing was deleted"),
          std::string(" Tool.reg.partial could not be written."),
          ui::SystemErrorText(ERROR_DISK_FULL)})
        EXPECT_NE(seen.text.find(says), std::string::npos) << seen.text;
    EXPECT_EQ(Captions(Catalogue().UserRoot()), std::vector<std::string>{"Precious Tool"});
    std::vector<std::wstring> changed = before.Differences(testsupport::DumpBothHives());
    std::erase_if(changed, [](const std::wstring& p) {
        return p.find(L"\\CurrentVersion\\Uninstall") == std::wstring::npos;
    });
    EXPECT_EQ(changed, std::vector<std::wstring>{});
    EXPECT_EQ(backups.Files(), std::vector<std::wstring>{}) << "no incomplete file stays";
}

TEST_F(MainFormTest, FailureTextsNameWhatHappenedAndTheSystemsReason) {
    catalogue::TRemoval removed;
    removed.Result = catalogue::TRemoval::Outcome::Removed;
    catalogue::TRemoval one, none, unknown;
    one.KeysDeleted = 1;
    one.Error = none.Error = ERROR_ACCESS_DENIED;
    one.ReasonKnown = none.ReasonKnown = true; // the system's text: "Access denied."
    unknown.Error = 1234;
    EXPECT_EQ(ui::RemovalFailureText(removed), "");
    EXPECT_NE(ui::RemovalFailureText(one).find("only removed in part: 1 key below it"),
              std::string::npos);
    EXPECT_NE(ui::RemovalFailureText(none).find("could not be removed"), std::string::npos);
    EXPECT_EQ(ui::RemovalFailureText(none).substr(ui::RemovalFailureText(none).size() - 14),
              "Access denied.");
    EXPECT_NE(ui::RemovalFailureText(unknown).find("Error 1234."), std::string::npos);
    catalogue::TRemoval again;
    again.KeysDeleted = 3;
    again.Error = ERROR_ALREADY_EXISTS;
    EXPECT_NE(ui::RemovalFailureText(again).find("created again"), std::string::npos);
    EXPECT_EQ(ui::RemovalFailureText(again).find("in part"), std::string::npos);
    catalogue::TRemoval changed, changedInPart;
    changed.Error = changedInPart.Error = catalogue::kErrorKeyChanged;
    changedInPart.KeysDeleted = 2;
    EXPECT_NE(ui::RemovalFailureText(changed).find("changed while it was being removed"),
              std::string::npos);
    EXPECT_NE(ui::RemovalFailureText(changed).find("so it was not removed"), std::string::npos);
    EXPECT_NE(ui::RemovalFailureText(changedInPart)
                  .find("only removed in part: 2 keys that the "
                        "backup holds"),
              std::string::npos);
    // A link above the entry: what was found and that nothing was deleted, not a system text
    // about an invalid path.
    catalogue::TRemoval linked;
    linked.Error = catalogue::kErrorLinkAbove;
    linked.ReasonKnown = true;
    const std::string linkedText = ui::SystemErrorText(linked.Error);
    const std::string link = ui::RemovalFailureText(linked);
    EXPECT_NE(link.find("a registry link was found among the keys above it"), std::string::npos);
    EXPECT_NE(link.find("nothing was deleted"), std::string::npos);
    EXPECT_EQ(link.find(linkedText), std::string::npos) << link;
    catalogue::TRemoval replaced;
    replaced.Error = ERROR_KEY_DELETED;
    EXPECT_NE(ui::RemovalFailureText(replaced).find("another program deleted or replaced its key"),
              std::string::npos);
    catalogue::TRemoval oneChanged;
    oneChanged.Error = catalogue::kErrorKeyChanged;
    oneChanged.KeysDeleted = 1;
    EXPECT_NE(ui::RemovalFailureText(oneChanged).find("1 key that the backup holds was deleted"),
              std::string::npos);
}

std::vector<std::string> g_opened;
HINSTANCE WINAPI RecordShell(HWND parent, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
    g_opened.push_back(std::string(verb) + " " + file +
                       (parent == framework::Application()->Handle() ? "" : " (wrong parent)"));
    return reinterpret_cast<HINSTANCE>(42);
}

TEST_F(MainFormTest, TheBannerOpensTheProductsPageOncePerClickAndExitEndsTheProgram) {
    Start();
    ui::ScopedShellApi shell({&RecordShell});
    g_opened.clear();
    framework::TImage& banner = *MainForm->Image1;
    EXPECT_EQ(banner.Top(), 0);
    EXPECT_EQ(banner.Height(), 85) << "the picture's own height, at any screen setting";
    ClickOn(banner);
    Pump(700); // no double click
    ClickOn(banner);
    Pump(300);
    const std::string page = std::string("open ") + ui::kProductsAddress;
    EXPECT_EQ(g_opened, (std::vector<std::string>{page, page}));
    EXPECT_EQ(std::string(ui::kProductsAddress).rfind("http://", 0), 0u);
    EXPECT_TRUE(::IsWindowVisible(MainForm->Handle()));

    EXPECT_FALSE(application->Terminated());
    ClickOn(*MainForm->cxButton2);
    for (int waited = 0; waited < 3000 && !application->Terminated(); waited += 10) {
        application->ProcessMessages();
        ::Sleep(10);
    }
    EXPECT_TRUE(application->Terminated());
}

} // namespace
