// The MDI side of a form's skin: the frame's client (cascade, tile, children made and
// destroyed), the merged menu bar, the window list, the control buttons of a maximised child,
// and the messages frame and children exchange.
#include "skin/skin_mdi_win.h"

#include <algorithm>
#include <cmath>

#include "classlib/gui/application.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_keys.h"
#include "skin/skin_messages.h"
#include "skin/skin_utils_win.h"
#include "skin/skin_window_vcl_win.h"

namespace {

const UINT_PTR kClientSubclassId = 0x4D44;   // ours among the MDI client's subclasses
const int kControlButtonSize = 18;
const int kControlButtonTop = 1;
const int kCascadeStep = 22;

TCustomForm* MainForm() { return Application ? Application->GetMainForm() : nullptr; }

// The frame's children in the client's z-order, top first.
std::vector<TCustomForm*> ClientChildren(HWND client) {
    std::vector<TCustomForm*> children;
    for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* form = dynamic_cast<TCustomForm*>(FindControl(w)))
            if (form->GetFormStyle() == fsMDIChild && !form->IsDestroying()) children.push_back(form);
    return children;
}

// Child windows of the client that are MDI children, a dying one included: the form list
// drops a form when its destruction begins, before its window goes through the client.
int ClientChildWindowCount(HWND client) {
    int count = 0;
    for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* form = dynamic_cast<TCustomForm*>(FindControl(w)))
            if (form->GetFormStyle() == fsMDIChild) ++count;
    return count;
}

TCustomForm* ActiveChild(HWND client) {
    auto active = reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(FindControl(active));
}

// The menu of the child the client has active: the one a message from that child brings (one
// of its own components), else the one its skin saved. A message from any other child, which
// may have been posted before another child was activated, has no say.
TMainMenu* ActiveChildMenu(TlumSkinEngine* engine, HWND client, const TMessage& m) {
    TCustomForm* active = client ? ActiveChild(client) : nullptr;
    if (!active || active->IsDestroying()) return nullptr;
    if (reinterpret_cast<TCustomForm*>(m.WParam) == active) {
        for (int k = 0; k < active->ComponentCount(); ++k)
            if (m.LParam && active->GetComponent(k) == reinterpret_cast<TComponent*>(m.LParam))
                return dynamic_cast<TMainMenu*>(active->GetComponent(k));
        return nullptr;
    }
    auto* skin = dynamic_cast<TlumSkinWindowVCL*>(engine->FindSkinWindow(active->GetHandle()));
    return skin ? skin->GetSavedMenu() : nullptr;
}

}  // namespace

// ---- TlumSkinMenuBarControlButton -----------------------------------------------------------

TlumSkinMenuBarControlButton::TlumSkinMenuBarControlButton(TComponent* owner) : TCustomPanel(owner) {
    SetBevelOuter(bvNone);
    SetBounds(0, 0, kControlButtonSize, kControlButtonSize);
    SetColor(clBtnFace);
    SetParentColor(false);
}

void TlumSkinMenuBarControlButton::SetToColor(TColor value) {
    if (value == FToColor) return;
    FToColor = value;
    Invalidate();
}

void TlumSkinMenuBarControlButton::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;   // Paint covers everything
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        FHot = m.Msg == CM_MOUSEENTER;
        Invalidate();
        break;
    default:
        break;
    }
    TCustomPanel::WndProc(m);
}

void TlumSkinMenuBarControlButton::Paint() {
    TBitmap buffer(GetWidth(), GetHeight());
    TCanvas* canvas = buffer.GetCanvas();
    const TRect all(0, 0, GetWidth(), GetHeight());
    if (GetColor() == FToColor)
        FillRectColor(canvas, all, GetColor());
    else
        GradientFillV(canvas, all, GetColor(), FToColor);
    if (!FGlyph.Empty()) {
        if (FHot) {
            canvas->GetBrush()->SetColor(clBlack);
            canvas->FrameRect(all);
        }
        canvas->Draw(1, 1, &FGlyph);
    }
    GetCanvas()->Draw(0, 0, &buffer);
}

