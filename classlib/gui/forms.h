// Forms (top-level windows) and the screen.
#pragma once
#include "classlib/gui/windows_api.h"

#include <functional>
#include <memory>
#include <vector>

#include "classlib/gui/controls.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/lifecycle.h"
#include "classlib/multicast.h"

enum TPosition : uint8_t {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
// fsMDIForm: a frame whose client area is the system's MDI client, holding the fsMDIChild forms.
enum TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
// How Tile lays the MDI children out: one above the other, or side by side.
enum TTileMode : uint8_t { tbHorizontal, tbVertical };
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };

using TBorderIcons = uint8_t;
enum : TBorderIcons { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };

using TFormState = uint8_t;
enum : TFormState { fsCreating = 1, fsVisible = 2, fsShowing = 4, fsModal = 8, fsActivated = 16 };

using TModalResult = int;
enum : TModalResult {
    mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY, mrIgnore = IDIGNORE,
    mrYes = IDYES, mrNo = IDNO, mrAll = mrNo + 1, mrNoToAll = mrAll + 1, mrYesToAll = mrNoToAll + 1
};

// The smallest size the user may drag a form to (0: no limit).
class TMainMenu;
class TMenuItem;

class TSizeConstraints {
public:
    int GetMinWidth() const { return FMinWidth; }
    void SetMinWidth(int value) { FMinWidth = value < 0 ? 0 : value; }
    int GetMinHeight() const { return FMinHeight; }
    void SetMinHeight(int value) { FMinHeight = value < 0 ? 0 : value; }

private:
    int FMinWidth = 0, FMinHeight = 0;
};

// A form's icon; it owns the handle it is given.
class TIcon {
public:
    bool Empty() const { return FHandle.Get() == nullptr; }
    HICON GetHandle() const { return FHandle.Get(); }
    void SetHandle(HICON icon) { FHandle.Reset(icon); }

private:
    TIconHandle FHandle;
};

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

