// test-lock: input
// Shows and activates windows of its own, which would take the keyboard from tests that type.
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Exceptions.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/TestForm.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using testsupport::TTestForm;
using testsupport::TTestFormBase;

class FormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::RegisterWindowClasses(); }
    framework::TApplication application;
};

TEST_F(FormTest, StoredDefinitionGivesTheWindowItsFrameAndControls) {
    TTestForm form;
    HWND w = form.Handle();
    EXPECT_EQ(testsupport::WindowText(w), "Test \"form\"");
    RECT client;
    ::GetClientRect(w, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    LONG style = ::GetWindowLongA(w, GWL_STYLE), ex = ::GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_FALSE(::IsWindowVisible(w)) << "forms are created hidden";
    EXPECT_EQ(::GetWindow(w, GW_OWNER), application.Handle());

    ASSERT_NE(form.Tree, nullptr);
    ASSERT_NE(form.Images, nullptr);
    EXPECT_EQ(::GetParent(form.Tree->Handle()), w);
    LONG treeStyle = ::GetWindowLongA(form.Tree->Handle(), GWL_STYLE);
    EXPECT_FALSE(treeStyle & TVS_HASBUTTONS);
    EXPECT_TRUE(treeStyle & TVS_HASLINES);
    EXPECT_TRUE(treeStyle & TVS_LINESATROOT);
    EXPECT_TRUE(treeStyle & TVS_EDITLABELS);
    EXPECT_TRUE(::GetWindowLongA(form.Tree->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    // The image list, defined after the tree, was bound to it by name.
    EXPECT_EQ(::SendMessageA(form.Tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0),
              reinterpret_cast<LRESULT>(form.Images->Handle()));
    EXPECT_EQ(form.Images->Count(), 2);
    // The tree has no font of its own: it takes the form's.
    LOGFONTA font{};
    auto treeFont = reinterpret_cast<HFONT>(::SendMessageA(form.Tree->Handle(), WM_GETFONT, 0, 0));
    ASSERT_TRUE(::GetObjectA(treeFont, sizeof font, &font));
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(font.lfHeight, -11);

    EXPECT_EQ(form.createCalls, 1);
    EXPECT_TRUE(form.treeExistedAtCreate) << "the creation handler runs after every control";
}

TEST_F(FormTest, FaultyDefinitionsFailToLoadWithTheirReason) {
    struct Case {
        const char* className;
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"TUnknownHandlerForm", "TUnknownHandlerForm F {\n OnCreate: NoSuchHandler\n}\n",
         "no handler named NoSuchHandler"},
        {"TWrongSignatureForm",
         "TWrongSignatureForm F {\n TTreeView Tree {\n OnChange: FormCreate\n}\n}\n",
         "handler FormCreate does not fit this event"},
        {"TUnknownClassForm", "TUnknownClassForm F {\n TNoSuchControl X {\n }\n}\n",
         "Class TNoSuchControl not found"},
        {"TMissingFieldForm", "TMissingFieldForm F {\n Caption: \"x\"\n}\n", "no control named"},
        {"TUnknownPropertyForm",
         "TUnknownPropertyForm F {\n TTreeView Tree {\n Colour: clRed\n}\n}\n",
         "unknown property of Tree"},
        {"TBadReferenceForm", "TBadReferenceForm F {\n TTreeView Tree {\n Images: Nowhere\n}\n}\n",
         "no component named Nowhere"},
        {"TOtherClass", "TTestForm F {\n}\n", "is of class TTestForm, not TOtherClass"},
        {"TDuplicateForm", "TDuplicateForm F {\n TTreeView A {\n}\n TTreeView A {\n}\n}\n",
         "a second component named A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        try {
            TTestForm form(c.text, c.className);
            ADD_FAILURE() << "loaded";
        } catch (const framework::EDefinitionError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST_F(FormTest, FailingCreationHandlerIsReportedAndTheFormStillExists) {
    testsupport::MessageBoxWatcher watcher;
    TTestForm::NextCreateAction = [] { throw framework::Exception("Catalogue unreadable"); };
    TTestForm form;
    auto seen = watcher.Wait();
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.text, "Catalogue unreadable.");
    EXPECT_EQ(seen.caption, application.Title());
    EXPECT_EQ(seen.owner, application.Handle());
    EXPECT_TRUE(seen.hasErrorIcon);
    EXPECT_TRUE(::IsWindow(form.Handle()));
    EXPECT_EQ(form.createCalls, 1);
}

TEST_F(FormTest, SilentExceptionInCreationHandlerShowsNothing) {
    testsupport::MessageBoxWatcher watcher;
    TTestForm::NextCreateAction = [] { framework::Abort(); };
    TTestForm form;
    EXPECT_FALSE(watcher.Wait(500).seen);
}

// A control of its own window class whose handler fails on WM_APP and counts WM_APP + 1.
class TTestControl : public framework::TWinControl {
public:
    int handled = 0;

protected:
    void CreateParams(framework::TCreateParams& params) override {
        TWinControl::CreateParams(params);
        params.ownClass = true;
        params.className = "Ordanel.TestFailingControl";
    }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP)
            throw framework::Exception("Control handler failed");
        if (message == WM_APP + 1)
            return ++handled;
        return TWinControl::WndProc(message, wParam, lParam);
    }
};

TEST_F(FormTest, ExceptionInAControlsHandlerIsReportedAndTheControlGoesOn) {
    TTestForm form;
    TTestControl control;
    control.SetParent(&form);
    control.SetBounds(0, 0, 20, 20);
    control.CreateHandle();
    testsupport::MessageBoxWatcher watcher;

    // Sent: the exception must not cross SendMessage into the sender.
    LRESULT result = -1;
    EXPECT_NO_THROW(result = ::SendMessageA(control.Handle(), WM_APP, 0, 0));
    EXPECT_EQ(result, 0);
    auto seen = watcher.Wait();
    EXPECT_EQ(seen.text, "Control handler failed.");
    EXPECT_EQ(seen.owner, application.Handle());
    // Posted: dispatched through the loop.
    ::PostMessageA(control.Handle(), WM_APP, 0, 0);
    ::PostMessageA(control.Handle(), WM_APP + 1, 0, 0);
    application.ProcessMessages();
    for (int i = 0; i < 500 && watcher.Count() < 2; ++i)
        ::Sleep(10);
    EXPECT_EQ(watcher.Count(), 2);
    EXPECT_EQ(control.handled, 1);

    EXPECT_EQ(::SendMessageA(control.Handle(), WM_APP + 1, 0, 0), 2);
    control.SetCaption("still working");
    EXPECT_EQ(testsupport::WindowText(control.Handle()), "still working");
}

// Counts the WM_SYSCOLORCHANGE messages each window of this thread receives.
struct SysColorChanges {
    static inline std::map<HWND, int> counts;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_SYSCOLORCHANGE) {
            try {
                ++counts[call->hwnd];
            } catch (...) {
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST_F(FormTest, SystemColourChangeReachesEveryWindowOfTheFormOnce) {
    TTestForm form;
    TTestControl nested; // a control of the framework inside the tree view
    nested.SetParent(form.Tree);
    nested.CreateHandle();
    HWND innermost = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, nested.Handle(),
                                       nullptr, nullptr, nullptr);
    ASSERT_NE(innermost, nullptr);
    SysColorChanges::counts.clear();
    HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &SysColorChanges::Hook, nullptr,
                                     ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    // The system sends it to top-level windows only.
    ::SendMessageA(form.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(
        SysColorChanges::counts,
        (std::map<HWND, int>{
            {form.Handle(), 1}, {form.Tree->Handle(), 1}, {nested.Handle(), 1}, {innermost, 1}}));
}

TEST_F(FormTest, FirstShowingCentresTheWindowOnTheScreen) {
    TTestForm form;
    form.Show(SW_SHOWNORMAL);
    RECT r;
    ::GetWindowRect(form.Handle(), &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2);
    EXPECT_TRUE(::IsWindowVisible(form.Handle()));
    // The first control in tab order takes the focus when the form becomes active.
    EXPECT_EQ(::GetFocus(), form.Tree->Handle());
}

// A form of a class derived from the test form: loading must reach its own Loaded.
class TDerivedTestForm : public TTestFormBase {
public:
    bool derivedLoaded = false;
    void Loaded() override {
        TTestFormBase::Loaded();
        derivedLoaded = true;
    }
};

TEST_F(FormTest, CreateFormKnowsTheFormBeforeItsCreationHandlerRuns) {
    TTestFormBase* main = nullptr;
    TDerivedTestForm* second = nullptr;
    framework::TWinControl* mainSeen = nullptr;
    framework::TForm* referenceSeen = nullptr;
    TTestFormBase::NextCreateAction = [&] {
        mainSeen = framework::Application()->MainForm();
        referenceSeen = main;
    };
    ASSERT_EQ(application.CreateForm(main), main);
    EXPECT_NE(main, nullptr);
    EXPECT_EQ(mainSeen, main) << "the first form is the main form inside its creation handler";
    EXPECT_EQ(referenceSeen, main);

    TTestFormBase::NextCreateAction = [&] {
        mainSeen = framework::Application()->MainForm();
        referenceSeen = second;
    };
    application.CreateForm(second);
    EXPECT_EQ(mainSeen, main);
    EXPECT_EQ(referenceSeen, second);
    EXPECT_TRUE(second->derivedLoaded);
    EXPECT_EQ(second->createCalls, 1);
}

TEST_F(FormTest, FormThatFailsToLoadInCreateFormIsTakenBackAndTheErrorPropagates) {
    // It fails once its window and its tree exist: the reference names nothing.
    struct TFaultyForm : TTestFormBase {
        TFaultyForm()
            : TTestFormBase("TFaultyForm Faulty {\n TTreeView Tree {\n Images: Nowhere\n}\n}\n",
                            "TFaultyForm") {}
    };
    TFaultyForm* faulty = nullptr;
    EXPECT_THROW(application.CreateForm(faulty), framework::EDefinitionError);
    EXPECT_EQ(faulty, nullptr);
    EXPECT_EQ(application.MainForm(), nullptr);
    EXPECT_EQ(::FindWindowA("Ordanel.Faulty", nullptr), nullptr) << "the form was destroyed";

    TTestFormBase* main = nullptr;
    application.CreateForm(main);
    EXPECT_EQ(application.MainForm(), main);
    EXPECT_THROW(main->CreateFromDefinition(), framework::EInvalidOperation) << "built once";
}

TEST_F(FormTest, ClosingTheMainFormEndsTheLoopAndAnotherFormOnlyHides) {
    TTestFormBase* main = nullptr;
    TTestFormBase* second = nullptr;
    application.CreateForm(main);
    application.CreateForm(second);
    EXPECT_EQ(application.MainForm(), main);
    second->Show();
    ::SendMessageA(second->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(second->Handle()));
    application.ProcessMessages();
    EXPECT_FALSE(application.Terminated());

    main->Show();
    ::PostMessageA(main->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int i = 0; i < 200 && !application.Terminated(); ++i)
        application.HandleMessage();
    EXPECT_TRUE(application.Terminated());
    EXPECT_EQ(application.ExitCode(), 0);
    EXPECT_TRUE(::IsWindow(main->Handle())) << "the main form is not destroyed by closing";
}

} // namespace
