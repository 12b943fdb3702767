#include "framework/Controls.h"

#include "framework/ExceptionReport.h"
#include "framework/Exceptions.h"
#include "framework/Form.h"

#include <map>
#include <unordered_map>

namespace framework {

namespace {

// The control object of each window of the framework. A table in the process rather than a
// window property: under Wine every property lookup is a round trip to the server, and this
// lookup runs for every message.
std::unordered_map<HWND, TWinControl*>& ControlTable() {
    static std::unordered_map<HWND, TWinControl*> table;
    return table;
}
int g_nextControlId = 100; // below 100 lie IDOK, IDCANCEL and the other dialog answers

std::map<std::string, ComponentFactory>& ClassRegistry() {
    static std::map<std::string, ComponentFactory> registry;
    return registry;
}

struct NamedColor {
    const char* name;
    TColor color;
};
constexpr NamedColor kColorNames[] = {
    {"clBlack", clBlack},         {"clMaroon", clMaroon},
    {"clGreen", clGreen},         {"clOlive", clOlive},
    {"clNavy", clNavy},           {"clPurple", clPurple},
    {"clTeal", clTeal},           {"clGray", clGray},
    {"clSilver", clSilver},       {"clRed", clRed},
    {"clLime", clLime},           {"clYellow", clYellow},
    {"clBlue", clBlue},           {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},           {"clWhite", clWhite},
    {"clNone", clNone},           {"clDefault", clDefault},
    {"clWindow", clWindow},       {"clWindowText", clWindowText},
    {"clBtnFace", clBtnFace},     {"clBtnText", clBtnText},
    {"clBtnShadow", clBtnShadow}, {"clBtnHighlight", clBtnHighlight},
    {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
    {"clGrayText", clGrayText},   {"clInfoBk", clInfoBk},
    {"clInfoText", clInfoText},
};

BOOL CALLBACK ForwardSysColorChange(HWND child, LPARAM) {
    ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

} // namespace

bool ParseBoolean(const DefinitionProperty& property) {
    property.ExpectCount(1);
    const std::string& v = property.Identifier();
    if (v == "true")
        return true;
    if (v == "false")
        return false;
    property.Fail("expected true or false");
}

TColor ParseColor(const DefinitionProperty& property, size_t index) {
    if (index < property.values.size() &&
        property.values[index].kind == DefinitionValue::Kind::Number)
        return static_cast<TColor>(property.values[index].number);
    const std::string& name = property.Identifier(index);
    for (const auto& c : kColorNames)
        if (name == c.name)
            return c.color;
    property.Fail("unknown colour " + name);
}

void RegisterControlClass(const std::string& className, ComponentFactory factory) {
    ClassRegistry()[className] = std::move(factory);
}

std::unique_ptr<TComponent> CreateComponent(const std::string& className) {
    auto it = ClassRegistry().find(className);
    if (it == ClassRegistry().end())
        throw EDefinitionError("Class " + className + " not found");
    return it->second();
}

// ---------------------------------------------------------------------------------------------

void TComponent::ApplyProperty(const DefinitionProperty& property, TDefinitionLoader&) {
    property.Fail("unknown property of " + name_);
}

namespace {
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
        const std::string& word = property.Identifier(i);
        if (word == "bold")
            style.Include(fsBold);
        else if (word == "italic")
            style.Include(fsItalic);
        else if (word == "underline")
            style.Include(fsUnderline);
        else if (word == "strikeout")
            style.Include(fsStrikeOut);
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
    if (window_)
        ::DestroyWindow(window_);
    if (window_)
        Detach();
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
    auto& table = ControlTable();
    auto it = window ? table.find(window) : table.end();
    return it == table.end() ? nullptr : it->second;
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
        color_ = ParseColor(p, 0);
    } else if (p.name == "Font") {
        ApplyFont(font_, p, loader);
        parentFont_ = false;
    } else if (p.name == "Cursor") {
        const std::string& c = p.Identifier();
        if (c == "HandPoint")
            cursor_ = ::LoadCursorA(nullptr, IDC_HAND);
        else if (c == "Default")
            cursor_ = nullptr;
        else
            p.Fail("unknown cursor " + c);
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
    if (window_)
        return;
    if (parentFont_ && parent_)
        font_.Assign(parent_->font_);
    TCreateParams params;
    CreateParams(params);
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    if (params.ownClass) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        if (!::GetClassInfoExA(instance, params.className.c_str(), &wc)) {
            wc = {};
            wc.cbSize = sizeof wc;
            wc.style = params.classStyle;
            wc.lpfnWndProc = &TWinControl::StaticWndProc;
            wc.hInstance = instance;
            wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
            wc.lpszClassName = params.className.c_str();
            if (!::RegisterClassExA(&wc))
                throw Exception("Cannot register window class " + params.className);
        }
    }
    HWND window = ::CreateWindowExA(params.exStyle, params.className.c_str(),
                                    params.caption.c_str(), params.style, params.x, params.y,
                                    params.width, params.height, params.parent, params.menuOrId,
                                    instance, params.ownClass ? this : nullptr);
    if (!window)
        throw Exception("Cannot create the window of " + Name());
    if (!params.ownClass)
        Attach(window);
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
    CreateWnd();
}

void TWinControl::Attach(HWND window) {
    window_ = window;
    ControlTable()[window] = this;
    if (::GetWindowLongPtrA(window, GWLP_WNDPROC) !=
        reinterpret_cast<LONG_PTR>(&TWinControl::StaticWndProc))
        systemProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StaticWndProc)));
}

