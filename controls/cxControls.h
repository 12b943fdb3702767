// cxControls.h - the base of the skinned controls.
//
// Contents, in two sections:
//   Mouse tracking, popup menus and the work area: BeginMouseTracking / EndMouseTracking with
//   IcxMouseTrackingCaller and IcxMouseTrackingHitTest, IcxPopupMenuProvider,
//   ShowControlPopupMenu, IsMenuShortCut, GetMenuHeight, GetWorkArea.
//   The base control: TcxControl.
//
// TODO: both sections.
#pragma once

#include "framework/Controls.h"
#include "lookandfeel/cxGraphics.h"
#include "lookandfeel/cxLookAndFeels.h"

#include <memory>
#include <string_view>

namespace controls {

// --- Mouse tracking, popup menus and the work area ----------------------------------------------

// (mouse tracking section)

// --- The base control ---------------------------------------------------------------------------

// (base control section)

/// The look-and-feel of a control as window definitions see it ("LookAndFeel.NativeStyle: True",
/// "Style.LookAndFeel.Kind: lfFlat"): the object it names is borrowed.
class TcxLookAndFeelProperties final : public framework::TPropertyObject {
public:
    explicit TcxLookAndFeelProperties(lookandfeel::TcxLookAndFeel& lookAndFeel) noexcept
        : lookAndFeel_(lookAndFeel) {}
    void ApplyProperty(const framework::DefinitionProperty& property,
                       framework::TDefinitionLoader& loader) override;
    std::string DisplayName() const override { return "LookAndFeel"; }

private:
    lookandfeel::TcxLookAndFeel& lookAndFeel_;
};

/// The base of the skinned controls: a custom control that owns a look-and-feel (following the
/// application's unless given another master) and draws through a TcxCanvas. The erase request is
/// answered as done unless IsEraseBackgroundNeeded says otherwise; mouse enter and leave, font,
/// caption and look-and-feel changes end in overridable operations.
class TcxControl : public framework::TCustomControl {
public:
    ~TcxControl() override;

    lookandfeel::TcxLookAndFeel& LookAndFeel() noexcept { return *lookAndFeel_; }
    /// Copies the settings of another look-and-feel onto this control's.
    void SetLookAndFeel(const lookandfeel::TcxLookAndFeel& value) { lookAndFeel_->Assign(value); }
    /// The drawing object over the control's canvas (the DC being painted during Paint).
    lookandfeel::TcxCanvas& cxCanvas() noexcept { return cxCanvas_; }

    framework::TPropertyObject* NestedObject(std::string_view name) override;

protected:
    TcxControl();

    /// The look-and-feel's effective values named in changed have changed: repaints by default.
    virtual void LookAndFeelChanged(lookandfeel::TcxLookAndFeel& sender,
                                    lookandfeel::TcxLookAndFeelValues changed);
    /// Whether WM_ERASEBKGND erases (the framework's erase) instead of being answered as done.
    virtual bool IsEraseBackgroundNeeded() const { return false; }
    /// The mouse entered or left control (this control, or the one a notification named).
    virtual void MouseEnter(framework::TWinControl* control);
    virtual void MouseLeave(framework::TWinControl* control);
    /// The window's font (WM_SETFONT) or caption (WM_SETTEXT) has changed.
    virtual void FontChanged();
    virtual void TextChanged();

    bool NeedsEraseBackground() const final { return IsEraseBackgroundNeeded(); }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT CMMouseEnter(framework::TWinControl* control) override;
    LRESULT CMMouseLeave(framework::TWinControl* control) override;
    /// Repaints the whole window when it exists.
    void Invalidate();

private:
    std::unique_ptr<lookandfeel::TcxLookAndFeel> lookAndFeel_;
    TcxLookAndFeelProperties lookAndFeelProperties_;
    lookandfeel::TcxCanvas cxCanvas_;
};

} // namespace controls
