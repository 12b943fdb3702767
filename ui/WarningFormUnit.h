// WarningFormUnit.h - the confirmation dialog asked before every removal.
//
// Classes in this file:
//   TWarningForm  built from the stored definition "TWarningForm" (TApplication::CreateForm, right
//                 after the main window) and kept hidden; each removal shows the same instance
//                 modally and reads its answer: 1 for "Yes", 2 for "No" and for closing it.
#pragma once

#include "controls/cxButtons.h"
#include "controls/cxGroupBox.h"
#include "framework/Form.h"
#include "framework/StdCtrls.h"

namespace ui {

class TWarningForm : public framework::TForm {
public:
    TWarningForm();

    controls::TcxButton* cxButton2 = nullptr; // "Yes"
    controls::TcxButton* cxButton1 = nullptr; // "No"
    controls::TcxGroupBox* cxGroupBox1 = nullptr;
    framework::TLabel* Label1 = nullptr;
    framework::TLabel* Label2 = nullptr;

    /// "Yes": the modal result 1.
    void cxButton2Click(framework::TObject* sender);
    /// "No": the modal result 2.
    void cxButton1Click(framework::TObject* sender);
};

/// The confirmation dialog of the running program.
extern TWarningForm* WarningForm;

} // namespace ui
