// MainFormUnit.h - the main window: banner, notice, the catalogue tree of uninstall entries, and
// the Remove and Exit buttons.
//
// Classes in this file:
//   TMainForm  built from the stored definition "TMainForm" (TApplication::CreateForm, after
//              MainForm is set); its creation handler builds the catalogue before the window is
//              first shown. Removal asks WarningForm first, deletes the entry's key and then its
//              node; an entry whose key stays is kept and the user is told why.
#pragma once

#include "controls/cxButtons.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/StdCtrls.h"
#include "framework/TreeView.h"
#include "ui/CatalogueTree.h"
#include "ui/RemovalText.h"

#include <memory>
#include <string>

namespace ui {

/// The address the banner opens: the maker's products page.
extern const char kProductsAddress[];

class TMainForm : public framework::TForm {
public:
    TMainForm();

    framework::TImage* Image1 = nullptr;
    framework::TLabel* Label1 = nullptr;
    controls::TcxButton* RemoveButton = nullptr;
    framework::TTreeView* TreeView = nullptr;
    controls::TcxButton* cxButton2 = nullptr;
    framework::TImageList* ImageList1 = nullptr;

    /// The key-name lists and the roots of the tree.
    TTreeCatalogue& Catalogue() noexcept { return *catalogue_; }

    void FormCreate(framework::TObject* sender);
    /// Enables Remove exactly while an entry node is selected.
    void TreeViewChange(framework::TObject* sender, framework::TTreeNode* node);
    /// Refuses every collapse: the roots stay expanded.
    void TreeViewCollapsing(framework::TObject* sender, framework::TTreeNode* node,
                            bool& allowCollapse);
    void RemoveButtonClick(framework::TObject* sender);
    /// Asks for confirmation, writes the selected entry's backup, deletes its key with every key
    /// below it, then its node. When the backup fails or the key stays, the node stays too and a
    /// message box says why.
    void RemoveSelectedEntry();
    /// Ends the program.
    void cxButton2Click(framework::TObject* sender);
    /// Opens the maker's products page.
    void Image1Click(framework::TObject* sender);

private:
    std::unique_ptr<TTreeCatalogue> catalogue_;
};

/// The main window of the running program.
extern TMainForm* MainForm;

} // namespace ui
