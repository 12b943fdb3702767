#include "ui/WarningFormUnit.h"

namespace ui {

TWarningForm* WarningForm = nullptr;

TWarningForm::TWarningForm() : TForm("TWarningForm") {
    BindHandler("cxButton2Click", &TWarningForm::cxButton2Click);
    BindHandler("cxButton1Click", &TWarningForm::cxButton1Click);
    BindField("cxButton2", cxButton2);
    BindField("cxButton1", cxButton1);
    BindField("cxGroupBox1", cxGroupBox1);
    BindField("Label1", Label1);
    BindField("Label2", Label2);
}

void TWarningForm::cxButton2Click(framework::TObject*) {
    SetModalResult(framework::mrOk);
}

void TWarningForm::cxButton1Click(framework::TObject*) {
    SetModalResult(framework::mrCancel);
}

} // namespace ui
