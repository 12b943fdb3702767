#include "controls/cxControls.h"

#include "framework/ImageList.h"
#include "framework/Timers.h"
#include "lookandfeel/cxGraphics.h"

#include <algorithm>
#include <vector>

namespace controls {

// --- Mouse tracking, popup menus and the work area ----------------------------------------------

namespace {

/// One tracked caller: a 10 ms timer, the control, its bounds on the screen and the caller.
struct TMouseTrackingTimer {
    framework::TTimer timer;
    framework::TWinControl* control;
    RECT screenBounds;
    IcxMouseTrackingCaller* caller;
    std::weak_ptr<const void> token;
};

/// The tracked callers; created on first use and kept to the end of the process.
std::vector<std::unique_ptr<TMouseTrackingTimer>>& TrackingList() {
    static auto* list = new std::vector<std::unique_ptr<TMouseTrackingTimer>>;
    return *list;
}

TMouseTrackingTimer* FindEntry(const IcxMouseTrackingCaller* caller) noexcept {
    for (auto& entry : TrackingList())
        if (entry->caller == caller)
            return entry.get();
    return nullptr;
}

/// One tick of an entry. The entry may be freed by anything this calls (the leave notification
/// ends the tracking, a handler may destroy the control and its caller): everything needed
/// afterwards is copied first, and the caller is reached only while its token lives.
void TrackingTick(TMouseTrackingTimer& entry) {
    IcxMouseTrackingCaller* caller = entry.caller;
    framework::TWinControl* control = entry.control;
    const RECT bounds = entry.screenBounds;
    std::shared_ptr<const void> alive = entry.token.lock(); // the tick's own reference
    if (!alive) {
        EndMouseTracking(caller);
        return;
    }
    POINT cursor;
    ::GetCursorPos(&cursor);
    bool inside;
    if (auto* hitTest = dynamic_cast<IcxMouseTrackingHitTest*>(caller)) {
        POINT p = cursor;
        inside = control->HandleAllocated() && ::ScreenToClient(control->Handle(), &p) &&
                 hitTest->PtInCaller(p);
    } else {
        inside = ::PtInRect(&bounds, cursor) != 0;
    }
    if (inside)
        return;
    std::weak_ptr<const void> watch = alive;
    alive.reset(); // held by weak reference only: the caller may go while it is told
    if (control->HandleAllocated()) {
        POINT p = cursor;
        ::ScreenToClient(control->Handle(), &p);
        RECT client = control->ClientRect();
        if (!::PtInRect(&client, p))
            control->Perform(framework::CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(control));
    }
    if (watch.expired())
        return; // destroyed while told; its tracking ended with it
    caller->MouseTrackingMouseLeave();
    if (!watch.expired())
        EndMouseTracking(caller);
}

} // namespace

IcxMouseTrackingCaller::~IcxMouseTrackingCaller() {
    EndMouseTracking(this);
}

void BeginMouseTracking(framework::TWinControl* control, const RECT& bounds,
                        IcxMouseTrackingCaller* caller) {
    if (!control || !caller || FindEntry(caller))
        return;
    auto entry = std::make_unique<TMouseTrackingTimer>();
    entry->control = control;
    entry->caller = caller;
    entry->token = caller->TrackingToken();
    entry->screenBounds = bounds;
    if (control->HandleAllocated())
        ::MapWindowPoints(control->Handle(), nullptr,
                          reinterpret_cast<POINT*>(&entry->screenBounds), 2);
    TMouseTrackingTimer* raw = entry.get();
    entry->timer.OnTimer = [raw](framework::TObject*) { TrackingTick(*raw); };
    entry->timer.SetInterval(10);
    TrackingList().push_back(std::move(entry));
}

void EndMouseTracking(IcxMouseTrackingCaller* caller) noexcept {
    auto& list = TrackingList();
    auto it = std::find_if(list.begin(), list.end(),
                           [caller](const auto& entry) { return entry->caller == caller; });
    if (it == list.end())
        return;
    // Out of the list before it is freed: freeing stops the timer, which runs no code of ours.
    std::unique_ptr<TMouseTrackingTimer> entry = std::move(*it);
    list.erase(it);
}

bool IsMouseTracking(const IcxMouseTrackingCaller* caller) noexcept {
    return FindEntry(caller) != nullptr;
}

size_t MouseTrackingCount() noexcept {
    return TrackingList().size();
}

bool ShowControlPopupMenu(framework::TWinControl* control, framework::TComponent* menu, int x,
                          int y) {
    if (!menu)
        return false;
    if (auto* provider = dynamic_cast<IcxPopupMenuProvider*>(menu)) {
        provider->Popup(x, y);
        return true;
    }
    if (auto* popup = dynamic_cast<framework::TPopupMenu*>(menu); popup && popup->AutoPopup()) {
        popup->SetPopupComponent(control);
        popup->Popup(x, y);
        return true;
    }
    return false;
}

bool IsMenuShortCut(framework::TComponent* menu, const MSG& keyMessage) {
    if (!menu)
        return false;
    if (auto* provider = dynamic_cast<IcxPopupMenuProvider*>(menu))
        return provider->IsShortCut(keyMessage);
    if (auto* popup = dynamic_cast<framework::TPopupMenu*>(menu); popup && popup->WindowHandle())
        return popup->IsShortCut(keyMessage);
    return false;
}

int GetMenuHeight(const framework::TPopupMenu* menu) {
    if (!menu)
        return 4;
    lookandfeel::TScreenCanvas canvas;
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        canvas.Font().SetHandle(::CreateFontIndirectA(&metrics.lfMenuFont));
    const int itemHeight = canvas.TextHeight("Qg") + 4;
    int height = 0;
    for (size_t i = 0; i < menu->Count(); ++i) {
        const framework::TMenuItem& item = menu->Item(i);
        if (!item.Visible())
            continue;
        int h = itemHeight;
        if (menu->OwnerDraw() || menu->Images() || !item.Bitmap().Empty()) {
            int w = 0;
            item.MeasureItem(canvas, w, h);
        }
        height += h;
    }
    return height + 4;
}

RECT GetWorkArea(POINT screenPoint) {
    // Looked up by name: systems without monitor functions fall back to the primary work area.
    using MonitorFromPointFn = HMONITOR(WINAPI*)(POINT, DWORD);
    using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, MONITORINFO*);
    RECT area{};
    if (HMODULE user = ::GetModuleHandleA("user32.dll")) {
        // Through void(*)(): GetProcAddress's generic pointer converts without a cast warning.
        auto fromPoint = reinterpret_cast<MonitorFromPointFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(user, "MonitorFromPoint")));
        auto info = reinterpret_cast<GetMonitorInfoFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(user, "GetMonitorInfoA")));
        if (fromPoint && info) {
            MONITORINFO mi{};
            mi.cbSize = sizeof mi; // 40 bytes
            if (info(fromPoint(screenPoint, MONITOR_DEFAULTTONEAREST), &mi))
                return mi.rcWork;
        }
    }
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// --- The base control ---------------------------------------------------------------------------