void TlumSkinMenuBarControlButton::Click() {
    TCustomPanel::Click();
    TCustomForm* frame = MainForm();
    HWND client = frame ? frame->GetClientHandle() : nullptr;
    TCustomForm* child = client ? ActiveChild(client) : nullptr;
    if (!child) return;
    switch (GetTag()) {
    case kMinimizeTag: ShowWindow(child->GetHandle(), SW_SHOWMINIMIZED); break;
    case kRestoreTag: child->SetWindowState(wsNormal); break;
    case kCloseTag: child->Close(); break;
    default: return;
    }
    Application->ProcessMessages();
}

// ---- the skin window's MDI part ---------------------------------------------------------------

bool TlumSkinWindowVCL::IsMDIForm() { return FForm && FForm->GetFormStyle() == fsMDIForm; }
bool TlumSkinWindowVCL::IsMDIChild() { return FForm && FForm->GetFormStyle() == fsMDIChild; }

TlumSkinMenuBarControlButton* TlumSkinWindowVCL::GetControlButton(int index) const {
    return index >= 0 && index < 3 ? FControlButtons[index].get() : nullptr;
}

HWND TlumSkinWindowVCL::MainFormHandle() const {
    TCustomForm* main = MainForm();
    return main ? main->GetHandleIfAllocated() : nullptr;
}

void TlumSkinWindowVCL::AttachMDI() {
    FChildMenu = FBuiltChildMenu = nullptr;
    FMDIMaximised = FMDIHidden = false;
    FControlColor = FEngine->GetSkinColor(SKIN2_MENUBARSTARTCOLOR);
    FControlEndColor = FEngine->GetSkinColor(SKIN2_MENUBARENDCOLOR);
    if (IsMDIForm()) {
        TBitmap cells;
        cells.LoadFromResourceName(GetModuleHandleA(nullptr), "LUMSKIN_MDI_CONTROLER");
        static const intptr_t tags[3] = {TlumSkinMenuBarControlButton::kCloseTag,
                                         TlumSkinMenuBarControlButton::kRestoreTag,
                                         TlumSkinMenuBarControlButton::kMinimizeTag};
        for (int i = 0; i < 3; ++i) {
            auto button = std::make_unique<TlumSkinMenuBarControlButton>(nullptr);
            button->SetTag(tags[i]);
            if (!cells.Empty()) {
                ExtractSlice(&cells, button->GetGlyph(), 3, 3 - i);   // close 3, restore 2, minimise 1
                button->GetGlyph()->SetTransparent(true);
            }
            button->SetVisible(false);
            button->SetBounds(FForm->GetWidth() - 25 - kControlButtonSize * i, kControlButtonTop, kControlButtonSize,
                              kControlButtonSize);
            button->SetParent(FForm);
            FControlButtons[i] = std::move(button);
        }
        FMDIClient = FForm->GetClientHandle();
        if (FMDIClient) SetWindowSubclass(FMDIClient, MDIClientProc, kClientSubclassId, reinterpret_cast<DWORD_PTR>(this));
    } else if (IsMDIChild()) {
        if (HWND main = MainFormHandle()) SendMessageA(main, WM_SKIN_MDILISTCHANGED, 0, 0);
    }
}

void TlumSkinWindowVCL::DetachMDI() {
    if (FMDIClient) {
        if (IsWindow(FMDIClient)) RemoveWindowSubclass(FMDIClient, MDIClientProc, kClientSubclassId);
        FMDIClient = nullptr;
    }
    FreeWindowList();
    for (auto& button : FControlButtons) button.reset();
    if (FChildMenu && FMenuWatch) FChildMenu->RemoveFreeNotification(MenuWatch());
    FChildMenu = FBuiltChildMenu = nullptr;
}

