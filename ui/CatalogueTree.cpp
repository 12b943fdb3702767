// CatalogueTree.cpp - the catalogue's tree over a framework tree view.
#include "ui/CatalogueTree.h"

namespace ui {

TTreeViewEntries::Node TTreeViewEntries::NodeOf(const framework::TTreeNode* node) noexcept {
    // The catalogue never looks inside a node: it hands it back to this tree.
    return reinterpret_cast<Node>(const_cast<framework::TTreeNode*>(node));
}

framework::TTreeNode* TTreeViewEntries::TreeNodeOf(Node node) noexcept {
    return reinterpret_cast<framework::TTreeNode*>(node);
}

void TTreeViewEntries::BeginUpdate() {
    tree_.BeginUpdate();
}

void TTreeViewEntries::EndUpdate() {
    tree_.EndUpdate();
}

TTreeViewEntries::Node TTreeViewEntries::AddRoot(const std::string& caption) {
    return NodeOf(tree_.AddRoot(caption));
}

TTreeViewEntries::Node TTreeViewEntries::AddEntry(Node root, const std::string& caption,
                                                  int position, int group) {
    framework::TTreeNode* node = tree_.AddChild(TreeNodeOf(root), caption, 1, 1);
    node->SetData(position);
    node->SetGroup(group);
    return NodeOf(node);
}

void TTreeViewEntries::Expand(Node node) {
    TreeNodeOf(node)->Expand();
}

void TTreeViewEntries::Select(Node node) {
    tree_.SetSelected(TreeNodeOf(node));
}

TTreeViewEntries::Node TTreeViewEntries::ParentOf(Node node) const noexcept {
    return NodeOf(TreeNodeOf(node)->Parent());
}

int TTreeViewEntries::PositionOf(Node node) const noexcept {
    return TreeNodeOf(node)->Data();
}

int TTreeViewEntries::GroupOf(Node node) const noexcept {
    return TreeNodeOf(node)->Group();
}

std::string TTreeViewEntries::CaptionOf(Node node) const {
    return TreeNodeOf(node)->Text();
}

framework::TTreeNode* TTreeCatalogue::SystemRoot() const noexcept {
    return TTreeViewEntries::TreeNodeOf(catalogue_.SystemRoot);
}

framework::TTreeNode* TTreeCatalogue::UserRoot() const noexcept {
    return TTreeViewEntries::TreeNodeOf(catalogue_.UserRoot);
}

std::optional<catalogue::TEntryScope>
TTreeCatalogue::ScopeOf(const framework::TTreeNode& node) const noexcept {
    return catalogue_.ScopeOf(TTreeViewEntries::NodeOf(&node));
}

catalogue::TRemoval TTreeCatalogue::RemoveEntry(const framework::TTreeNode& node) noexcept {
    return catalogue_.RemoveEntry(TTreeViewEntries::NodeOf(&node));
}

} // namespace ui
