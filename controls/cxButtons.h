// cxButtons.h - the skinned push button.
//
// Classes in this file:
//   TcxButtonKind, TcxButtonAssignedColors
//   TcxButtonColors   the face colour of each button state; clDefault leaves it to the painter
//   TcxButtonPaintState   what one paint shows (pressed, hot, focused, ...), read from the control
//   TcxCustomButton   a system push button switched to owner drawing and painted by the painter
//                     its own look-and-feel selects: per-state colours, glyph, hot tracking,
//                     pressed look, the active default frame, drop-down kinds with a popup menu,
//                     a context menu and its shortcuts
//   TcxButton         the button as window definitions place it
//
// The glyph and the layout of glyph and caption are in cxButtonGlyph.h; the drop-down and
// context menus are implemented in cxButtonMenus.cpp.
//
// Functions: RegisterButtonClasses (TcxButton and TPopupMenu for window definitions).
//
// Not done yet: action links and a context-popup event (the framework has neither), the reflected
// measure-item request, right-to-left layouts, design mode, OnDropDownMenuPopup and
// OnGetDrawParams in window definitions (they are set in code), noticing that an
// IcxPopupMenuProvider other than a TPopupMenu went away.
#pragma once

#include "controls/cxButtonGlyph.h"
#include "controls/cxControls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "lookandfeel/cxGraphics.h"
#include "lookandfeel/cxLookAndFeels.h"

#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace controls {

using framework::TColor;
using lookandfeel::TcxButtonState;

enum TcxButtonKind : std::uint8_t { cxbkStandard, cxbkDropDown, cxbkDropDownButton };
using TcxButtonAssignedColors = framework::EnumSet<TcxButtonState>;

class TcxCustomButton;

/// The face colours of the five button states; an entry not assigned holds clDefault.
class TcxButtonColors : public framework::TPropertyObject {
public:
    explicit TcxButtonColors(TcxCustomButton* button) noexcept : button_(button) {}

    TColor Color(TcxButtonState state) const noexcept { return colors_[state]; }
    /// clDefault or clNone resets the entry; any other new colour is stored and assigned.
    void SetColor(TcxButtonState state, TColor color);
    TColor Default() const noexcept { return colors_[lookandfeel::cxbsDefault]; }
    TColor Normal() const noexcept { return colors_[lookandfeel::cxbsNormal]; }
    TColor Hot() const noexcept { return colors_[lookandfeel::cxbsHot]; }
    TColor Pressed() const noexcept { return colors_[lookandfeel::cxbsPressed]; }
    TColor Disabled() const noexcept { return colors_[lookandfeel::cxbsDisabled]; }
    TcxButtonAssignedColors AssignedColors() const noexcept { return assigned_; }
    /// Only a designer may set the assigned states; at run time this does nothing.
    void SetAssignedColors(TcxButtonAssignedColors colors);

    void Assign(const framework::TPersistent& source) override;
    /// "Default", "Normal", "Hot", "Pressed", "Disabled".
    void ApplyProperty(const framework::DefinitionProperty& property,
                       framework::TDefinitionLoader& loader) override;
    std::string DisplayName() const override { return "Colors"; }

private:
    void Changed();

    TcxCustomButton* button_;
    std::array<TColor, 5> colors_{framework::clDefault, framework::clDefault, framework::clDefault,
                                  framework::clDefault, framework::clDefault};
    TcxButtonAssignedColors assigned_;
};

/// What one paint of a button shows, read from the control before it paints (as a style option
/// is): the paint draws from this and changes nothing on the control.
struct TcxButtonPaintState {
    bool pressed = false;   ///< the main face looks pressed (the kind's rule already applied)
    bool hot = false;       ///< the cursor is over a hot-tracking button
    bool focused = false;   ///< the window has the keyboard focus
    bool isDefault = false; ///< the form's active default button
    bool enabled = true;
    bool dropDown = false;  ///< a cxbkDropDownButton: a separate drop-down part on the right
    bool menuShown = false; ///< the drop-down menu is open

