// StdCtrls.h - the system push button as a control of the framework.
//
// Classes in this file:
//   TButton  a BUTTON window: caption, Default, Cancel, ModalResult and OnClick. It learns on
//            every focus change in its form whether it is the form's active default button (the
//            focused button, or the Default one while no button has the focus); the native button
//            shows that by its default frame, and a derived button that draws itself overrides
//            ActiveDefaultChanged to draw it its own way.
//
// Not done yet: images, the split and command-link styles.
#pragma once

#include "framework/Controls.h"

namespace framework {

class TButton : public TWinControl {
public:
    TButton();

    /// Enter presses this button while no other button has the focus.
    bool Default() const noexcept { return default_; }
    void SetDefault(bool value);
    /// Escape presses this button.
    bool Cancel() const noexcept { return cancel_; }
    void SetCancel(bool value) noexcept { cancel_ = value; }
    /// Given to the form (TForm::SetModalResult) when the button is clicked; 0: none.
    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int value) noexcept { modalResult_ = value; }
    /// Whether the button is its form's active default button now.
    bool ActiveDefault() const noexcept { return activeDefault_; }

    /// The click: the form's modal result, then OnClick.
    virtual void Click();

    TNotifyEvent OnClick;

    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    /// ActiveDefault changed; the native button shows it by its default frame (BS_DEFPUSHBUTTON).
    virtual void ActiveDefaultChanged();
    LRESULT CNCommand(WORD code) override;
    LRESULT CMFocusChanged(TWinControl* focused) override;

private:
    bool default_ = false, cancel_ = false, activeDefault_ = false;
    int modalResult_ = 0;
};

} // namespace framework
