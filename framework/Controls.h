// Controls.h - windowed controls: a control with a window of its own, and one that paints
// itself. The components they are, and the class registry that window definitions create them
// through, are in Components.h.
//
// Classes in this file:
//   TWinControl        a control with a window of its own; system controls are subclassed, own
//                      classes get the framework's window procedure (WindowObject.h). It also
//                      answers, as a top-level window, what the controls inside ask of theirs
//                      (a form overrides those hooks).
//   TCustomControl     a control of its own class that paints itself
//
// Functions: RegisterStandardClasses (the framework's own classes in the class registry).
#pragma once

#include "framework/Colors.h"
#include "framework/Components.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/WindowObject.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

/// Where a child sits in its parent's client area (AdjustClientRect): along a side (alTop,
/// alBottom, alLeft, alRight, keeping its height or width) or over what the others leave
/// (alClient); alNone keeps its bounds.
enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

/// What a control asks of its window when it is created.
struct TCreateParams {
    std::string className; // a system class (subclassed) or one registered for this control
    bool ownClass = false; // register className with the framework's window procedure
    UINT classStyle = CS_DBLCLKS;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parent = nullptr;
    HMENU menuOrId = nullptr;
};

/// A control with a window of its own. Its window procedure is one switch that cracks each
/// message into the typed arguments of a handler (the WM_, CM_ and CN_ members below), which a
/// derived control overrides; what no handler takes goes to DefaultHandler.
///
/// Painting: WM_PAINT and WM_PRINTCLIENT end in PaintWindow(dc) (a subclassed system window
/// without DoubleBuffered paints as its class always does); with DoubleBuffered the paint goes
/// through a 32-bit off-screen bitmap (kept from one paint to the next while the client size
/// stays) that is erased and painted, then copied to the screen. The
/// erase request (WM_ERASEBKGND) draws when NeedsEraseBackground says so (EraseBackground, or the
/// system class's erase), else it is answered as done without drawing.
///
/// Notifications a child sends its parent (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM) come back to the
/// child as CN_COMMAND, CN_NOTIFY and CN_DRAWITEM. The window's own mouse input makes
/// CM_MOUSEENTER and CM_MOUSELEAVE, sent to the control with itself as argument.
class TWinControl : public TComponent, public TWindowObject {
public:
    TWinControl();
    ~TWinControl() override;

    TWinControl* Parent() const noexcept { return parent_; }
    void SetParent(TWinControl* parent);
    /// Expires when the control is destroyed, so that holders of a pointer can tell.
    std::weak_ptr<const void> LivenessToken() const noexcept { return alive_; }

    /// Creates the window (under the parent's window) with the settings applied so far.
    void CreateHandle();
    /// The control object of a window created by this framework, or null.
    static TWinControl* FromHandle(HWND window) noexcept;
    /// Sends a message to the control's window; 0 when it has none.
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);

    // Geometry in pixels of this screen.
    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetBounds(int left, int top, int width, int height);
    RECT ClientRect() const;

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    int TabOrder() const noexcept { return tabOrder_; }
    /// The background colour: the parent's while ParentColor is set.
    TColor Color() const noexcept;
    /// Sets the colour; ParentColor is cleared.
    void SetColor(TColor color);
    bool ParentColor() const noexcept { return parentColor_; }
    void SetParentColor(bool parentColor);
    /// The parent's image shows behind the control (text of a static child, an erase).
    bool ParentBackground() const noexcept { return parentBackground_; }
    void SetParentBackground(bool parentBackground);
    /// The control draws no background of its own; what lies behind it shows.
    bool Transparent() const noexcept { return transparent_; }
    TAlign Align() const noexcept { return align_; }
    /// Sets the alignment; the parent lays out its aligned children again.
    void SetAlign(TAlign align);
    /// Lays out the aligned children in the area AdjustClientRect leaves: top, bottom, left and
    /// right ones in creation order, then the client ones. Also on every WM_SIZE.
    void Realign();
    /// The area aligned children share, given the client rectangle; unchanged by default.
    virtual void AdjustClientRect(RECT& rect) const;
    void SetTransparent(bool transparent);
    bool DoubleBuffered() const noexcept { return doubleBuffered_; }
    void SetDoubleBuffered(bool doubleBuffered) noexcept {
        doubleBuffered_ = doubleBuffered;
        if (!doubleBuffered)
            backBuffer_.reset();
    }
    const TFont& Font() const noexcept { return font_; }
    /// The font's handle; created on first use.
    HFONT FontHandle() const { return font_.Handle(); }
    const std::vector<TWinControl*>& Controls() const noexcept { return children_; }
    /// The mouse is over the control (between CM_MOUSEENTER and CM_MOUSELEAVE).
    bool MouseInControl() const noexcept { return mouseInControl_; }

    /// The control at the top of the Parent() chain: this one when it has no parent.
    const TWinControl& TopLevelParent() const noexcept;
    /// The framework control of the top-level window that holds this control's window (this
    /// control when its window is top-level), or null when there is none.
    TWinControl* TopLevelWindow() const noexcept;
    /// Whether this control's events may reach their handlers: asked of the top-level parent
    /// (AcceptsEvents), since handlers belong to the form, which may be going already.
    bool EventsAllowed() const noexcept { return TopLevelParent().AcceptsEvents(); }

    // What the controls inside a top-level window ask of it (TopLevelParent, TopLevelWindow). A
    // form overrides these; the answers here are those of a window that is no form.

    /// Shows the window with a ShowWindow command.
    virtual void Show(int command = SW_SHOWNORMAL);
    /// False once the handlers of the controls inside must no longer be called.
    virtual bool AcceptsEvents() const noexcept { return true; }
    /// The focus moved to focused, a control inside (null: none).
    virtual void FocusChanged(TWinControl* focused);
    /// The control inside that last had the focus, or null.
    virtual TWinControl* ActiveControl() const noexcept { return nullptr; }
    /// A button inside that carries a modal result was clicked.
    virtual void ModalResultChosen(int result) noexcept;
    /// A message for this window or one inside it, taken from the queue before it is translated
    /// and dispatched; true when handled, and then it is neither. The message loop asks the
    /// top-level window of the message's window (a form answers its dialog keys here).
    virtual bool PreTranslateMessage(MSG& message);

    /// Draws the parent's image of the area under this control into dc, in this control's client
    /// coordinates: the parent erases and prints its client area into it (as the theme library's
    /// DrawThemeParentBackground does), clipped to rect (the whole client area when null).
    void PaintParentBackground(HDC dc, const RECT* rect = nullptr);

    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;
    void Loaded() override;

