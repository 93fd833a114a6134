#include "skin/skin_window_vcl_win.h"

#include <algorithm>

#include "classlib/gui/application.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_keys.h"
#include "skin/skin_menu_win.h"
#include "skin/skin_utils_win.h"
#include "skin/skin_messages.h"
#include "skin/skin_registry_win.h"

namespace {

constexpr UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

void RemoveSysMenu(HWND h) {
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    if (style & WS_SYSMENU) SetWindowLongA(h, GWL_STYLE, style & ~WS_SYSMENU);
}

// The native menu bar's rows above the client area (its line below included); 19 when the
// system does not say.
int NativeMenuBarHeight(HWND h) {
    if (!GetMenu(h)) return 0;
    MENUBARINFO info{};
    info.cbSize = sizeof info;
    if (GetMenuBarInfo(h, OBJID_MENU, 0, &info) && info.rcBar.bottom > info.rcBar.top) {
        POINT origin{0, 0};
        ClientToScreen(h, &origin);
        const int height = origin.y - info.rcBar.top;
        if (height > 0) return height;
    }
    return 19;
}

}  // namespace

// Forgets the saved menu when the application frees it while it is away from the form.
class TlumSkinWindowVCL::TMenuWatch : public TComponent {
public:
    explicit TMenuWatch(TlumSkinWindowVCL* window) : TComponent(nullptr), FWindow(window) {}
    const char* ClassName() const override { return "TlumSkinMenuWatch"; }
protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation != opRemove) return;
        auto& list = FWindow->FWindowListItems;
        list.erase(std::remove(list.begin(), list.end(), component), list.end());
        if (component == FWindow->FChildMenu) {
            FWindow->FChildMenu = nullptr;
            FWindow->FBuiltChildMenu = nullptr;
            if (FWindow->FApplied && !FWindow->FDestroying) FWindow->RebuildMenuBar(true);
            return;
        }
        if (component != FWindow->FSavedMenu) return;
        FWindow->FSavedMenu = nullptr;
        FWindow->FBuiltMenu = nullptr;
        if (FWindow->FMenuBar) {
            FWindow->FMenuBar->SetItems({});
            FWindow->FMenuBar->Hide();
        }
    }
private:
    TlumSkinWindowVCL* FWindow;
};

TlumSkinWindowVCL::TlumSkinWindowVCL(bool fromHook, TlumSkinEngine* engine) : TlumSkinWindow(fromHook, engine) {}

TComponent* TlumSkinWindowVCL::MenuWatch() const { return FMenuWatch.get(); }

TlumSkinWindowVCL::~TlumSkinWindowVCL() { Teardown(); }

void TlumSkinWindowVCL::Attach(HWND handle) {
    FForm = FindFormByHandle(handle);
    if (!FForm) throw Exception("LUMSkin: Skinning form failed!");
    FAllowed = FEngine->GetDisabledTag() == 0 || FForm->GetTag() != FEngine->GetDisabledTag();
    FShowOnceDone = FMinWidthSet = FMinHeightSet = false;
    FToolBarUnderMenuKnown = false;
    FShiftedBy = 0;
    FMenuBar = std::make_unique<TlumSkinMenuBar>(FEngine);
    FMenuBar->SetParent(FForm);
    FMenuWatch = std::make_unique<TMenuWatch>(this);
    if (FForm->GetFormStyle() != fsMDIChild) {   // a child's keys are its frame's to handle
        FAppEvents = std::make_unique<TApplicationEvents>(nullptr);
        FAppEvents->OnMessage = [this](TMsg& msg, bool& handled) { ShortcutMessage(msg, handled); };
    }
    FLifecycle = ControlLifecycle().Add([this](TLifecycleEvent e, TControl* c) { FormEvent(e, c); });
    FHook = std::make_unique<TWindowProcHook>(FForm, [this](TMessage& m) {
        std::shared_ptr<bool> alive = FAlive;
        SkinWindowProc(m);
        if (m.Msg == WM_NCDESTROY && *alive) ForgetRegion();
    });
    SetHasCaption(CaptionRule());
    SetHasBorder(FForm->GetBorderStyle() != bsNone);
    AttachMDI();
}

