#include "ui/MainFormUnit.h"

#include "framework/Application.h"
#include "ui/ShellOpen.h"
#include "ui/WarningFormUnit.h"

namespace ui {

TMainForm* MainForm = nullptr;

const char kProductsAddress[] = "http://www.tarvelin.example/products";

TMainForm::TMainForm() : TForm("TMainForm") {
    BindHandler("FormCreate", &TMainForm::FormCreate);
    BindHandler("TreeViewChange", &TMainForm::TreeViewChange);
    BindHandler("TreeViewCollapsing", &TMainForm::TreeViewCollapsing);
    BindHandler("RemoveButtonClick", &TMainForm::RemoveButtonClick);
    BindHandler("cxButton2Click", &TMainForm::cxButton2Click);
    BindHandler("Image1Click", &TMainForm::Image1Click);
    BindField("Image1", Image1);
    BindField("Label1", Label1);
    BindField("RemoveButton", RemoveButton);
    BindField("TreeView", TreeView);
    BindField("cxButton2", cxButton2);
    BindField("ImageList1", ImageList1);
}

void TMainForm::FormCreate(framework::TObject*) {
    catalogue_ = std::make_unique<TTreeCatalogue>(*TreeView);
    catalogue_->BuildCatalogue();
}

void TMainForm::TreeViewChange(framework::TObject*, framework::TTreeNode*) {
    RemoveButton->SetEnabled(false);
    framework::TTreeNode* selected = TreeView->Selected();
    if (!selected || !catalogue_ || selected == catalogue_->UserRoot() ||
        selected == catalogue_->SystemRoot())
        return;
    RemoveButton->SetEnabled(true);
}

void TMainForm::TreeViewCollapsing(framework::TObject*, framework::TTreeNode*,
                                   bool& allowCollapse) {
    allowCollapse = false;
}

void TMainForm::RemoveButtonClick(framework::TObject*) {
    RemoveSelectedEntry();
}

void TMainForm::RemoveSelectedEntry() {
    if (WarningForm->ShowModal() == 2)
        return;
    framework::TTreeNode* node = TreeView->Selected();
    if (!node || !catalogue_ || !catalogue_->ScopeOf(*node))
        return;
    catalogue::TRemoval removal;
    try {
        removal = catalogue_->RemoveEntry(*node);
        if (removal.Removed()) {
            node->Delete();
            return;
        }
    } catch (...) {
        // The removal ends silently: whatever step raised, the steps after it do not run.
        return;
    }
    // The entry's key is still there, so it stays listed: the node stays and the user is told.
    const std::string text = RemovalFailureText(removal);
    framework::TApplication* app = framework::Application();
    ::MessageBoxA(Handle(), text.c_str(), app ? app->Title().c_str() : "", MB_OK | MB_ICONERROR);
}

void TMainForm::cxButton2Click(framework::TObject*) {
    if (framework::Application())
        framework::Application()->Terminate();
}

void TMainForm::Image1Click(framework::TObject*) {
    ShellOpen(kProductsAddress);
}

} // namespace ui
