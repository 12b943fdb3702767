#include "framework/Controls.h"

#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"
#include "framework/NamedValues.h"
#include "framework/ScopeGuard.h"
#include "framework/Screen.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace framework {

namespace {

int g_nextControlId = 100; // below 100 lie IDOK, IDCANCEL and the other dialog answers
// The control between its CM_MOUSEENTER and CM_MOUSELEAVE, if any.
TWinControl* g_mouseControl = nullptr;

/// The system's cursors by the names window definitions give them; crDefault (null) is the
/// class's.
const NamedValue<const char*> kCursorNames[] = {
    {"crDefault", nullptr},
    {"crArrow", IDC_ARROW},
    {"crHandPoint", IDC_HAND},
    {"crIBeam", IDC_IBEAM},
    {"crCross", IDC_CROSS},
    {"crHourGlass", IDC_WAIT},
    {"crAppStart", IDC_APPSTARTING},
    {"crNo", IDC_NO},
    {"crHelp", IDC_HELP},
    {"crUpArrow", IDC_UPARROW},
    {"crSizeAll", IDC_SIZEALL},
    {"crSizeNS", IDC_SIZENS},
    {"crSizeWE", IDC_SIZEWE},
    {"crSizeNESW", IDC_SIZENESW},
    {"crSizeNWSE", IDC_SIZENWSE},
};

constexpr const char* kFontStyleNames[] = {"bold", "italic", "underline", "strikeout"};

BOOL CALLBACK ForwardSysColorChange(HWND child, LPARAM) {
    ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

/// "Font: <name> <height> [charset] [colour] [bold] [italic] [underline] [strikeout]", the height
/// in pixels at 96 pixels per inch.
void ApplyFont(TFont& font, const DefinitionProperty& property, TDefinitionLoader& loader) {
    font.SetName(property.String(0));
    font.SetHeight(loader.Scale(static_cast<int>(property.Number(1))));
    size_t i = 2;
    if (i < property.values.size() && property.values[i].kind == DefinitionValue::Kind::Number)
        font.SetCharset(static_cast<BYTE>(property.Number(i++)));
    TFontStyles style;
    for (; i < property.values.size(); ++i) {
        // A word that is no style is the colour.
        if (const auto fontStyle = ValueOfName<TFontStyle>(kFontStyleNames, property.Identifier(i)))
            style.Include(*fontStyle);
        else
            font.SetColor(ParseColor(property, i));
    }
    font.SetStyle(style);
}
} // namespace

// ---------------------------------------------------------------------------------------------

TWinControl::TWinControl() {
    controlId_ = g_nextControlId++;
}

TWinControl::~TWinControl() {
    if (g_mouseControl == this)
        g_mouseControl = nullptr;
    if (HandleAllocated())
        ::DestroyWindow(Handle());
    if (parent_) {
        auto& siblings = parent_->children_;
        std::erase(siblings, this);
    }
    for (TWinControl* child : children_)
        child->parent_ = nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
    if (parent_)
        std::erase(parent_->children_, this);
    parent_ = parent;
    if (parent_)
        parent_->children_.push_back(this);
}

TWinControl* TWinControl::FromHandle(HWND window) noexcept {
    return dynamic_cast<TWinControl*>(FromWindow(window));
}

LRESULT TWinControl::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleAllocated() ? ::SendMessageA(Handle(), message, wParam, lParam) : 0;
}

int TWinControl::Scale(int designPixels) const {
    return ::MulDiv(designPixels, dpi_, 96);
}

