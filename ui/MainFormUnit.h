// MainFormUnit.h - the main window: the catalogue tree of uninstall entries.
//
// Classes in this file:
//   TMainForm  built from the stored definition "TMainForm" (TApplication::CreateForm, after
//              MainForm is set); its creation handler builds the catalogue before the window is
//              first shown.
//
// Not done yet: the banner's click, notice, Remove and Exit buttons, removal.
#pragma once

#include "catalogue/Catalogue.h"
#include "framework/ExtCtrls.h"
#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/TreeView.h"

#include <memory>

namespace ui {

class TMainForm : public framework::TForm {
public:
    TMainForm();

    framework::TImage* Image1 = nullptr;
    framework::TTreeView* TreeView = nullptr;
    framework::TImageList* ImageList1 = nullptr;

    /// The key-name lists and the roots of the tree.
    catalogue::TCatalogue& Catalogue() noexcept { return *catalogue_; }

    void FormCreate(framework::TObject* sender);

private:
    std::unique_ptr<catalogue::TCatalogue> catalogue_;
};

/// The main window of the running program.
extern TMainForm* MainForm;

} // namespace ui
