#include "skin/skin_engine_win.h"

#include <algorithm>

#include "classlib/sysutils.h"
#include "skin/skin_hook_win.h"
#include "skin/skin_menu_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_std_ctrl_register_win.h"
#include "skin/skin_std_wnd_win.h"
#include "skin/skin_utils_win.h"
#include "skin/skin_window_vcl_win.h"
#include "skin/skin_window_win.h"
#include "skin/skin_window_wnd_win.h"

namespace {

// Forms of the outside messenger's notification pop-up are never skinned.
const char* const kExcludedPopupFormClass = "TMsnPopupForm";

AnsiString WithSlash(const AnsiString& folder) {
    return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}

AnsiString WindowsFolder(bool system) {
    char buffer[MAX_PATH] = {};
    UINT length = system ? GetSystemDirectoryA(buffer, sizeof buffer) : GetWindowsDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? WithSlash(AnsiString(buffer, length)) : AnsiString();
}

AnsiString ProgramFolder() {
    char buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? WithSlash(ExtractFilePath(AnsiString(buffer, length))) : AnsiString();
}

// The four places a skin file is looked for; empty when it is in none.
AnsiString FindSkinFile(const AnsiString& name) {
    if (name.empty()) return AnsiString();
    if (FileExists(name)) return name;
    const AnsiString bare = ExtractFileName(name);
    for (const AnsiString& folder : {ProgramFolder(), WindowsFolder(false), WindowsFolder(true)})
        if (!folder.empty() && FileExists(folder + bare)) return folder + bare;
    return AnsiString();
}

int Width(const TBitmap* b) { return b ? b->GetWidth() : 0; }
int Height(const TBitmap* b) { return b ? b->GetHeight() : 0; }

// The forms the application unskinned, shared by every engine: a second engine must not skin
// again what the application took off through the first one. Emptied when the last engine goes.
std::vector<TCustomForm*>& UnskinnedForms() {
    static std::vector<TCustomForm*> forms;
    return forms;
}
int& LiveEngines() {
    static int count = 0;
    return count;
}

void ForgetUnskinned(const void* form) {
    auto& forms = UnskinnedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
}

}  // namespace

TCustomForm* TlumSkinEngine::RequireForm(TComponent* owner) {
    auto* form = dynamic_cast<TCustomForm*>(owner);
    if (!form) throw Exception("Must be placed on a Form");
    // Checked before the owner lists the engine, so that a refused engine leaves nothing behind.
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (dynamic_cast<TlumSkinEngine*>(form->GetComponent(i)))
            throw Exception("One form can only catch one TlumSkinEngine!");
    return form;
}

TlumSkinEngine::TlumSkinEngine(TComponent* owner)
    : TComponent((RequireForm(owner), owner)), FReader(std::make_unique<TlumSkinReader>("", "")),
      FOwnerForm(static_cast<TCustomForm*>(owner)) {
    FReader->OnLoad = [this](TObject* sender) { ApplySkin(sender); };
    // Which skin each kind of control and dialog child gets (adding a row twice adds nothing).
    RegisterStdWndSkins();
    RegisterStdControlSkins();
    FAutoSkinWndClassNames.OnChange = [this](TObject*) {
        for (int i = 0; i < FAutoSkinWndClassNames.Count(); ++i) AddAutoSkinClass(FAutoSkinWndClassNames.Get(i));
    };
    FOwnsHook = InstallSkinHook(this);
    // Forms shown later (packing and loading windows) are skinned as they become active. Each
    // engine watches on its own; the application's OnActiveFormChange stays its own.
    FActiveFormWatch = Screen->ActiveFormWatchers().Add([this](TCustomForm*) { ActiveFormChanged(); });
    FFormsGoneWatch = ControlLifecycle().Add([this](TLifecycleEvent e, TControl* c) { FormGone(e, c); });
    ++LiveEngines();
}

void TlumSkinEngine::ActiveFormChanged() {
    if (FSkinAllForms && IsSkinActive() && !IsLoading()) SkinOpenForms(true);
}

void TlumSkinEngine::FormGone(TLifecycleEvent event, TControl* control) {
    if (event != TLifecycleEvent::Destroying && event != TLifecycleEvent::Destroyed) return;
    ForgetUnskinned(control);
}

