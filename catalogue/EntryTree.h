// EntryTree.h - the tree that the catalogue fills with its entries and reads them back from, as
// the catalogue sees it: nodes it adds, expands and selects, and the few things it asks of a node.
//
// Classes in this file:
//   TEntryTree  the interface the catalogue reaches its tree through (ui/ implements it over the
//               main window's tree view)
#pragma once

#include <string>

namespace catalogue {

class TEntryTree {
public:
    /// A node of the tree; what it stands for is the tree's own business.
    class TNode;
    using Node = TNode*;

    /// No redraw until EndUpdate, while many nodes go in.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    /// A new top-level node showing caption, after the others.
    virtual Node AddRoot(const std::string& caption) = 0;
    /// A new entry node below root showing caption, after the others; it keeps position (the
    /// entry's position in its scope's key-name list) and group (its scope).
    virtual Node AddEntry(Node root, const std::string& caption, int position, int group) = 0;
    virtual void Expand(Node node) = 0;
    virtual void Select(Node node) = 0;

    /// The node above node, or nullptr for a root.
    virtual Node ParentOf(Node node) const noexcept = 0;
    /// What AddEntry gave node (0 for a root).
    virtual int PositionOf(Node node) const noexcept = 0;
    virtual int GroupOf(Node node) const noexcept = 0;
    virtual std::string CaptionOf(Node node) const = 0;

protected:
    ~TEntryTree() = default;
};

} // namespace catalogue
