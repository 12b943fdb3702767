// cxContainer.h - framed skinned controls: state styles, their resolution, and the view info that
// painting uses; the minimal editor layer built on it.
//
// Classes and functions in this file:
//   TcxContainerBorderStyle, TcxContainerStateItem/TcxContainerState, TcxContainerStyleValue
//   TcxContainerStyle        one state's style: assigned values, else the style controller's,
//                            else the defaults (per state, per owner)
//   TcxCustomEditStyle, TcxEditStyle   the editor styles (button and popup settings, unused here)
//   TcxStyleController       a component holding four styles that containers may follow
//   TcxContainerViewInfo     what painting a container needs: colours, border, state, theme part
//   TcxContainer             a control with four state styles (normal, focused, disabled, hot)
//   TcxCustomEditProperties, TcxCustomEditViewData, TcxCustomEditViewInfo,
//   TcxCustomTextEditViewInfo, TcxCustomEdit   the editor layer: properties name the view-data
//                            class (which computes) and the view-info class (which paints)
//   ContainerBorderWidth, ExtendRectByBorders, ContainerShapeRect, DrawContainerShadow
//
// Not done yet: value editing, in-place editors, editor buttons and popups, the container's window
// region (painting covers the whole control instead).
#pragma once

#include "controls/cxControls.h"
#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "lookandfeel/ThemeManager.h"
#include "lookandfeel/cxGraphics.h"
#include "lookandfeel/cxLookAndFeels.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace controls {

using framework::TColor;
using lookandfeel::TcxBorders;

enum TcxContainerBorderStyle : std::uint8_t {
    cbsNone,
    cbsSingle,
    cbsThick,
    cbsFlat,
    cbs3D,
    cbsUltraFlat,
    cbsOffice11
};

/// Container states; as a set, bit values normal 1, active 2, disabled 4, hot 8.
enum TcxContainerStateItem : std::uint8_t { csNormal, csActive, csDisabled, csHotTrack };
using TcxContainerState = framework::EnumSet<TcxContainerStateItem>;

/// Index of a style in a container's list.
enum TcxContainerStyleState : int {
    cxStyleNormal = 0,
    cxStyleFocused = 1,
    cxStyleDisabled = 2,
    cxStyleHot = 3
};

/// The values of a style, by bit of AssignedValues.
enum TcxContainerStyleValue : std::uint8_t {
    svBorderColor,
    svBorderStyle,
    svColor,
    svEdges,
    svFont,
    svHotTrack,
    svShadow,
    svTextColor,
    svTextStyle,
    svTransparentBorder
};
using TcxContainerStyleValues = std::uint16_t;
constexpr TcxContainerStyleValues StyleValueBit(TcxContainerStyleValue value) noexcept {
    return static_cast<TcxContainerStyleValues>(1u << value);
}

/// Pixels of a border of the style: none 0, single 1, thick, flat and 3-D 2, ultra-flat and
/// Office 11 1.
int ContainerBorderWidth(TcxContainerBorderStyle style) noexcept;
/// Grows rect by width on the sides named in borders.
RECT ExtendRectByBorders(const RECT& rect, int width, TcxBorders borders) noexcept;
/// The container's shape: bounds less the client extents, grown by borderWidth on every side,
/// then shrunk back on the sides that have no edge.
RECT ContainerShapeRect(const RECT& bounds, const RECT& clientExtent, int borderWidth,
                        TcxBorders edges) noexcept;
/// The shadow strips under and right of rect, in clBtnShadow; each is taken out of the clip
/// region once filled.
void DrawContainerShadow(lookandfeel::TcxCanvas& canvas, const RECT& rect);

class TcxContainer;
class TcxStyleController;

/// One state's style of a container (or of a style controller). Per-state values (BorderColor,
/// BorderStyle, Color, TextColor, TextStyle) are the style's own when assigned, else those of
/// the controller's style of the same state, else the defaults; Edges, HotTrack, Shadow and
/// TransparentBorder of the other states are the normal style's. LookAndFeel and Font exist on
/// the normal style only: the others return the normal style's objects.
class TcxContainerStyle : public framework::TPropertyObject {
public:
    /// owner: the container (null for a controller's style); parent: the normal style (null for
    /// the normal style itself).
    TcxContainerStyle(TcxContainer* owner, int state, TcxContainerStyle* parent);
    ~TcxContainerStyle() override;

    TcxContainer* Container() const noexcept { return owner_; }
    int State() const noexcept { return state_; }
    bool IsBaseStyle() const noexcept { return parent_ == nullptr; }
    TcxContainerStyle& BaseStyle() noexcept { return parent_ ? *parent_ : *this; }
    const TcxContainerStyle& BaseStyle() const noexcept { return parent_ ? *parent_ : *this; }