void TWinControl::Detach() {
    ControlTable().erase(window_);
    if (systemProc_)
        ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc_));
    systemProc_ = nullptr;
    window_ = nullptr;
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    TWinControl* self = FromHandle(window);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self)
            self->Attach(window);
    }
    if (!self)
        return ::DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WndProc(message, wParam, lParam);
    } catch (...) {
        HandleException();
    }
    if (message == WM_NCDESTROY) {
        WNDPROC systemProc = self->systemProc_;
        self->Detach();
        // The system class still needs its own WM_NCDESTROY to free its data.
        if (systemProc)
            result = ::CallWindowProcA(systemProc, window, message, wParam, lParam);
    }
    return result;
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY && systemProc_)
        return 0; // given to the system class after detaching (StaticWndProc)
    if (systemProc_)
        return ::CallWindowProcA(systemProc_, window_, message, wParam, lParam);
    return ::DefWindowProcA(window_, message, wParam, lParam);
}

bool TWinControl::Notify(NMHDR&, LRESULT&) {
    return false;
}
bool TWinControl::Command(WORD, LRESULT&) {
    return false;
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (cursor_ && reinterpret_cast<HWND>(wParam) == window_ && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(cursor_);
            return TRUE;
        }
        break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (TWinControl* child = FromHandle(header->hwndFrom);
            child && child != this && child->Notify(*header, result))
            return result;
        break;
    }
    case WM_COMMAND: {
        LRESULT result = 0;
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
            child && child != this && child->Command(HIWORD(wParam), result))
            return result;
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam));
            child && child != this) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, ColorToRGB(child->font_.Color()));
            ::SetBkColor(dc, ColorToRGB(child->color_));
            if (!child->colorBrush_)
                child->colorBrush_.reset(::CreateSolidBrush(ColorToRGB(child->color_)));
            return reinterpret_cast<LRESULT>(child->colorBrush_.get());
        }
        break;
    case WM_SYSCOLORCHANGE:
        colorBrush_.reset();
        // The system sends it to top-level windows only, and common controls (the tree view's
        // colours) count on their top-level window to pass it on. Every window inside is told
        // once from here; the children do not pass it on again.
        if (!(::GetWindowLongPtrA(window_, GWL_STYLE) & WS_CHILD))
            ::EnumChildWindows(window_, ForwardSysColorChange, 0);
        break;
    default: break;
    }
    return DefaultHandler(message, wParam, lParam);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (window_)
        ::SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (window_)
        ::SetWindowTextA(window_, caption_.c_str());
}

void TWinControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (window_)
        ::EnableWindow(window_, enabled);
}

void TWinControl::SetVisible(bool visible) {
    visible_ = visible;
    if (window_)
        ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetColor(TColor color) {
    color_ = color;
    colorBrush_.reset();
    if (window_)
        ::InvalidateRect(window_, nullptr, TRUE);
}

} // namespace framework