    /// The one state the painter draws: disabled, pressed, hot, default (also focused), normal.
    TcxButtonState ButtonState() const noexcept;
};

class TcxCustomButton;
/// The drop-down menu is about to show: the handler may replace it or take over (handled).
using TcxButtonDropDownMenuPopupEvent =
    std::function<void(TcxCustomButton* sender, framework::TPopupMenu*& menu, bool& handled)>;
/// The face colour and the font of a paint, which the handler may change.
using TcxButtonGetDrawParamsEvent = std::function<void(
    TcxCustomButton* sender, TcxButtonState state, TColor& color, framework::TFont& font)>;

class TcxCustomButton : public framework::TButton, public IcxMouseTrackingCaller {
public:
    /// Posted to the button's own window: show the drop-down menu / the menu has closed.
    static constexpr UINT DropDownRequest = WM_APP + 0x3C0;
    static constexpr UINT MenuClosed = WM_APP + 0x3C1;
    /// Width of the drop-down part of cxbkDropDownButton.
    static constexpr int kDropDownWidth = 15;

    TcxCustomButton();
    ~TcxCustomButton() override;

    TcxButtonColors& Colors() noexcept { return *colors_; }
    framework::TPopupMenu* DropDownMenu() const noexcept;
    void SetDropDownMenu(framework::TPopupMenu* menu) noexcept;
    const framework::TBitmap& Glyph() const noexcept { return glyph_->Glyph(); }
    void SetGlyph(const framework::TBitmap* bitmap) { glyph_->SetGlyph(bitmap); }
    TcxButtonGlyph& GlyphObject() noexcept { return *glyph_; }
    TcxButtonKind Kind() const noexcept { return kind_; }
    /// Recreates the window.
    void SetKind(TcxButtonKind kind);
    TButtonLayout Layout() const noexcept { return layout_; }
    void SetLayout(TButtonLayout layout);
    lookandfeel::TcxLookAndFeel& LookAndFeel() noexcept { return *lookAndFeel_; }
    /// Takes a copy's settings; a change of the effective values recreates the window.
    void SetLookAndFeel(const lookandfeel::TcxLookAndFeel& lookAndFeel);
    int Margin() const noexcept { return margin_; }
    void SetMargin(int margin); ///< below -1 is ignored
    int NumGlyphs() const noexcept { return glyph_->NumGlyphs(); }
    void SetNumGlyphs(int value) { glyph_->SetNumGlyphs(value); }
    framework::TPopupAlignment PopupAlignment() const noexcept { return popupAlignment_; }
    void SetPopupAlignment(framework::TPopupAlignment a) noexcept { popupAlignment_ = a; }
    int Spacing() const noexcept { return spacing_; }
    void SetSpacing(int spacing);
    bool UseSystemPaint() const noexcept { return useSystemPaint_; }
    void SetUseSystemPaint(bool value) noexcept { useSystemPaint_ = value; }
    /// A TPopupMenu or an IcxPopupMenuProvider; anything else is taken as none.
    framework::TComponent* PopupMenu() const noexcept;
    void SetPopupMenu(framework::TComponent* menu);

    TcxButtonDropDownMenuPopupEvent OnDropDownMenuPopup;
    TcxButtonGetDrawParamsEvent OnGetDrawParams;

    /// The painter the button draws with: its look-and-feel's push-button painter.
    lookandfeel::TcxLookAndFeelPainterClass GetPainter() const;
    bool IsHotTrack() const;
    /// The client rectangle less the painter's frame of state (and the drop-down part).
    RECT ContentBounds(TcxButtonState state) const;
    /// What the next paint draws, read from the control and its window now.
    TcxButtonPaintState PaintState() const;
    /// The state the next paint draws.
    TcxButtonState DrawState() const { return PaintState().ButtonState(); }
    /// Opens the drop-down menu (posted).
    void DropDown();
    void Click() override;

