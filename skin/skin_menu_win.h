// The engine's menus: owner-drawn menu items painted from the skin's menu colours (a gutter
// with the left-bar colours, the selected item framed, the check and item images), and the
// owner-drawn system-menu popup that a skinned caption opens for its window.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/menus.h"
#include "skin/skin_engine_intf.h"

// Sets both owner-draw events of the item and of all its sub-items (empty events clear them).
void SetMenuItemEvents(TMenuItem* item, const TMenuMeasureItemEvent& measure, const TMenuDrawItemEvent& draw);

class TlumSkinMenus {
public:
    // The gutter of a popup item, beside the text.
    static constexpr int kGutterWidth = 26;
    // Separator line colour.
    static constexpr TColor kSeparatorColor = 0x848284;
    // System-menu items; 2 is the separator.
    enum { smMinimize = 0, smMaxRestore = 1, smClose = 3 };

    // Builds the system-menu popup with the given item texts (minimise, max/restore, close).
    TlumSkinMenus(TlumSkinEngineIntf* engine, const AnsiString& minimizeText, const AnsiString& maxRestoreText,
                  const AnsiString& closeText);
    ~TlumSkinMenus();
    TlumSkinMenus(const TlumSkinMenus&) = delete;
    TlumSkinMenus& operator=(const TlumSkinMenus&) = delete;

    // Owner-drawn with our painting; a main menu without images gets the shared empty list.
    void SkinMenu(TMenu* menu);
    void SkinMenuItem(TMenuItem* item);
    // Native drawing again; the shared empty list leaves a main menu that has it.
    void UnskinMenu(TMenu* menu);
    // The events SkinMenuItem sets (sender: the item).
    void MeasureMenuItem(TObject* sender, TCanvas* canvas, int& width, int& height);
    void PaintMenuItem(TObject* sender, TCanvas* canvas, const TRect& rect, bool selected);

    // A component joined (opInsert) or left (opRemove) the engine's form: menus and items
    // joining are skinned while the skin is active (menus tagged with DisabledTag are not),
    // menus leaving are unskinned.
    void Notification(TComponent* component, TOperation operation);
    // After a skin load: the skin's checked-menu icon becomes image 0 of the menu-check list.
    void ApplyMenuCheckImage(TBitmap* checkedIcon, TColor transparentColor);

    TPopupMenu* GetSystemMenuPopup() const { return FSystemMenu.get(); }
    // Renames system-menu item smMinimize, smMaxRestore or smClose.
    void RenameSystemMenuItem(int item, const AnsiString& caption);
    TlumSkinSysMenuTarget* GetSystemMenuTarget() const { return *FTarget; }
    void SetSystemMenuTarget(TlumSkinSysMenuTarget* target);
    // The target becomes the window's, and the popup opens at the screen point.
    void ShowSystemMenu(TlumSkinSysMenuTarget* target, int x, int y);

private:
    TColor SkinColor(uint8_t index, TColor fallback) const;
    void PaintGutterAndBackground(TCanvas* canvas, const TRect& rect, bool rightToLeft) const;
    void SystemMenuPopup();

    TlumSkinEngineIntf* FEngine;
    std::unique_ptr<TPopupMenu> FSystemMenu;
    TlumSkinSysMenuTarget::TSlot FTarget = std::make_shared<TlumSkinSysMenuTarget*>(nullptr);
};