TlumSkinEngine::~TlumSkinEngine() {
    BeginDestroy();
    TearDown();
}

void TlumSkinEngine::Destroying() { TearDown(); }

// Inactive from the first step; the hook goes before the windows are given back, and the
// skin itself (reader, caches, brush) only after no window can paint from it any more.
void TlumSkinEngine::TearDown() {
    if (FTornDown) return;
    FTornDown = true;
    FDestroyingEngine = true;
    FActiveFormWatch.Reset();
    FFormsGoneWatch.Reset();
    if (--LiveEngines() == 0) UnskinnedForms().clear();
    if (FOwnsHook) RemoveSkinHook(this);
    FOwnsHook = false;
    FUnskinning = true;
    while (!FSkinWindows.empty()) {
        std::unique_ptr<TlumSkinWindow> window = std::move(FSkinWindows.front());
        FSkinWindows.erase(FSkinWindows.begin());
        window.reset();
    }
    FUnskinning = false;
}

void TlumSkinEngine::SetActive(bool value) {
    FActive = value;
    for (size_t i = 0; i < FSkinWindows.size(); ++i) FSkinWindows[i]->SetSkinned(value);
}

void TlumSkinEngine::SetSkinFile(const AnsiString& value) {
    const AnsiString found = FindSkinFile(value);
    if (found.empty()) return;
    FSkinFile = found;
    try {
        FReader->LoadSkin(found, FPassword);
    } catch (const Exception&) {
        FSkinFile.clear();
        // A design-time path that happens to name a bad file must not stop the form loading:
        // the stored skin follows it.
        if (!IsLoading()) throw;
    }
}

void TlumSkinEngine::ReadSkinData(const std::vector<uint8_t>& skinFile) {
    try {
        FReader->LoadSkinData(skinFile, FPassword);
    } catch (const Exception&) {
        // A damaged stored skin leaves the program unskinned rather than unable to start.
        if (!IsLoading()) throw;
    }
}

void TlumSkinEngine::SetBuiltIn(bool value) {
    if (!IsLoading()) throw Exception("BuiltIn property only can be specified at design time!");
    FBuiltIn = value;
}

void TlumSkinEngine::SetSkinAllForms(bool value) {
    FSkinAllForms = value;
    if (IsLoading()) return;
    if (value)
        SkinAllOpenForms();
    else
        UnskinAllButOwner();
}

void TlumSkinEngine::SetAutoSkinWndClassNames(TStrings* value) { FAutoSkinWndClassNames.Assign(value); }

void TlumSkinEngine::Loaded() {
    TComponent::Loaded();
    if (FOwnerForm) SkinWindow(FOwnerForm->GetHandle(), false);
    for (int i = 0; i < FAutoSkinWndClassNames.Count(); ++i) AddAutoSkinClass(FAutoSkinWndClassNames.Get(i));
}

void TlumSkinEngine::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FOwnerForm) FOwnerForm = nullptr;
    if (component != this) MenuNotification(component, operation);
}

void TlumSkinEngine::DropDeadWindows() {
    FSkinWindows.erase(std::remove_if(FSkinWindows.begin(), FSkinWindows.end(),
                                      [](const auto& w) { return w->GetWindowGone(); }),
                       FSkinWindows.end());
}

TlumSkinWindow* TlumSkinEngine::FindSkinWindow(HWND window) const {
    for (const auto& w : FSkinWindows)
        if (w->GetHandle() == window && !w->GetWindowGone()) return w.get();
    return nullptr;
}

void TlumSkinEngine::SkinWindow(HWND window, bool fromHook) {
    if (FDestroyingEngine || !window || !IsWindow(window)) return;
    DropDeadWindows();
    if (FindSkinWindow(window)) return;
    TCustomForm* form = FindFormByHandle(window);
    ForgetUnskinned(form);
    std::unique_ptr<TlumSkinWindow> skin;
    if (form)
        skin = std::make_unique<TlumSkinWindowVCL>(fromHook, this);
    else
        skin = std::make_unique<TlumSkinWindowWnd>(fromHook, this);
    TlumSkinWindow* added = skin.get();
    FSkinWindows.push_back(std::move(skin));
    try {
        added->Initialize(window);
    } catch (...) {
        ReleaseSkinWindow(added);
        throw;
    }
    // Initialising may have ended the window (and freed its skin).
    if (Contains(added)) added->ApplyToWindow();
}

