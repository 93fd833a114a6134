#include "skin/skin_menu_bar_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cctype>

#include "skin/skin_engine_win.h"
#include "skin/skin_keys.h"
#include "skin/skin_utils_win.h"

namespace {

// Posted to the bar: the keyboard opens the button at wParam once the key's message is done.
UINT DropDownMessage() {
    static const UINT message = RegisterWindowMessageA("TlumSkinMenuBarDropDown");
    return message;
}

char HotkeyOf(const AnsiString& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        ++i;   // "&&" is a plain ampersand
    }
    return 0;
}

// The sub-menu the menu's handle holds for the item (items carry their command as data).
HMENU SubMenuOf(TMenu* menu, const TMenuItem* item) {
    HMENU handle = menu->GetHandle();
    const int count = GetMenuItemCount(handle);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA | MIIM_SUBMENU;
        if (GetMenuItemInfoA(handle, static_cast<UINT>(position), TRUE, &info) &&
            info.dwItemData == item->GetCommand())
            return info.hSubMenu;
    }
    return nullptr;
}

}  // namespace

TlumSkinMenuBar::TlumSkinMenuBar(TlumSkinEngine* engine) : TToolBar(nullptr), FEngine(engine) {
    SetFlat(true);
    SetEdgeBorders(0);
    SetShowCaptions(true);
    SetParentColor(false);
    SetWrapable(true);
    SetAutoSize(true);
    SetVisible(false);
    OnCustomDraw = [this](TToolBar*, const TRect& rect, bool& defaultDraw) { DrawBar(rect, defaultDraw); };
    OnCustomDrawButton = [this](TToolBar*, TToolButton* button, TCustomDrawState state, bool& defaultDraw) {
        DrawButton(button, state, defaultDraw);
    };
}

TlumSkinMenuBar::~TlumSkinMenuBar() {
    *FAlive = false;
    BeginDestroy();
    FreeButtons();
}

void TlumSkinMenuBar::FreeButtons() {
    std::vector<TToolButton*> buttons;
    buttons.swap(FItemButtons);
    for (TToolButton* button : buttons) {
        if (TMenuItem* item = button->GetMenuItem()) item->RemoveFreeNotification(this);
        delete button;
    }
}

void TlumSkinMenuBar::SetItems(const std::vector<TMenuItem*>& items) {
    FreeButtons();
    for (TMenuItem* item : items) {
        auto* button = new TToolButton(nullptr);
        button->SetMenuItem(item);
        button->SetCaption(item->GetCaption());
        button->SetEnabled(item->GetEnabled());
        button->SetVisible(item->GetVisible());
        button->SetGrouped(true);
        button->SetAutoSize(true);   // as wide as its caption
        button->OnClick = [this, button](TObject*) { DropDown(button); };
        item->FreeNotification(this);
        FItemButtons.push_back(button);
        button->SetParent(this);
    }
}

void TlumSkinMenuBar::Notification(TComponent* component, TOperation operation) {
    TToolBar::Notification(component, operation);
    if (operation != opRemove) return;
    for (TToolButton* button : FItemButtons)
        if (button->GetMenuItem() == component) {
            button->SetMenuItem(nullptr);
            button->SetVisible(false);
        }
}

TToolButton* TlumSkinMenuBar::HotButton() const {
    for (TToolButton* button : FItemButtons)
        if (button->GetTag() == kHotTag) return button;
    return nullptr;
}