// A top-level window. A derived form's constructor sets its stored properties and creates its
// controls (owned by the form); CreateForm, or the first Show, then runs Loaded on them and
// fires OnCreate.
class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    const char* ClassName() const override { return "TCustomForm"; }

    // Ends construction: Loaded on every component still loading, then OnCreate (errors in it
    // are reported and construction goes on). Runs once.
    void AfterConstruction();

    void Show();
    void Hide() { SetVisible(false); }
    // Shows the form with every other window of the program disabled and runs a message loop
    // until ModalResult becomes non-zero (or the program is told to end: mrCancel).
    int ShowModal();
    // Asks OnCloseQuery, then OnClose says what happens: hide (the default), free, minimise or
    // nothing. Closing the main form ends the program; closing a modal form sets mrCancel.
    void Close();
    bool CloseQuery();
    // Frees the form once the messages now in the queue are handled.
    void Release();
    bool Active() const;
    // Keeps the control to focus when the form is next shown or activated (no focus change now).
    void RememberActiveControl(TWinControl* control) { FActiveControl = control; }

    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }
    TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons GetBorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition GetPosition() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    TWindowState GetWindowState() const;
    void SetWindowState(TWindowState state);
    TFormStyle GetFormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style);
    bool GetKeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    TWinControl* GetActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    TFormState GetFormState() const { return FFormState; }
    TCanvas* GetCanvas();
    // Read while the user sizes the form.
    TSizeConstraints* GetConstraints() { return &FConstraints; }
    TIcon* GetIcon() { return &FIcon; }
    // Takes the icon over (nullptr: none) and shows it in the window's frame.
    void SetIcon(HICON icon);
    // The form's menu bar (nullptr: none).
    TMainMenu* GetMenu();
    void SetMenu(TMainMenu* menu);

    // ---- MDI (a frame: fsMDIForm; its children: fsMDIChild, made inside the main form) ----
    // The frame's MDI client window (nullptr for other forms, or before the frame's window exists).
    HWND GetClientHandle() const { return FClientHandle; }
    // The child the MDI client has active, or nullptr.
    TCustomForm* GetActiveMDIChild() const;
    // The frame's children that have a window, in creation order.
    int MDIChildCount() const;
    TCustomForm* MDIChildren(int index) const;
    // The sub-menu of the frame's main menu under which the client lists its children.
    TMenuItem* GetWindowMenu() const { return FWindowMenu; }
    void SetWindowMenu(TMenuItem* item);
    TTileMode GetTileMode() const { return FTileMode; }
    void SetTileMode(TTileMode mode) { FTileMode = mode; }
    void Cascade();
    // Side by side or one above the other, by TileMode.
    void Tile();
    void ArrangeIcons();
    // Activates the next / previous child.
    void Next();
    void Previous();
    // The main menu rebuilt its handles: the client is given the window menu's new handle.
    void WindowMenuChanged();

    void SetVisible(bool visible) override;
    void SetClientSize(int width, int height) override;
    TRect GetClientRect() const override;
    bool Showing() const override;

    TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    friend class TWinControl;
    friend class TApplication;
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    void PaintWindow(HDC dc) override;
    HWND ParentWindow() const override;
    void CreateWnd() override;
    void CreateWindowHandle(const TCreateParams& params) override;
    void DestroyWnd() override;
    void DefaultHandler(TMessage& message) override;
    void AlignControls(TControl* control, TRect& rect) override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void Paint();
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();
    // Remembers the focused control (its window got the focus).
    void FocusChanged(TWinControl* control);
    void CloseModal();
    void ShowWindowNow();
    void PlaceOnShow();
    void ApplyPendingClientSize();
    // The main form's MDI client, for an MDI child (raises when there is no MDI frame).
    HWND MDIParentClient() const;
    void CreateMDIClient();
    // Our MDI children's windows: found by their own class procedure while WM_MDICREATE runs.
    static LRESULT CALLBACK MDIChildClassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;
    // Lifecycle: a control of ours got the focus, or one we remember is going.
    void ControlEvent(TLifecycleEvent event, TControl* control);

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    TFormStyle FFormStyle = fsNormal;
    TTileMode FTileMode = tbHorizontal;
    HWND FClientHandle = nullptr;        // MDI client of a frame
    TMenuItem* FWindowMenu = nullptr;    // not owned (free notification)
    TFormState FFormState = 0;
    TModalResult FModalResult = mrNone;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;   // the last to get the focus (for OnEnter/OnExit)
    bool FKeyPreview = false;
    bool FConstructed = false;
    int FPendingClientWidth = -1, FPendingClientHeight = -1;
    HWND FModalOwner = nullptr;
    std::unique_ptr<TControlCanvas> FCanvas;
    TSizeConstraints FConstraints;
    TIcon FIcon;
    TSubscription FLifecycle;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
    const char* ClassName() const override { return "TForm"; }
};

// The screen and the program's forms.
class TScreen : public TComponent {
public:
    TScreen();
    const char* ClassName() const override { return "TScreen"; }
    int GetWidth() const;
    int GetHeight() const;
    int GetPixelsPerInch() const;
    // The screen without the task bar.
    TRect GetWorkAreaRect() const;
    // A cursor for the whole program (crDefault: each control's own).
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    TCustomForm* GetActiveForm() const { return FActiveForm; }
    TWinControl* GetActiveControl() const { return FActiveControl; }
    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int index) const { return FForms.at(static_cast<size_t>(index)); }
    TNotifyEvent OnActiveFormChange, OnActiveControlChange;
    // Whoever else follows the active form (components such as a skin engine): each joins and
    // leaves on its own, after OnActiveFormChange, which stays the application's.
    TMulticast<TCustomForm*>& ActiveFormWatchers() { return FActiveFormWatchers; }

private:
    friend class TCustomForm;
    void ControlEvent(TLifecycleEvent event, TControl* control);
    void AddForm(TCustomForm* form);
    void SetActiveForm(TCustomForm* form);
    void SetActiveControl(TWinControl* control);
    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TCursor FCursor = crDefault;
    TSubscription FLifecycle;
    TMulticast<TCustomForm*> FActiveFormWatchers;
};

extern TScreen* Screen;