protected:
    virtual void CreateParams(TCreateParams& params);
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    /// Called after the window exists.
    virtual void CreateWnd() {}
    /// The scale the definition was applied with (pixels of this screen per 96).
    int Scale(int designPixels) const;

    /// Draws the control into dc: the system class's paint (WM_PAINT with the DC) for a
    /// subclassed window, nothing for a window of the framework's own class (TCustomControl draws
    /// through Paint).
    virtual void PaintWindow(HDC dc);
    /// Whether WM_ERASEBKGND draws the background (true) or is answered as done (false).
    virtual bool NeedsEraseBackground() const { return true; }
    /// Draws the background of a window of the framework's own class into dc: the parent's image
    /// with ParentBackground or Transparent, the colour otherwise. (A subclassed window erases
    /// through its system class.)
    virtual void EraseBackground(HDC dc);

    // Typed handlers of the window procedure.
    virtual LRESULT WMSetCursor(HWND window, UINT hitTest, UINT mouseMessage);
    virtual LRESULT WMCommand(WORD id, WORD code, HWND control);
    virtual LRESULT WMNotify(WPARAM id, NMHDR& header);
    virtual LRESULT WMDrawItem(WPARAM id, DRAWITEMSTRUCT& item);
    virtual LRESULT WMCtlColor(UINT message, HDC dc, HWND child);
    virtual LRESULT WMSysColorChange();
    virtual LRESULT WMPaint(HDC dc);
    virtual LRESULT WMPrintClient(HDC dc, UINT flags);
    virtual LRESULT WMEraseBkgnd(HDC dc);
    virtual LRESULT WMMouseMove(UINT keys, int x, int y);
    virtual LRESULT WMMouseLeave();
    virtual LRESULT WMSetFocus(HWND previous);
    virtual LRESULT CMMouseEnter(TWinControl* control);
    virtual LRESULT CMMouseLeave(TWinControl* control);
    virtual LRESULT CMFocusChanged(TWinControl* focused);
    /// An accelerator key of the form (CM_DIALOGCHAR); nonzero when this control takes it.
    virtual LRESULT CMDialogChar(WORD charCode, LPARAM keyData);
    /// A WM_COMMAND this control's window sent to its parent; 0 unless handled.
    virtual LRESULT CNCommand(WORD code);
    /// A WM_NOTIFY this control's window sent to its parent.
    virtual LRESULT CNNotify(NMHDR& header);
    /// A WM_DRAWITEM about this (owner-drawn) control.
    virtual LRESULT CNDrawItem(DRAWITEMSTRUCT& item);

    HCURSOR cursor_ = nullptr; // null: the class cursor
    bool tabStop_ = false;
    int dpi_ = 96;

private:
    void Changed(); // the look changed: brushes go, the window repaints

    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> children_;
    std::shared_ptr<const int> alive_ = std::make_shared<const int>(0);
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string caption_;
    bool enabled_ = true, visible_ = true;
    int tabOrder_ = -1;
    TAlign align_ = alNone;
    TColor color_ = clBtnFace;
    bool parentColor_ = false, parentBackground_ = false, transparent_ = false;
    bool doubleBuffered_ = false;
    std::unique_ptr<TBitmap> backBuffer_; // kept between paints while the size stays
    bool mouseInControl_ = false;
    TFont font_;
    bool parentFont_ = true;
    UniqueBrush colorBrush_;
    int controlId_ = 0;
};

/// A control of the framework's own window class that draws itself: WM_PAINT and WM_PRINTCLIENT
/// end in Paint on a canvas over the DC. The background erase is skipped unless
/// NeedsEraseBackground is overridden, since Paint covers the whole client area.
class TCustomControl : public TWinControl {
public:
    /// The canvas Paint draws on; between paints it draws on the window (GetDC).
    TCanvas& Canvas() noexcept;

protected:
    TCustomControl();
    ~TCustomControl() override;
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(HDC dc) override;
    bool NeedsEraseBackground() const override { return false; }
    /// Draws the control; the canvas is set to the DC being painted.
    virtual void Paint(TCanvas& canvas) = 0;

private:
    class ControlCanvas;
    std::unique_ptr<ControlCanvas> canvas_;
};

/// Registers the framework's own classes (button, label, timer, tree view, image list,
/// picture). Idempotent.
void RegisterStandardClasses();

} // namespace framework
