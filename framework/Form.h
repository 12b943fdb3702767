// Form.h - top-level windows built from stored window definitions.
//
// Classes in this file:
//   TForm            a top-level window owned by the application window, built in two phases.
//                    A derived form's constructor only publishes its handlers and its control
//                    fields by name. CreateFromDefinition then reads the definition stored under
//                    the form's class name, creates every control by class name, binds handlers
//                    and fields (an unknown name is an error), and runs the creation handler
//                    inside a guard of its own. TApplication::CreateForm runs it once the form is
//                    known to the application.
//                    Keys: Tab moves between controls, Enter presses the active default button,
//                    Escape the button whose Cancel is set; the form sees them as a message
//                    filter of the application, before they are dispatched. It answers its
//                    controls' questions to their top-level window (TWinControl's hooks).
//                    ShowModal shows the form as the only usable window of the program until
//                    its ModalResult is set; the form is hidden again, not destroyed.
//   TStandaloneForm  a form built at once, outside the application's forms (tests, benchmarks)
//
// Not done yet: close-query and close handlers, modal forms of a form style other than a
// top-level window.
#pragma once

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Exceptions.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace framework {

class TButton;

/// Modal results with a meaning of their own; any other value is the caller's.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

/// The screen's pixels per inch that forms scale their definitions by (designed at 96): the
/// screen's own setting, unless a ScopedFormDpi is in force.
int FormDpi();

/// Forms created during its lifetime scale as on a screen of dpi pixels per inch, so that other
/// screen settings can be tried without changing the desktop's. Scopes nest.
class ScopedFormDpi {
public:
    explicit ScopedFormDpi(int dpi) noexcept;
    ~ScopedFormDpi();
    ScopedFormDpi(const ScopedFormDpi&) = delete;
    ScopedFormDpi& operator=(const ScopedFormDpi&) = delete;

private:
    int previous_;
};

class TForm : public TWinControl, public TDefinitionLoader {
public:
    ~TForm() override;

    /// The second phase of construction, on the complete object (so that the virtual functions
    /// called while loading reach the most derived form): reads the definition, creates the
    /// window and the controls, binds handlers and fields, calls Loaded and then the creation
    /// handler (whose exceptions are reported there). Any other fault propagates. Runs once;
    /// EInvalidOperation the second time.
    void CreateFromDefinition();

    /// Shows the window with a ShowWindow command; the first showing of a form positioned at the
    /// screen centre centres it first.
    void Show(int command = SW_SHOWNORMAL) override;
    /// Hides the window; the control that has the focus gets it again at the next showing (the
    /// form notes it when it becomes inactive).
    void Hide();
    /// Shows the form modally and returns its modal result. The form must be built, hidden,
    /// enabled and not modal already (else EInvalidOperation "Cannot make a visible window
    /// modal"), and the application must exist. A mouse capture ends, the program-wide cursor is
    /// lifted and the program's other windows are disabled; the form is shown and activated with
    /// ModalResult 0, and messages are handled as by the main loop (failures in handlers are
    /// reported and the form stays) until ModalResult is set by a button, by the form's handlers
    /// or by closing the form (mrCancel), or until the program is asked to end (mrCancel). Then
    /// the form is hidden, and the other windows, the cursor, the window that was active and its
    /// focused control are given back.
    int ShowModal();
    /// True while ShowModal runs.
    bool Modal() const noexcept { return modal_; }
    /// Gives a queued message the dialog keyboard handling (Tab between controls); true when the
    /// message was handled there.
    bool IsDialogKey(MSG& msg);
    /// The application's loop asks the form about every message for its windows: they get the
    /// dialog keyboard handling (IsDialogKey).
    bool PreTranslateMessage(MSG& msg) override;
    /// The component of this form with that name, or null.
    TComponent* FindComponent(const std::string& name) const;
    /// True from the start of the form's destruction: events are no longer delivered.
    bool Destroying() const noexcept { return destroying_; }
    /// False once the form is being destroyed (Destroying).
    bool AcceptsEvents() const noexcept override { return !destroying_; }

    /// Tells every control of the form that the focus moved to focused (CM_FOCUSCHANGED), so
    /// that buttons learn whether they are the active default button now.
    void FocusChanged(TWinControl* focused) override;
    /// The button that Enter presses: the focused control if it is a button, else the button
    /// whose Default is set (the first in creation order); null when there is none.
    TButton* ActiveDefaultButton() const;
    /// The control that last had the focus in this form, or null.
    TWinControl* ActiveControl() const noexcept override {
        return activeAlive_.expired() ? nullptr : activeControl_;
    }

    /// Set by a button with a ModalResult when it is clicked; a value other than mrNone ends
    /// ShowModal.
    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int result) noexcept { modalResult_ = result; }
    /// A button's modal result becomes the form's.
    void ModalResultChosen(int result) noexcept override { SetModalResult(result); }

    int ClientWidth() const noexcept { return clientWidth_; }
    int ClientHeight() const noexcept { return clientHeight_; }

    TNotifyEvent OnCreate;

protected:
    /// The first phase: the form is to be built from a definition of class className.
    explicit TForm(std::string className);

    /// The definition CreateFromDefinition builds from: by default the one stored under the
    /// class name.
    virtual DefinitionNode ReadDefinition() const;

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
    virtual LRESULT WMClose();
    virtual LRESULT WMActivate(UINT state, bool minimized, HWND other);
    LRESULT WMSetFocus(HWND previous) override;
    LRESULT WMCommand(WORD id, WORD code, HWND control) override;
    /// The dialog manager (IsDialogKey) asks which button Enter presses.
    virtual LRESULT DMGetDefId();
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
    std::vector<std::pair<DefinitionProperty, std::function<void(TComponent*)>>> fixups_;
    std::string className_;
    bool built_ = false;
    int screenDpi_ = 96;
    int clientWidth_ = 0, clientHeight_ = 0;
    bool centred_ = false;
    bool toolWindow_ = false, fixedSize_ = false;
    bool systemMenu_ = true, minimizeBox_ = true, maximizeBox_ = true;
    bool shownOnce_ = false;
    bool destroying_ = false;
    bool modal_ = false;
    HWND lastFocus_ = nullptr;
    // The control of lastFocus_, and the focused control; each valid while its token lives.
    TWinControl* lastFocusControl_ = nullptr;
    std::weak_ptr<const void> lastFocusAlive_;
    TWinControl* activeControl_ = nullptr;
    std::weak_ptr<const void> activeAlive_;
    int modalResult_ = 0;
};

/// A form of type F, constructed with the given arguments and built from its definition at once;
/// no application owns it. For tests and benchmarks.
template <typename F> class TStandaloneForm final : public F {
public:
    template <typename... Args>
    explicit TStandaloneForm(Args&&... args) : F(std::forward<Args>(args)...) {
        this->CreateFromDefinition();
    }
};

} // namespace framework
