#include "ui/MainFormUnit.h"

#include "catalogue/Registry.h"
#include "framework/Application.h"
#include "ui/ShellOpen.h"
#include "ui/WarningFormUnit.h"

namespace ui {

TMainForm* MainForm = nullptr;

const char kProductsAddress[] = "http://www.tarvelin.example/products";

std::string RemovalFailureText(const catalogue::TRemoval& removal) {
    if (removal.Removed())
        return {};
    std::string reason = removal.ErrorText.empty() ? "Error " + std::to_string(removal.Error) + "."
                                                   : removal.ErrorText;
    if (removal.Result == catalogue::TRemoval::Outcome::NotBackedUp)
        return "The entry was not removed: its backup could not be written, so nothing was "
               "deleted.\r\n\r\n" +
               (removal.BackupFailure.empty() ? "" : removal.BackupFailure + "\r\n") + reason;
    if (removal.Error == catalogue::kErrorLinkAbove)
        return "The entry was not removed: a registry link was found among the keys above it, so "
               "its path leads into another part of the registry, and nothing was deleted. It "
               "stays in the list of installed programs.";
    if (removal.Error == ERROR_KEY_DELETED)
        return "The entry was not removed: another program deleted or replaced its key while it "
               "was being removed. What stands there now stays in the list of installed "
               "programs.";
    if (removal.Error == ERROR_ALREADY_EXISTS)
        return "The entry's key was deleted, but it has been created again meanwhile (by another "
               "program), so the entry stays in the list of installed programs.\r\n\r\n" +
               reason;
    if (removal.Error == catalogue::kErrorKeyChanged)
        return "The entry changed while it was being removed (another program wrote to its keys "
               "after its backup was written), so it was " +
               (removal.Partial() ? "only removed in part: " + std::to_string(removal.KeysDeleted) +
                                        (removal.KeysDeleted == 1 ? " key that the backup holds "
                                                                    "was deleted"
                                                                  : " keys that the backup holds "
                                                                    "were deleted") +
                                        ", and what changed stays"
                                  : std::string("not removed")) +
               ". It stays in the list of installed programs.\r\n\r\n" + reason;
    if (removal.Partial())
        return "The entry was only removed in part: " + std::to_string(removal.KeysDeleted) +
               (removal.KeysDeleted == 1 ? " key below it was deleted"
                                         : " keys below it were deleted") +
               ", but its own key could not be, so it stays in the list of installed "
               "programs.\r\n\r\n" +
               reason;
    return "The entry could not be removed from the list of installed programs.\r\n\r\n" + reason;
}

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
    catalogue_ = std::make_unique<catalogue::TCatalogue>(*TreeView);
    catalogue_->BuildCatalogue();
}

void TMainForm::TreeViewChange(framework::TObject*, framework::TTreeNode*) {
    RemoveButton->SetEnabled(false);
    framework::TTreeNode* selected = TreeView->Selected();
    if (!selected || !catalogue_ || selected == catalogue_->UserRoot ||
        selected == catalogue_->SystemRoot)
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
