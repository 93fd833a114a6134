// The skin engine component: one per program on its main form. It holds the skin, the metrics
// every skinned window reads, the skin windows it made, and drives the thread's window hook.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>
#include <vector>

#include "classlib/gui/controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "skin/skin_collection_win.h"
#include "skin/skin_engine_intf.h"
#include "skin/skin_messages.h"
#include "skin/skin_reader_win.h"
#include "skin/skin_res_win.h"

class TlumSkinWindow;

// The skin metrics ApplySkin takes from the skin.
struct TSkinMetrics {
    int32_t CaptionHeight = 0;
    int32_t LeftBorder = 0;
    int32_t RightBorder = 0;
    int32_t BottomBorder = 0;
    TColor TransparentColor = -1;
    TColor FormColor = -1;
    int32_t IconX = 0, IconY = 0;
    int32_t ButtonX = 0, ButtonY = 0;
    int32_t CaptionTop = 0;
    TColor TitleFontColor = -1;
    TColor MenuColors[13] = {};
    int32_t TitleRegionMinY = 0, TitleRegionMaxY = 0, BottomRegionMinY = 0, BottomRegionMaxY = 0;
    int32_t MinFormWidth = 0;
};

class TlumSkinEngine : public TComponent, public TlumSkinEngineIntf {
public:
    // Raises Exception "Must be placed on a Form" (nothing is registered with the owner then).
    explicit TlumSkinEngine(TComponent* owner);
    ~TlumSkinEngine() override;
    const char* ClassName() const override { return "TlumSkinEngine"; }

    // Properties, in streaming order.
    bool GetActive() const { return FActive; }
    void SetActive(bool value);
    bool GetReady() const { return FReader && FReader->GetLoaded(); }
    const AnsiString& GetPassword() const { return FPassword; }
    void SetPassword(const AnsiString& value) { FPassword = value; }
    const AnsiString& GetSkinFile() const { return FSkinFile; }
    // Searches the name, the program's folder, the Windows and the system folder; a file that
    // does not load empties SkinFile and raises (while loading the form: ignored).
    void SetSkinFile(const AnsiString& value);
    const AnsiString& GetResSysMenuMin() const { return FResSysMenu[0]; }
    void SetResSysMenuMin(const AnsiString& value) {
        FResSysMenu[0] = value;
        RenameSystemMenuItems();
    }
    const AnsiString& GetResSysMenuMax() const { return FResSysMenu[1]; }
    void SetResSysMenuMax(const AnsiString& value) {
        FResSysMenu[1] = value;
        RenameSystemMenuItems();
    }
    const AnsiString& GetResSysMenuClose() const { return FResSysMenu[2]; }
    void SetResSysMenuClose(const AnsiString& value) {
        FResSysMenu[2] = value;
        RenameSystemMenuItems();
    }
    void SetDisabledTag(intptr_t value) { FDisabledTag = value; }
    void SetDrawScrollBar(bool value) { FDrawScrollBar = value; }
    AnsiString GetVersion() const { return "4.45"; }
    bool GetBuiltIn() const { return FBuiltIn; }
    // Run time: raises "BuiltIn property only can be specified at design time!" unless loading.
    void SetBuiltIn(bool value);
    void SetSkinDialogs(bool value) { FSkinDialogs = value; }
    bool GetSkinAllForms() const { return FSkinAllForms; }
    void SetSkinAllForms(bool value);
    bool GetNoChangeButtonsFontColor() const { return FNoChangeButtonsFontColor; }
    void SetNoChangeButtonsFontColor(bool value) { FNoChangeButtonsFontColor = value; }
    TStrings* GetAutoSkinWndClassNames() { return &FAutoSkinWndClassNames; }
    void SetAutoSkinWndClassNames(TStrings* value);
    TNotifyEvent OnSkinChanged, OnSkinChanging;

    // The stored skin: a whole skin file, loaded from memory. SkinFile keeps its text.
    void ReadSkinData(const std::vector<uint8_t>& skinFile);

    // TlumSkinEngineIntf
    bool IsSkinActive() const override { return FActive && GetReady() && !FDestroyingEngine; }
    bool IsEngineDestroying() const override { return FDestroyingEngine; }
    bool GetSkinDialogs() const override { return FSkinDialogs; }
    intptr_t GetDisabledTag() const override { return FDisabledTag; }
    bool GetDrawScrollBar() const override { return FDrawScrollBar; }
    void SkinWindow(HWND window, bool fromHook) override;
    TColor GetSkinColor(uint8_t index) const override { return FReader->GetSkinColor(index); }
    TlumSkinScrollBtnRes* GetScrollBtnRes() override { return &FScrollBtnRes; }
    TlumSkinProgressBarRes* GetProgressBarRes() { return &FProgressBarRes; }
    TlumSkinTabRes* GetTabRes() { return &FTabRes; }

