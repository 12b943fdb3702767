#include "framework/Menus.h"

#include "framework/ImageList.h"

#include <algorithm>
#include <unordered_map>

namespace framework {

namespace {

// The items by command id: a command posted for an item that has gone since finds nothing.
std::unordered_map<UINT, TMenuItem*>& ItemsByCommand() {
    static std::unordered_map<UINT, TMenuItem*> items;
    return items;
}
// Ids below 0x100 are left to the dialog answers; ids are never reused.
UINT g_nextCommand = 0x100;

bool KeyDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

} // namespace

TShortCut ShortCutFromMessage(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
        return 0;
    TShortCut shortCut = ShortCut(static_cast<WORD>(message.wParam));
    if (KeyDown(VK_SHIFT))
        shortCut |= scShift;
    if (KeyDown(VK_CONTROL))
        shortCut |= scCtrl;
    // The message itself says whether Alt was held (KF_ALTDOWN in the key data).
    if ((HIWORD(message.lParam) & KF_ALTDOWN) || KeyDown(VK_MENU))
        shortCut |= scAlt;
    return shortCut;
}

std::string ShortCutToText(TShortCut shortCut) {
    WORD key = shortCut & 0xFF;
    if (key == 0)
        return {};
    std::string text;
    if (shortCut & scShift)
        text += "Shift+";
    if (shortCut & scCtrl)
        text += "Ctrl+";
    if (shortCut & scAlt)
        text += "Alt+";
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return text + static_cast<char>(key);
    if (key >= VK_F1 && key <= VK_F24)
        return text + "F" + std::to_string(key - VK_F1 + 1);
    char name[64] = {};
    UINT scan = ::MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    if (::GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name) > 0)
        return text + name;
    return text + "#" + std::to_string(key);
}

// --- TMenuItem ------------------------------------------------------------------------------

TMenuItem::TMenuItem(TPopupMenu* menu) : menu_(menu), command_(g_nextCommand++) {
    ItemsByCommand()[command_] = this;
}

TMenuItem::~TMenuItem() {
    ItemsByCommand().erase(command_);
}

void TMenuItem::Click() {
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) const {
    width = std::max(width, canvas.TextWidth(caption_) + 16);
    if (!bitmap_.Empty())
        height = std::max(height, bitmap_.Height() + 4);
    if (menu_ && menu_->Images())
        height = std::max(height, menu_->Images()->Height() + 4);
}

// --- TPopupMenu -----------------------------------------------------------------------------

TPopupMenu::TPopupMenu()
    : window_([this](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
          return MenuWindowProc(window, message, wParam, lParam);
      }) {}

TPopupMenu::~TPopupMenu() = default;

TMenuItem& TPopupMenu::Add(std::string caption, TNotifyEvent onClick, TShortCut shortCut) {
    auto item = std::make_unique<TMenuItem>(this);
    item->SetCaption(std::move(caption));
    item->OnClick = std::move(onClick);
    item->SetShortCut(shortCut);
    items_.push_back(std::move(item));
    return *items_.back();
}

UINT TPopupMenu::AlignmentFlags() const noexcept {
    switch (alignment_) {
    case paRight: return TPM_RIGHTALIGN;
    case paCenter: return TPM_CENTERALIGN;
    default: return TPM_LEFTALIGN;
    }
}

namespace {
struct MenuTraits {
    using Type = HMENU;
    static constexpr HMENU Invalid() { return nullptr; }
    static void Close(HMENU menu) { ::DestroyMenu(menu); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;
} // namespace

void TPopupMenu::Popup(int x, int y) {
    if (TNotifyEvent handler = OnPopup)
        handler(this);
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        throw EOutOfResources("Cannot create a menu");
    for (const auto& item : items_) {
        if (!item->Visible())
            continue;
        std::string text = item->Caption();
        if (text == "-") {
            ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        if (std::string keys = ShortCutToText(item->ShortCut()); !keys.empty())
            text += "\t" + keys;
        UINT flags = MF_STRING | (item->Enabled() ? MF_ENABLED : MF_GRAYED);
        ::AppendMenuA(menu.get(), flags, item->Command(), text.c_str());
        if (!item->Bitmap().Empty()) {
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_BITMAP;
            info.hbmpItem = item->Bitmap().Handle();
            ::SetMenuItemInfoA(menu.get(), item->Command(), FALSE, &info);
        }
    }
    // The owner must be the foreground window's thread for the menu to close on a click
    // elsewhere; the chosen command is posted to the window (WM_COMMAND) after the menu closed.
    ::TrackPopupMenu(menu.get(), AlignmentFlags() | TPM_TOPALIGN | TPM_LEFTBUTTON, x, y, 0,
                     window_.Handle(), nullptr);
}

LRESULT TPopupMenu::MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == 0 && lParam == 0) {
        auto& items = ItemsByCommand();
        if (auto it = items.find(LOWORD(wParam)); it != items.end() && it->second->Menu() == this)
            it->second->Click();
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool TPopupMenu::IsShortCut(const MSG& message) {
    TShortCut shortCut = ShortCutFromMessage(message);
    if (shortCut == 0)
        return false;
    for (const auto& item : items_)
        if (item->ShortCut() == shortCut && item->Visible() && item->Enabled()) {
            item->Click();
            return true;
        }
    return false;
}

void TPopupMenu::ApplyProperty(const DefinitionProperty& p, TDefinitionLoader& loader) {
    if (p.name == "AutoPopup") {
        SetAutoPopup(ParseBoolean(p));
    } else if (p.name == "OwnerDraw") {
        SetOwnerDraw(ParseBoolean(p));
    } else if (p.name == "Alignment") {
        static constexpr const char* names[] = {"paLeft", "paRight", "paCenter"};
        SetAlignment(p.Enumerated<TPopupAlignment>(names, "alignment"));
    } else if (p.name == "Item") {
        if (p.values.empty() || p.values.size() > 2)
            p.Fail("expected a caption and an optional handler");
        TMenuItem& item = Add(p.String(0));
        if (p.values.size() == 2) {
            DefinitionProperty handler = p;
            handler.values.erase(handler.values.begin());
            item.OnClick = loader.Handler<TNotifyEvent>(handler);
        }
    } else {
        TComponent::ApplyProperty(p, loader);
    }
}

void RegisterMenuClasses() {
    RegisterControlClass("TPopupMenu", [] { return std::make_unique<TPopupMenu>(); });
}

} // namespace framework