void TlumSkinWindowVCL::SaveMDIState(HWND h) {
    if (IsMDIChild()) {
        HWND client = ::GetParent(h);
        FNativeCaptionHeight = client ? static_cast<int32_t>(SendMessageA(client, WM_SKIN_CAPTIONHEIGHT, 0, 0)) : 0;
        // Several children skinned at once: the last of them re-activates all instead, so the
        // frame gets the active child's menu only.
        TCustomForm* main = MainForm();
        const bool manyAtOnce = FEngine->GetSkinningAll() && main && main->MDIChildCount() > 1;
        if (HWND mainHandle = MainFormHandle(); mainHandle && !manyAtOnce)
            PostMessageA(mainHandle, WM_SKIN_MDICHILDMENU, reinterpret_cast<WPARAM>(FForm),
                         reinterpret_cast<LPARAM>(FSavedMenu));
        return;
    }
    // A frame: its native caption (menu bar excluded) and the native frame around the client.
    RECT box{}, client{};
    GetWindowRect(h, &box);
    ::GetClientRect(h, &client);
    POINT origin{0, 0}, bottom{0, client.bottom};
    ClientToScreen(h, &origin);
    ClientToScreen(h, &bottom);
    int menu = 0;
    if (FSavedMenu) {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        GetVersionExA(&version);
#pragma GCC diagnostic pop
        menu = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 6 &&
                       version.dwMinorVersion == 0
                   ? 22
                   : 19;
    }
    FNativeCaptionHeight = origin.y - box.top - menu;
    FNativeBottomHeight = box.bottom - bottom.y;
    FNativeSideWidth = origin.x - box.left;
}

void TlumSkinWindowVCL::CollectBarItems(std::vector<TMenuItem*>& items, bool& images) {
    auto take = [&](TMenuItem* item) {
        items.push_back(item);
        images = images || item->GetImageIndex() != -1;
    };
    std::vector<TMenuItem*> childItems;
    std::vector<uint8_t> childGroups;
    const bool merging = IsMDIForm() && FChildMenu;
    if (merging) {
        TMenuItem* root = FChildMenu->GetItems();
        for (int i = 0; i < root->Count(); ++i) {
            childItems.push_back(root->Items(i));
            childGroups.push_back(root->Items(i)->GetGroupIndex());
        }
    }
    if (FSavedMenu) {
        TMenuItem* root = FSavedMenu->GetItems();
        for (int i = 0; i < root->Count(); ++i) {
            TMenuItem* item = root->Items(i);
            // A group the child uses is the child's.
            if (merging && std::find(childGroups.begin(), childGroups.end(), item->GetGroupIndex()) != childGroups.end())
                continue;
            take(item);
        }
    }
    if (childItems.empty()) return;
    // After the last frame item whose group is below the child's first.
    size_t at = 0;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i]->GetGroupIndex() < childItems.front()->GetGroupIndex()) at = i + 1;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), childItems.begin(), childItems.end());
    for (TMenuItem* item : childItems) images = images || item->GetImageIndex() != -1;
}

void TlumSkinWindowVCL::SetSkinnedMDI() {
    if (TBitmap* bar = FEngine->GetSkinBitmap(SKIN2_MENUBAR); bar && !bar->Empty()) {
        FControlColor = bar->GetCanvas()->GetPixel(0, bar->GetHeight() / 2);
        FControlEndColor = FEngine->GetFormColor();
    } else {
        FControlColor = FEngine->GetSkinColor(SKIN2_MENUBARSTARTCOLOR);
        FControlEndColor = FEngine->GetSkinColor(SKIN2_MENUBARENDCOLOR);
    }
    if (IsMDIForm() && FControlButtons[0]) {
        // Raised from their first row by what the bar's shift of the form's controls lowers them.
        const int raise = std::min(kControlButtonSize, GetMenuBarHeight());
        for (auto& button : FControlButtons) button->SetTop(kControlButtonTop - raise);
        PlaceControlButtons();
    }
    // Unskinning hid them; a child maximised since then sends no new maximise.
    if (TCustomForm* child = IsMDIForm() && FMDIClient ? ActiveChild(FMDIClient) : nullptr)
        if (HWND w = child->GetHandleIfAllocated(); w && IsZoomed(w)) ShowControlButtons(child);
    if (IsMDIChild()) ReactivateChildrenIfLast();
}