void TlumSkinMenuBar::DropDown(TToolButton* button) {
    TMenuItem* item = button ? button->GetMenuItem() : nullptr;
    TMenu* menu = item ? item->GetParentMenu() : nullptr;
    if (!menu || !item->GetEnabled() || !HandleAllocated()) return;
    if (item->Count() == 0) {
        item->Click();
        return;
    }
    HMENU sub = SubMenuOf(menu, item);
    HWND owner = GetParent() ? GetParent()->GetHandleIfAllocated() : nullptr;
    if (!sub || !owner) return;
    const int index = button->GetIndex();
    TBBUTTON info{};
    SendMessageA(FHandle, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
    RECT r{};
    SendMessageA(FHandle, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&r), 2);
    // Shown pressed (selected) while its menu is open; the tool bar's own press lets go first.
    if (GetCapture() == FHandle) ReleaseCapture();
    SendMessageA(FHandle, TB_PRESSBUTTON, static_cast<WPARAM>(info.idCommand), TRUE);
    TPMPARAMS exclude{};
    exclude.cbSize = sizeof exclude;
    exclude.rcExclude = r;
    std::shared_ptr<bool> alive = FAlive;
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
        sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_RETURNCMD | TPM_LEFTBUTTON, r.left, r.bottom, owner, &exclude));
    if (*alive && HandleAllocated()) SendMessageA(FHandle, TB_PRESSBUTTON, static_cast<WPARAM>(info.idCommand), FALSE);
    // Found by number: the item (or the bar) may have gone while the menu was open.
    if (TMenuItem* picked = chosen ? TMenuItem::FindByCommand(chosen) : nullptr)
        if (picked->GetEnabled() && picked->GetParentMenu()) picked->Click();
}

bool TlumSkinMenuBar::DialogChar(char key, bool alt) {
    if (!alt && !HotButton()) return false;
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    if (!wanted || !HandleAllocated()) return false;
    for (TToolButton* button : FItemButtons) {
        TMenuItem* item = button->GetMenuItem();
        if (!item || !button->GetVisible() || !button->GetEnabled() || HotkeyOf(item->GetCaption()) != wanted) continue;
        // The bar's keyboard click: the button drawn hot and pressed at its top-left point. An
        // item without sub-items is only marked here and waits for Enter with the keys.
        if (item->Count() == 0)
            TakeKeyboard(button);
        else
            SendMessageA(FHandle, TB_SETHOTITEM, static_cast<WPARAM>(button->GetIndex()), 0);
        const TRect r = button->GetBoundsRect();
        PostMessageA(FHandle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Left, r.Top));
        return true;
    }
    return false;
}

TToolButton* TlumSkinMenuBar::ButtonAtCorner(int x, int y) const {
    for (TToolButton* button : FItemButtons) {
        const TRect r = button->GetBoundsRect();
        if (button->GetVisible() && r.Left == x && r.Top == y) return button;
    }
    return nullptr;
}

