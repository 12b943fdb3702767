// Controls.h - components and windowed controls, and the class registry that window definitions
// create them through.
//
// Classes in this file:
//   TComponent         a named part of a form, configured from its definition
//   TWinControl        a control with a window of its own; system controls are subclassed, own
//                      classes get the common window procedure; every message is handled inside a
//                      guard that reports escaping exceptions
//   TDefinitionLoader  what a component sees while its definition is applied: handlers and
//                      references by name, and the scale of the screen
//
// Functions: RegisterControlClass / CreateComponent (the class registry).
#pragma once

#include "framework/Colors.h"
#include "framework/Events.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/Persistent.h"
#include "framework/WindowDefinition.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace framework {

class TForm;
class TComponent;
class TWinControl;

/// Resolves names while a definition is applied. Implemented by TForm.
class TDefinitionLoader {
public:
    virtual ~TDefinitionLoader() = default;
    /// The handler published under the property's (first) value; EDefinitionError when no
    /// handler of that name exists or it has another signature than E.
    template <typename E> E Handler(const DefinitionProperty& property) {
        const EventHandler& handler = FindHandler(property);
        if (const E* typed = std::get_if<E>(&handler))
            return *typed;
        property.Fail("handler " + property.Identifier() + " does not fit this event");
    }
    /// Calls assign with the component named by the property once every component exists.
    virtual void Reference(const DefinitionProperty& property,
                           std::function<void(TComponent*)> assign) = 0;
    /// Pixels of the definition (at 96 pixels per inch) on this screen.
    virtual int Scale(int designPixels) const = 0;

protected:
    virtual const EventHandler& FindHandler(const DefinitionProperty& property) = 0;
};

class TComponent : public TPersistent {
public:
    TComponent() = default;
    ~TComponent() override = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    /// Applies one stored property; unknown properties are a definition error.
    virtual void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader);
    /// Called once every component of the form exists and every reference is resolved.
    virtual void Loaded() {}

private:
    std::string name_;
};

/// What a control asks of its window when it is created.
struct TCreateParams {
    std::string className; // a system class (subclassed) or one registered for this control
    bool ownClass = false; // register className with the common window procedure
    UINT classStyle = CS_DBLCLKS;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0;
    HWND parent = nullptr;
    HMENU menuOrId = nullptr;
};

class TWinControl : public TComponent {
public:
    TWinControl();
    ~TWinControl() override;

    HWND Handle() const noexcept { return window_; }
    bool HandleAllocated() const noexcept { return window_ != nullptr; }
    TWinControl* Parent() const noexcept { return parent_; }
    void SetParent(TWinControl* parent);

    /// Creates the window (under the parent's window) with the settings applied so far.
    void CreateHandle();
    /// The control object of a window created by this framework, or null.
    static TWinControl* FromHandle(HWND window) noexcept;

    // Geometry in pixels of this screen.
    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void SetBounds(int left, int top, int width, int height);

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    int TabOrder() const noexcept { return tabOrder_; }
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor color);
    const TFont& Font() const noexcept { return font_; }
    /// The font's handle; created on first use.
    HFONT FontHandle() const { return font_.Handle(); }
    const std::vector<TWinControl*>& Controls() const noexcept { return children_; }

    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;
    void Loaded() override;

protected:
    virtual void CreateParams(TCreateParams& params);
    /// Handles one message; the default gives it to DefaultHandler after the common handling
    /// (cursor, reflected notifications and commands, colours of static children; a top-level
    /// window passes WM_SYSCOLORCHANGE on to every window inside it).
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    /// The system's handling: the subclassed class's procedure or DefWindowProc.
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    /// A WM_NOTIFY sent by this control's window to its parent; true when handled.
    virtual bool Notify(NMHDR& header, LRESULT& result);
    /// A WM_COMMAND sent by this control's window to its parent; true when handled.
    virtual bool Command(WORD code, LRESULT& result);
    /// Called after the window exists.
    virtual void CreateWnd() {}
    /// The scale the definition was applied with (pixels of this screen per 96).
    int Scale(int designPixels) const;

    HCURSOR cursor_ = nullptr; // null: the class cursor
    bool tabStop_ = false;
    int dpi_ = 96;

private:
    static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND window);
    void Detach();

    HWND window_ = nullptr;
    WNDPROC systemProc_ = nullptr;
    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> children_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string caption_;
    bool enabled_ = true, visible_ = true;
    int tabOrder_ = -1;
    TColor color_ = clBtnFace;
    TFont font_;
    bool parentFont_ = true;
    UniqueBrush colorBrush_;
    int controlId_ = 0;

    friend class TForm;
};

/// The single value of a property as true or false.
bool ParseBoolean(const DefinitionProperty& property);
/// The colour of a property's value at index: a number or a colour name (clWhite, clBtnFace, ...).
TColor ParseColor(const DefinitionProperty& property, size_t index = 0);

/// Creates components by class name for window definitions.
using ComponentFactory = std::function<std::unique_ptr<TComponent>()>;
void RegisterControlClass(const std::string& className, ComponentFactory factory);
/// A new component of the class; EDefinitionError when the class is not registered.
std::unique_ptr<TComponent> CreateComponent(const std::string& className);

/// Registers the framework's own classes (tree view, image list). Idempotent.
void RegisterStandardClasses();

} // namespace framework