// Kept at a fixed distance from the form's right edge (placed again on every size change).
void TlumSkinWindowVCL::PlaceControlButtons() {
    if (!FForm || !FControlButtons[0]) return;
    const int right = FForm->GetWidth() - (FEngine->Metrics().RightBorder + 26);
    for (int i = 0; i < 3; ++i) FControlButtons[i]->SetLeft(right - kControlButtonSize * i);
}

// The children skinned together left the frame's menu to this: the last-created of them has
// every child take its activation again, so the active one hands the frame its menu and each
// paints its caption active or not.
void TlumSkinWindowVCL::ReactivateChildrenIfLast() {
    TCustomForm* main = MainForm();
    if (!main || main->GetFormStyle() != fsMDIForm) return;
    const int count = main->MDIChildCount();
    if (count < 2 || main->MDIChildren(count - 1) != FForm) return;
    TCustomForm* active = main->GetActiveMDIChild();
    HWND activeHandle = active ? active->GetHandleIfAllocated() : nullptr;
    std::vector<HWND> children;
    for (int i = 0; i < count; ++i) children.push_back(main->MDIChildren(i)->GetHandle());
    for (HWND w : children)
        if (IsWindow(w)) SendMessageA(w, WM_MDIACTIVATE, 0, reinterpret_cast<LPARAM>(activeHandle));
}

void TlumSkinWindowVCL::ShowControlButtons(TCustomForm* child) {
    if (!child || !FControlButtons[0]) return;
    const TBorderIcons icons = child->GetBorderIcons();
    const bool shown[3] = {(icons & biSystemMenu) != 0, (icons & biMaximize) != 0, (icons & biMinimize) != 0};
    for (int i = 0; i < 3; ++i) {
        TlumSkinMenuBarControlButton* button = FControlButtons[i].get();
        button->SetColor(FControlColor);
        button->SetToColor(FControlEndColor);
        button->SetVisible(shown[i]);
        if (shown[i]) button->BringToFront();
    }
}

void TlumSkinWindowVCL::HideControlButtons() {
    for (auto& button : FControlButtons)
        if (button) button->SetVisible(false);
}

void TlumSkinWindowVCL::FreeWindowList() {
    std::vector<TMenuItem*> items;
    items.swap(FWindowListItems);
    for (auto it = items.rbegin(); it != items.rend(); ++it) delete *it;
}

void TlumSkinWindowVCL::RebuildWindowList() {
    FreeWindowList();
    TMenuItem* windowMenu = FForm ? FForm->GetWindowMenu() : nullptr;
    if (!IsMDIForm() || !FSavedMenu || !windowMenu || !FMDIClient || !FMenuWatch) return;
    auto add = [&](const AnsiString& caption) {
        auto* item = new TMenuItem(MenuWatch());
        item->SetCaption(caption);
        FWindowListItems.push_back(item);
        windowMenu->Add(item);
        return item;
    };
    add("-");
    TCustomForm* active = ActiveChild(FMDIClient);
    std::vector<TCustomForm*> children = ClientChildren(FMDIClient);
    std::sort(children.begin(), children.end(), [](TCustomForm* a, TCustomForm* b) {
        for (int i = 0; i < Screen->FormCount(); ++i) {
            if (Screen->Forms(i) == a) return true;
            if (Screen->Forms(i) == b) return false;
        }
        return false;
    });
    for (TCustomForm* child : children) {
        HWND w = child->GetHandleIfAllocated();
        if (!w || !IsWindowVisible(w) || SendMessageA(w, WM_SKIN_MDIHIDDEN, 0, 0) == 1) continue;
        TMenuItem* item = add(child->GetCaption());
        item->SetTag(reinterpret_cast<intptr_t>(child));
        item->SetChecked(child == active);
        HWND client = FMDIClient;
        item->OnClick = [w, client](TObject*) {
            auto* form = dynamic_cast<TCustomForm*>(FindControl(w));
            if (!form) return;
            if (IsIconic(w)) form->SetWindowState(wsNormal);
            SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(w), 0);
            form->BringToFront();
        };
    }
}

