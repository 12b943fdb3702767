#include "ui/MainFormUnit.h"

namespace ui {

TMainForm* MainForm = nullptr;

TMainForm::TMainForm() : TForm("TMainForm") {
    BindHandler("FormCreate", &TMainForm::FormCreate);
    BindField("Image1", Image1);
    BindField("TreeView", TreeView);
    BindField("ImageList1", ImageList1);
}

void TMainForm::FormCreate(framework::TObject*) {
    catalogue_ = std::make_unique<catalogue::TCatalogue>(*TreeView);
    catalogue_->BuildCatalogue();
}

} // namespace ui
