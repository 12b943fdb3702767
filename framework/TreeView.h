// TreeView.h - the tree view control and its nodes.
//
// Classes in this file:
//   TTreeNode  one item of a tree view: caption, image indexes, a 32-bit data slot, a group, its
//              parent
//   TTreeView  the system tree view: nodes are appended in order (never sorted), selection and
//              collapse requests are reported through OnChange and OnCollapsing
#pragma once

#include "framework/Controls.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace framework {

class TImageList;
class TTreeView;

class TTreeNode {
public:
    TTreeNode(TTreeView& owner, HTREEITEM item, TTreeNode* parent)
        : owner_(owner), item_(item), parent_(parent) {}

    HTREEITEM ItemId() const noexcept { return item_; }
    TTreeView& TreeView() const noexcept { return owner_; }
    TTreeNode* Parent() const noexcept { return parent_; }

    /// The caption as the control shows it now (also after an edit in place).
    std::string Text() const;
    void SetText(const std::string& text);
    int ImageIndex() const noexcept { return imageIndex_; }
    void SetImageIndex(int index);
    int SelectedIndex() const noexcept { return selectedIndex_; }
    void SetSelectedIndex(int index);
    std::int32_t Data() const noexcept { return data_; }
    void SetData(std::int32_t data) noexcept { data_ = data; }
    /// Which group of its siblings the node belongs to, for an owner that keeps nodes of several
    /// sources under one parent; 0 unless set.
    int Group() const noexcept { return group_; }
    void SetGroup(int group) noexcept { group_ = group; }

    bool Expanded() const;
    void Expand();
    /// Asks the control to collapse the node (OnCollapsing may refuse).
    void Collapse();
    /// Child nodes in order.
    std::vector<TTreeNode*> Children() const;
    /// Removes the node and its children from the tree; the object is gone afterwards.
    void Delete();

private:
    friend class TTreeView;
    TTreeView& owner_;
    HTREEITEM item_;
    TTreeNode* parent_;
    int imageIndex_ = 0, selectedIndex_ = 0;
    std::int32_t data_ = 0;
    int group_ = 0;
};

class TTreeView : public TWinControl {
public:
    TTreeView();
    ~TTreeView() override;

    /// Appends a root node.
    TTreeNode* AddRoot(const std::string& text);
    /// Appends a child at the end of parent's children, with its image indexes.
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text, int imageIndex = 0,
                        int selectedIndex = 0);
    TTreeNode* Selected() const;
    /// Selects node (null clears the selection); OnChange follows.
    void SetSelected(TTreeNode* node);
    std::vector<TTreeNode*> Roots() const;
    /// The number of nodes in the tree.
    int Count() const noexcept { return static_cast<int>(nodes_.size()); }
    TTreeNode* NodeFromItem(HTREEITEM item) const noexcept;

    /// Stops redrawing while many nodes are added; calls nest.
    void BeginUpdate();
    void EndUpdate();

    void SetImages(TImageList* images);
    TImageList* Images() const noexcept { return images_; }

    TTVChangedEvent OnChange;
    TTVCollapsingEvent OnCollapsing;

    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT CNNotify(NMHDR& header) override;
    LRESULT TVNSelChanged(HTREEITEM item);
    LRESULT TVNItemExpanding(UINT action, HTREEITEM item);
    LRESULT TVNItemExpanded(UINT action, HTREEITEM item);
    LRESULT TVNDeleteItem(HTREEITEM item);

private:
    friend class TTreeNode;
    TTreeNode* Insert(TTreeNode* parent, const std::string& text, int imageIndex,
                      int selectedIndex);

    std::unordered_map<HTREEITEM, std::unique_ptr<TTreeNode>> nodes_;
    std::unordered_set<HTREEITEM> refusedCollapse_;
    TImageList* images_ = nullptr;
    int indent_ = 19;
    int updateCount_ = 0;
    bool showButtons_ = true, showLines_ = true, showRoot_ = true, hideSelection_ = true;
    bool toolTips_ = true, readOnly_ = false, rowSelect_ = false, hotTrack_ = false;
    bool autoExpand_ = false, dragDrop_ = false;
};

} // namespace framework
