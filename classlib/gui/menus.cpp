#include "classlib/gui/menus.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <unordered_map>

#include "classlib/gui/application.h"
#include "classlib/gui/controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/window_proc_hook.h"

namespace {

// ---- command numbers ----------------------------------------------------------------------
// WM_COMMAND carries 16 bits: numbers are handed out from 1 up and reused once freed.

std::unordered_map<UINT, TMenuItem*>& Commands() {
    static std::unordered_map<UINT, TMenuItem*> commands;
    return commands;
}

// Numbers from $FF00 on are the MDI client's (its window-menu items of the children).
const UINT kLastCommand = 0xFEFF;

UINT AllocateCommand(TMenuItem* item) {
    static UINT next = 0;
    auto& commands = Commands();
    if (commands.size() >= kLastCommand) throw EMenuError("Too many menu items");
    do {
        next = next % kLastCommand + 1;
    } while (commands.count(next));
    commands[next] = item;
    return next;
}

// ---- shortcut texts -----------------------------------------------------------------------

AnsiString KeyName(uint8_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return AnsiString(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
    static const std::map<uint8_t, const char*> names = {
        {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},    {VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
        {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},    {VK_HOME, "Home"},    {VK_LEFT, "Left"},
        {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
    };
    auto it = names.find(key);
    return it == names.end() ? AnsiString() : AnsiString(it->second);
}

// The shortcut of a key message with the modifiers held now. Alt comes from the message itself
// (bit 29, the context code), so that a WM_SYSKEYDOWN is read as it was sent.
TShortCut ShortCutOfMessage(const TMessage& m) {
    TShortCut sc = static_cast<TShortCut>(m.WParam & 0xFF);
    if (GetKeyState(VK_SHIFT) < 0) sc |= scShift;
    if (GetKeyState(VK_CONTROL) < 0) sc |= scCtrl;
    if ((m.LParam & (1 << 29)) || GetKeyState(VK_MENU) < 0) sc |= scAlt;
    return sc;
}

// ---- automatic hot keys -------------------------------------------------------------------

bool HasHotkey(const AnsiString& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return true;
        ++i;   // "&&" is a plain ampersand
    }
    return false;
}

char HotkeyOf(const AnsiString& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        ++i;
    }
    return 0;
}

// The shown texts of a sub-menu: captions without a hot key get the first letter or digit
// their siblings do not use (double-byte characters are stepped over whole).
std::vector<AnsiString> ShownTexts(const std::vector<const TMenuItem*>& items, bool automatic) {
    std::vector<AnsiString> texts;
    std::string used;
    for (const TMenuItem* item : items) {
        texts.push_back(item->GetCaption());
        if (char k = HotkeyOf(item->GetCaption())) used += k;
    }
    if (!automatic) return texts;
    for (size_t n = 0; n < items.size(); ++n) {
        AnsiString& text = texts[n];
        if (items[n]->IsLine() || text.empty() || HasHotkey(text)) continue;
        for (size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (IsDBCSLeadByte(c)) {
                ++i;
                continue;
            }
            if (!std::isalnum(c)) continue;
            const char key = static_cast<char>(std::toupper(c));
            if (used.find(key) != std::string::npos) continue;
            used += key;
            text.insert(i, 1, '&');
            break;
        }
    }
    return texts;
}

// The system menu font (the canvas owns it); the canvas keeps its own when it cannot be read.
void UseMenuFont(TCanvas& canvas) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
    if (HFONT font = CreateFontIndirectA(&metrics.lfMenuFont)) canvas.GetFont()->SetHandle(font);
    canvas.GetFont()->SetColor(clMenuText);
}

// A canvas over a DC it does not own; the canvas's objects leave the DC on every way out.
class TBorrowedCanvas : public TCanvas {
public:
    explicit TBorrowedCanvas(HDC dc) { SetHandle(dc); }
    ~TBorrowedCanvas() override { SetHandle(nullptr); }
};

bool MenuItemMessage(const TMessage& m) {
    switch (m.Msg) {
    case WM_COMMAND:
        return HIWORD(m.WParam) == 0 && m.LParam == 0;
    case WM_MEASUREITEM:
        return reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam)->CtlType == ODT_MENU;
    case WM_DRAWITEM:
        return reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->CtlType == ODT_MENU;
    case WM_MENUCHAR:
        return m.LParam != 0;
    default:
        return false;
    }
}