// ---- the MDI client -------------------------------------------------------------------------

LRESULT CALLBACK TlumSkinWindowVCL::MDIClientProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR ref) {
    auto* self = reinterpret_cast<TlumSkinWindowVCL*>(ref);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(wnd, MDIClientProc, kClientSubclassId);
        if (self->FMDIClient == wnd) self->FMDIClient = nullptr;
        return DefSubclassProc(wnd, msg, wParam, lParam);
    }
    // The count with the dying child still in: the last one takes its menu with it.
    const int before = msg == WM_MDIDESTROY ? ClientChildWindowCount(wnd) : 0;
    LRESULT result = DefSubclassProc(wnd, msg, wParam, lParam);
    try {
        if (self->FEngine->IsSkinActive() && self->FAllowed) {
            if (msg == WM_MDIDESTROY && before != 1) return result;
            self->MDIClientMessage(msg, wParam, lParam, result);
        }
    } catch (...) {
        Application->HandleException(self->FForm);
    }
    return result;
}

void TlumSkinWindowVCL::MDIClientMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_MDICASCADE:
        ArrangeCascade();
        break;
    case WM_MDITILE:
        ArrangeTile((wParam & MDITILE_HORIZONTAL) != 0);
        break;
    case WM_MDIDESTROY:
        if (HWND main = MainFormHandle()) SendMessageA(main, WM_SKIN_MDICHILDMENU, reinterpret_cast<WPARAM>(FForm), 0);
        HideControlButtons();
        break;
    case WM_MDICREATE: {
        // A child is no top-level window that the hook would see: the frame skins it.
        auto child = reinterpret_cast<HWND>(result);
        auto* form = dynamic_cast<TCustomForm*>(FindControl(child));
        const intptr_t disabledTag = FEngine->GetDisabledTag();
        if (form && SendMessageA(child, WM_SKIN_QUERY, 0, 0) == 0 && (disabledTag == 0 || form->GetTag() != disabledTag))
            FEngine->SkinWindow(child, false);
        RebuildWindowList();
        break;
    }
    case WM_SKIN_CAPTIONHEIGHT:
        result = FNativeCaptionHeight;
        break;
    default:
        break;
    }
}

// Children not minimised, bottom first: (0, 0), (22, 22), ... at 0.8 x 0.6 of the client.
void TlumSkinWindowVCL::ArrangeCascade() {
    std::vector<TCustomForm*> children = ClientChildren(FMDIClient);
    const int width = static_cast<int>(std::lround(0.8 * FForm->GetClientWidth()));
    const int height = static_cast<int>(std::lround(0.6 * FForm->GetClientHeight()));
    int offset = 0;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        HWND w = (*it)->GetHandleIfAllocated();
        if (!w || IsIconic(w)) continue;
        SetWindowPos(w, nullptr, offset, offset, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        offset += kCascadeStep;
    }
}

void TlumSkinWindowVCL::ArrangeTile(bool horizontal) {
    std::vector<TCustomForm*> children = ClientChildren(FMDIClient);
    std::vector<HWND> placed;
    bool someMinimised = false;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        HWND w = (*it)->GetHandleIfAllocated();
        if (!w) continue;
        if (IsIconic(w))
            someMinimised = true;
        else
            placed.push_back(w);
    }
    const int n = static_cast<int>(placed.size());
    if (n == 0) return;
    int available = FForm->GetClientHeight();
    for (int i = 0; i < FForm->ControlCount(); ++i) {
        TControl* c = FForm->Controls(i);
        if (c->GetAlign() == alTop || c->GetAlign() == alBottom) available -= c->GetHeight();
    }
    if (someMinimised) available -= 25;
    const int clientWidth = FForm->GetClientWidth();
    if (horizontal) {
        const int h = available / n - (n == 1 ? 2 : 0);
        int y = 0;
        for (HWND w : placed) {
            SetWindowPos(w, nullptr, 0, y, clientWidth - 4, h - 2, SWP_NOZORDER | SWP_NOACTIVATE);
            y += h - 2;
        }
    } else {
        const int cw = clientWidth / n - (n == 1 ? 2 : 0);
        int x = 0;
        for (HWND w : placed) {
            SetWindowPos(w, nullptr, x, 0, cw - 2, available - 4, SWP_NOZORDER | SWP_NOACTIVATE);
            x += cw - 2;
        }
    }
}

