// Menus over the system's menu handles: a tree of items, a main menu that is a form's menu bar,
// and a popup menu shown at a screen point. Items find each other by command number, never by
// a pointer handed to the system, so a message for an item that is gone finds nothing.
//
// Owner-drawn items are measured and painted by the item's OnMeasureItem / OnDrawItem (the
// class library's own plain drawing when unassigned), through WM_MEASUREITEM / WM_DRAWITEM of
// the window the menu belongs to: the form for a main menu, a hidden window of its own for a
// popup menu.
#pragma once
#include "classlib/gui/windows_api.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/classes.h"
#include "classlib/gui/bitmap.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/graphics.h"
#include "classlib/gui/image_list.h"
#include "classlib/gui/messages.h"

class TCustomForm;
class TMenu;
class TWindowProcHook;

// A key (virtual-key code in the low byte) with its modifier flags.
using TShortCut = uint16_t;
enum : TShortCut { scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };
inline TShortCut MakeShortCut(uint8_t key, TShortCut modifiers) { return static_cast<TShortCut>(key | modifiers); }
// "Ctrl+S", "Shift+Ctrl+F2", "Alt+Del"; empty for scNone or a key without a name.
AnsiString ShortCutToText(TShortCut shortCut);

enum TMenuAutoFlag : uint8_t { maAutomatic, maManual };

using TMenuMeasureItemEvent = std::function<void(TObject* sender, TCanvas* canvas, int& width, int& height)>;
using TMenuDrawItemEvent = std::function<void(TObject* sender, TCanvas* canvas, const TRect& rect, bool selected)>;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    // Frees its sub-items and leaves its parent.
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    const AnsiString& GetCaption() const { return FCaption; }
    void SetCaption(const AnsiString& value);
    // "-" makes a separator line.
    bool IsLine() const { return FCaption == "-"; }
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool value);
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool value);
    // The default item of its sub-menu, shown bold.
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool value);
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut value);
    // Index into the menu's Images; -1 for none.
    int GetImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    // The item's own glyph, made on first use (empty until assigned).
    TBitmap* GetBitmap();
    bool HasBitmap() const { return FBitmap && !FBitmap->Empty(); }
    void SetBitmap(TBitmap* value);
    uint8_t GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(uint8_t value) { FGroupIndex = value; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
    int IndexOf(const TMenuItem* item) const;
    // Adds / inserts an item, taking it from any parent it had; raises EMenuError for an item
    // that is this one or one of its ancestors.
    void Add(TMenuItem* item) { Insert(Count(), item); }
    void Insert(int index, TMenuItem* item);
    // Takes the item at index out of this one (not freed); Remove does it for an item.
    void Delete(int index);
    void Remove(TMenuItem* item);
    void Clear();   // frees every sub-item
    TMenuItem* GetParent() const { return FParent; }
    // The menu whose tree holds this item, or nullptr.
    TMenu* GetParentMenu() const;
    // The system sub-menu this item opens (nullptr: it has none, or it is not in a menu or shown).
    // Rebuilt with the menu's handle: ask again after a change.
    HMENU GetHandle() const;
    // The number WM_COMMAND brings for this item.
    UINT GetCommand() const { return FCommand; }
    static TMenuItem* FindByCommand(UINT command);

    // Runs OnClick.
    virtual void Click();
    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

    // Owner-draw entry points: the item's events, else the plain measure and drawing.
    void MeasureItem(TCanvas* canvas, int& width, int& height);
    void DrawItem(TCanvas* canvas, const TRect& rect, bool selected);

private:
    friend class TMenu;
    void Changed();
    bool IsAncestorOrSelf(const TMenuItem* item) const;

    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr;   // set on a menu's root item only
    std::unique_ptr<TBitmap> FBitmap;
    AnsiString FCaption;
    UINT FCommand;
    int FImageIndex = -1;
    TShortCut FShortCut = scNone;
    uint8_t FGroupIndex = 0;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    bool FDefault = false;
};

class EMenuError : public Exception {
public:
    using Exception::Exception;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    const char* ClassName() const override { return "TMenu"; }