    /// The system button holds the main face down (and no drop-down part took the press).
    bool PressedLook() const;
    bool MenuShown() const noexcept { return menuShown_; }
    bool MouseInside() const noexcept { return mouseInside_; }
    bool SuppressPressed() const noexcept { return suppressPressed_; }

    void ApplyProperty(const framework::DefinitionProperty& property,
                       framework::TDefinitionLoader& loader) override;
    framework::TPropertyObject* NestedObject(std::string_view name) override;

protected:
    virtual bool FireDropDownMenuPopup(framework::TPopupMenu*& menu);
    virtual bool ShowPopupMenu(framework::TComponent* menu, int x, int y);
    virtual std::unique_ptr<TcxButtonGlyph> GetGlyphClass() const;
    virtual bool UsesSystemPaint() const { return false; }
    /// Paints the whole button in state on canvas, the parent's image first when the painter
    /// lets it show through. Every paint ends here: WM_PAINT (through the back buffer),
    /// WM_PRINTCLIENT and the system class's own draw request (CN_DRAWITEM).
    virtual void Paint(lookandfeel::TcxCanvas& canvas, const TcxButtonPaintState& state);

    void CreateParams(framework::TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool NeedsEraseBackground() const override;
    void PaintWindow(HDC dc) override;
    LRESULT WMPaint(HDC dc) override;
    LRESULT WMPrintClient(HDC dc, UINT flags) override;
    void ActiveDefaultChanged() override;
    LRESULT CNDrawItem(DRAWITEMSTRUCT& item) override;
    LRESULT WMMouseMove(UINT keys, int x, int y) override;
    LRESULT CMMouseEnter(framework::TWinControl* control) override;
    LRESULT CMMouseLeave(framework::TWinControl* control) override;

    // IcxMouseTrackingCaller
    void MouseTrackingMouseLeave() override;

private:
    class LookAndFeelProperties;

    /// The paints' one entry: the DC's state is saved and restored around Paint.
    void PaintOn(HDC dc);
    void RecreateWnd();
    void Repaint();
    void Invalidate();
    bool CursorOverWindow() const;
    void UpdateMouseInside();
    void HandleDropDownRequest();
    void HandleMenuClosed();
    void HandlePendingMenuClosed();
    LRESULT WMLButtonDown(WPARAM keys, LPARAM point);
    LRESULT WMKeyDown(UINT message, WPARAM key, LPARAM data);
    LRESULT WMContextMenu(WPARAM window, LPARAM point);

    std::unique_ptr<lookandfeel::TcxLookAndFeel> lookAndFeel_;
    std::unique_ptr<LookAndFeelProperties> lookAndFeelProperties_;
    std::unique_ptr<TcxButtonColors> colors_;
    std::unique_ptr<TcxButtonGlyph> glyph_;

    TcxButtonKind kind_ = cxbkStandard;
    TButtonLayout layout_ = blGlyphLeft;
    framework::TPopupAlignment popupAlignment_ = framework::paLeft;
    int spacing_ = 4, margin_ = -1;
    bool useSystemPaint_ = false;
    framework::TPopupMenu* dropDownMenu_ = nullptr;
    std::weak_ptr<const void> dropDownMenuAlive_;
    framework::TComponent* popupMenu_ = nullptr;
    std::weak_ptr<const void> popupMenuAlive_;
    bool popupMenuIsFrameworkMenu_ = false;

    bool suppressPressed_ = false;
    bool swallowClick_ = false, menuShown_ = false, mouseInside_ = false;
    bool destroying_ = false;
    // A switch of the visual style repaints the button with the painter chosen anew.
    lookandfeel::ThemeChangeNotifier themeChange_{[this] { Invalidate(); }};
};

/// The button of window definitions.
class TcxButton : public TcxCustomButton {
public:
    TcxButton() = default;
};

/// Registers TcxButton (and the framework's TPopupMenu) for window definitions. Idempotent.
void RegisterButtonClasses();

} // namespace controls
