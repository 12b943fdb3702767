// cxGroupBox.h - the skinned group box: a frame with an optional caption on one of its sides,
// whose client area holds child controls.
//
// Classes and functions in this file:
//   TcxCaptionAlignment            the 13 caption places
//   TcxGroupBoxButtonViewInfo      where an editor button's glyph goes (the box shows none)
//   TcxGroupBoxViewInfo            caption rectangle and bitmap; paints frame and caption
//   TcxGroupBoxViewData            caption rectangle, frame and client extents, native decision
//   TcxCustomGroupBoxProperties    names the classes above and TcxGroupBox
//   TcxCustomGroupBox, TcxGroupBox the control
//   GroupBoxDisplayCaption, RegisterGroupBoxClasses
//
// Children with an Align share the client area inside the frame (AdjustClientRect); the others
// keep their bounds.
#pragma once

#include "controls/cxContainer.h"
#include "framework/Graphics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace controls {

enum TcxCaptionAlignment : std::uint8_t {
    alTopLeft,
    alTopCenter,
    alTopRight,
    alBottomLeft,
    alBottomCenter,
    alBottomRight,
    alLeftTop,
    alLeftCenter,
    alLeftBottom,
    alRightTop,
    alRightCenter,
    alRightBottom,
    alCenterCenter
};

constexpr bool IsVerticalAlignment(TcxCaptionAlignment a) noexcept {
    return a >= alLeftTop && a <= alRightBottom;
}

/// The caption as a group box shows it: for vertical alignments every "&" is dropped and the
/// character after it taken literally ("&&" gives "&"), a "&" at the end becomes "_"; horizontal
/// alignments show the caption unchanged (the marker underlines the accelerator).
std::string GroupBoxDisplayCaption(std::string_view caption, TcxCaptionAlignment alignment);

/// Places a glyph of glyphSize centred vertically in bounds, flush left or flush right.
class TcxGroupBoxButtonViewInfo {
public:
    RECT Bounds{};
    RECT GlyphRect{};
    void Calculate(const RECT& bounds, SIZE glyphSize, bool leftSide);
};

class TcxCustomGroupBox;

class TcxGroupBoxViewInfo : public TcxCustomTextEditViewInfo {
public:
    TcxGroupBoxViewInfo();
    ~TcxGroupBoxViewInfo() override;

    RECT CaptionRect{};
    /// The caption is drawn here first, then copied to the control at CaptionRect.
    framework::TBitmap CaptionBitmap;
    lookandfeel::TcxCanvas CaptionCanvas;
    /// The caption's height ("Qq" in the caption font).
    int CaptionHeight = 0;

    void Paint(lookandfeel::TcxCanvas& canvas) override;

private:
    TcxCustomGroupBox& Box() const;
    void PaintNativeFrame(lookandfeel::TcxCanvas& canvas);
    void PaintBorderFrame(lookandfeel::TcxCanvas& canvas);
    void PaintCaption(lookandfeel::TcxCanvas& canvas);
    /// The background: the parent's image, or a fill in BackgroundColor.
    void PaintBackground(lookandfeel::TcxCanvas& canvas);
};

class TcxGroupBoxViewData : public TcxCustomEditViewData {
public:
    explicit TcxGroupBoxViewData(TcxCustomGroupBox& box);

    /// The look-and-feel asks for the native style (or is Office 11) and the "Edit" theme opens.
    bool IsNativeStyle() const override;
    /// Only captions on the top or left side or centred allow a shadow.
    bool ShadowAllowed() const override;
    RECT BorderExtent() const override;
    RECT ClientExtent() const override;
    void CalculateNativePart(TcxCustomEditViewInfo& viewInfo) const override;
    void Calculate(lookandfeel::TcxCanvas& canvas, const RECT& bounds,
                   TcxCustomEditViewInfo& viewInfo) override;

    /// The caption rectangle in control coordinates for a control of the given size.
    RECT CaptionRect(int width, int height) const;

private:
    TcxCustomGroupBox& box_;
    int captionHeight_;
};

class TcxCustomGroupBoxProperties : public TcxCustomEditProperties {
public:
    std::unique_ptr<TcxCustomEditViewData> CreateViewData(TcxCustomEdit& edit) const override;
    std::unique_ptr<TcxCustomEditViewInfo> CreateViewInfo() const override;
    std::unique_ptr<TcxCustomEdit> CreateContainer() const override;
};

/// The group box's behaviour. Drawn with StyleDisabled while disabled, else with Style; never a
/// tab stop itself, its children take part in the form's tab order. Alt with the caption's
/// accelerator letter focuses the first child in tab order.
class TcxCustomGroupBox : public TcxCustomEdit {
public:
    TcxCustomGroupBox();
    ~TcxCustomGroupBox() override;

    TcxCaptionAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TcxCaptionAlignment value);
    TColor CaptionBkColor() const noexcept { return captionBkColor_; }
    void SetCaptionBkColor(TColor value) noexcept { captionBkColor_ = value; }

    /// The font the caption is drawn with: the active style's, rotated for vertical alignments.
    const framework::TFont& CaptionFont() const noexcept { return captionFont_; }
    const std::string& DisplayCaption() const noexcept { return displayCaption_; }
    /// DrawText flags of the caption.
    UINT CaptionTextFlags() const noexcept;
    TcxGroupBoxViewInfo& GroupBoxViewInfo() noexcept {
        return static_cast<TcxGroupBoxViewInfo&>(ViewInfo());
    }
    /// The area left to children: the control less the client extents; rect is left as it is
    /// while the control is being destroyed.
    void AdjustClientRect(RECT& rect) const override;

    TcxContainerStyle& ActiveStyle() override;
    bool HasFaceColoredBackground() const override { return true; }

    void ApplyProperty(const framework::DefinitionProperty& property,
                       framework::TDefinitionLoader& loader) override;

protected:
    void CreateParams(framework::TCreateParams& params) override;
    /// Takes the caption, which a change made while there was no window did not reach.
    void CreateWnd() override;
    void CalculateViewInfo() override;
    void StyleChanged(TcxContainerStyle& style) override;
    /// Whether the native style applies decides the area inside the frame too.
    void ThemeChanged() override;
    void TextChanged() override;
    void FontChanged() override;
    LRESULT WMPrintClient(HDC dc, UINT flags) override;
    LRESULT CMDialogChar(WORD charCode, LPARAM keyData) override;

private:
    friend class TcxGroupBoxViewData;
    void UpdateCaptionFont();
    void UpdateDisplayCaption();

    TcxCaptionAlignment alignment_ = alTopLeft;
    TColor captionBkColor_ = framework::clBtnFace;
    framework::TFont captionFont_;
    std::string displayCaption_;
    bool destroying_ = false;
};

class TcxGroupBox : public TcxCustomGroupBox {
public:
    TcxGroupBox() = default;
};

/// Makes TcxGroupBox known to window definitions. Idempotent.
void RegisterGroupBoxClasses();

} // namespace controls