bool TlumSkinEngine::Contains(const TlumSkinWindow* window) const {
    for (const auto& w : FSkinWindows)
        if (w.get() == window) return true;
    return false;
}

void TlumSkinEngine::ReleaseSkinWindow(TlumSkinWindow* window) {
    for (auto it = FSkinWindows.begin(); it != FSkinWindows.end(); ++it) {
        if (it->get() != window) continue;
        std::unique_ptr<TlumSkinWindow> gone = std::move(*it);
        FSkinWindows.erase(it);
        gone.reset();
        return;
    }
}

void TlumSkinEngine::UnskinWindow(HWND window) {
    for (auto it = FSkinWindows.begin(); it != FSkinWindows.end(); ++it) {
        if ((*it)->GetHandle() != window) continue;
        std::unique_ptr<TlumSkinWindow> gone = std::move(*it);
        FSkinWindows.erase(it);
        TCustomForm* form = FindFormByHandle(window);
        auto& unskinned = UnskinnedForms();
        if (form && std::find(unskinned.begin(), unskinned.end(), form) == unskinned.end())
            unskinned.push_back(form);
        FUnskinning = true;
        gone.reset();
        FUnskinning = false;
        return;
    }
}

void TlumSkinEngine::SkinAllOpenForms() { SkinOpenForms(false); }

void TlumSkinEngine::SkinOpenForms(bool leaveUnskinned) {
    if (FDestroyingEngine) return;
    DropDeadWindows();
    FSkinningAll = true;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* form = Screen->Forms(i);
        if (form->GetTag() == FDisabledTag || AnsiString(form->ClassName()) == kExcludedPopupFormClass) continue;
        const auto& unskinned = UnskinnedForms();
        if (leaveUnskinned && std::find(unskinned.begin(), unskinned.end(), form) != unskinned.end())
            continue;
        HWND handle = form->GetHandle();
        if (SendMessageA(handle, WM_SKIN_QUERY, 0, 0) != 0) continue;
        SkinWindow(handle, false);
    }
    FSkinningAll = false;
}

void TlumSkinEngine::UnskinAllButOwner() {
    HWND owner = FOwnerForm ? FOwnerForm->GetHandleIfAllocated() : nullptr;
    std::vector<HWND> others;
    for (const auto& w : FSkinWindows)
        if (w->GetHandle() != owner) others.push_back(w->GetHandle());
    for (HWND h : others) UnskinWindow(h);
}

bool TlumSkinEngine::GetSkinBitmapPart(uint8_t index, TBitmap* target, int k, int n) const {
    TBitmap* source = GetSkinBitmap(index);
    if (!source || !target) return false;
    if (k != 0 && n != 0)
        ExtractSlice(source, target, n, k);
    else
        target->Assign(source);
    return true;
}

