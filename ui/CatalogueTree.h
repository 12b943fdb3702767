// CatalogueTree.h - the catalogue of uninstall entries shown in a tree view.
//
// Classes in this file:
//   TTreeViewEntries  the catalogue's tree (catalogue/EntryTree.h) over a framework tree view:
//                     an entry node shows image 1, keeps its position as its data and its scope
//                     as its group
//   TTreeCatalogue    a catalogue built into a tree view, addressed by the view's own nodes
#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/EntryTree.h"
#include "framework/TreeView.h"

#include <optional>
#include <string>

namespace ui {

class TTreeViewEntries final : public catalogue::TEntryTree {
public:
    explicit TTreeViewEntries(framework::TTreeView& tree) noexcept : tree_(tree) {}

    /// The catalogue's node for a node of the view, and back.
    static Node NodeOf(const framework::TTreeNode* node) noexcept;
    static framework::TTreeNode* TreeNodeOf(Node node) noexcept;

    void BeginUpdate() override;
    void EndUpdate() override;
    Node AddRoot(const std::string& caption) override;
    Node AddEntry(Node root, const std::string& caption, int position, int group) override;
    void Expand(Node node) override;
    void Select(Node node) override;
    Node ParentOf(Node node) const noexcept override;
    int PositionOf(Node node) const noexcept override;
    int GroupOf(Node node) const noexcept override;
    std::string CaptionOf(Node node) const override;

private:
    framework::TTreeView& tree_;
};

/// The catalogue (catalogue/Catalogue.h) built into a tree view, with the view's nodes.
class TTreeCatalogue {
public:
    explicit TTreeCatalogue(framework::TTreeView& tree) : entries_(tree), catalogue_(entries_) {}

    TTreeCatalogue(const TTreeCatalogue&) = delete;
    TTreeCatalogue& operator=(const TTreeCatalogue&) = delete;

    /// See TCatalogue::BuildCatalogue.
    void BuildCatalogue() { catalogue_.BuildCatalogue(); }

    framework::TTreeNode* SystemRoot() const noexcept;
    framework::TTreeNode* UserRoot() const noexcept;

    /// The scope of an entry node, or nothing for a root or a node of another tree.
    std::optional<catalogue::TEntryScope> ScopeOf(const framework::TTreeNode& node) const noexcept;
    /// The key-name list of a scope.
    const catalogue::TKeyNames& KeyNames(catalogue::TEntryScope scope) const noexcept {
        return catalogue_.KeyNames(scope);
    }
    /// See TCatalogue::RemoveEntry; the node is left to the caller.
    catalogue::TRemoval RemoveEntry(const framework::TTreeNode& node) noexcept;

private:
    TTreeViewEntries entries_;
    catalogue::TCatalogue catalogue_;
};

} // namespace ui
