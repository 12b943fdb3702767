#include "framework/TreeView.h"

#include "framework/Exceptions.h"
#include "framework/ImageList.h"

namespace framework {

// --- TTreeNode ------------------------------------------------------------------------------

std::string TTreeNode::Text() const {
    std::string buffer(256, '\0');
    for (;;) {
        TVITEMA item{};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = item_;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        if (!::SendMessageA(owner_.Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
            return {};
        size_t length = ::lstrlenA(item.pszText);
        // pszText may point at the control's own copy instead of our buffer.
        if (item.pszText != buffer.data() || length + 1 < buffer.size())
            return std::string(item.pszText, length);
        buffer.assign(buffer.size() * 2, '\0');
    }
}

void TTreeNode::SetText(const std::string& text) {
    TVITEMA item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = item_;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(owner_.Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetImageIndex(int index) {
    imageIndex_ = index;
    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_HANDLE;
    item.hItem = item_;
    item.iImage = index;
    ::SendMessageA(owner_.Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TTreeNode::SetSelectedIndex(int index) {
    selectedIndex_ = index;
    TVITEMA item{};
    item.mask = TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = item_;
    item.iSelectedImage = index;
    ::SendMessageA(owner_.Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool TTreeNode::Expanded() const {
    return (::SendMessageA(owner_.Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item_),
                           TVIS_EXPANDED) &
            TVIS_EXPANDED) != 0;
}

void TTreeNode::Expand() {
    ::SendMessageA(owner_.Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item_));
}

void TTreeNode::Collapse() {
    // The control does not notify collapses asked by a program; ask the handler here.
    bool allow = true;
    if (owner_.OnCollapsing && owner_.EventsAllowed())
        owner_.OnCollapsing(&owner_, this, allow);
    if (allow)
        ::SendMessageA(owner_.Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item_));
}

std::vector<TTreeNode*> TTreeNode::Children() const {
    std::vector<TTreeNode*> children;
    auto next = reinterpret_cast<HTREEITEM>(::SendMessageA(
        owner_.Handle(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item_)));
    while (next) {
        if (TTreeNode* node = owner_.NodeFromItem(next))
            children.push_back(node);
        next = reinterpret_cast<HTREEITEM>(::SendMessageA(
            owner_.Handle(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(next)));
    }
    return children;
}

void TTreeNode::Delete() {
    TTreeView& owner = owner_;
    // Collect the subtree first: the node objects go with their items, also when the control's
    // delete notifications do not reach us.
    std::vector<HTREEITEM> subtree{item_};
    for (size_t i = 0; i < subtree.size(); ++i)
        if (TTreeNode* n = owner.NodeFromItem(subtree[i]))
            for (TTreeNode* c : n->Children())
                subtree.push_back(c->item_);
    ::SendMessageA(owner.Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(subtree.front()));
    for (HTREEITEM item : subtree) {
        owner.refusedCollapse_.erase(item);
        owner.nodes_.erase(item); // `this` is gone after the first erase
    }
}

// --- TTreeView ------------------------------------------------------------------------------

TTreeView::TTreeView() {
    tabStop_ = true;
}

TTreeView::~TTreeView() {
    // Destroy the window while the node table still exists: the control reports every item it
    // frees.
    if (HandleAllocated())
        ::DestroyWindow(Handle());
}

void TTreeView::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = WC_TREEVIEWA;
    params.exStyle |= WS_EX_CLIENTEDGE;
    if (showButtons_)
        params.style |= TVS_HASBUTTONS;
    if (showLines_)
        params.style |= TVS_HASLINES;
    if (showRoot_)
        params.style |= TVS_LINESATROOT;
    if (!hideSelection_)
        params.style |= TVS_SHOWSELALWAYS;
    if (!toolTips_)
        params.style |= TVS_NOTOOLTIPS;
    if (!readOnly_)
        params.style |= TVS_EDITLABELS;
    if (rowSelect_)
        params.style |= TVS_FULLROWSELECT;
    if (hotTrack_)
        params.style |= TVS_TRACKSELECT;
    if (autoExpand_)
        params.style |= TVS_SINGLEEXPAND;
    if (!dragDrop_)
        params.style |= TVS_DISABLEDRAGDROP;
}

void TTreeView::CreateWnd() {
    ::SendMessageA(Handle(), TVM_SETINDENT, Scale(indent_), 0);
    if (images_)
        SetImages(images_);
}

void TTreeView::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "Images") {
        loader.Reference(p, [this, &p](TComponent* c) {
            auto* images = dynamic_cast<TImageList*>(c);
            if (!images)
                p.Fail(c->Name() + " is not an image list");
            SetImages(images);
        });
    } else if (p.name == "Indent") {
        indent_ = static_cast<int>(p.Number());
    } else if (p.name == "ShowButtons") {
        showButtons_ = ParseBoolean(p);
    } else if (p.name == "ShowLines") {
        showLines_ = ParseBoolean(p);
    } else if (p.name == "ShowRoot") {
        showRoot_ = ParseBoolean(p);
    } else if (p.name == "HideSelection") {
        hideSelection_ = ParseBoolean(p);
    } else if (p.name == "ToolTips") {
        toolTips_ = ParseBoolean(p);
    } else if (p.name == "ReadOnly") {
        readOnly_ = ParseBoolean(p);
    } else if (p.name == "RowSelect") {
        rowSelect_ = ParseBoolean(p);
    } else if (p.name == "HotTrack") {
        hotTrack_ = ParseBoolean(p);
    } else if (p.name == "AutoExpand") {
        autoExpand_ = ParseBoolean(p);
    } else if (p.name == "DragDrop") {
        dragDrop_ = ParseBoolean(p);
    } else if (p.name == "OnChange") {
        OnChange = loader.Handler<TTVChangedEvent>(p);
    } else if (p.name == "OnCollapsing") {
        OnCollapsing = loader.Handler<TTVCollapsingEvent>(p);
    } else {
        TWinControl::ApplyProperty(p, loader);
    }
}

void TTreeView::SetImages(TImageList* images) {
    images_ = images;
    if (HandleAllocated())
        ::SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL,
                       reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

TTreeNode* TTreeView::Insert(TTreeNode* parent, const std::string& text, int imageIndex,
                             int selectedIndex) {
    auto node = std::make_unique<TTreeNode>(*this, nullptr, parent);
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? parent->ItemId() : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = imageIndex;
    insert.item.iSelectedImage = selectedIndex;
    insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
    auto item = reinterpret_cast<HTREEITEM>(
        ::SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item)
        throw Exception("Cannot add a node to " + Name());
    TTreeNode* raw = node.get();
    raw->item_ = item;
    raw->imageIndex_ = imageIndex;
    raw->selectedIndex_ = selectedIndex;
    nodes_.emplace(item, std::move(node));
    return raw;
}

TTreeNode* TTreeView::AddRoot(const std::string& text) {
    return Insert(nullptr, text, 0, 0);
}

TTreeNode* TTreeView::AddChild(TTreeNode* parent, const std::string& text, int imageIndex,
                               int selectedIndex) {
    return Insert(parent, text, imageIndex, selectedIndex);
}

TTreeNode* TTreeView::NodeFromItem(HTREEITEM item) const noexcept {
    auto it = item ? nodes_.find(item) : nodes_.end();
    return it == nodes_.end() ? nullptr : it->second.get();
}

TTreeNode* TTreeView::Selected() const {
    return NodeFromItem(
        reinterpret_cast<HTREEITEM>(::SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0)));
}

void TTreeView::SetSelected(TTreeNode* node) {
    ::SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET,
                   reinterpret_cast<LPARAM>(node ? node->ItemId() : nullptr));
}

std::vector<TTreeNode*> TTreeView::Roots() const {
    std::vector<TTreeNode*> roots;
    auto next =
        reinterpret_cast<HTREEITEM>(::SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (next) {
        if (TTreeNode* node = NodeFromItem(next))
            roots.push_back(node);
        next = reinterpret_cast<HTREEITEM>(
            ::SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(next)));
    }
    return roots;
}

void TTreeView::BeginUpdate() {
    if (updateCount_++ == 0 && HandleAllocated())
        ::SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeView::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && HandleAllocated()) {
        ::SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }
}

LRESULT TTreeView::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Alt+F4 closes the window the tree is in, as in any control that leaves the key to the
    // system. Wine's tree view takes every system key as a navigation key and never passes it
    // on, so there the window would stay open; the tree does nothing with F4 on Windows either.
    if (message == WM_SYSKEYDOWN && wParam == VK_F4)
        return ::DefWindowProcA(Handle(), message, wParam, lParam);
    return TWinControl::WndProc(message, wParam, lParam);
}

LRESULT TTreeView::CNNotify(NMHDR& header) {
    // The control sends ANSI or Unicode notifications depending on its parent; the structures
    // differ only in the text pointers, which are not read here.
    auto& tv = reinterpret_cast<NMTREEVIEWA&>(header);
    switch (header.code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: return TVNSelChanged(tv.itemNew.hItem);
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: return TVNItemExpanding(tv.action, tv.itemNew.hItem);
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: return TVNItemExpanded(tv.action, tv.itemNew.hItem);
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: return TVNDeleteItem(tv.itemOld.hItem);
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: return readOnly_ ? TRUE : FALSE;
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
        // Accept the new caption; only the text shown changes.
        return reinterpret_cast<NMTVDISPINFOA&>(header).item.pszText != nullptr;
    default: return 0;
    }
}

LRESULT TTreeView::TVNSelChanged(HTREEITEM item) {
    if (OnChange && EventsAllowed())
        OnChange(this, NodeFromItem(item));
    return 0;
}

LRESULT TTreeView::TVNItemExpanding(UINT action, HTREEITEM item) {
    if (!(action & TVE_COLLAPSE))
        return FALSE;
    bool allow = true;
    if (OnCollapsing && EventsAllowed())
        OnCollapsing(this, NodeFromItem(item), allow);
    if (!allow) {
        refusedCollapse_.insert(item);
        return TRUE;
    }
    refusedCollapse_.erase(item);
    return FALSE;
}

LRESULT TTreeView::TVNItemExpanded(UINT action, HTREEITEM item) {
    // Wine collapses a node even when the expanding notification refused it; undo that.
    if ((action & TVE_COLLAPSE) && refusedCollapse_.erase(item))
        ::SendMessageA(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    return 0;
}

LRESULT TTreeView::TVNDeleteItem(HTREEITEM item) {
    refusedCollapse_.erase(item);
    nodes_.erase(item);
    return 0;
}

} // namespace framework