std::unordered_map<TCustomForm*, TMainMenu*>& FormMenus() {
    static std::unordered_map<TCustomForm*, TMainMenu*> menus;
    return menus;
}

}  // namespace

AnsiString ShortCutToText(TShortCut shortCut) {
    const AnsiString name = KeyName(static_cast<uint8_t>(shortCut & 0xFF));
    if (name.empty()) return AnsiString();
    AnsiString text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + name;
}

// ---- TMenuItem ----------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), FCommand(AllocateCommand(this)) {}

TMenuItem::~TMenuItem() {
    BeginDestroy();
    if (FParent) FParent->Remove(this);
    while (!FItems.empty()) delete FItems.back();   // each leaves this list itself
    Commands().erase(FCommand);
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->FParent) item = item->FParent;
    return item->FMenu;
}

HMENU TMenuItem::GetHandle() const {
    if (!FParent || !FVisible || FItems.empty()) return nullptr;
    TMenu* menu = GetParentMenu();
    // A top-level item of a menu merged into another is in that one's handle.
    TMenu* shownIn = menu && menu->HostMenu() ? menu->HostMenu() : menu;
    HMENU parent = FParent->FParent ? FParent->GetHandle() : shownIn ? shownIn->GetHandle() : nullptr;
    if (!parent) return nullptr;
    // By command number: merging moves top-level items.
    for (int position = 0, count = GetMenuItemCount(parent); position < count; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        if (GetMenuItemInfoA(parent, static_cast<UINT>(position), TRUE, &info) && info.wID == FCommand)
            return info.hSubMenu;
    }
    return nullptr;
}

TMenuItem* TMenuItem::FindByCommand(UINT command) {
    auto it = Commands().find(command);
    return it == Commands().end() ? nullptr : it->second;
}

void TMenuItem::Changed() {
    if (TMenu* menu = GetParentMenu()) menu->ItemChanged();
}

void TMenuItem::SetCaption(const AnsiString& value) {
    if (FCaption == value) return;
    FCaption = value;
    Changed();
}

void TMenuItem::SetEnabled(bool value) {
    if (FEnabled == value) return;
    FEnabled = value;
    Changed();
}

void TMenuItem::SetVisible(bool value) {
    if (FVisible == value) return;
    FVisible = value;
    Changed();
}

void TMenuItem::SetChecked(bool value) {
    if (FChecked == value) return;
    FChecked = value;
    Changed();
}

void TMenuItem::SetDefault(bool value) {
    if (FDefault == value) return;
    // One default per sub-menu.
    if (value && FParent)
        for (TMenuItem* sibling : FParent->FItems) sibling->FDefault = false;
    FDefault = value;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut value) {
    if (FShortCut == value) return;
    FShortCut = value;
    Changed();
}

void TMenuItem::SetImageIndex(int value) {
    if (FImageIndex == value) return;
    FImageIndex = value;
    Changed();
}

TBitmap* TMenuItem::GetBitmap() {
    if (!FBitmap) FBitmap = std::make_unique<TBitmap>();
    return FBitmap.get();
}

void TMenuItem::SetBitmap(TBitmap* value) {
    if (value)
        GetBitmap()->Assign(value);
    else
        FBitmap.reset();
    Changed();
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

bool TMenuItem::IsAncestorOrSelf(const TMenuItem* item) const {
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == item) return true;
    return false;
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) throw EMenuError("Menu item is nil");
    if (IsAncestorOrSelf(item)) throw EMenuError("Menu item cannot contain itself");
    if (index < 0 || index > Count()) throw EMenuError("Menu index out of bounds");
    if (item->FParent) {
        TMenuItem* old = item->FParent;
        const int at = old->IndexOf(item);
        if (old == this && at < index) --index;
        old->Remove(item);
    }
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    Changed();
}

void TMenuItem::Delete(int index) {
    if (index < 0 || index >= Count()) throw EMenuError("Menu index out of bounds");
    TMenuItem* item = FItems[static_cast<size_t>(index)];
    FItems.erase(FItems.begin() + index);
    item->FParent = nullptr;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    const int index = IndexOf(item);
    if (index >= 0) Delete(index);
}

