// test-lock: input
// Shows and activates windows of its own, which would take the keyboard from tests that type.
#include "framework/Application.h"
#include "framework/Controls.h"
#include "tests/support/Input.h"
#include "tests/support/TestForm.h"

#include <gtest/gtest.h>

namespace {

using framework::TTreeNode;
using testsupport::TTestForm;

class TreeViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::RegisterWindowClasses(); }
    void SetUp() override {
        form = std::make_unique<TTestForm>();
        tree = form->Tree;
    }
    std::vector<std::string> Captions(const std::vector<TTreeNode*>& nodes) {
        std::vector<std::string> out;
        for (auto* n : nodes)
            out.push_back(n->Text());
        return out;
    }
    framework::TApplication application;
    std::unique_ptr<TTestForm> form;
    framework::TTreeView* tree = nullptr;
};

TEST_F(TreeViewTest, NodesKeepTheirInsertionOrderDataAndImages) {
    TTreeNode* a = tree->AddRoot("Zeta");
    TTreeNode* b = tree->AddRoot("Alpha");
    TTreeNode* c1 = tree->AddChild(a, "same", 1, 1);
    TTreeNode* c2 = tree->AddChild(a, "same", 1, 1);
    c1->SetData(4);
    c2->SetData(-7);
    EXPECT_EQ(Captions(tree->Roots()), (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(a->Children(), (std::vector<TTreeNode*>{c1, c2}));
    EXPECT_EQ(c1->Parent(), a);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(c2->Data(), -7);
    EXPECT_EQ(tree->Count(), 4);

    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = c2->ItemId();
    ASSERT_TRUE(::SendMessageA(tree->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(item.iSelectedImage, 1);
}

TEST_F(TreeViewTest, SelectionChangesReachTheHandlerWithTheNewNode) {
    TTreeNode* a = tree->AddRoot("a");
    TTreeNode* b = tree->AddRoot("b");
    tree->SetSelected(a);
    tree->SetSelected(b);
    EXPECT_EQ(tree->Selected(), b);
    EXPECT_EQ(form->changes, (std::vector<TTreeNode*>{a, b}));
}

TEST_F(TreeViewTest, DeletingANodeMovesTheSelectionAndForgetsTheSubtree) {
    TTreeNode* root = tree->AddRoot("root");
    TTreeNode* first = tree->AddChild(root, "first");
    tree->AddChild(first, "grandchild");
    TTreeNode* second = tree->AddChild(root, "second");
    root->Expand();
    tree->SetSelected(first);
    form->changes.clear();
    first->Delete();
    EXPECT_EQ(tree->Count(), 2);
    EXPECT_EQ(root->Children(), std::vector<TTreeNode*>{second});
    // The control picks a new selection by itself, and the change handler hears of it.
    ASSERT_FALSE(form->changes.empty());
    EXPECT_EQ(form->changes.back(), tree->Selected());
    EXPECT_NE(tree->Selected(), nullptr);
}

TEST_F(TreeViewTest, RefusedCollapseLeavesTheNodeExpanded) {
    TTreeNode* root = tree->AddRoot("root");
    tree->AddChild(root, "child");
    root->Expand();
    ASSERT_TRUE(root->Expanded());
    form->allowCollapse = false;
    root->Collapse();
    EXPECT_EQ(form->collapseRequests, 1);
    EXPECT_TRUE(root->Expanded());
    // The keyboard asks the same way (Left arrow on an expanded node).
    tree->SetSelected(root);
    ::SendMessageA(tree->Handle(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(form->collapseRequests, 2);
    EXPECT_TRUE(root->Expanded());

    form->allowCollapse = true;
    root->Collapse();
    EXPECT_FALSE(root->Expanded());
}

TEST_F(TreeViewTest, EditingACaptionInPlaceChangesOnlyTheTextShown) {
    TTreeNode* root = tree->AddRoot("root");
    TTreeNode* node = tree->AddChild(root, "Old name", 1, 1);
    node->SetData(3);
    root->Expand();
    form->Show();
    tree->SetSelected(node);
    auto edit = reinterpret_cast<HWND>(::SendMessageA(tree->Handle(), TVM_EDITLABELA, 0,
                                                      reinterpret_cast<LPARAM>(node->ItemId())));
    ASSERT_NE(edit, nullptr);
    ::SetWindowTextA(edit, "New name");
    ::SendMessageA(tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_EQ(node->Text(), "New name");
    EXPECT_EQ(node->Data(), 3);
}

TEST_F(TreeViewTest, LongCaptionsAreReadBackWhole) {
    std::string caption(1500, 'x');
    caption += "end";
    TTreeNode* node = tree->AddRoot(caption);
    EXPECT_EQ(node->Text(), caption);
}

TEST_F(TreeViewTest, AltF4WithTheTreeFocusedClosesItsWindow) {
    tree->AddRoot("root");
    form->Show();
    ::SetForegroundWindow(form->Handle());
    ::SetFocus(tree->Handle());
    ASSERT_EQ(::GetFocus(), tree->Handle());
    testsupport::PressKeys({VK_MENU, VK_F4});
    // A form that is neither modal nor the main form hides when it closes.
    EXPECT_TRUE(testsupport::PumpUntil([&] { return !::IsWindowVisible(form->Handle()); }));
}

} // namespace