// The bar takes the keys while an item it marked from the keyboard waits for Enter.
void TlumSkinMenuBar::TakeKeyboard(TToolButton* marked) {
    HWND focus = GetFocus();
    if (focus != FHandle) {
        FFocusBefore = focus;
        ::SetFocus(FHandle);
    }
    // Taking the focus makes the tool bar pick a hot button of its own. Drawn now, so that the
    // marked button carries its Tag before any key comes.
    SendMessageA(FHandle, TB_SETHOTITEM, static_cast<WPARAM>(marked->GetIndex()), 0);
    RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TlumSkinMenuBar::GiveKeyboardBack() {
    if (HandleAllocated()) SendMessageA(FHandle, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    HWND before = FFocusBefore;
    FFocusBefore = nullptr;
    if (GetFocus() == FHandle && before && IsWindow(before)) ::SetFocus(before);
}

void TlumSkinMenuBar::WndProc(TMessage& m) {
    if (m.Msg == DropDownMessage()) {
        const int index = static_cast<int>(m.WParam);
        if (index >= 0 && index < ButtonCount()) DropDown(Buttons(index));
        return;
    }
    switch (m.Msg) {
    case CM_DIALOGCHAR:
        if (DialogChar(static_cast<char>(m.WParam), (m.LParam & (1 << 29)) != 0)) {
            m.Result = 1;
            return;
        }
        break;
    case WM_LBUTTONDOWN: {
        // A press exactly at a button's top-left point is the bar's keyboard click: dropped for an
        // item without sub-items (the key marked it), another opens its menu once the press is done.
        TToolButton* button = ButtonAtCorner(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        TMenuItem* item = button ? button->GetMenuItem() : nullptr;
        if (!item) break;
        if (item->Count() == 0) return;
        PostMessageA(FHandle, DropDownMessage(), static_cast<WPARAM>(button->GetIndex()), 0);
        break;
    }
    case WM_KEYDOWN: {
        // Enter is the key-up's: the tool bar must not click the marked item on the way down.
        TToolButton* hot = HotButton();
        if (m.WParam == VK_RETURN && hot && hot->GetMenuItem() && hot->GetMenuItem()->Count() == 0) return;
        if (m.WParam == VK_ESCAPE) GiveKeyboardBack();
        break;
    }
    case WM_KEYUP:
        if (m.WParam == VK_RETURN) {
            std::shared_ptr<bool> alive = FAlive;
            std::vector<TMenuItem*> clicked;
            for (TToolButton* button : FItemButtons) {
                TMenuItem* item = button->GetMenuItem();
                if (button->GetTag() == kHotTag && item && item->Count() == 0) clicked.push_back(item);
            }
            if (!clicked.empty()) GiveKeyboardBack();
            for (TMenuItem* item : clicked) {
                EndMenu();
                item->Click();
                if (!*alive) return;
            }
        }
        break;
    case WM_KILLFOCUS:
        FFocusBefore = nullptr;
        break;
    default:
        break;
    }
    TToolBar::WndProc(m);
}

// The skin's menu-bar picture stretched, else its colours top to bottom (one colour: the bar's
// own, which it erases with).
void TlumSkinMenuBar::DrawBar(const TRect& rect, bool&) {
    TCanvas* canvas = GetCanvas();
    TBitmap* picture = FEngine->GetSkinBitmap(SKIN2_MENUBAR);
    if (picture && !picture->Empty()) {
        SetStretchBltMode(canvas->GetHandle(), COLORONCOLOR);
        StretchBlt(canvas->GetHandle(), rect.Left, rect.Top, rect.Width(), rect.Height(), picture->GetCanvas()->GetHandle(),
                   0, 0, picture->GetWidth(), picture->GetHeight(), SRCCOPY);
        return;
    }
    const TColor start = FEngine->GetSkinColor(SKIN2_MENUBARSTARTCOLOR);
    const TColor end = FEngine->GetSkinColor(SKIN2_MENUBARENDCOLOR);
    if (start != end) GradientFillV(canvas, rect, start, end);
}

void TlumSkinMenuBar::DrawButton(TToolButton* button, TCustomDrawState state, bool& defaultDraw) {
    defaultDraw = false;
    TCanvas* canvas = GetCanvas();
    SetMenuFont(canvas->GetFont());
    const TRect bounds = button->GetBoundsRect();
    if (state & (cdsHot | cdsSelected)) {
        button->SetTag(kHotTag);
        canvas->GetBrush()->SetColor(FEngine->GetSkinColor(SKIN2_TOPSELECTEDMENUCOLOR));
        canvas->FillRect(bounds);
        canvas->GetBrush()->SetColor(FEngine->GetSkinColor(SKIN2_TOPSELECTEDMENUBORDERCOLOR));
        canvas->FrameRect(bounds);
        canvas->GetFont()->SetColor(FEngine->GetSkinColor(SKIN2_TOPSELECTEDMENUFONTCOLOR));
    } else {
        button->SetTag(0);
        canvas->GetFont()->SetColor(button->GetEnabled() ? FEngine->GetSkinColor(SKIN2_TOPMENUFONTCOLOR) : clGray);
    }
    TRect text = bounds;
    text.Top += 2;
    if (GetImages()) text.Left += GetImages()->GetWidth();
    RECT r = ToRECT(text);
    HDC dc = canvas->GetHandle();
    SetBkMode(dc, TRANSPARENT);
    const AnsiString caption = button->GetCaption();
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}
