// Form.h - top-level windows built from stored window definitions.
//
// Classes in this file:
//   TForm  a top-level window owned by the application window. A derived form publishes its
//          handlers and its control fields by name, then calls CreateFromDefinition, which reads
//          the definition stored under the form's class name, creates every control by class
//          name, binds handlers and fields (an unknown name is an error), and runs the creation
//          handler inside a guard of its own.
//
// Not done yet: modal showing.
#pragma once

#include "framework/Controls.h"
#include "framework/Exceptions.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace framework {

class TForm : public TWinControl, public TDefinitionLoader {
public:
    ~TForm() override;

    /// Shows the window with a ShowWindow command; the first showing of a form positioned at the
    /// screen centre centres it first.
    void Show(int command = SW_SHOWNORMAL);
    void Hide();
    /// Gives a queued message the dialog keyboard handling (Tab between controls); true when the
    /// message was handled there.
    bool IsDialogKey(MSG& msg);
    /// The form whose window is window or contains it, or null.
    static TForm* FromChildWindow(HWND window) noexcept;
    /// The component of this form with that name, or null.
    TComponent* FindComponent(const std::string& name) const;
    /// True from the start of the form's destruction: events are no longer delivered.
    bool Destroying() const noexcept { return destroying_; }

    int ClientWidth() const noexcept { return clientWidth_; }
    int ClientHeight() const noexcept { return clientHeight_; }

    TNotifyEvent OnCreate;

protected:
    TForm();

    /// Builds the form from the definition stored under resourceName (the form's class name).
    void CreateFromDefinition(const char* resourceName);
    /// Builds the form from a definition already read; its class must be className.
    void CreateFromDefinition(const DefinitionNode& definition, const std::string& className);

    /// Publishes a member function as a handler under a name.
    template <typename F, typename... Args>
    void BindHandler(const std::string& name, void (F::*method)(Args...)) {
        F* self = static_cast<F*>(this);
        handlers_[name] = std::function<void(Args...)>(
            [self, method](Args... args) { (self->*method)(std::forward<Args>(args)...); });
    }
    /// Publishes a field that CreateFromDefinition sets to the control of that name and class.
    template <typename C> void BindField(const std::string& name, C*& field) {
        fields_[name] = [&field, name](TComponent* component) {
            field = dynamic_cast<C*>(component);
            if (!field)
                throw EDefinitionError("Field " + name + " does not match its control");
        };
    }

    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;

    // TDefinitionLoader
    void Reference(const DefinitionProperty& property,
                   std::function<void(TComponent*)> assign) override;
    int Scale(int designPixels) const override;
    const EventHandler& FindHandler(const DefinitionProperty& property) override;

private:
    void CreateChildren(const DefinitionNode& node, TWinControl* parent);
    void ArrangeTabOrder(TWinControl& parent);
    void FocusFirstControl();

    std::map<std::string, EventHandler> handlers_;
    std::map<std::string, std::function<void(TComponent*)>> fields_;
    std::vector<std::unique_ptr<TComponent>> components_;
    std::vector<std::pair<const DefinitionProperty*, std::function<void(TComponent*)>>> fixups_;
    int screenDpi_ = 96;
    int clientWidth_ = 0, clientHeight_ = 0;
    bool centred_ = false;
    bool toolWindow_ = false, fixedSize_ = false;
    bool systemMenu_ = true, minimizeBox_ = true, maximizeBox_ = true;
    bool shownOnce_ = false;
    bool destroying_ = false;
    HWND lastFocus_ = nullptr;
};

/// False once the form that holds control is being destroyed; controls test it before they call
/// an event handler, since handlers belong to the (possibly already gone) derived form.
bool EventsAllowed(const TWinControl& control) noexcept;

} // namespace framework
