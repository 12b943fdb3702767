// cxButtonMenus.cpp - the push button's menus: the drop-down menu of the drop-down kinds and the
// context menu with its shortcuts.
//
// The program's windows never use this code: they place standard push buttons (Kind
// cxbkStandard) without a drop-down menu or a popup menu. It is kept because the kinds and both
// menus are settings of the button's window definitions ("Kind", "DropDownMenu", "PopupMenu"),
// the button's key and mouse handling branches into it, and the button tests drive it: a menu
// that opens where the work area allows, its close heard also by a window made again meanwhile.
#include "controls/cxButtons.h"

#include "framework/ScopeGuard.h"

#include <windowsx.h>

#include <memory>

namespace controls {

framework::TPopupMenu* TcxCustomButton::DropDownMenu() const noexcept {
    return dropDownMenuAlive_.expired() ? nullptr : dropDownMenu_;
}

void TcxCustomButton::SetDropDownMenu(framework::TPopupMenu* menu) noexcept {
    dropDownMenu_ = menu;
    dropDownMenuAlive_ = menu ? menu->LivenessToken() : std::weak_ptr<const void>();
}

framework::TComponent* TcxCustomButton::PopupMenu() const noexcept {
    // A framework menu that went is forgotten (its token expired); a provider is kept as given.
    if (!popupMenuIsFrameworkMenu_)
        return popupMenu_;
    return popupMenuAlive_.expired() ? nullptr : popupMenu_;
}

void TcxCustomButton::SetPopupMenu(framework::TComponent* menu) {
    popupMenuAlive_.reset();
    popupMenuIsFrameworkMenu_ = false;
    if (auto* popup = dynamic_cast<framework::TPopupMenu*>(menu)) {
        popupMenu_ = menu;
        popupMenuAlive_ = popup->LivenessToken();
        popupMenuIsFrameworkMenu_ = true;
    } else if (dynamic_cast<IcxPopupMenuProvider*>(menu)) {
        popupMenu_ = menu;
    } else {
        popupMenu_ = nullptr;
    }
}

void TcxCustomButton::DropDown() {
    suppressPressed_ = true;
    if (HandleAllocated())
        ::PostMessageA(Handle(), DropDownRequest, 0, 0);
}

bool TcxCustomButton::FireDropDownMenuPopup(framework::TPopupMenu*& menu) {
    bool handled = false;
    if (auto handler = OnDropDownMenuPopup)
        handler(this, menu, handled);
    return handled;
}

bool TcxCustomButton::ShowPopupMenu(framework::TComponent* menu, int x, int y) {
    return ShowControlPopupMenu(this, menu, x, y);
}

void TcxCustomButton::HandleDropDownRequest() {
    if (kind_ == cxbkStandard)
        return;
    framework::TPopupMenu* menu = DropDownMenu();
    if (FireDropDownMenuPopup(menu) || !menu) {
        // No menu follows, so no MenuClosed: the main face must not stay unpressable.
        suppressPressed_ = false;
        return;
    }
    menuShown_ = true;
    Repaint();
    POINT p{0, Height()};
    if (popupAlignment_ == framework::paRight)
        p.x = Width();
    else if (popupAlignment_ == framework::paCenter)
        p.x = Width() / 2;
    ::ClientToScreen(Handle(), &p);
    const RECT work = GetWorkArea(p);
    const int menuHeight = GetMenuHeight(menu);
    if (work.bottom < p.y + menuHeight)
        p.y -= menuHeight + Height() + 2;
    // At the left edge the menu opens to the right, at the right edge to the left, so that it
    // stays on the monitor.
    framework::TPopupAlignment alignment = popupAlignment_;
    if (p.x <= work.left)
        alignment = framework::paLeft;
    else if (p.x >= work.right)
        alignment = framework::paRight;
    const framework::TPopupAlignment saved = menu->Alignment();
    auto restore = framework::OnScopeExit(
        [this, buttonAlive = TrackingToken(), menu, menuAlive = menu->LivenessToken(), saved] {
            if (!menuAlive.expired())
                menu->SetAlignment(saved);
            // Also after a failure: MenuShown and SuppressPressed must not stay set. To the
            // button's window of now: it may have been recreated while the menu was open.
            if (!buttonAlive.expired() && HandleAllocated())
                ::PostMessageA(Handle(), MenuClosed, 0, 0);
        });
    menu->SetAlignment(alignment);
    menu->SetPopupComponent(this);
    menu->Popup(p.x, p.y); // runs the menu's own loop; the button may be gone afterwards
}

void TcxCustomButton::HandleMenuClosed() {
    UpdateMouseInside();
    menuShown_ = false;
    Repaint();
    suppressPressed_ = false;
}

void TcxCustomButton::HandlePendingMenuClosed() {
    MSG msg;
    if (HandleAllocated() && ::PeekMessageA(&msg, Handle(), MenuClosed, MenuClosed, PM_REMOVE))
        HandleMenuClosed();
}

LRESULT TcxCustomButton::WMContextMenu(WPARAM window, LPARAM point) {
    POINT p{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    const bool keyboard = p.x == -1 && p.y == -1;
    if (!keyboard) {
        POINT client = p;
        ::ScreenToClient(Handle(), &client);
        RECT r = ClientRect();
        if (!::PtInRect(&r, client))
            return DefaultHandler(WM_CONTEXTMENU, window, point);
    } else {
        p = {0, 0};
        ::ClientToScreen(Handle(), &p);
    }
    if (ShowPopupMenu(PopupMenu(), p.x, p.y))
        return 0;
    return DefaultHandler(WM_CONTEXTMENU, window, point);
}

} // namespace controls