    // The root item; its sub-items are the menu's top level.
    TMenuItem* GetItems() const { return FItems.get(); }
    // The system menu, built on first use and rebuilt when an item changes.
    HMENU GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }

    bool GetOwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool value);
    TImageList* GetImages() const { return FImages; }
    void SetImages(TImageList* value);
    TBiDiMode GetBiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode value);
    // maAutomatic: items without a hot key get one (on the shown text; Caption keeps its value).
    TMenuAutoFlag GetAutoHotkeys() const { return FAutoHotkeys; }
    void SetAutoHotkeys(TMenuAutoFlag value);

    // For WM_KEYDOWN / WM_SYSKEYDOWN: an enabled, visible item whose ShortCut is the key with
    // the modifiers now held is clicked; true then.
    bool IsShortCut(const TMessage& message);
    // WM_COMMAND / WM_MEASUREITEM / WM_DRAWITEM / WM_MENUCHAR for an item of this menu:
    // handled, true then.
    bool DispatchMenuMessage(TMessage& message);
    // The item of this menu with the command number, or nullptr.
    TMenuItem* FindItem(UINT command) const;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // The handle was rebuilt (a main menu redraws its bar).
    virtual void MenuChanged() {}
    virtual HMENU CreateMenuHandle() = 0;
    // A main menu's top-level items are the bar.
    virtual bool IsMainMenu() const { return false; }
    // The items the handle's top level shows (a main menu: its own, merged with a child's).
    virtual std::vector<const TMenuItem*> TopLevelItems() const;
    // Another menu whose items this one's handle shows too (their messages come here), or nullptr.
    virtual TMenu* ShownMenu() const { return nullptr; }
    // The menu whose handle shows this one's items (rebuilt when they change), or nullptr.
    virtual TMenu* HostMenu() const { return nullptr; }
    // An item of the tree changed: rebuilt when the handle exists.
    void ItemsChanged() { ItemChanged(); }

private:
    friend class TMenuItem;
    void ItemChanged();
    void Rebuild();
    // The items go in at that position of the menu, one after the other.
    void InsertItems(HMENU menu, UINT position, const std::vector<const TMenuItem*>& items, bool bar);
    // The position of the enabled item of that sub-menu whose hot key is key, or -1.
    int HotkeyPosition(HMENU menu, char key) const;

    std::unique_ptr<TMenuItem> FItems;
    HMENU FHandle = nullptr;
    TImageList* FImages = nullptr;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TMenuAutoFlag FAutoHotkeys = maAutomatic;
    bool FOwnerDraw = false;
    bool FRebuilding = false;
};

class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    const char* ClassName() const override { return "TMainMenu"; }
    // The form whose menu bar this is, or nullptr.
    TCustomForm* GetForm() const { return FForm; }
    // An MDI frame's menu shows its active child's menu merged in by GroupIndex: the child's
    // top-level items take the place of the frame's of the same GroupIndex and go in GroupIndex
    // order. nullptr puts the frame's own menu back.
    void Merge(TMainMenu* childMenu);
    TMainMenu* GetMerged() const { return FMerged; }

protected:
    HMENU CreateMenuHandle() override;
    bool IsMainMenu() const override { return true; }
    std::vector<const TMenuItem*> TopLevelItems() const override;
    TMenu* ShownMenu() const override { return FMerged; }
    TMenu* HostMenu() const override { return FMergedInto; }
    void MenuChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend void SetFormMenu(TCustomForm* form, TMainMenu* menu);
    void Attach(TCustomForm* form);
    void Detach();

    TCustomForm* FForm = nullptr;
    TMainMenu* FMerged = nullptr;     // the child menu shown in this one (free notification)
    TMainMenu* FMergedInto = nullptr; // the frame menu showing this one (free notification)
    std::unique_ptr<TWindowProcHook> FHook;
};

// Makes the menu the form's menu bar (nullptr: the form has none); the form's messages for
// the menu's items reach them from then on. A form has at most one main menu.
void SetFormMenu(TCustomForm* form, TMainMenu* menu);
// The main menu SetFormMenu gave the form, or nullptr.
TMainMenu* GetFormMenu(TCustomForm* form);
// An MDI frame's menu shows the menu of the given child (nullptr: its own alone).
void MergeChildMenu(TCustomForm* frame, TCustomForm* child);
// The same for the child the frame's MDI client has active.
void MergeActiveChildMenu(TCustomForm* frame);
// The MDI frame of a child form, or nullptr.
TCustomForm* MDIFrameOf(TCustomForm* child);

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    const char* ClassName() const override { return "TPopupMenu"; }

    // Runs OnPopup, then shows the menu at the screen point until it closes. The clicked
    // item's OnClick runs from the message loop afterwards.
    void Popup(int x, int y);
    TNotifyEvent OnPopup;
    // The hidden window that owns the shown menu and gets its messages.
    HWND GetWindowHandle() const { return FWindow; }

protected:
    HMENU CreateMenuHandle() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND FWindow = nullptr;
};