void TWinControl::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    dpi_ = loader.Scale(96);
    if (p.name == "Bounds") {
        p.ExpectCount(4);
        SetBounds(loader.Scale(p.Number(0)), loader.Scale(p.Number(1)), loader.Scale(p.Number(2)),
                  loader.Scale(p.Number(3)));
    } else if (p.name == "Left") {
        left_ = loader.Scale(p.Number());
    } else if (p.name == "Top") {
        top_ = loader.Scale(p.Number());
    } else if (p.name == "Width") {
        width_ = loader.Scale(p.Number());
    } else if (p.name == "Height") {
        height_ = loader.Scale(p.Number());
    } else if (p.name == "Caption") {
        p.ExpectCount(1);
        caption_ = p.String();
    } else if (p.name == "Enabled") {
        enabled_ = ParseBoolean(p);
    } else if (p.name == "Visible") {
        visible_ = ParseBoolean(p);
    } else if (p.name == "TabOrder") {
        tabOrder_ = static_cast<int>(p.Number());
        tabStop_ = true;
    } else if (p.name == "TabStop") {
        tabStop_ = ParseBoolean(p);
    } else if (p.name == "Color") {
        p.ExpectCount(1);
        SetColor(ParseColor(p, 0));
    } else if (p.name == "ParentColor") {
        SetParentColor(ParseBoolean(p));
    } else if (p.name == "ParentBackground") {
        SetParentBackground(ParseBoolean(p));
    } else if (p.name == "Transparent") {
        SetTransparent(ParseBoolean(p));
    } else if (p.name == "Align") {
        static constexpr const char* names[] = {"alNone", "alTop",   "alBottom",
                                                "alLeft", "alRight", "alClient"};
        SetAlign(p.Enumerated<TAlign>(names, "alignment"));
    } else if (p.name == "DoubleBuffered") {
        SetDoubleBuffered(ParseBoolean(p));
    } else if (p.name == "Font") {
        ApplyFont(font_, p, loader);
        parentFont_ = false;
    } else if (p.name == "Cursor") {
        const std::string& name = p.Identifier();
        const std::optional<const char*> id = ValueOfName(kCursorNames, name);
        if (!id)
            p.Fail("unknown cursor " + name);
        cursor_ = *id ? ::LoadCursorA(nullptr, *id) : nullptr;
    } else {
        TComponent::ApplyProperty(p, loader);
    }
}

void TWinControl::Loaded() {}

void TWinControl::CreateParams(TCreateParams& params) {
    params.caption = caption_;
    params.x = left_;
    params.y = top_;
    params.width = width_;
    params.height = height_;
    params.parent = parent_ ? parent_->Handle() : nullptr;
    params.menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_));
    if (visible_)
        params.style |= WS_VISIBLE;
    if (!enabled_)
        params.style |= WS_DISABLED;
    if (tabStop_)
        params.style |= WS_TABSTOP;
}

void TWinControl::CreateHandle() {
    if (HandleAllocated())
        return;
    if (parentFont_ && parent_)
        font_.Assign(parent_->font_);
    TCreateParams params;
    CreateParams(params);
    if (params.ownClass)
        RegisterWindowClass({.name = params.className,
                             .style = params.classStyle,
                             .cursor = ::LoadCursorA(nullptr, IDC_ARROW)});
    HWND window =
        CreateWindowFor(params.exStyle, params.className, params.caption, params.style, params.x,
                        params.y, params.width, params.height, params.parent, params.menuOrId);
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
    CreateWnd();
}

RECT TWinControl::ClientRect() const {
    RECT r{0, 0, width_, height_};
    if (HandleAllocated())
        ::GetClientRect(Handle(), &r);
    return r;
}

// --- Message handling ---------------------------------------------------------------------------

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        return WMSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_COMMAND:
        return WMCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: return WMNotify(wParam, *reinterpret_cast<NMHDR*>(lParam));
    case WM_DRAWITEM: return WMDrawItem(wParam, *reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        return WMCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE: return WMSysColorChange();
    case WM_PAINT: return WMPaint(reinterpret_cast<HDC>(wParam));
    case WM_PRINTCLIENT:
        return WMPrintClient(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam));
    case WM_ERASEBKGND: return WMEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_MOUSEMOVE:
        return WMMouseMove(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_MOUSELEAVE: return WMMouseLeave();
    case WM_SETFOCUS: return WMSetFocus(reinterpret_cast<HWND>(wParam));
    case WM_SIZE: Realign(); return DefaultHandler(message, wParam, lParam);
    case CM_MOUSEENTER: return CMMouseEnter(reinterpret_cast<TWinControl*>(lParam));
    case CM_MOUSELEAVE: return CMMouseLeave(reinterpret_cast<TWinControl*>(lParam));
    case CM_FOCUSCHANGED: return CMFocusChanged(reinterpret_cast<TWinControl*>(lParam));
    case CM_DIALOGCHAR: return CMDialogChar(static_cast<WORD>(wParam), lParam);
    case CN_COMMAND: return CNCommand(HIWORD(wParam));
    case CN_NOTIFY: return CNNotify(*reinterpret_cast<NMHDR*>(lParam));
    case CN_DRAWITEM: return CNDrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    default: return DefaultHandler(message, wParam, lParam);
    }
}

LRESULT TWinControl::WMSetCursor(HWND window, UINT hitTest, UINT mouseMessage) {
    // The program-wide cursor, while one is set, wins over the control's own.
    HCURSOR cursor = Screen().Cursor() ? Screen().Cursor() : cursor_;
    if (cursor && window == Handle() && hitTest == HTCLIENT) {
        ::SetCursor(cursor);
        return TRUE;
    }
    return DefaultHandler(WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                          MAKELPARAM(hitTest, mouseMessage));
}