void TlumSkinWindowVCL::Detach() {
    DetachMDI();
    FHook.reset();
    FLifecycle.Reset();
    FAppEvents.reset();
    if (FSavedMenu) FSavedMenu->RemoveFreeNotification(FMenuWatch.get());
    FSavedMenu = nullptr;
    FBuiltMenu = nullptr;
    FMenuWatch.reset();
    FMenuBar.reset();
    HWND h = GetWindowHandle();
    if (h && FForm && !FForm->IsDestroying()) SetWindowPos(h, nullptr, 0, 0, 0, 0, kFrameChanged);
}

// The form's destruction has begun (it and its window still exist): the skin lets go of it
// now, so that nothing of the skin runs on a half-destroyed form.
void TlumSkinWindowVCL::FormEvent(TLifecycleEvent event, TControl* control) {
    if (event != TLifecycleEvent::Destroying || control != FForm || !FForm) return;
    FGone = true;
    ReleaseFromEngine();   // frees this object: nothing may follow
}

void TlumSkinWindowVCL::CallOriginalProc(TMessage& m) {
    if (FHook) FHook->Previous(m);
}

HWND TlumSkinWindowVCL::GetWindowHandle() const { return FForm ? FForm->GetHandleIfAllocated() : nullptr; }

bool TlumSkinWindowVCL::CaptionRule() const { return !FForm->GetParent() && FForm->GetBorderStyle() != bsNone; }

bool TlumSkinWindowVCL::HasFrame() { return FForm && CaptionRule(); }

HICON TlumSkinWindowVCL::GetIconHandle() { return FForm && !FForm->GetIcon()->Empty() ? FForm->GetIcon()->GetHandle() : nullptr; }

bool TlumSkinWindowVCL::HasHelpButton() { return FForm && (FForm->GetBorderIcons() & biHelp); }

bool TlumSkinWindowVCL::IsDialogFrame() { return FForm && FForm->GetBorderStyle() == bsDialog; }

bool TlumSkinWindowVCL::HasIcon() {
    if (!FForm) return false;
    const TFormBorderStyle bs = FForm->GetBorderStyle();
    return (bs == bsSingle || bs == bsSizeable) && (FForm->GetBorderIcons() & biSystemMenu);
}

bool TlumSkinWindowVCL::HasCloseButton() { return FForm && (FForm->GetBorderIcons() & biSystemMenu); }

static bool CaptionButtonsAllowed(TCustomForm* form) {
    const TFormBorderStyle bs = form->GetBorderStyle();
    return (form->GetBorderIcons() & biSystemMenu) && bs != bsDialog && bs != bsToolWindow && bs != bsSizeToolWin;
}

bool TlumSkinWindowVCL::HasMaxButton() {
    return FForm && (FForm->GetBorderIcons() & biMaximize) && CaptionButtonsAllowed(FForm);
}

bool TlumSkinWindowVCL::HasMinButton() {
    return FForm && (FForm->GetBorderIcons() & biMinimize) && CaptionButtonsAllowed(FForm);
}

void TlumSkinWindowVCL::SaveOriginalState() {
    HWND h = GetWindowHandle();
    RECT client{}, box{};
    ::GetClientRect(h, &client);
    GetWindowRect(h, &box);
    FNativeClientWidth = client.right;
    FNativeClientHeight = client.bottom;
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    FSavedMenu = FForm->GetMenu();
    if (FSavedMenu) FSavedMenu->FreeNotification(FMenuWatch.get());
    FNativeBottomHeight = 4;
    FNativeSideWidth = 4;
    if (FForm->GetFormStyle() == fsMDIChild || FForm->GetFormStyle() == fsMDIForm) {
        SaveMDIState(h);
        return;
    }
    FNativeCaptionHeight = origin.y - box.top - NativeMenuBarHeight(h);
}