void TMenuItem::Clear() {
    while (!FItems.empty()) delete FItems.back();
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
    const bool topOfBar = FParent && !FParent->FParent && GetParentMenu() && GetParentMenu()->IsMainMenu();
    if (topOfBar) {
        width = canvas->TextWidth(FCaption);
        height = GetSystemMetrics(SM_CYMENU);
    } else if (IsLine()) {
        width = 10;
        height = 5;
    } else {
        width = canvas->TextWidth(FCaption) + canvas->TextWidth(ShortCutToText(FShortCut)) + 40;
        height = std::max(canvas->TextHeight(FCaption) + 4, GetSystemMetrics(SM_CYMENU));
    }
    if (OnMeasureItem) OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas* canvas, const TRect& rect, bool selected) {
    if (OnDrawItem) {
        OnDrawItem(this, canvas, rect, selected);
        return;
    }
    // The plain look: system colours, a check box frame for a checked item.
    canvas->GetBrush()->SetColor(selected && FEnabled ? clHighlight : clMenu);
    canvas->FillRect(rect);
    if (IsLine()) {
        canvas->GetPen()->SetColor(clBtnShadow);
        const int y = rect.Top + rect.Height() / 2;
        canvas->MoveTo(rect.Left + 2, y);
        canvas->LineTo(rect.Right - 2, y);
        return;
    }
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->GetFont()->SetColor(!FEnabled ? clGrayText : selected ? clHighlightText : clMenuText);
    if (FDefault) canvas->GetFont()->SetStyle(canvas->GetFont()->GetStyle() | fsBold);
    if (FChecked) {
        RECT check{rect.Left + 2, rect.Top + 2, rect.Left + 18, rect.Bottom - 2};
        DrawFrameControl(canvas->GetHandle(), &check, DFC_MENU, DFCS_MENUCHECK);
    }
    TRect text(rect.Left + 20, rect.Top, rect.Right - 4, rect.Bottom);
    canvas->DrawText(FCaption, text, DT_SINGLELINE | DT_VCENTER);
    if (FShortCut != scNone) canvas->DrawText(ShortCutToText(FShortCut), text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

// ---- TMenu --------------------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(std::make_unique<TMenuItem>(nullptr)) {
    FItems->FMenu = this;
}

TMenu::~TMenu() {
    BeginDestroy();
    FItems->FMenu = nullptr;   // no rebuilds while the items go
    FItems->Clear();
    if (FHandle && IsMenu(FHandle)) DestroyMenu(FHandle);
    FHandle = nullptr;
}

HMENU TMenu::GetHandle() {
    if (!FHandle) {
        FHandle = CreateMenuHandle();
        if (!FHandle) ThrowLastError("CreateMenu");
        Rebuild();
    }
    return FHandle;
}

void TMenu::ItemChanged() {
    if (FHandle && !FRebuilding) Rebuild();
    if (TMenu* host = HostMenu()) host->ItemChanged();
}

void TMenu::Rebuild() {
    FRebuilding = true;
    // Only our own items go, known by the command they carry as item data. An MDI client puts a
    // maximised child's system menu in front of a frame's items and its minimise, restore and
    // close buttons after them, and takes them out itself; the system menu is the child's, and
    // its item may carry the child's window as data, which is no command of ours.
    // (Deleting an item that opens a sub-menu destroys the sub-menu too.)
    for (int position = GetMenuItemCount(FHandle) - 1; position >= 0; --position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        if (GetMenuItemInfoA(FHandle, static_cast<UINT>(position), TRUE, &info) && info.dwItemData != 0 &&
            info.dwItemData <= kLastCommand && TMenuItem::FindByCommand(static_cast<UINT>(info.dwItemData)))
            DeleteMenu(FHandle, static_cast<UINT>(position), MF_BYPOSITION);
    }
    UINT front = 0;   // ours go after the items in front that open a sub-menu
    while (static_cast<int>(front) < GetMenuItemCount(FHandle) && GetSubMenu(FHandle, static_cast<int>(front))) ++front;
    try {
        InsertItems(FHandle, front, TopLevelItems(), IsMainMenu());
    } catch (...) {
        FRebuilding = false;
        throw;
    }
    FRebuilding = false;
    MenuChanged();
}

std::vector<const TMenuItem*> TMenu::TopLevelItems() const {
    return std::vector<const TMenuItem*>(FItems->FItems.begin(), FItems->FItems.end());
}

void TMenu::InsertItems(HMENU menu, UINT position, const std::vector<const TMenuItem*>& items, bool bar) {
    std::vector<const TMenuItem*> shown;
    for (const TMenuItem* item : items)
        if (item->FVisible) shown.push_back(item);
    const std::vector<AnsiString> texts = ShownTexts(shown, FAutoHotkeys == maAutomatic);
    const bool rightToLeft = FBiDiMode != bdLeftToRight;
    for (size_t n = 0; n < shown.size(); ++n) {
        const TMenuItem* item = shown[n];
        AnsiString text = texts[n];
        // A bar item shows no shortcut.
        if (item->FShortCut != scNone && !bar)
            text += "\t" + ShortCutToText(item->FShortCut);
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
        info.fType = (item->IsLine() ? MFT_SEPARATOR : 0) | (FOwnerDraw ? MFT_OWNERDRAW : 0) |
                     (rightToLeft ? MFT_RIGHTORDER : 0);
        if (!item->IsLine() && !FOwnerDraw) {
            info.fMask |= MIIM_STRING;
            info.dwTypeData = const_cast<char*>(text.c_str());
        }
        info.fState = (item->FEnabled ? 0 : MFS_DISABLED) | (item->FChecked ? MFS_CHECKED : 0) |
                      (item->FDefault ? MFS_DEFAULT : 0);
        info.wID = item->FCommand;
        info.dwItemData = item->FCommand;
        HMENU sub = nullptr;
        if (!item->FItems.empty()) {
            sub = CreatePopupMenu();
            if (!sub) ThrowLastError("CreatePopupMenu");
            try {
                InsertItems(sub, 0, std::vector<const TMenuItem*>(item->FItems.begin(), item->FItems.end()), false);
            } catch (...) {
                DestroyMenu(sub);
                throw;
            }
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = sub;
        }
        if (!InsertMenuItemA(menu, position++, TRUE, &info)) {
            if (sub) DestroyMenu(sub);
            ThrowLastError("InsertMenuItem");
        }
    }
}

void TMenu::SetOwnerDraw(bool value) {
    if (FOwnerDraw == value) return;
    FOwnerDraw = value;
    ItemChanged();
}

void TMenu::SetImages(TImageList* value) {
    if (FImages == value) return;
    ReplaceReference(FImages, value);
    ItemChanged();
}

void TMenu::SetBiDiMode(TBiDiMode value) {
    if (FBiDiMode == value) return;
    FBiDiMode = value;
    ItemChanged();
}

void TMenu::SetAutoHotkeys(TMenuAutoFlag value) {
    if (FAutoHotkeys == value) return;
    FAutoHotkeys = value;
    ItemChanged();
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FImages) FImages = nullptr;
}

