#include "controls/cxControls.h"

namespace controls {

// --- Mouse tracking, popup menus and the work area ----------------------------------------------

// (mouse tracking section)

// --- The base control ---------------------------------------------------------------------------

// (base control section)

void TcxLookAndFeelProperties::ApplyProperty(const framework::DefinitionProperty& property,
                                             framework::TDefinitionLoader& loader) {
    if (!lookandfeel::ReadLookAndFeelProperty(lookAndFeel_, property))
        TPropertyObject::ApplyProperty(property, loader);
}

TcxControl::TcxControl()
    : lookAndFeel_(std::make_unique<lookandfeel::TcxLookAndFeel>(this)),
      lookAndFeelProperties_(*lookAndFeel_), cxCanvas_(Canvas()) {
    lookAndFeel_->OnLookAndFeelChanged = [this](lookandfeel::TcxLookAndFeel& sender,
                                                lookandfeel::TcxLookAndFeelValues changed) {
        LookAndFeelChanged(sender, changed);
    };
}

TcxControl::~TcxControl() {
    // The window goes first: its last messages may still reach the overridden operations of a
    // derived control, which are gone by now, so none may reach this object's either.
    lookAndFeel_->OnLookAndFeelChanged = nullptr;
    if (HandleAllocated())
        ::DestroyWindow(Handle());
}

framework::TPropertyObject* TcxControl::NestedObject(std::string_view name) {
    if (name == "LookAndFeel")
        return &lookAndFeelProperties_;
    return TCustomControl::NestedObject(name);
}

void TcxControl::LookAndFeelChanged(lookandfeel::TcxLookAndFeel&,
                                    lookandfeel::TcxLookAndFeelValues) {
    Invalidate();
}

void TcxControl::MouseEnter(framework::TWinControl*) {}
void TcxControl::MouseLeave(framework::TWinControl*) {}
void TcxControl::FontChanged() {}
void TcxControl::TextChanged() {}

void TcxControl::Invalidate() {
    if (HandleAllocated())
        ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TcxControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = TCustomControl::WndProc(message, wParam, lParam);
        TextChanged();
        return result;
    }
    case WM_SETFONT: {
        LRESULT result = TCustomControl::WndProc(message, wParam, lParam);
        FontChanged();
        return result;
    }
    default: return TCustomControl::WndProc(message, wParam, lParam);
    }
}

LRESULT TcxControl::CMMouseEnter(framework::TWinControl* control) {
    LRESULT result = TCustomControl::CMMouseEnter(control);
    MouseEnter(control ? control : this);
    return result;
}

LRESULT TcxControl::CMMouseLeave(framework::TWinControl* control) {
    LRESULT result = TCustomControl::CMMouseLeave(control);
    MouseLeave(control ? control : this);
    return result;
}

} // namespace controls