namespace {
/// The framework control that sent a notification to its parent, or null.
TWinControl* ReflectionTarget(TWinControl& parent, HWND sender) {
    TWinControl* child = TWinControl::FromHandle(sender);
    return child != &parent ? child : nullptr;
}
} // namespace

LRESULT TWinControl::WMCommand(WORD id, WORD code, HWND control) {
    WPARAM wParam = MAKEWPARAM(id, code);
    auto lParam = reinterpret_cast<LPARAM>(control);
    if (TWinControl* child = ReflectionTarget(*this, control))
        return child->Perform(CN_COMMAND, wParam, lParam);
    return DefaultHandler(WM_COMMAND, wParam, lParam);
}

LRESULT TWinControl::WMNotify(WPARAM id, NMHDR& header) {
    auto lParam = reinterpret_cast<LPARAM>(&header);
    if (TWinControl* child = ReflectionTarget(*this, header.hwndFrom))
        return child->Perform(CN_NOTIFY, id, lParam);
    return DefaultHandler(WM_NOTIFY, id, lParam);
}

LRESULT TWinControl::WMDrawItem(WPARAM id, DRAWITEMSTRUCT& item) {
    auto lParam = reinterpret_cast<LPARAM>(&item);
    // A menu's hwndItem is a menu handle, never a window.
    if (item.CtlType != ODT_MENU)
        if (TWinControl* child = ReflectionTarget(*this, item.hwndItem))
            return child->Perform(CN_DRAWITEM, id, lParam);
    return DefaultHandler(WM_DRAWITEM, id, lParam);
}

LRESULT TWinControl::CNCommand(WORD) {
    return 0;
}
LRESULT TWinControl::CNNotify(NMHDR&) {
    return 0;
}
LRESULT TWinControl::CNDrawItem(DRAWITEMSTRUCT&) {
    return 0;
}