TMenuItem* TMenu::FindItem(UINT command) const {
    TMenuItem* item = TMenuItem::FindByCommand(command);
    if (!item) return nullptr;
    TMenu* menu = item->GetParentMenu();
    const bool ours = menu == this || (menu && menu == ShownMenu());
    return ours && item != menu->FItems.get() ? item : nullptr;
}

bool TMenu::IsShortCut(const TMessage& message) {
    if (message.Msg != WM_KEYDOWN && message.Msg != WM_SYSKEYDOWN) return false;
    const TShortCut wanted = ShortCutOfMessage(message);
    std::function<TMenuItem*(TMenuItem*)> find = [&](TMenuItem* parent) -> TMenuItem* {
        for (TMenuItem* item : parent->FItems) {
            if (!item->FEnabled || !item->FVisible) continue;
            if (item->FShortCut == wanted && item->FItems.empty()) return item;
            if (TMenuItem* inner = find(item)) return inner;
        }
        return nullptr;
    };
    TMenuItem* item = find(FItems.get());
    if (!item) return false;
    item->Click();
    return true;
}

int TMenu::HotkeyPosition(HMENU menu, char key) const {
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    const int count = GetMenuItemCount(menu);
    const TMenuItem* parent = nullptr;
    std::vector<const TMenuItem*> shown;
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return -1;
        const TMenuItem* item = FindItem(static_cast<UINT>(info.dwItemData));
        if (!item || (parent && item->FParent != parent)) return -1;   // not a sub-menu of ours
        parent = item->FParent;
        shown.push_back(item);
    }
    const std::vector<AnsiString> texts = ShownTexts(shown, FAutoHotkeys == maAutomatic);
    for (size_t n = 0; n < shown.size(); ++n)
        if (shown[n]->FEnabled && !shown[n]->IsLine() && HotkeyOf(texts[n]) == wanted) return static_cast<int>(n);
    return -1;
}

