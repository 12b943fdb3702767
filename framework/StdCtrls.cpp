#include "framework/StdCtrls.h"

#include <algorithm>
#include <iterator>

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
    // The window shows whether the button is the active default: a window made again (after a
    // colour change) keeps what the focus made it.
    params.style |= activeDefault_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
    default_ = value;
    if (!HandleAllocated()) {
        activeDefault_ = value; // no focus has moved yet
        return;
    }
    // As if the focus moved again: the focused button stays the active default.
    TWinControl* top = TopLevelWindow();
    TWinControl* focused = top ? top->ActiveControl() : nullptr;
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
    if (!EventsAllowed())
        return;
    if (modalResult_ != 0)
        if (TWinControl* top = TopLevelWindow())
            top->ModalResultChosen(modalResult_);
    if (OnClick)
        OnClick(this);
}

// --- TLabel -------------------------------------------------------------------------------------

TLabel::TLabel() {
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

void TLabel::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "Alignment") {
        static constexpr const char* names[] = {"taLeftJustify", "taRightJustify", "taCenter"};
        SetAlignment(p.Enumerated<TAlignment>(names, "alignment"));
    } else if (p.name == "WordWrap") {
        SetWordWrap(ParseBoolean(p));
    } else if (p.name == "AutoSize") {
        SetAutoSize(ParseBoolean(p));
    } else {
        TCustomControl::ApplyProperty(p, loader);
    }
}

void TLabel::Loaded() {
    TCustomControl::Loaded();
    loaded_ = true;
    AdjustBounds();
}

void TLabel::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.className = "Ordanel.TLabel";
}

UINT TLabel::TextFlags() const noexcept {
    static constexpr UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    return DT_EXPANDTABS | DT_NOPREFIX | alignments[alignment_] | (wordWrap_ ? DT_WORDBREAK : 0);
}

void TLabel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    // While a definition is applied the text, the font and the other settings are not all
    // there yet: the size is taken once they are (Loaded).
    if (!autoSize_ || !loaded_)
        return;
    WindowDc screen(nullptr);
    if (!screen.get())
        return;
    SelectGuard font(screen.get(), FontHandle());
    // An empty label keeps the height of a line.
    const std::string text = Caption().empty() ? " " : Caption();
    RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
    ::DrawTextA(screen.get(), text.c_str(), static_cast<int>(text.size()), &r,
                TextFlags() | DT_CALCRECT);
    // A word-wrapped label keeps the width it wraps in, so that a longer text wraps the same way.
    SetBounds(Left(), Top(), wordWrap_ ? Width() : r.right - r.left, r.bottom - r.top);
}

void TLabel::Invalidate() {
    if (HandleAllocated())
        ::InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT TLabel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = TCustomControl::WndProc(message, wParam, lParam);
        AdjustBounds();
        Invalidate();
        return result;
    }
    case WM_ENABLE: Invalidate(); return TCustomControl::WndProc(message, wParam, lParam);
    default: return TCustomControl::WndProc(message, wParam, lParam);
    }
}

void TLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (Transparent()) {
        PaintParentBackground(canvas.Handle());
    } else {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(r);
    }
    canvas.SetFont(Font());
    if (!Enabled())
        canvas.Font().SetColor(clGrayText);
    canvas.Brush().SetStyle(bsClear);
    if (!canvas.RequiredState(csHandleValid | csFontValid | csBrushValid))
        return;
    const std::string& text = Caption();
    ::DrawTextA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &r, TextFlags());
}

} // namespace framework