void TcxLookAndFeelProperties::ApplyProperty(const framework::DefinitionProperty& property,
                                             framework::TDefinitionLoader& loader) {
    if (!lookandfeel::ReadLookAndFeelProperty(lookAndFeel_, property))
        TPropertyObject::ApplyProperty(property, loader);
}

TcxControl::TcxControl()
    : lookAndFeel_(std::make_unique<lookandfeel::TcxLookAndFeel>(this)),
      lookAndFeelProperties_(*lookAndFeel_), cxCanvas_(Canvas()),
      themeChange_([this] { ThemeChanged(); }) {
    lookAndFeel_->OnLookAndFeelChanged = [this](lookandfeel::TcxLookAndFeel& sender,
                                                lookandfeel::TcxLookAndFeelValues changed) {
        LookAndFeelChanged(sender, changed);
    };
}

TcxControl::~TcxControl() {
    // The window goes first: its last messages may still reach the overridden operations of a
    // derived control, which are gone by now, so none may reach this object's either.
    lookAndFeel_->OnLookAndFeelChanged = nullptr;
    themeChange_.OnThemeChanged = nullptr;
    if (HandleAllocated())
        ::DestroyWindow(Handle());
}

framework::TPropertyObject* TcxControl::NestedObject(std::string_view name) {
    if (name == "LookAndFeel")
        return &lookAndFeelProperties_;
    return TCustomControl::NestedObject(name);
}

void TcxControl::LookAndFeelChanged(lookandfeel::TcxLookAndFeel&,
                                    lookandfeel::TcxLookAndFeelValues) {
    Invalidate();
}

void TcxControl::ThemeChanged() {
    if (HandleAllocated())
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TcxControl::MouseEnter(framework::TWinControl*) {}
void TcxControl::MouseLeave(framework::TWinControl*) {}
void TcxControl::FontChanged() {}
void TcxControl::TextChanged() {}

void TcxControl::Invalidate() {
    if (HandleAllocated())
        ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TcxControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        LRESULT result = TCustomControl::WndProc(message, wParam, lParam);
        TextChanged();
        return result;
    }
    case WM_SETFONT: {
        LRESULT result = TCustomControl::WndProc(message, wParam, lParam);
        FontChanged();
        return result;
    }
    default: return TCustomControl::WndProc(message, wParam, lParam);
    }
}

LRESULT TcxControl::CMMouseEnter(framework::TWinControl* control) {
    LRESULT result = TCustomControl::CMMouseEnter(control);
    MouseEnter(control ? control : this);
    return result;
}

LRESULT TcxControl::CMMouseLeave(framework::TWinControl* control) {
    LRESULT result = TCustomControl::CMMouseLeave(control);
    MouseLeave(control ? control : this);
    return result;
}

} // namespace controls