void TlumSkinWindowVCL::SkinChildren() {
    if (!FForm) return;
    for (int i = 0; i < FForm->ComponentCount(); ++i)
        SkinControlTree(dynamic_cast<TControl*>(FForm->GetComponent(i)));
    // A form that holds a TlumForm keeps its own look, controls included.
    if (!FAllowed) UnskinChildren();
}

void TlumSkinWindowVCL::SkinControlTree(TControl* control) {
    if (!control || !control->WindowProc) return;
    const intptr_t disabledTag = FEngine->GetDisabledTag();
    if (disabledTag != 0 && control->GetTag() == disabledTag) return;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed && windowed->HandleAllocated() &&
        SendMessageA(windowed->GetHandleIfAllocated(), WM_SKIN_QUERY, 0, 0) == 1)
        return;
    const AnsiString name = control->ClassName();
    // The skin's own controls, except the up-down that stands in for a picker's native one:
    // that one is drawn like any up-down.
    if (name.compare(0, 4, "Tlum") == 0 && name != "TlumSkinInternalUpDown") {
        if (name == "TlumForm") FAllowed = false;
        return;
    }
    const auto& excluded = ControlExclusions();
    if (std::find(excluded.begin(), excluded.end(), name) != excluded.end() || !control->GetParent()) return;
    if (auto* form = dynamic_cast<TCustomForm*>(control)) {
        if (form->GetName().empty()) return;
        if (FEngine->GetFormColor() != -1) form->SetColor(FEngine->GetFormColor());
    } else {
        try {
            std::unique_ptr<TlumSkinControlVCL> skin = FindSkinControlClass(control, this);
            if (skin) {
                skin->ApplySkinColours();
                if (skin->WantsParentColor()) control->SetParentColor(true);
                FChildSkins.push_back(std::move(skin));
            }
        } catch (...) {
            return;   // this control keeps its own look
        }
        if (name == "TDBLookupComboBox") return;
    }
    for (int i = 0; i < control->ComponentCount(); ++i)
        SkinControlTree(dynamic_cast<TControl*>(control->GetComponent(i)));
}

// Only what this skin set is cleared again: the application's own limits stay.
void TlumSkinWindowVCL::SetConstraints() {
    TSizeConstraints* c = FForm->GetConstraints();
    if (c->GetMinHeight() == 0 || FMinHeightSet) {
        c->SetMinHeight(GetMenuBarHeight() + CaptionHeight() + 6);
        FMinHeightSet = true;
    }
    if ((c->GetMinWidth() == 0 && !FFromHook) || FMinWidthSet) {
        c->SetMinWidth(FEngine->Metrics().MinFormWidth);
        FMinWidthSet = true;
    }
}

void TlumSkinWindowVCL::ClearConstraints() {
    TSizeConstraints* c = FForm->GetConstraints();
    if (FMinHeightSet) c->SetMinHeight(0);
    if (FMinWidthSet) c->SetMinWidth(0);
    FMinHeightSet = FMinWidthSet = false;
}