LRESULT TWinControl::WMCtlColor(UINT message, HDC dc, HWND window) {
    TWinControl* child = ReflectionTarget(*this, window);
    if (!child)
        return DefaultHandler(message, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(window));
    ::SetTextColor(dc, ColorToRGB(child->font_.Color()));
    // A static text or a button on a patterned or themed parent: a solid brush would paint a box
    // of the child's colour over it. The parent's image goes into the child's DC instead, and the
    // child draws on it with a hollow brush; an edit field keeps its solid background.
    if (message != WM_CTLCOLOREDIT && (child->parentBackground_ || child->transparent_)) {
        child->PaintParentBackground(dc);
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    COLORREF color = ColorToRGB(child->Color());
    ::SetBkColor(dc, color);
    if (!child->colorBrush_)
        child->colorBrush_.reset(::CreateSolidBrush(color));
    return reinterpret_cast<LRESULT>(child->colorBrush_.get());
}

LRESULT TWinControl::WMSysColorChange() {
    colorBrush_.reset();
    // The system sends it to top-level windows only, and common controls (the tree view's
    // colours) count on their top-level window to pass it on. Every window inside is told once
    // from here; the children do not pass it on again.
    if (!(::GetWindowLongPtrA(Handle(), GWL_STYLE) & WS_CHILD))
        ::EnumChildWindows(Handle(), ForwardSysColorChange, 0);
    return DefaultHandler(WM_SYSCOLORCHANGE, 0, 0);
}

LRESULT TWinControl::WMPaint(HDC dc) {
    // A DC in wParam: an off-screen paint of this window (double buffering) or of a system class
    // that paints through the caller's DC.
    if (dc) {
        PaintWindow(dc);
        return 0;
    }
    if (!doubleBuffered_) {
        if (Subclassed())
            return DefaultHandler(WM_PAINT, 0, 0);
        PaintDc paint(Handle());
        PaintWindow(paint.get());
        return 0;
    }
    PaintDc paint(Handle());
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (::IsRectEmpty(&client))
        return 0;
    // Making a 32-bit bitmap and its DC costs more than most paints: the buffer is kept and made
    // anew only when the size changes. Taken out while in use, so that a paint nested in this
    // one draws into a bitmap of its own.
    std::unique_ptr<TBitmap> buffer = std::move(backBuffer_);
    if (!buffer || buffer->Width() != client.right || buffer->Height() != client.bottom)
        buffer = std::make_unique<TBitmap>(client.right, client.bottom, pf32bit);
    HDC memory = buffer->Canvas().Handle();
    // Whatever the paint leaves selected or clipped in the DC does not reach the next paint.
    const int saved = ::SaveDC(memory);
    WMEraseBkgnd(memory);
    PaintWindow(memory);
    ::RestoreDC(memory, saved);
    const RECT& r = paint.paint().rcPaint;
    ::BitBlt(paint.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory, r.left, r.top,
             SRCCOPY);
    if (doubleBuffered_)
        backBuffer_ = std::move(buffer);
    return 0;
}

LRESULT TWinControl::WMPrintClient(HDC dc, UINT flags) {
    if (Subclassed())
        return DefaultHandler(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    PaintWindow(dc);
    return 0;
}

LRESULT TWinControl::WMEraseBkgnd(HDC dc) {
    if (!NeedsEraseBackground())
        return 1;
    // A system class erases (or leaves it to its paint) and says which it did.
    if (Subclassed())
        return DefaultHandler(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    EraseBackground(dc);
    return 1;
}

void TWinControl::EraseBackground(HDC dc) {
    if ((parentBackground_ || transparent_) && parent_) {
        PaintParentBackground(dc);
        return;
    }
    RECT r = ClientRect();
    UniqueBrush brush(::CreateSolidBrush(ColorToRGB(Color())));
    ::FillRect(dc, &r, brush.get());
}

void TWinControl::PaintWindow(HDC dc) {
    if (Subclassed())
        DefaultHandler(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void TWinControl::PaintParentBackground(HDC dc, const RECT* rect) {
    HWND parent = parent_ && parent_->HandleAllocated() ? parent_->Handle() : nullptr;
    if (!parent || !HandleAllocated())
        return;
    RECT area = rect ? *rect : ClientRect();
    // The DC's clip region and origin are put back as they were, whatever the parent does.
    int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    POINT origin{0, 0};
    ::MapWindowPoints(Handle(), parent, &origin, 1);
    POINT previous;
    ::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
    ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ::SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::RestoreDC(dc, saved);
}

LRESULT TWinControl::WMMouseMove(UINT keys, int x, int y) {
    if (!mouseInControl_) {
        // The system's WM_MOUSELEAVE for the control the cursor came from may arrive after this
        // move (it is posted; under Wine from a polling timer): that control is told now, so
        // that leaving one control always comes before entering the next.
        if (TWinControl* previous = std::exchange(g_mouseControl, this); previous) {
            previous->mouseInControl_ = false;
            previous->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(previous));
        }
        mouseInControl_ = true;
        // One WM_MOUSELEAVE follows when the cursor leaves the window.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&track);
        Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
    }
    return DefaultHandler(WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

LRESULT TWinControl::WMMouseLeave() {
    if (mouseInControl_) {
        mouseInControl_ = false;
        if (g_mouseControl == this)
            g_mouseControl = nullptr;
        Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
    }
    return DefaultHandler(WM_MOUSELEAVE, 0, 0);
}

LRESULT TWinControl::CMMouseEnter(TWinControl*) {
    return 0;
}
LRESULT TWinControl::CMMouseLeave(TWinControl*) {
    return 0;
}
LRESULT TWinControl::CMFocusChanged(TWinControl*) {
    return 0;
}
LRESULT TWinControl::CMDialogChar(WORD, LPARAM) {
    return 0;
}

LRESULT TWinControl::WMSetFocus(HWND previous) {
    LRESULT result = DefaultHandler(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    if (TWinControl* top = TopLevelWindow(); top && top != this)
        top->FocusChanged(this);
    return result;
}

// --- The top-level window -----------------------------------------------------------------------

const TWinControl& TWinControl::TopLevelParent() const noexcept {
    const TWinControl* top = this;
    while (top->parent_)
        top = top->parent_;
    return *top;
}

TWinControl* TWinControl::TopLevelWindow() const noexcept {
    return HandleAllocated() ? FromHandle(::GetAncestor(Handle(), GA_ROOT)) : nullptr;
}

void TWinControl::Show(int command) {
    visible_ = true;
    if (HandleAllocated())
        ::ShowWindow(Handle(), command);
}

void TWinControl::FocusChanged(TWinControl*) {}

void TWinControl::ModalResultChosen(int) noexcept {}

bool TWinControl::PreTranslateMessage(MSG&) {
    return false;
}

// --- Properties ---------------------------------------------------------------------------------

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (HandleAllocated())
        ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (HandleAllocated())
        ::SetWindowTextA(Handle(), caption_.c_str());
}

void TWinControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!HandleAllocated())
        return;
    // A disabled window loses the focus to nobody, which leaves the keyboard without a control
    // (Tab and Enter then do nothing): the focus moves on to the next control first.
    if (!enabled) {
        HWND focus = ::GetFocus();
        if (focus && (focus == Handle() || ::IsChild(Handle(), focus))) {
            HWND top = ::GetAncestor(Handle(), GA_ROOT);
            HWND next = top ? ::GetNextDlgTabItem(top, Handle(), FALSE) : nullptr;
            ::SetFocus(next && next != Handle() ? next : top);
        }
    }
    ::EnableWindow(Handle(), enabled);
}

void TWinControl::SetVisible(bool visible) {
    visible_ = visible;
    if (HandleAllocated())
        ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

TColor TWinControl::Color() const noexcept {
    return parentColor_ && parent_ ? parent_->Color() : color_;
}

void TWinControl::SetColor(TColor color) {
    color_ = color;
    parentColor_ = false;
    Changed();
}

void TWinControl::SetParentColor(bool parentColor) {
    parentColor_ = parentColor;
    Changed();
}

void TWinControl::SetParentBackground(bool parentBackground) {
    parentBackground_ = parentBackground;
    Changed();
}

void TWinControl::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Changed();
}

void TWinControl::SetAlign(TAlign align) {
    if (align_ == align)
        return;
    align_ = align;
    if (parent_)
        parent_->Realign();
}

void TWinControl::AdjustClientRect(RECT&) const {}

void TWinControl::Realign() {
    RECT area = ClientRect();
    AdjustClientRect(area);
    auto place = [](TWinControl& c, int x, int y, int w, int h) {
        c.SetBounds(x, y, std::max(w, 0), std::max(h, 0));
    };
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient})
        for (TWinControl* c : children_) {
            if (c->align_ != pass || !c->visible_)
                continue;
            int w = area.right - area.left, h = area.bottom - area.top;
            switch (pass) {
            case alTop:
                place(*c, area.left, area.top, w, c->height_);
                area.top += c->height_;
                break;
            case alBottom:
                place(*c, area.left, area.bottom - c->height_, w, c->height_);
                area.bottom -= c->height_;
                break;
            case alLeft:
                place(*c, area.left, area.top, c->width_, h);
                area.left += c->width_;
                break;
            case alRight:
                place(*c, area.right - c->width_, area.top, c->width_, h);
                area.right -= c->width_;
                break;
            default: place(*c, area.left, area.top, w, h); break;
            }
        }
}

void TWinControl::Changed() {
    colorBrush_.reset();
    // Children that show this control's colour or image change with it.
    for (TWinControl* child : children_)
        if (child->parentColor_ || child->parentBackground_ || child->transparent_)
            child->Changed();
    if (HandleAllocated())
        ::InvalidateRect(Handle(), nullptr, TRUE);
}

// --- TCustomControl -----------------------------------------------------------------------------

/// The canvas of a custom control: the DC being painted during Paint, else one from GetDC.
class TCustomControl::ControlCanvas final : public TCanvas {
public:
    explicit ControlCanvas(TCustomControl& control) : control_(control) {}
    ~ControlCanvas() override { FreeHandle(); }

    /// Draws on dc (null: on the window again, from the next use on).
    void Borrow(HDC dc) {
        FreeHandle();
        SetHandle(dc);
    }

protected:
    void CreateHandle() override {
        if (control_.HandleAllocated()) {
            window_ = control_.Handle();
            windowDc_ = ::GetDC(window_);
            SetHandle(windowDc_);
        }
    }
    void FreeHandle() override {
        SetHandle(static_cast<HDC>(nullptr));
        if (windowDc_)
            ::ReleaseDC(window_, windowDc_);
        windowDc_ = nullptr;
    }

private:
    TCustomControl& control_;
    HWND window_ = nullptr;
    HDC windowDc_ = nullptr;
};

TCustomControl::TCustomControl() : canvas_(std::make_unique<ControlCanvas>(*this)) {}

TCustomControl::~TCustomControl() {
    // The window goes while the canvas still exists: its last messages may paint.
    if (HandleAllocated())
        ::DestroyWindow(Handle());
}

TCanvas& TCustomControl::Canvas() noexcept {
    return *canvas_;
}

void TCustomControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ownClass = true;
    if (params.className.empty())
        params.className = "Ordanel.TCustomControl";
}

void TCustomControl::PaintWindow(HDC dc) {
    auto release = OnScopeExit([this] { canvas_->Borrow(nullptr); });
    canvas_->Borrow(dc);
    Paint(*canvas_);
}

} // namespace framework