    TcxContainerStyleValues AssignedValues() const noexcept { return assigned_; }
    /// Bits cleared here make their values inherited again.
    void SetAssignedValues(TcxContainerStyleValues values);
    bool IsAssigned(TcxContainerStyleValue value) const noexcept {
        return (assigned_ & StyleValueBit(value)) != 0;
    }

    TColor BorderColor() const;
    void SetBorderColor(TColor value);
    TcxContainerBorderStyle BorderStyle() const;
    void SetBorderStyle(TcxContainerBorderStyle value);
    TColor Color() const;
    void SetColor(TColor value);
    TcxBorders Edges() const;
    void SetEdges(TcxBorders value);
    /// The normal style's font.
    framework::TFont& Font() noexcept { return BaseStyle().font_; }
    const framework::TFont& Font() const noexcept { return BaseStyle().font_; }
    void SetFont(const framework::TFont& value);
    bool HotTrack() const;
    void SetHotTrack(bool value);
    bool Shadow() const;
    void SetShadow(bool value);
    TColor TextColor() const;
    void SetTextColor(TColor value);
    framework::TFontStyles TextStyle() const;
    void SetTextStyle(framework::TFontStyles value);
    bool TransparentBorder() const;
    void SetTransparentBorder(bool value);
    /// The font as text is drawn with it: Font with TextColor and TextStyle.
    framework::TFont VisibleFont() const;

    /// The normal style's look-and-feel.
    lookandfeel::TcxLookAndFeel& LookAndFeel() noexcept { return *BaseStyle().lookAndFeel_; }
    const lookandfeel::TcxLookAndFeel& LookAndFeel() const noexcept {
        return *BaseStyle().lookAndFeel_;
    }

    TcxStyleController* StyleController() const noexcept { return controller_; }
    void SetStyleController(TcxStyleController* controller);

    /// Called after every change of this style's values (and of the normal style's font and
    /// look-and-feel, for the normal style).
    std::function<void(TcxContainerStyle&)> OnChanged;

    // Window definitions: BorderColor, BorderStyle, Color, Edges, HotTrack, Shadow, TextColor,
    // TextStyle, TransparentBorder, and LookAndFeel.* as a nested object.
    void ApplyProperty(const framework::DefinitionProperty& property,
                       framework::TDefinitionLoader& loader) override;
    framework::TPropertyObject* NestedObject(std::string_view name) override;
    std::string DisplayName() const override;

    /// Tells OnChanged (used by the controller and the owner when inherited values change).
    void Changed();

protected:
    virtual TColor DefaultBorderColor() const;
    virtual TcxContainerBorderStyle DefaultBorderStyle() const;
    virtual TColor DefaultColor() const;
    virtual TColor DefaultTextColor() const;
    virtual framework::TFontStyles DefaultTextStyle() const;

private:
    const TcxContainerStyle* ControllerStyle() const noexcept;
    template <typename T> void Assign(T& field, T value, TcxContainerStyleValue bit);

    TcxContainer* owner_;
    int state_;
    TcxContainerStyle* parent_;
    TcxStyleController* controller_ = nullptr;
    TcxContainerStyleValues assigned_ = 0;

    TColor borderColor_ = framework::clWindowFrame;
    TcxContainerBorderStyle borderStyle_ = cbsNone;
    TColor color_ = framework::clWindow;
    TcxBorders edges_ = lookandfeel::cxBordersAll;
    bool hotTrack_ = true;
    bool shadow_ = false;
    TColor textColor_ = framework::clWindowText;
    framework::TFontStyles textStyle_;
    bool transparentBorder_ = true;
    // The normal style's own objects.
    framework::TFont font_;
    std::unique_ptr<lookandfeel::TcxLookAndFeel> lookAndFeel_;
    std::unique_ptr<TcxLookAndFeelProperties> lookAndFeelProperties_;
};

/// What painting a container needs, calculated from its styles and state.
class TcxContainerViewInfo {
public:
    virtual ~TcxContainerViewInfo() = default;

    TColor BackgroundColor = framework::clWindow;
    TColor BorderColor = framework::clWindowFrame;
    RECT BorderRect{};
    TcxContainerBorderStyle BorderStyle = cbsNone;
    int BorderWidth = 0;
    RECT Bounds{};
    RECT ClientRect{};
    TcxContainerState ContainerState;
    TcxBorders Edges = lookandfeel::cxBordersAll;
    int HotState = 0;
    bool NativeStyle = false;
    bool Shadow = false;
    lookandfeel::ThemedObjectType ThemedObjectType = lookandfeel::ThemedObjectType::Edit;
    int NativePart = 0;
    int NativeState = 0;

