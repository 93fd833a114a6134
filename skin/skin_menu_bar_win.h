// The menu bar a skinned form shows in its client area instead of its main menu: a flat tool
// bar with one button per top-level item, painted with the skin's menu-bar colours. A button
// opens its item's sub-menu below itself (the menu's own owner-drawn items), or clicks an item
// without sub-items; Alt and the item's hot key open it from the keyboard, or mark an item
// without sub-items, which Enter then clicks.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <vector>

#include "classlib/gui/menus.h"
#include "classlib/gui/tool_bar.h"

class TlumSkinEngine;

class TlumSkinMenuBar : public TToolBar {
public:
    // A button drawn hot or selected carries this Tag, the others 0.
    static constexpr intptr_t kHotTag = 888;

    explicit TlumSkinMenuBar(TlumSkinEngine* engine);
    ~TlumSkinMenuBar() override;
    const char* ClassName() const override { return "TlumSkinMenuBar"; }

    // Frees the buttons and makes one per item, in order (the items are not owned; an item
    // freed later leaves its button without one).
    void SetItems(const std::vector<TMenuItem*>& items);
    // The sub-menu of the button's item below the button, the chosen item clicked; an item
    // without sub-items is clicked at once.
    void DropDown(TToolButton* button);
    // The button drawn hot or selected last, or nullptr.
    TToolButton* HotButton() const;

protected:
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void DrawBar(const TRect& rect, bool& defaultDraw);
    void DrawButton(TToolButton* button, TCustomDrawState state, bool& defaultDraw);
    // The button whose item's hot key is key (Alt held, or a button hot): its menu opens.
    bool DialogChar(char key, bool alt);
    // The visible button whose top-left point this is, or nullptr.
    TToolButton* ButtonAtCorner(int x, int y) const;
    void TakeKeyboard(TToolButton* marked);
    void GiveKeyboardBack();
    void FreeButtons();

    TlumSkinEngine* FEngine;
    std::vector<TToolButton*> FItemButtons;
    HWND FFocusBefore = nullptr;   // where the keys went before the bar took them
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