    // Further stored skins, held for the application; the engine never switches to them.
    TlumSkinCollection* GetAdditionalBuiltInSkins() { return &FAdditionalBuiltInSkins; }
    void SetAdditionalBuiltInSkins(TlumSkinCollection* value) { FAdditionalBuiltInSkins.Assign(value); }

    void UnskinWindow(HWND window);
    // Frees a skin window of the list whose window went (called by the skin window itself as
    // the last thing it does).
    void ReleaseSkinWindow(TlumSkinWindow* window);
    void SkinAllOpenForms();
    void UnskinAllButOwner();
    // The reader's OnLoad: takes the metrics and reskins every skin window.
    void ApplySkin(TObject* sender);

    TBitmap* GetSkinBitmap(uint8_t index) const { return FReader->GetSkinBitmap(index); }
    // Copies the bitmap (or its k-th of n cells when both are non-zero); false when missing.
    bool GetSkinBitmapPart(uint8_t index, TBitmap* target, int k, int n) const;
    int32_t GetSkinPosition(uint8_t index) const { return FReader->GetSkinPosition(index); }
    bool GetSkinBool(uint8_t index) const { return FReader->GetSkinBool(index); }
    TColor GetFormColor() const { return FMetrics.FormColor; }
    HBRUSH GetFormBrush() const { return FFormBrush.Get(); }
    const TSkinMetrics& Metrics() const { return FMetrics; }
    bool GetSkinningAll() const { return FSkinningAll; }
    bool GetUnskinning() const { return FUnskinning; }
    int SkinWindowCount() const { return static_cast<int>(FSkinWindows.size()); }
    TlumSkinWindow* FindSkinWindow(HWND window) const;
    bool OwnsHook() const { return FOwnsHook; }

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void Destroying() override;

private:
    static TCustomForm* RequireForm(TComponent* owner);
    void DropDeadWindows();
    bool Contains(const TlumSkinWindow* window) const;
    void TearDown();
    // leaveUnskinned: not the forms the application unskinned with UnskinWindow.
    void SkinOpenForms(bool leaveUnskinned);

    std::vector<std::unique_ptr<TlumSkinWindow>> FSkinWindows;
    std::unique_ptr<TlumSkinReader> FReader;
    TlumSkinScrollBtnRes FScrollBtnRes;
    TlumSkinCollection FAdditionalBuiltInSkins{this};
    TlumSkinProgressBarRes FProgressBarRes;
    TlumSkinTabRes FTabRes;
    TBrushHandle FFormBrush;
    TSkinMetrics FMetrics;
    TStringList FAutoSkinWndClassNames;
    // Forms shown later are skinned as they become active; a form the application unskinned
    // stays as it is until it is skinned again on purpose.
    void ActiveFormChanged();
    void FormGone(TLifecycleEvent event, TControl* control);
    TSubscription FActiveFormWatch, FFormsGoneWatch;
    TCustomForm* FOwnerForm;
    AnsiString FPassword, FSkinFile;
    AnsiString FResSysMenu[3] = {"Mi&nimize", "Ma&ximize/Restore", "&Close"};
    intptr_t FDisabledTag = 9999;
    bool FActive = false;
    bool FDrawScrollBar = true;
    bool FBuiltIn = false;
    bool FSkinDialogs = true;
    bool FSkinAllForms = true;
    bool FNoChangeButtonsFontColor = false;
    bool FSkinningAll = false;
    bool FUnskinning = false;
    bool FDestroyingEngine = false;
    bool FOwnsHook = false;
    bool FTornDown = false;

    // ---- Menus: menu skinning and the system-menu popup (skin/skin_menu_win.h) ----
public:
    // Made on first use with the ResSysMenu texts.
    class TlumSkinMenus* Menus();
    class TPopupMenu* GetSystemMenuPopup();
    // The caption's icon or right click: the window becomes the target, the popup opens there.
    void ShowSystemMenu(class TlumSkinSysMenuTarget* target, int x, int y);
    // For Notification: menus and items that join or leave the form.
    void MenuNotification(TComponent* component, TOperation operation);
    // ApplySkin's menu-check step: the skin's checked-menu icon becomes the check image.
    void ApplyMenuCheckImage();
    // For the ResSysMenu setters: renames the popup item when the popup exists.
    void RenameSystemMenuItems();

private:
    struct TMenusDeleter {
        void operator()(class TlumSkinMenus* menus) const;
    };
    std::unique_ptr<class TlumSkinMenus, TMenusDeleter> FMenus;
};
