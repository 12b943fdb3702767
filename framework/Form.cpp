#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"
#include "framework/ScopeGuard.h"
#include "framework/Screen.h"
#include "framework/StdCtrls.h"
#include "framework/TaskWindows.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace framework {

namespace {
int g_formDpi = 0; // 0: the screen's own
} // namespace

int FormDpi() {
    if (g_formDpi > 0)
        return g_formDpi;
    WindowDc screen(nullptr);
    int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

ScopedFormDpi::ScopedFormDpi(int dpi) noexcept : previous_(g_formDpi) {
    g_formDpi = dpi;
}

ScopedFormDpi::~ScopedFormDpi() {
    g_formDpi = previous_;
}

TForm::TForm(std::string className) : className_(std::move(className)) {
    screenDpi_ = FormDpi();
    dpi_ = screenDpi_;
    SetVisible(false);
}

TForm::~TForm() {
    destroying_ = true;
    if (HandleAllocated())
        ::DestroyWindow(Handle());
    // Controls go newest first; their windows went with the form's.
    while (!components_.empty())
        components_.pop_back();
}

TComponent* TForm::FindComponent(const std::string& name) const {
    for (const auto& c : components_)
        if (c->Name() == name)
            return c.get();
    return nullptr;
}

int TForm::Scale(int designPixels) const {
    return ::MulDiv(designPixels, screenDpi_, 96);
}

const EventHandler& TForm::FindHandler(const DefinitionProperty& property) {
    property.ExpectCount(1);
    auto it = handlers_.find(property.Identifier());
    if (it == handlers_.end())
        property.Fail("no handler named " + property.Identifier());
    return it->second;
}

void TForm::Reference(const DefinitionProperty& property, std::function<void(TComponent*)> assign) {
    property.ExpectCount(1);
    property.Identifier(); // a name, checked now
    fixups_.emplace_back(property, std::move(assign));
}

namespace {
// The words of the definitions' Position, BorderStyle and BorderIcons, in the order of the values.
enum class Position { ScreenCenter, Designed };
constexpr const char* kPositionNames[] = {"screen-center", "designed"};
enum class BorderStyle { ToolWindow, Single, Sizeable };
constexpr const char* kBorderStyleNames[] = {"tool-window", "single", "sizeable"};
enum class BorderIcon { SystemMenu, Minimize, Maximize };
constexpr const char* kBorderIconNames[] = {"system-menu", "minimize", "maximize"};
} // namespace

void TForm::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "ClientSize") {
        p.ExpectCount(2);
        clientWidth_ = Scale(p.Number(0));
        clientHeight_ = Scale(p.Number(1));
    } else if (p.name == "Position") {
        centred_ = p.Enumerated<Position>(kPositionNames, "position") == Position::ScreenCenter;
    } else if (p.name == "BorderStyle") {
        switch (p.Enumerated<BorderStyle>(kBorderStyleNames, "border style")) {
        case BorderStyle::ToolWindow: toolWindow_ = fixedSize_ = true; break;
        case BorderStyle::Single: fixedSize_ = true; break;
        case BorderStyle::Sizeable: toolWindow_ = fixedSize_ = false; break;
        }
    } else if (p.name == "BorderIcons") {
        systemMenu_ = minimizeBox_ = maximizeBox_ = false;
        for (size_t i = 0; i < p.values.size(); ++i) {
            switch (p.Enumerated<BorderIcon>(kBorderIconNames, "border icon", i)) {
            case BorderIcon::SystemMenu: systemMenu_ = true; break;
            case BorderIcon::Minimize: minimizeBox_ = true; break;
            case BorderIcon::Maximize: maximizeBox_ = true; break;
            }
        }
    } else if (p.name == "OnCreate") {
        OnCreate = loader.Handler<TNotifyEvent>(p);
    } else {
        TWinControl::ApplyProperty(p, loader);
    }
}

void TForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ownClass = true;
    params.className = "Ordanel." + Name();
    params.style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (systemMenu_)
        params.style |= WS_SYSMENU;
    if (!fixedSize_)
        params.style |= WS_THICKFRAME;
    // A tool window has no minimise or maximise box, whatever its icons say.
    if (!toolWindow_ && systemMenu_) {
        if (minimizeBox_)
            params.style |= WS_MINIMIZEBOX;
        if (maximizeBox_)
            params.style |= WS_MAXIMIZEBOX;
    }
    params.exStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
    if (toolWindow_)
        params.exStyle |= WS_EX_TOOLWINDOW;
    if (clientWidth_ > 0 || clientHeight_ > 0) {
        RECT r{0, 0, clientWidth_, clientHeight_};
        ::AdjustWindowRectEx(&r, params.style, FALSE, params.exStyle);
        params.width = r.right - r.left;
        params.height = r.bottom - r.top;
    }
    params.parent = Application() ? Application()->Handle() : nullptr;
    params.menuOrId = nullptr;
}

DefinitionNode TForm::ReadDefinition() const {
    return LoadDefinition(className_.c_str());
}

void TForm::CreateFromDefinition() {
    if (built_)
        throw EInvalidOperation("The form " + className_ + " is already built");
    built_ = true;
    const DefinitionNode definition = ReadDefinition();
    if (definition.className != className_)
        throw EDefinitionError(definition.source + ": the definition is of class " +
                               definition.className + ", not " + className_);
    SetName(definition.name);
    for (const auto& p : definition.properties)
        ApplyDefinitionProperty(*this, p, *this);
    CreateHandle();
    // AdjustWindowRectEx does not know about wrapped menus or themed frames; make the client
    // area exactly the stored size.
    if (clientWidth_ > 0 || clientHeight_ > 0) {
        RECT window, client;
        ::GetWindowRect(Handle(), &window);
        ::GetClientRect(Handle(), &client);
        int w = (window.right - window.left) + clientWidth_ - client.right;
        int h = (window.bottom - window.top) + clientHeight_ - client.bottom;
        ::SetWindowPos(Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateChildren(definition, this);

    for (auto& [property, assign] : fixups_) {
        const std::string& target = property.Identifier();
        TComponent* component = FindComponent(target);
        if (!component)
            property.Fail("no component named " + target);
        assign(component);
    }
    fixups_.clear();
    for (auto& [name, assign] : fields_) {
        TComponent* component = FindComponent(name);
        if (!component)
            throw EDefinitionError(definition.source + ": no control named " + name);
        assign(component);
    }
    ArrangeTabOrder(*this);
    for (auto& component : components_)
        component->Loaded();
    Loaded();

    try {
        if (OnCreate)
            OnCreate(this);
    } catch (...) {
        HandleException();
    }
}

void TForm::CreateChildren(const DefinitionNode& node, TWinControl* parent) {
    for (const DefinitionNode& child : node.children) {
        if (FindComponent(child.name) || child.name == Name())
            throw EDefinitionError(child.source + " line " + std::to_string(child.line) +
                                   ": a second component named " + child.name);
        std::unique_ptr<TComponent> component = CreateComponent(child.className);
        component->SetName(child.name);
        TComponent* raw = component.get();
        components_.push_back(std::move(component));
        auto* control = dynamic_cast<TWinControl*>(raw);
        if (control)
            control->SetParent(parent);
        for (const auto& p : child.properties)
            ApplyDefinitionProperty(*raw, p, *this);
        if (control) {
            control->CreateHandle();
            CreateChildren(child, control);
        } else if (!child.children.empty()) {
            throw EDefinitionError(child.source + " line " + std::to_string(child.line) + ": " +
                                   child.name + " cannot hold controls");
        }
    }
}

void TForm::ArrangeTabOrder(TWinControl& parent) {
    std::vector<TWinControl*> ordered = parent.Controls();
    std::stable_sort(ordered.begin(), ordered.end(), [](TWinControl* a, TWinControl* b) {
        auto key = [](TWinControl* c) { return c->TabOrder() < 0 ? INT_MAX : c->TabOrder(); };
        return key(a) < key(b);
    });
    // Dialog navigation follows the windows' z-order: put them in tab order.
    HWND after = HWND_TOP;
    for (TWinControl* c : ordered) {
        if (!c->HandleAllocated())
            continue;
        ::SetWindowPos(c->Handle(), after, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        after = c->Handle();
        ArrangeTabOrder(*c);
    }
}

void TForm::Show(int command) {
    if (!shownOnce_ && centred_) {
        RECT r;
        ::GetWindowRect(Handle(), &r);
        int w = r.right - r.left, h = r.bottom - r.top;
        int x = (::GetSystemMetrics(SM_CXSCREEN) - w) / 2;
        int y = (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    shownOnce_ = true;
    TWinControl::Show(command);
    if (command != SW_SHOWMINNOACTIVE && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) {
        ::SetForegroundWindow(Handle());
        if (!::IsChild(Handle(), ::GetFocus()))
            FocusFirstControl();
    }
}

void TForm::Hide() {
    SetVisible(false);
}

namespace {
/// What a modal showing changes in the rest of the program, given back when it ends (also when
/// it ends by an exception): the program-wide cursor, the other windows' enabled state, the
/// active window and its focused control.
class TModalScope {
public:
    explicit TModalScope(TForm& form)
        : form_(form), activeBefore_(::GetActiveWindow()), focusBefore_(::GetFocus()),
          cursorBefore_(Screen().Cursor()) {
        CancelMouseCapture();
        Screen().SetCursor(nullptr);
        disabled_.emplace(form.Handle());
    }
    ~TModalScope() {
        // The other windows are enabled before the form is hidden, as the system's own dialogs
        // end: hidden first, the form would leave this program without an enabled window, and
        // the system would give the foreground to another program's window for good.
        disabled_.reset();
        form_.Hide();
        Screen().SetCursor(cursorBefore_);
        // Back to the window that was active. While another program has the foreground this
        // only makes it this program's active window again: it does not take the foreground.
        if (!activeBefore_ || !::IsWindow(activeBefore_) || !::IsWindowVisible(activeBefore_) ||
            !::IsWindowEnabled(activeBefore_))
            return;
        ::SetActiveWindow(activeBefore_);
        // A window that is not a form does not give the focus back to the child that had it.
        if (focusBefore_ && ::IsWindow(focusBefore_) && ::IsWindowVisible(focusBefore_) &&
            ::IsWindowEnabled(focusBefore_) &&
            (focusBefore_ == activeBefore_ || ::IsChild(activeBefore_, focusBefore_)))
            ::SetFocus(focusBefore_);
    }
    TModalScope(const TModalScope&) = delete;
    TModalScope& operator=(const TModalScope&) = delete;

private:
    TForm& form_;
    HWND activeBefore_;
    HWND focusBefore_;
    HCURSOR cursorBefore_;
    std::optional<TDisabledWindows> disabled_;
};
} // namespace

int TForm::ShowModal() {
    if (!HandleAllocated())
        throw EInvalidOperation("The form " + className_ + " is not built");
    if (Visible() || ::IsWindowVisible(Handle()) || !Enabled() || !::IsWindowEnabled(Handle()) ||
        modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    TApplication* application = Application();
    if (!application)
        throw EInvalidOperation("A form is shown modally only while the application exists");

    modal_ = true;
    auto notModal = OnScopeExit([this] { modal_ = false; });
    // Ends by enabling the other windows, hiding the form (not destroying it) and giving the
    // activation and focus back, whichever way the loop ends.
    TModalScope scope(*this);

    Show();
    modalResult_ = mrNone;
    do {
        // A message sent by another thread is handled while the queue is looked at and may give
        // the answer: no waiting for more input then.
        if (!application->ProcessMessage() && modalResult_ == mrNone && !application->Terminated())
            ::WaitMessage();
        if (application->Terminated())
            modalResult_ = mrCancel;
        // A result asks the form to close, which it always allows (forms have no close
        // handlers): the loop ends.
    } while (modalResult_ == mrNone);
    return modalResult_;
}

void TForm::FocusFirstControl() {
    // The control that had the focus, by its window now: a control whose window was made again
    // meanwhile (a button after a colour change) has another one.
    HWND last = lastFocus_;
    if ((!last || !::IsWindow(last)) && !lastFocusAlive_.expired() &&
        lastFocusControl_->HandleAllocated())
        last = lastFocusControl_->Handle();
    if (last && ::IsWindow(last) && ::IsChild(Handle(), last) && ::IsWindowEnabled(last) &&
        ::IsWindowVisible(last)) {
        ::SetFocus(last);
        return;
    }
    if (HWND first = ::GetNextDlgTabItem(Handle(), nullptr, FALSE))
        ::SetFocus(first);
}

namespace {
void CollectControls(const TWinControl& parent, std::vector<TWinControl*>& out);

/// The windows of every control inside parent, taken before any of them is told something, so
/// that a control told may create or destroy others.
std::vector<HWND> ControlWindows(const TWinControl& parent) {
    std::vector<TWinControl*> controls;
    CollectControls(parent, controls);
    std::vector<HWND> windows;
    for (TWinControl* control : controls)
        if (control->HandleAllocated())
            windows.push_back(control->Handle());
    return windows;
}
} // namespace

bool TForm::IsDialogKey(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    // Alt with a letter: the controls of the form are asked first whether it is their
    // accelerator (a window of the framework's own class has no text the dialog manager reads).
    if (msg.message == WM_SYSCHAR) {
        for (HWND window : ControlWindows(*this))
            if (::IsWindow(window) && ::SendMessageA(window, CM_DIALOGCHAR, msg.wParam, msg.lParam))
                return true;
    }
    return ::IsDialogMessageA(Handle(), &msg) != 0;
}

bool TForm::PreTranslateMessage(MSG& msg) {
    return IsDialogKey(msg);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: return WMClose();
    case WM_ACTIVATE:
        return WMActivate(LOWORD(wParam), HIWORD(wParam) != 0, reinterpret_cast<HWND>(lParam));
    case DM_GETDEFID: return DMGetDefId();
    default: return TWinControl::WndProc(message, wParam, lParam);
    }
}

LRESULT TForm::WMClose() {
    // A modal form's closing is its answer "cancel", which ends ShowModal. The main form's
    // closing ends the program; it is not hidden first. Any other form hides.
    if (modal_)
        modalResult_ = mrCancel;
    else if (Application() && Application()->MainForm() == this)
        Application()->Terminate();
    else
        Hide();
    return 0;
}

LRESULT TForm::WMActivate(UINT state, bool minimized, HWND other) {
    if (state == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(Handle(), focus)) {
            lastFocus_ = focus;
            lastFocusControl_ = TWinControl::FromHandle(focus);
            lastFocusAlive_ = lastFocusControl_ ? lastFocusControl_->LivenessToken()
                                                : std::weak_ptr<const void>();
        }
        return 0;
    }
    if (!minimized && !::IsIconic(Handle())) {
        // A form is not a dialog: the system would give the focus to the form itself.
        FocusFirstControl();
        return 0;
    }
    return DefaultHandler(WM_ACTIVATE, MAKEWPARAM(state, minimized),
                          reinterpret_cast<LPARAM>(other));
}

LRESULT TForm::WMSetFocus(HWND) {
    FocusFirstControl();
    return 0;
}

namespace {
/// Every control inside parent, depth first in creation order.
void CollectControls(const TWinControl& parent, std::vector<TWinControl*>& out) {
    for (TWinControl* child : parent.Controls()) {
        out.push_back(child);
        CollectControls(*child, out);
    }
}
} // namespace

void TForm::FocusChanged(TWinControl* focused) {
    activeControl_ = focused;
    activeAlive_ = focused ? focused->LivenessToken() : std::weak_ptr<const void>();
    // By window: a control told may create or destroy others.
    for (HWND window : ControlWindows(*this))
        ::SendMessageA(window, CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(focused));
}

TButton* TForm::ActiveDefaultButton() const {
    if (auto* focused = dynamic_cast<TButton*>(ActiveControl());
        focused && focused->HandleAllocated() && ::GetFocus() == focused->Handle())
        return focused;
    std::vector<TWinControl*> controls;
    CollectControls(*this, controls);
    for (TWinControl* control : controls)
        if (auto* button = dynamic_cast<TButton*>(control); button && button->Default())
            return button;
    return nullptr;
}

LRESULT TForm::DMGetDefId() {
    TButton* button = ActiveDefaultButton();
    if (!button || !button->HandleAllocated())
        return 0;
    return MAKELRESULT(::GetDlgCtrlID(button->Handle()), DC_HASDEFID);
}

LRESULT TForm::WMCommand(WORD id, WORD code, HWND control) {
    // Escape in the dialog manager (IsDialogKey) asks for IDCANCEL with no control of that id.
    if (id == IDCANCEL && !control) {
        std::vector<TWinControl*> controls;
        CollectControls(*this, controls);
        for (TWinControl* c : controls)
            if (auto* button = dynamic_cast<TButton*>(c);
                button && button->Cancel() && button->Enabled() && button->Visible()) {
                button->Click();
                return 0;
            }
    }
    return TWinControl::WMCommand(id, code, control);
}

} // namespace framework