void TlumSkinEngine::ApplySkin(TObject*) {
    FFormBrush.Reset();
    if (OnSkinChanging) OnSkinChanging(this);
    TSkinMetrics m;
    const TlumSkinReader& r = *FReader;
    m.FormColor = r.GetSkinColor(SKIN2_FORMCOLOR);
    if (m.FormColor != -1) FFormBrush.Reset(CreateSolidBrush(ColorToRGB(m.FormColor)));
    m.TitleRegionMinY = r.GetSkinPosition(SKIN2_TITLEBARREGIONMINY);
    m.TitleRegionMaxY = r.GetSkinPosition(SKIN2_TITLEBARREGIONMAXY);
    m.BottomRegionMinY = r.GetSkinPosition(SKIN2_BOTTOMREGIONMINY);
    m.BottomRegionMaxY = r.GetSkinPosition(SKIN2_BOTTOMREGIONMAXY);
    // Missing bitmaps count as 0 x 0.
    const int w0 = Width(r.GetSkinBitmap(SKIN2_TITLEBAR1));
    const int w2 = Width(r.GetSkinBitmap(SKIN2_TITLEBAR3));
    const int w11 = Width(r.GetSkinBitmap(SKIN2_TITLEBUTTONS));
    m.MinFormWidth = r.GetSkinBool(SKIN2_TITLEFIVESECT) ? w0 + w2 + w11 / 6 + 35 : w0 + std::max(w2, w11 / 6 + 35);
    m.CaptionHeight = Height(r.GetSkinBitmap(SKIN2_TITLEBAR1));
    m.LeftBorder = Width(r.GetSkinBitmap(SKIN2_FORMLEFTBORDER));
    m.RightBorder = Width(r.GetSkinBitmap(SKIN2_FORMRIGHTBORDER));
    m.BottomBorder = Height(r.GetSkinBitmap(SKIN2_FORMBOTTOMBORDER1));
    m.TransparentColor = r.GetSkinColor(SKIN2_TRANSCOLOR);
    m.IconX = r.GetSkinPosition(SKIN2_TITLEBARICONPOSX);
    m.IconY = r.GetSkinPosition(SKIN2_TITLEBARICONPOSY);
    m.CaptionTop = r.GetSkinPosition(SKIN2_TITLEBARCAPTIONTOP);
    m.ButtonX = r.GetSkinPosition(SKIN2_TITLEBARBUTTONPOSX);
    m.ButtonY = r.GetSkinPosition(SKIN2_TITLEBARBUTTONPOSY);
    m.TitleFontColor = r.GetSkinColor(SKIN2_TITLEFONTCOLOR);
    for (int i = 0; i < 13; ++i) m.MenuColors[i] = r.GetSkinColor(static_cast<uint8_t>(SKIN2_MENUBARSTARTCOLOR + i));
    FMetrics = m;
    FScrollBtnRes.SetReader(FReader.get());
    FProgressBarRes.SetReader(FReader.get());
    FTabRes.SetReader(FReader.get());
    ApplyMenuCheckImage();
    // A window may go while it is re-skinned: the list is walked as it was.
    std::vector<TlumSkinWindow*> windows;
    for (const auto& w : FSkinWindows) windows.push_back(w.get());
    for (size_t i = 0; i < windows.size(); ++i) {
        TlumSkinWindow* window = windows[i];
        if (!Contains(window)) continue;
        if (FActive) {
            HWND h = window->GetHandle();
            const bool visible = h && IsWindowVisible(h);
            if (h && !LUMSkinUtils::GetAncestor(h, GA_PARENT)) ShowWindow(h, SW_HIDE);
            window->SetSkinned(false);
            if (!Contains(window)) continue;
            window->SetSkinned(true);
            if (!Contains(window)) continue;
            // Seen again as it was, the first window (the main form) active.
            if (visible && IsWindow(h)) {
                ShowWindow(h, SW_SHOW);
                if (i == 0) SetActiveWindow(h);
            }
        }
        if (Contains(window)) window->ApplyToWindow();
    }
    if (OnSkinChanged) OnSkinChanged(this);
}

// ---- Menus: menu skinning and the system-menu popup ----------------------------------------


void TlumSkinEngine::TMenusDeleter::operator()(TlumSkinMenus* menus) const { delete menus; }

TlumSkinMenus* TlumSkinEngine::Menus() {
    if (!FMenus) FMenus.reset(new TlumSkinMenus(this, FResSysMenu[0], FResSysMenu[1], FResSysMenu[2]));
    return FMenus.get();
}

TPopupMenu* TlumSkinEngine::GetSystemMenuPopup() { return Menus()->GetSystemMenuPopup(); }

void TlumSkinEngine::ShowSystemMenu(TlumSkinSysMenuTarget* target, int x, int y) {
    if (!FDestroyingEngine) Menus()->ShowSystemMenu(target, x, y);
}

void TlumSkinEngine::MenuNotification(TComponent* component, TOperation operation) {
    if (!FDestroyingEngine) Menus()->Notification(component, operation);
}

void TlumSkinEngine::ApplyMenuCheckImage() {
    Menus()->ApplyMenuCheckImage(GetSkinBitmap(SKIN2_CHECKEDMENUICON), GetSkinColor(SKIN2_TRANSCOLOR));
}

void TlumSkinEngine::RenameSystemMenuItems() {
    if (!FMenus) return;
    FMenus->RenameSystemMenuItem(TlumSkinMenus::smMinimize, FResSysMenu[0]);
    FMenus->RenameSystemMenuItem(TlumSkinMenus::smMaxRestore, FResSysMenu[1]);
    FMenus->RenameSystemMenuItem(TlumSkinMenus::smClose, FResSysMenu[2]);
}