// Skinned: no system menu (the skin draws the buttons), the skin's form colour, the menu bar
// for the main menu, the size limits, and the same client size in the skin's frame with the
// bar above the controls. Unskinned: exactly that undone.
void TlumSkinWindowVCL::SetSkinnedImpl() {
    HWND h = GetWindowHandle();
    if (!FForm || !h) return;
    RepaintChildren();
    std::shared_ptr<bool> alive = FAlive;
    if (FSkinned && !FApplied) {
        FApplied = true;
        FHadSysMenu = (GetWindowLongA(h, GWL_STYLE) & WS_SYSMENU) != 0;
        RemoveSysMenu(h);
        FSavedColor = FForm->GetColor();
        if (FEngine->GetFormColor() != -1) FForm->SetColor(FEngine->GetFormColor());
        FForm->SetMenu(nullptr);
        if (FSavedMenu) {
            FMenuBar->SetTop(-100);
            FMenuBar->SetParentColor(false);
            FMenuBar->SetColor(FEngine->GetSkinColor(SKIN2_MENUBARSTARTCOLOR));
            if (!IsMDIChild()) FMenuBar->Show();
        }
        RebuildMenuBar(true);
        SetSkinnedMDI();
        SetConstraints();
        SetWindowPos(h, nullptr, 0, 0, 0, 0, kFrameChanged);
        if (!*alive) return;
        const int bar = GetMenuBarHeight();
        if (FShiftedBy == 0 && bar > 0) {
            ShiftControls(bar);
            FShiftedBy = bar;
        }
        // The client widens by what the skin's side borders take beyond the native 4 pixels.
        const TSkinMetrics& m = FEngine->Metrics();
        const int clientWidth = std::max<int>(4, m.LeftBorder) + FNativeClientWidth + std::max<int>(4, m.RightBorder) - 8;
        if (!IsZoomed(h)) FForm->SetClientSize(clientWidth, FNativeClientHeight + bar);
        SkinOwnedMenus(true);
    } else if (!FSkinned && FApplied) {
        FApplied = false;
        if (FForm->IsDestroying()) return;
        if (FHadSysMenu) SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) | WS_SYSMENU);
        FMenuBar->Hide();
        FreeWindowList();
        HideControlButtons();
        if (FSavedMenu) FForm->SetMenu(FSavedMenu);
        FForm->SetColor(FSavedColor);
        ClearConstraints();
        if (FShiftedBy != 0) {
            ShiftControls(-FShiftedBy);
            FShiftedBy = 0;
        }
        SkinOwnedMenus(false);
        RemoveRegion();
        SetWindowPos(h, nullptr, 0, 0, 0, 0, kFrameChanged);
        if (!*alive) return;
        if (!IsZoomed(h) && !IsIconic(h)) FForm->SetClientSize(FNativeClientWidth, FNativeClientHeight);
    }
}

int TlumSkinWindowVCL::GetMenuBarHeight() { return FMenuBar && FMenuBar->GetVisible() ? FMenuBar->GetHeight() : 0; }

bool TlumSkinWindowVCL::HasToolBarUnderMenu() {
    if (FToolBarUnderMenuKnown || !FForm) return FToolBarUnderMenu;
    FToolBarUnderMenuKnown = true;
    for (int i = 0; i < FForm->ControlCount(); ++i) {
        auto* bar = dynamic_cast<TToolBar*>(FForm->Controls(i));
        if (!bar || bar == FMenuBar.get()) continue;
        FToolBarUnderMenu = bar->GetTop() == GetMenuBarHeight();
        break;
    }
    return FToolBarUnderMenu;
}

void TlumSkinWindowVCL::RebuildMenuBar(bool force) {
    if (!FMenuBar || (!force && FSavedMenu == FBuiltMenu && FChildMenu == FBuiltChildMenu)) return;
    FBuiltMenu = FSavedMenu;
    FBuiltChildMenu = FChildMenu;
    std::vector<TMenuItem*> items;
    bool images = false;
    CollectBarItems(items, images);
    if (items.empty()) {
        FMenuBar->SetItems({});
        FMenuBar->Hide();
        return;
    }
    FMenuBar->SetImages(images ? EmptyMenuImages() : nullptr);
    SetMenuFont(FMenuBar->GetFont());
    FMenuBar->SetList(images);
    FMenuBar->SetItems(items);
    if (IsMDIChild()) return;   // its items show in the frame's bar
    FMenuBar->Show();
    FMenuBar->HandleNeeded();
    if (IsMDIForm()) RebuildWindowList();
}

void TlumSkinWindowVCL::ShiftControls(int dy) {
    for (int i = 0; i < FForm->ControlCount(); ++i) {
        TControl* control = FForm->Controls(i);
        if (control == FMenuBar.get() || control->GetAlign() != alNone) continue;   // aligned ones follow the bar
        control->SetTop(control->GetTop() + dy);
    }
}