    /// Draws the container; the base draws nothing.
    virtual void Paint(lookandfeel::TcxCanvas& canvas);
};

/// A skinned control with four state styles. Its own look-and-feel follows the normal style's.
class TcxContainer : public TcxControl {
public:
    using StyleFactory = std::function<std::unique_ptr<TcxContainerStyle>(
        TcxContainer& owner, int state, TcxContainerStyle* parent)>;

    ~TcxContainer() override;

    TcxContainerStyle& Style() noexcept { return *styles_[cxStyleNormal]; }
    TcxContainerStyle& StyleFocused() noexcept { return *styles_[cxStyleFocused]; }
    TcxContainerStyle& StyleDisabled() noexcept { return *styles_[cxStyleDisabled]; }
    TcxContainerStyle& StyleHot() noexcept { return *styles_[cxStyleHot]; }
    TcxContainerStyle& StyleOfState(int state) { return *styles_.at(state); }

    /// The style the control is drawn with now.
    virtual TcxContainerStyle& ActiveStyle();
    /// Disabled when not enabled; else active with the focus or normal, plus hot while the mouse
    /// is over the control's hot area.
    TcxContainerState ContainerState() const;

    /// Whether an unassigned normal Color is clBtnFace (true) or clWindow.
    virtual bool HasFaceColoredBackground() const { return false; }
    /// Draws 3-D borders etched (true) or as a window frame.
    bool Ctl3D() const noexcept { return ctl3D_; }
    void SetCtl3D(bool value);

    TcxContainerViewInfo& ViewInfo() noexcept { return *viewInfo_; }
    /// Recalculates the view info and repaints.
    void ShortRefreshContainer();

    framework::TPropertyObject* NestedObject(std::string_view name) override;
    void ApplyProperty(const framework::DefinitionProperty& property,
                       framework::TDefinitionLoader& loader) override;

protected:
    TcxContainer(StyleFactory factory, std::unique_ptr<TcxContainerViewInfo> viewInfo);

    /// A style's values changed (any of the four).
    virtual void StyleChanged(TcxContainerStyle& style);
    /// Fills the view info for the present bounds and state.
    virtual void CalculateViewInfo();
    /// Whether the point (client coordinates) counts for the hot state.
    virtual bool IsInHotArea(POINT point) const;
    void Paint(framework::TCanvas& canvas) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FontChanged() override;
    void MouseEnter(framework::TWinControl* control) override;
    void MouseLeave(framework::TWinControl* control) override;
    void LookAndFeelChanged(lookandfeel::TcxLookAndFeel& sender,
                            lookandfeel::TcxLookAndFeelValues changed) override;
    void SetViewInfo(std::unique_ptr<TcxContainerViewInfo> viewInfo) {
        viewInfo_ = std::move(viewInfo);
    }

private:
    std::array<std::unique_ptr<TcxContainerStyle>, 4> styles_;
    std::unique_ptr<TcxContainerViewInfo> viewInfo_;
    bool ctl3D_ = true;
    bool syncingFont_ = false;
};

// --- The editor layer -------------------------------------------------------------------------
// The program's windows place one editor, the group box, and never reach the rest of this layer:
// the editor style's button and popup settings, the style controller (no window definition sets
// one), the edit field's own defaults (its theme part, its native-style test, the view data and
// view info the properties make), all of which the group box replaces. They are kept because
// the group box is built on this layer (it is a TcxCustomEdit whose view data extends
// TcxCustomEditViewData), the defaults make the base classes whole, and the container tests
// resolve styles through a style controller.

/// The editor style: adds the settings of editor buttons and popups, which nothing here draws.
class TcxCustomEditStyle : public TcxContainerStyle {
public:
    using TcxContainerStyle::TcxContainerStyle;

    int ButtonStyle() const noexcept { return buttonStyle_; }
    void SetButtonStyle(int value) noexcept { buttonStyle_ = value; }
    int ButtonTransparency() const noexcept { return buttonTransparency_; }
    void SetButtonTransparency(int value) noexcept { buttonTransparency_ = value; }
    TcxContainerBorderStyle PopupBorderStyle() const noexcept { return popupBorderStyle_; }
    void SetPopupBorderStyle(TcxContainerBorderStyle value) noexcept { popupBorderStyle_ = value; }

private:
    int buttonStyle_ = 0;
    int buttonTransparency_ = 0;
    TcxContainerBorderStyle popupBorderStyle_ = cbsNone;
};

class TcxEditStyle : public TcxCustomEditStyle {
public:
    using TcxCustomEditStyle::TcxCustomEditStyle;
};