bool TMenu::DispatchMenuMessage(TMessage& message) {
    if (!MenuItemMessage(message)) return false;
    switch (message.Msg) {
    case WM_COMMAND: {
        TMenuItem* item = FindItem(LOWORD(message.WParam));
        if (!item) return false;
        message.Result = 0;
        if (item->FEnabled) item->Click();
        return true;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
        TMenuItem* item = FindItem(static_cast<UINT>(mis->itemData));
        if (!item) return false;
        TWindowDC dc(nullptr);
        TBorrowedCanvas canvas(dc.Get());
        UseMenuFont(canvas);
        int width = static_cast<int>(mis->itemWidth), height = static_cast<int>(mis->itemHeight);
        item->MeasureItem(&canvas, width, height);
        mis->itemWidth = static_cast<UINT>(std::max(width, 0));
        mis->itemHeight = static_cast<UINT>(std::max(height, 0));
        message.Result = TRUE;
        return true;
    }
    case WM_MENUCHAR: {
        // Owner-drawn items have no text for the system to find hot keys in.
        const int position = HotkeyPosition(reinterpret_cast<HMENU>(message.LParam),
                                            static_cast<char>(LOWORD(message.WParam) & 0xFF));
        if (position < 0) return false;
        message.Result = MAKELRESULT(position, MNC_EXECUTE);
        return true;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
        TMenuItem* item = FindItem(static_cast<UINT>(dis->itemData));
        if (!item) return false;
        const int saved = SaveDC(dis->hDC);
        {
            TBorrowedCanvas canvas(dis->hDC);
            UseMenuFont(canvas);
            item->DrawItem(&canvas, FromRECT(dis->rcItem), (dis->itemState & ODS_SELECTED) != 0);
        }
        RestoreDC(dis->hDC, saved);
        message.Result = TRUE;
        return true;
    }
    }
    return false;
}

// ---- TMainMenu ----------------------------------------------------------------------------

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
    BeginDestroy();
    if (FMergedInto) FMergedInto->Merge(nullptr);
    if (FMerged) {
        FMerged->FMergedInto = nullptr;
        FMerged->RemoveFreeNotification(this);
        FMerged = nullptr;
    }
    Detach();
}

HMENU TMainMenu::CreateMenuHandle() { return CreateMenu(); }

std::vector<const TMenuItem*> TMainMenu::TopLevelItems() const {
    std::vector<const TMenuItem*> items = TMenu::TopLevelItems();
    if (!FMerged) return items;
    std::vector<const TMenuItem*> child = FMerged->TMenu::TopLevelItems();
    // The child's groups replace the frame's.
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&](const TMenuItem* own) {
                                   return std::any_of(child.begin(), child.end(), [own](const TMenuItem* c) {
                                       return c->GetGroupIndex() == own->GetGroupIndex();
                                   });
                               }),
                items.end());
    // Each child item goes after the items of groups up to its own.
    for (const TMenuItem* item : child) {
        auto at = std::find_if(items.begin(), items.end(),
                               [item](const TMenuItem* i) { return i->GetGroupIndex() > item->GetGroupIndex(); });
        items.insert(at, item);
    }
    return items;
}

void TMainMenu::Merge(TMainMenu* childMenu) {
    if (childMenu == this) childMenu = nullptr;
    if (childMenu == FMerged) return;
    if (FMerged) {
        FMerged->FMergedInto = nullptr;
        FMerged->RemoveFreeNotification(this);
    }
    if (childMenu && childMenu->FMergedInto) childMenu->FMergedInto->Merge(nullptr);
    FMerged = childMenu;
    if (FMerged) {
        FMerged->FMergedInto = this;
        FMerged->FreeNotification(this);
    }
    ItemsChanged();
}

void TMainMenu::MenuChanged() {
    if (!FForm || !FForm->HandleAllocated()) return;
    // The window menu's sub-menu was made anew: the MDI client lists the children in the new one.
    if (FForm->GetFormStyle() == fsMDIForm) FForm->WindowMenuChanged();
    DrawMenuBar(FForm->GetHandle());
}

void TMainMenu::Notification(TComponent* component, TOperation operation) {
    TMenu::Notification(component, operation);
    if (operation == opRemove && component == FMerged) {
        FMerged = nullptr;
        if (!IsDestroying()) ItemsChanged();
    }
    if (operation == opRemove && component == FMergedInto) FMergedInto = nullptr;
    if (operation == opRemove && component == FForm) {
        // The window still holds the menu: it must not destroy it with itself.
        if (FForm->HandleAllocated() && GetMenu(FForm->GetHandle()) == GetHandle()) SetMenu(FForm->GetHandle(), nullptr);
        FHook.reset();
        FormMenus().erase(FForm);
        FForm = nullptr;
    }
}

