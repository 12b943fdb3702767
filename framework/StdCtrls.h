// StdCtrls.h - the system push button and the static text label as controls of the framework.
//
// Classes in this file:
//   TButton  a BUTTON window: caption, Default, Cancel, ModalResult and OnClick. It learns on
//            every focus change in its form whether it is the form's active default button (the
//            focused button, or the Default one while no button has the focus); the native button
//            shows that by its default frame, and a derived button that draws itself overrides
//            ActiveDefaultChanged to draw it its own way.
//   TLabel   a text drawn by the framework on its parent's colour, or on its parent's image when
//            Transparent: aligned left, right or centred, on one line or word-wrapped, sized to
//            its text while AutoSize is set. It takes no focus.
//
// Not done yet: images, the split and command-link styles of buttons; accelerator letters of
// labels (the text is shown as it is), the raised look of a disabled label (it is drawn in
// clGrayText).
#pragma once

#include "framework/Controls.h"

#include <cstdint>

namespace framework {

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

class TButton : public TWinControl {
public:
    TButton();

    /// Enter presses this button while no other button has the focus.
    bool Default() const noexcept { return default_; }
    void SetDefault(bool value);
    /// Escape presses this button.
    bool Cancel() const noexcept { return cancel_; }
    void SetCancel(bool value) noexcept { cancel_ = value; }
    /// Given to the top-level window (a form's ModalResult) when the button is clicked; 0: none.
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

class TLabel : public TCustomControl {
public:
    TLabel();

    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment alignment);
    /// Breaks the text into lines at word ends to fit the width.
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    /// The label takes the size of its text (keeping its width when word-wrapped); true unless
    /// set.
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool autoSize);
    /// The DrawText flags the text is drawn with.
    UINT TextFlags() const noexcept;

    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;
    void Loaded() override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(TCanvas& canvas) override;

private:
    void AdjustBounds();
    void Invalidate();

    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = false, autoSize_ = true, loaded_ = false;
};

} // namespace framework