/// A component with four styles that containers may follow (Style.StyleController): a value a
/// container's style leaves unassigned is taken from the controller's style of the same state.
class TcxStyleController : public framework::TComponent {
public:
    TcxStyleController();
    ~TcxStyleController() override;

    TcxContainerStyle& Style(int state = cxStyleNormal) { return *styles_.at(state); }

private:
    friend class TcxContainerStyle;
    void AddFollower(TcxContainerStyle* style);
    void RemoveFollower(TcxContainerStyle* style) noexcept;
    void StyleChanged(int state);

    std::array<std::unique_ptr<TcxEditStyle>, 4> styles_;
    std::vector<TcxContainerStyle*> followers_;
};

class TcxCustomEdit;
class TcxCustomEditViewInfo;

/// Computes an editor's view info from its properties, styles and state.
class TcxCustomEditViewData {
public:
    explicit TcxCustomEditViewData(TcxCustomEdit& edit) noexcept : edit_(edit) {}
    virtual ~TcxCustomEditViewData() = default;

    TcxCustomEdit& Edit() const noexcept { return edit_; }
    /// The style the editor is drawn with.
    TcxContainerStyle& Style() const;
    /// The native-style decision of the editor.
    virtual bool IsNativeStyle() const;
    /// The border style drawn: the normal style's with the native flag, else the active style's
    /// with ultra-flat and Office 11 stored as single.
    virtual TcxContainerBorderStyle BorderStyle() const;
    /// Whether a descendant allows the style's shadow.
    virtual bool ShadowAllowed() const { return true; }
    /// The style's shadow is drawn: Shadow, no native flag, and allowed.
    bool HasShadow() const;
    /// Distances from the control's edges to the border rectangle.
    virtual RECT BorderExtent() const;
    /// Distances from the control's edges to the client area; the border extent by default.
    virtual RECT ClientExtent() const { return BorderExtent(); }
    /// The theme class, part and state of the native frame: the edit field's by default.
    virtual void CalculateNativePart(TcxCustomEditViewInfo& viewInfo) const;
    /// Fills viewInfo for bounds.
    virtual void Calculate(lookandfeel::TcxCanvas& canvas, const RECT& bounds,
                           TcxCustomEditViewInfo& viewInfo);

private:
    TcxCustomEdit& edit_;
};

class TcxCustomEditViewInfo : public TcxContainerViewInfo {
public:
    TcxCustomEdit* Edit = nullptr;
};

class TcxCustomTextEditViewInfo : public TcxCustomEditViewInfo {
public:
    std::string Text;
};

/// An editor's properties: they name the view-data class, the view-info class and the container
/// class of the editor.
class TcxCustomEditProperties {
public:
    virtual ~TcxCustomEditProperties() = default;
    virtual std::unique_ptr<TcxCustomEditViewData> CreateViewData(TcxCustomEdit& edit) const;
    virtual std::unique_ptr<TcxCustomEditViewInfo> CreateViewInfo() const;
    /// A new editor of the container class.
    virtual std::unique_ptr<TcxCustomEdit> CreateContainer() const = 0;
};

/// An editor: a container with TcxEditStyle styles whose view info is calculated by the
/// properties' view data. Never in-place here.
class TcxCustomEdit : public TcxContainer {
public:
    ~TcxCustomEdit() override;

    TcxEditStyle& Style() noexcept { return static_cast<TcxEditStyle&>(TcxContainer::Style()); }
    TcxEditStyle& StyleFocused() noexcept {
        return static_cast<TcxEditStyle&>(TcxContainer::StyleFocused());
    }
    TcxEditStyle& StyleDisabled() noexcept {
        return static_cast<TcxEditStyle&>(TcxContainer::StyleDisabled());
    }
    TcxEditStyle& StyleHot() noexcept {
        return static_cast<TcxEditStyle&>(TcxContainer::StyleHot());
    }
    const TcxCustomEditProperties& Properties() const noexcept { return *properties_; }
    TcxCustomEditViewInfo& EditViewInfo() noexcept {
        return static_cast<TcxCustomEditViewInfo&>(ViewInfo());
    }
    /// A view data of the properties' class over this editor.
    std::unique_ptr<TcxCustomEditViewData> CreateViewData() {
        return properties_->CreateViewData(*this);
    }
    bool IsInplace() const noexcept { return false; }

protected:
    explicit TcxCustomEdit(std::unique_ptr<TcxCustomEditProperties> properties);
    void CalculateViewInfo() override;

private:
    std::unique_ptr<TcxCustomEditProperties> properties_;
};

} // namespace controls