void TlumSkinWindowVCL::SkinOwnedMenus(bool skin) {
    const intptr_t disabledTag = FEngine->GetDisabledTag();
    for (int i = 0; i < FForm->ComponentCount(); ++i) {
        auto* menu = dynamic_cast<TMenu*>(FForm->GetComponent(i));
        // A menu that keeps its own look keeps its own owner-drawing too.
        if (!menu || menu->GetTag() == disabledTag) continue;
        if (skin)
            FEngine->Menus()->SkinMenu(menu);
        else
            FEngine->Menus()->UnskinMenu(menu);
    }
}

// The detached menu's owner-drawn items are measured and drawn through the form, which opens
// them for the bar.
bool TlumSkinWindowVCL::BeforeMessage(TMessage& m) {
    if (FApplied && FSavedMenu && (m.Msg == WM_MEASUREITEM || m.Msg == WM_DRAWITEM || m.Msg == WM_MENUCHAR))
        return !FSavedMenu->DispatchMenuMessage(m);
    return true;
}

void TlumSkinWindowVCL::ShortcutMessage(TMsg& msg, bool& handled) {
    if (handled || !FForm || !FApplied || (!FSavedMenu && !FChildMenu) || !FEngine->IsSkinActive()) return;
    // A frame counts as active while one of its children has the focus.
    if (!IsFormActive(FForm) || (!IsMDIForm() && !FForm->Active())) return;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        TMessage m;
        m.Msg = msg.message;
        m.WParam = msg.wParam;
        m.LParam = msg.lParam;
        handled = (FChildMenu && FChildMenu->IsShortCut(m)) || (FSavedMenu && FSavedMenu->IsShortCut(m));
        break;
    }
    case WM_SYSCHAR:
        if (GetMenuBarHeight() > 0 && FForm->Active())
            handled = FMenuBar->Perform(CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
        break;
    default:
        break;
    }
}

// A zoomed form covers the work area with 4 pixels to spare on each side. Moving it sends
// WM_SIZE again: handled once.
void TlumSkinWindowVCL::FitZoomed() {
    HWND h = GetWindowHandle();
    TRect work;
    GetWorkArea(work);
    RECT area = ToRECT(work);
    InflateRect(&area, 4, 4);
    RECT box{};
    GetWindowRect(h, &box);
    if (box.right - box.left >= area.right - area.left && box.bottom - box.top >= area.bottom - area.top) return;
    FFittingZoomed = true;
    std::shared_ptr<bool> alive = FAlive;
    SetWindowPos(h, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (*alive) FFittingZoomed = false;
}

void TlumSkinWindowVCL::AfterMessage(TMessage& m) {
    HWND h = GetWindowHandle();
    std::shared_ptr<bool> alive = FAlive;
    if (MDIAfterMessage(m) || !*alive) return;
    switch (m.Msg) {
    case WM_SHOWWINDOW:
    case CM_VISIBLECHANGED:
        // The main form's first showing skins the program's other forms.
        if (!FShowOnceDone && Application->GetMainForm() == FForm && FEngine->GetSkinAllForms()) {
            FShowOnceDone = true;
            FEngine->SkinAllOpenForms();
        }
        break;
    case WM_SIZE:
        if (FFittingZoomed) break;
        if (IsZoomed(h) && !IsMDIChild()) {
            FitZoomed();
            if (!*alive) return;
        }
        UpdateRegion();
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(m.WParam) != WM_CREATE) break;
        [[fallthrough]];
    case CM_RECREATEWND:
    case CM_FLOAT: {
        RemoveSysMenu(h);
        const bool caption = CaptionRule();
        if (caption != GetHasCaption() || m.Msg != WM_PARENTNOTIFY) {
            SetHasCaption(caption);
            SetHasBorder(FForm->GetBorderStyle() != bsNone);
            if (caption)
                SetConstraints();
            else
                ClearConstraints();
        }
        UpdateRegion();
        PaintFrame();
        break;
    }
    default:
        break;
    }
}
