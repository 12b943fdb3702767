// Menus.h - popup menus of the framework.
//
// Classes in this file:
//   TShortCut     a key with its modifiers in one word (virtual key | scShift | scCtrl | scAlt)
//   TMenuItem     one entry: caption with & accelerators, shortcut, visible, enabled, optional
//                 bitmap, OnClick; measures itself for owner-drawn menus and menus with images
//   TPopupMenu    a list of items shown with TrackPopupMenu at a screen point (Alignment), owned
//                 by a hidden window of the framework that dispatches the chosen item's click;
//                 answers whether a key message is one of its shortcuts (and clicks that item)
//
// Functions: ShortCut, ShortCutFromMessage, ShortCutToText, RegisterMenuClasses.
//
// Not done yet: submenus, radio groups, drawing of owner-drawn items (they are measured only),
// menu bars.
#pragma once

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/HiddenWindow.h"

#include <memory>
#include <string>
#include <vector>

namespace framework {

class TImageList;
class TPopupMenu;

using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
/// A shortcut of a virtual key and modifiers (scShift, scCtrl, scAlt).
constexpr TShortCut ShortCut(WORD key, TShortCut modifiers = 0) {
    return static_cast<TShortCut>((key & 0xFF) | modifiers);
}
/// The shortcut a WM_KEYDOWN or WM_SYSKEYDOWN stands for, with the modifiers held now; 0 for any
/// other message.
TShortCut ShortCutFromMessage(const MSG& message);
/// "Ctrl+Shift+F5" and the like; empty for 0.
std::string ShortCutToText(TShortCut shortCut);

enum TPopupAlignment : std::uint8_t { paLeft, paRight, paCenter };

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TPopupMenu* menu = nullptr);
    ~TMenuItem() override;

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    TShortCut ShortCut() const noexcept { return shortCut_; }
    void SetShortCut(TShortCut shortCut) noexcept { shortCut_ = shortCut; }
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible) noexcept { visible_ = visible; }
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled) noexcept { enabled_ = enabled; }
    /// Shown beside the caption; empty by default.
    TBitmap& Bitmap() noexcept { return bitmap_; }
    const TBitmap& Bitmap() const noexcept { return bitmap_; }
    /// The command id the item has in its menu while it exists (unique in the process).
    UINT Command() const noexcept { return command_; }
    TPopupMenu* Menu() const noexcept { return menu_; }

    /// Calls OnClick (a copy: the handler may destroy the item).
    virtual void Click();
    /// The size of the item in an owner-drawn menu or a menu with images; height comes in as the
    /// menu font's item height and may be changed. The default makes room for the bitmap or the
    /// menu's image.
    virtual void MeasureItem(TCanvas& canvas, int& width, int& height) const;

    TNotifyEvent OnClick;

private:
    TPopupMenu* menu_;
    std::string caption_;
    TShortCut shortCut_ = 0;
    bool visible_ = true, enabled_ = true;
    TBitmap bitmap_;
    UINT command_;
};

class TPopupMenu : public TComponent {
public:
    TPopupMenu();
    ~TPopupMenu() override;

    /// Appends an item and returns it; the menu owns it.
    TMenuItem& Add(std::string caption, TNotifyEvent onClick = {}, TShortCut shortCut = 0);
    size_t Count() const noexcept { return items_.size(); }
    TMenuItem& Item(size_t index) const { return *items_.at(index); }

    /// Shown by controls on a right click (ShowControlPopupMenu); true by default.
    bool AutoPopup() const noexcept { return autoPopup_; }
    void SetAutoPopup(bool value) noexcept { autoPopup_ = value; }
    /// The control the menu was last shown for.
    TComponent* PopupComponent() const noexcept { return popupComponent_; }
    void SetPopupComponent(TComponent* component) noexcept { popupComponent_ = component; }
    /// Which side of the menu lies at the popup point's x.
    TPopupAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TPopupAlignment alignment) noexcept { alignment_ = alignment; }
    /// Items are drawn by their owner (they measure themselves).
    bool OwnerDraw() const noexcept { return ownerDraw_; }
    void SetOwnerDraw(bool value) noexcept { ownerDraw_ = value; }
    /// Images beside the items (borrowed); null by default.
    TImageList* Images() const noexcept { return images_; }
    void SetImages(TImageList* images) noexcept { images_ = images; }

    /// Shows the menu at a screen point and returns when it closes. The chosen item's click is
    /// posted to the menu's window and runs from the message loop afterwards.
    virtual void Popup(int x, int y);
    /// The TrackPopupMenu flags of Alignment.
    UINT AlignmentFlags() const noexcept;
    /// The window that owns the menu while it is shown and receives its commands.
    HWND WindowHandle() const noexcept { return window_.Handle(); }
    /// Whether the key message is the shortcut of a visible, enabled item; that item is clicked.
    virtual bool IsShortCut(const MSG& message);

    /// Expires when the menu is destroyed, so that holders of a pointer can tell.
    std::weak_ptr<const void> LivenessToken() const noexcept { return alive_; }

    TNotifyEvent OnPopup;

    /// "AutoPopup: False", "Alignment: paRight", "OwnerDraw: True",
    /// "Item: <caption> [<OnClick handler>]".
    void ApplyProperty(const DefinitionProperty& property, TDefinitionLoader& loader) override;

private:
    LRESULT MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<std::unique_ptr<TMenuItem>> items_;
    bool autoPopup_ = true;
    bool ownerDraw_ = false;
    TComponent* popupComponent_ = nullptr;
    TPopupAlignment alignment_ = paLeft;
    TImageList* images_ = nullptr;
    THiddenWindow window_;
    std::shared_ptr<const char> alive_ = std::make_shared<const char>('\0');
};

/// Registers TPopupMenu for window definitions. Idempotent.
void RegisterMenuClasses();

} // namespace framework