void TMainMenu::Attach(TCustomForm* form) {
    Detach();
    // An MDI child's window has no menu bar (and need not exist yet): its frame shows the menu.
    HWND window = form->GetFormStyle() == fsMDIChild ? nullptr : form->GetHandle();
    FForm = form;
    FForm->FreeNotification(this);
    FormMenus()[form] = this;
    FHook = std::make_unique<TWindowProcHook>(form, [this](TMessage& m) {
        if (!DispatchMenuMessage(m)) FHook->Previous(m);
    });
    if (!window) return;
    if (!SetMenu(window, GetHandle())) ThrowLastError("SetMenu");
    if (form->GetFormStyle() == fsMDIForm) form->WindowMenuChanged();
}

void TMainMenu::Detach() {
    if (!FForm) return;
    TCustomForm* form = FForm;
    FHook.reset();
    FForm = nullptr;
    FormMenus().erase(form);
    form->RemoveFreeNotification(this);
    if (form->HandleAllocated() && GetMenu(form->GetHandle()) == GetHandle()) SetMenu(form->GetHandle(), nullptr);
}

void SetFormMenu(TCustomForm* form, TMainMenu* menu) {
    if (!form) return;
    if (TMainMenu* old = GetFormMenu(form)) {
        if (old == menu) return;
        old->Detach();
    }
    if (menu)
        menu->Attach(form);
    else if (form->HandleAllocated())
        SetMenu(form->GetHandle(), nullptr);
    // The frame's menu bar shows its active child's menu.
    if (form->GetFormStyle() == fsMDIForm) MergeActiveChildMenu(form);
    if (TCustomForm* frame = MDIFrameOf(form); frame && frame->GetActiveMDIChild() == form) MergeChildMenu(frame, form);
}

TMainMenu* GetFormMenu(TCustomForm* form) {
    auto it = FormMenus().find(form);
    return it == FormMenus().end() ? nullptr : it->second;
}

TCustomForm* MDIFrameOf(TCustomForm* child) {
    if (!child || child->GetFormStyle() != fsMDIChild || !child->HandleAllocated()) return nullptr;
    HWND client = ::GetParent(child->GetHandle());
    auto* frame = dynamic_cast<TCustomForm*>(FindControl(client ? ::GetParent(client) : nullptr));
    return frame && frame->GetClientHandle() == client ? frame : nullptr;
}

void MergeChildMenu(TCustomForm* frame, TCustomForm* child) {
    TMainMenu* menu = frame ? GetFormMenu(frame) : nullptr;
    if (menu && !menu->IsDestroying()) menu->Merge(child ? GetFormMenu(child) : nullptr);
}

void MergeActiveChildMenu(TCustomForm* frame) {
    if (frame && !frame->IsDestroying()) MergeChildMenu(frame, frame->GetActiveMDIChild());
}

// ---- TPopupMenu ---------------------------------------------------------------------------

namespace {
const char kPopupWindowClass[] = "TPagewrapPopupList";
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(gui_internal::Instance(), kPopupWindowClass, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = gui_internal::Instance();
        wc.lpszClassName = kPopupWindowClass;
        if (!RegisterClassExA(&wc)) ThrowLastError("RegisterClassEx (popup menu window)");
    }
    // A hidden top-level window: TrackPopupMenu wants an owner that can be foreground.
    FWindow = CreateWindowExA(WS_EX_TOOLWINDOW, kPopupWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              gui_internal::Instance(), nullptr);
    if (!FWindow) ThrowLastError("CreateWindowEx (popup menu window)");
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TPopupMenu::~TPopupMenu() {
    BeginDestroy();
    // Messages still queued for the window go with it.
    SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
    DestroyWindow(FWindow);
}

HMENU TPopupMenu::CreateMenuHandle() { return CreatePopupMenu(); }

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    HMENU menu = GetHandle();
    const UINT align = GetBiDiMode() == bdLeftToRight ? TPM_LEFTALIGN : TPM_RIGHTALIGN;
    SetForegroundWindow(FWindow);
    TrackPopupMenu(menu, align | TPM_RIGHTBUTTON, x, y, 0, FWindow, nullptr);
    // The menu loop can end without a message for the window: let it see one.
    PostMessageA(FWindow, WM_NULL, 0, 0);
}

LRESULT CALLBACK TPopupMenu::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TPopupMenu*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    try {
        if (self && self->DispatchMenuMessage(m)) return m.Result;
    } catch (...) {
        Application->HandleException(self);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
