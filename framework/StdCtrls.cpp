#include "framework/StdCtrls.h"

#include "framework/Form.h"

namespace framework {

TButton::TButton() {
    tabStop_ = true;
    SetBounds(0, 0, 75, 25);
}

void TButton::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "Default")
        SetDefault(ParseBoolean(p));
    else if (p.name == "Cancel")
        SetCancel(ParseBoolean(p));
    else if (p.name == "ModalResult")
        SetModalResult(static_cast<int>(p.Number()));
    else if (p.name == "OnClick")
        OnClick = loader.Handler<TNotifyEvent>(p);
    else
        TWinControl::ApplyProperty(p, loader);
}

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.className = "BUTTON";
    params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    activeDefault_ = default_;
}

void TButton::SetDefault(bool value) {
    default_ = value;
    if (!HandleAllocated())
        return;
    // As if the focus moved again: the focused button stays the active default.
    TForm* form = TForm::FromChildWindow(Handle());
    TWinControl* focused = form ? form->ActiveControl() : nullptr;
    CMFocusChanged(focused && focused->HandleAllocated() && ::GetFocus() == focused->Handle()
                       ? focused
                       : nullptr);
}

LRESULT TButton::CMFocusChanged(TWinControl* focused) {
    bool active = dynamic_cast<TButton*>(focused) ? focused == this : default_;
    if (active != activeDefault_) {
        activeDefault_ = active;
        ActiveDefaultChanged();
    }
    return 0;
}

void TButton::ActiveDefaultChanged() {
    bool active = activeDefault_;
    if (!HandleAllocated())
        return;
    // Only a push button's frame changes; an owner-drawn button keeps its style.
    auto type = ::GetWindowLongPtrA(Handle(), GWL_STYLE) & BS_TYPEMASK;
    if ((type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && (type == BS_DEFPUSHBUTTON) != active)
        ::SendMessageA(Handle(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

LRESULT TButton::CNCommand(WORD code) {
    if (code == BN_CLICKED)
        Click();
    return 0;
}

void TButton::Click() {
    if (!EventsAllowed(*this))
        return;
    if (modalResult_ != 0)
        if (TForm* form = TForm::FromChildWindow(Handle()))
            form->SetModalResult(modalResult_);
    if (OnClick)
        OnClick(this);
}

} // namespace framework