// ---- messages of frame and child ------------------------------------------------------------

bool TlumSkinWindowVCL::MDIAfterMessage(TMessage& m) {
    HWND h = GetWindowHandle();
    switch (m.Msg) {
    case WM_MDIACTIVATE:
        if (!IsMDIChild()) return false;
        if (reinterpret_cast<HWND>(m.LParam) == h) {
            if (HWND main = MainFormHandle())
                SendMessageA(main, WM_SKIN_MDICHILDMENU, reinterpret_cast<WPARAM>(FForm),
                             reinterpret_cast<LPARAM>(FSavedMenu));
            FActive = true;
        } else {
            FActive = false;
        }
        PaintFrame();
        return true;
    case WM_MDIREFRESHMENU:
        PaintFrame();
        return true;
    case WM_MDIRESTORE:
        if (IsMDIForm()) HideControlButtons();
        return IsMDIForm();
    case WM_MDIMAXIMIZE:
        if (!IsMDIForm()) return false;
        if (TCustomForm* child = FMDIClient ? ActiveChild(FMDIClient) : nullptr)
            if (child->GetHandleIfAllocated() == reinterpret_cast<HWND>(m.WParam)) ShowControlButtons(child);
        return true;
    case WM_SKIN_MDICHILDMENU: {
        if (!IsMDIForm()) return false;
        TMainMenu* menu = ActiveChildMenu(FEngine, FMDIClient, m);
        if (menu != FChildMenu) {
            if (FChildMenu) FChildMenu->RemoveFreeNotification(MenuWatch());
            FChildMenu = menu;
            if (FChildMenu) FChildMenu->FreeNotification(MenuWatch());
        }
        // The bar is built again only for another menu; the window list's check follows
        // every activation.
        const bool barChanges = FChildMenu != FBuiltChildMenu || FSavedMenu != FBuiltMenu;
        RebuildMenuBar(false);
        if (!barChanges) RebuildWindowList();
        return true;
    }
    case WM_SKIN_MDILISTCHANGED:
        if (IsMDIForm()) RebuildWindowList();
        return IsMDIForm();
    case WM_SKIN_MDIHIDDEN:
        if (!IsMDIChild()) return false;
        m.Result = FMDIHidden ? 1 : 0;
        return true;
    case WM_SHOWWINDOW:
        if (IsMDIChild()) FMDIHidden = m.WParam == 0;
        return false;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
        if (IsMDIChild() && pos && (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
            if (HWND main = MainFormHandle()) SendMessageA(main, WM_SKIN_MDILISTCHANGED, 0, 0);
        return false;
    }
    case WM_SIZE:
        if (IsMDIForm()) {
            PlaceControlButtons();
        } else if (IsMDIChild()) {
            if (IsZoomed(h)) {
                if (!FMDIMaximised) {
                    FMDIMaximised = true;
                    if (HWND main = MainFormHandle()) SendMessageA(main, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(h), 0);
                }
            } else {
                FForm->Realign();
                if (FMDIMaximised) {
                    FMDIMaximised = false;
                    if (HWND main = MainFormHandle()) SendMessageA(main, WM_MDIRESTORE, reinterpret_cast<WPARAM>(h), 0);
                }
            }
        }
        return false;
    default:
        return false;
    }
}
