// The control hierarchy: TControl (any visible element), TWinControl (one with a window),
// TGraphicControl (windowless, painted on its parent) and TCustomControl (a window with a canvas).
//
// Every message for a control goes through Dispatch, which calls its WindowProc. WindowProc is
// a replaceable function that defaults to the virtual WndProc; hooks stack over it with
// TWindowProcHook (window_proc_hook.h), which can be removed in any order. Hooks see every
// message up to and including WM_NCDESTROY; once a control's destruction has begun its own
// WndProc no longer runs and messages end in DefaultHandler. Windows of our own classes share one window procedure,
// which finds the object from the handle; windows of system classes (buttons, edits, common
// controls) are subclassed with SetWindowSubclass and unhooked when they are destroyed.
// No exception leaves a window procedure: the application's handler reports it.
// A control must not be freed inside one of its own handlers (or its form's): close a form, or
// Release it, and it is freed once the message queue comes round to it.
#pragma once
#include "classlib/gui/windows_api.h"

#include <functional>
#include <memory>
#include <vector>

#include "classlib/classes.h"
#include "classlib/gui/graphics.h"
#include "classlib/gui/messages.h"
#include "classlib/proc_chain.h"
#include "classlib/types.h"

class TWinControl;
class TCustomForm;
class TBasicAction;
class TControlActionLink;

// A control asked for something its state does not allow.
PW_DECLARE_EXCEPTION(EInvalidOperation, Exception)
class TControlCanvas;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
// Border of a form; edits and panels use the first two (TBorderStyle).
enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// Reading order of texts and placement of parts like a check box's box.
enum TBiDiMode : uint8_t { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

using TShiftState = uint8_t;
enum : TShiftState { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
// From the MK_* flags of a mouse message, or from the current keyboard state.
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

using TCursor = int;
enum : TCursor {
    crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22, crSizeNESW = -6,
    crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
    crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
    crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22
};
HCURSOR CursorHandle(TCursor cursor);

// The sides of a control that carry a bevel.
using TBevelEdges = uint8_t;
enum : TBevelEdges { beLeft = 1, beTop = 2, beRight = 4, beBottom = 8 };

// Control styles (what a control is and does).
using TControlStyle = uint32_t;
enum : TControlStyle {
    csAcceptsControls = 1 << 0, csCaptureMouse = 1 << 1, csDesignInteractive = 1 << 2,
    csClickEvents = 1 << 3, csFramed = 1 << 4, csSetCaption = 1 << 5, csOpaque = 1 << 6,
    csDoubleClicks = 1 << 7, csFixedWidth = 1 << 8, csFixedHeight = 1 << 9, csNoDesignVisible = 1 << 10,
    csReplicatable = 1 << 11, csNoStdEvents = 1 << 12, csDisplayDragImage = 1 << 13, csReflector = 1 << 14,
    csActionClient = 1 << 15, csMenuEvents = 1 << 16
};
// Control states (what is going on with it now).
using TControlState = uint32_t;
enum : TControlState {
    csLButtonDown = 1 << 0, csClicked = 1 << 1, csPalette = 1 << 2, csReadingState = 1 << 3,
    csAlignmentNeeded = 1 << 4, csFocusing = 1 << 5, csCreating = 1 << 6, csPaintCopy = 1 << 7,
    csCustomPaint = 1 << 8, csDestroyingHandle = 1 << 9
};

using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    // Sees every message first. Defaults to calling WndProc.
    std::function<void(TMessage&)> WindowProc;
    // The hooks stacked over WindowProc (see TWindowProcHook).
    TProcChain<TMessage>& WindowProcChain() { return FWindowProcChain; }
    // The one way in for every message: the window procedure, Perform and broadcasts all call it.
    void Dispatch(TMessage& message);
    // Sends a message straight to WindowProc (no queue, no window needed); returns its Result.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);
    // What happens to a message nobody handled: nothing for a windowless control, the window
    // class's own procedure for a windowed one.
    virtual void DefaultHandler(TMessage& message);

    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int GetLeft() const { return FLeft; }
    int GetTop() const { return FTop; }
    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    // Position in the parent's client area (on the screen for top-level windows) and outer size.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect GetBoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect GetClientRect() const;
    int GetClientWidth() const { return GetClientRect().Width(); }
    int GetClientHeight() const { return GetClientRect().Height(); }
    void SetClientWidth(int w) { SetClientSize(w, GetClientHeight()); }
    void SetClientHeight(int h) { SetClientSize(GetClientWidth(), h); }
    virtual void SetClientSize(int width, int height);
    // Screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    bool GetVisible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so is every parent (for a window: it is really shown).
    virtual bool Showing() const;
    bool GetEnabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);

    AnsiString GetText() const;
    void SetText(const AnsiString& text);
    AnsiString GetCaption() const { return GetText(); }
    void SetCaption(const AnsiString& text) { SetText(text); }

    TFont* GetFont() const { return FFont.get(); }
    void SetFont(TFont* font) { FFont->Assign(font); }
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor color);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    // Edits and forms draw a sunken or flat border by it.
    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);
    TAlign GetAlign() const { return FAlign; }
    void SetAlign(TAlign align);
    TBiDiMode GetBiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode);
    // Text aligns from the right only in bdRightToLeft; it reads right to left in every mode
    // but bdLeftToRight.
    virtual bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
    virtual bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
    // DrawText flags for this control's reading order: DT_LEFT and DT_RIGHT swap when the
    // alignment is right to left (DT_CENTER stays), DT_RTLREADING is added when the reading is.
    UINT DrawTextBiDiModeFlags(UINT flags) const;
    // Whether the control publishes a property of this name ("BorderStyle", "Color", ...), for
    // code that treats controls alike by what they publish.
    virtual bool HasProperty(const AnsiString& name) const { return false; }
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    const AnsiString& GetHint() const { return FHint; }
    void SetHint(const AnsiString& hint) { FHint = hint; }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool v) { FShowHint = v; }

    TControlStyle GetControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle style) { FControlStyle = style; }
    TControlState GetControlState() const { return FControlState; }
    void SetControlState(TControlState state) { FControlState = state; }

    // The mouse is captured for this control (for a windowless one: through its parent's window).
    bool GetMouseCapture() const;
    void SetMouseCapture(bool value);

    virtual void Invalidate();
    // Invalidate and paint at once.
    virtual void Repaint();
    virtual void Update();
    void Refresh() { Repaint(); }
    void BringToFront() { SetZOrder(true); }
    void SendToBack() { SetZOrder(false); }

    // A click, as if the user made it: OnClick, or without one the action.
    virtual void Click();

    // The action the control follows: setting it copies the action's caption, enabled state,
    // hint and visibility at once and again on every change of the action, and clears OnClick
    // so that a click executes the action; an OnClick assigned afterwards wins over the action
    // whatever the action does later. nullptr (or the action's end) lets it go: a click then
    // runs only an OnClick assigned since.
    TBasicAction* GetAction() const;
    void SetAction(TBasicAction* action);
    TControlActionLink* GetActionLink() const { return FActionLink.get(); }
    // Asks the action to update itself (the application does so for visible controls when idle).
    void InitiateAction();

    TNotifyEvent OnClick, OnDblClick, OnMouseEnter, OnMouseLeave, OnResize;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    friend class TWinControl;
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Resize();
    virtual void SetZOrder(bool topMost);
    // Tells the parent to lay its aligned children out again.
    void RequestAlign();
    // The control's own text store (windowless controls, and windows before they exist).
    virtual void SetTextBuf(const AnsiString& text);
    void FontChanged();
    // Destruction has begun: observers of the control lifecycle hear of it.
    void Destroying() override;
    // Takes the properties of the action; checkDefaults keeps those already set (a loading action).
    virtual void ActionChange(TObject* sender, bool checkDefaults);
    virtual std::unique_ptr<TControlActionLink> CreateActionLink();
    void Notification(TComponent* component, TOperation operation) override;

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FParentColor = true;
    bool FCtl3D = true;
    bool FShowHint = false;
    AnsiString FText;
    AnsiString FHint;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clWindow;
    TAlign FAlign = alNone;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TCursor FCursor = crDefault;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState FControlState = 0;

private:
    void HandleMouseMessage(TMessage& m);
    bool FAdoptingParentFont = false;
    std::unique_ptr<TControlActionLink> FActionLink;
    TProcChain<TMessage> FWindowProcChain{WindowProc};
};

// What CreateParams fills in before a window is made.
struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    // A window of one of our classes: its name (registered on first use) and class style.
    AnsiString WinClassName;
    UINT ClassStyle = CS_DBLCLKS;
    // When set, a window of this existing (system) class is made and subclassed instead.
    AnsiString SystemClassName;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    // The window, made with its parent's when first asked for.
    HWND GetHandle();
    HWND GetHandleIfAllocated() const { return FHandle; }
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { GetHandle(); }
    // Makes the window again (after a change of style that only creation can apply).
    void RecreateWnd();
    // True for windows of system classes, which paint themselves.
    bool IsSubclassed() const { return FSubclassed; }

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(TControl* control) const;
    // The topmost visible child at a point of the client area: windowless ones only unless
    // allowWinControls; disabled ones only if allowDisabled.
    TControl* ControlAtPos(const TPoint& pt, bool allowDisabled, bool allowWinControls = false) const;
    // Sends the message to every child.
    void Broadcast(TMessage& message);
    void NotifyControls(UINT msg);

    // Lays the aligned children out in the client area again.
    void Realign();
    // The part of the client area that aligned children share.
    virtual void AdjustClientRect(TRect& rect) const {}

    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    int GetTabOrder() const;
    void SetTabOrder(int order);
    // Every focusable descendant in tab order.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    void SelectFirst();

    TBrush* GetBrush() { return FBrush.get(); }
    TBevelEdges GetBevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges edges) { FBevelEdges = edges; }

    void SetBounds(int left, int top, int width, int height) override;
    TRect GetClientRect() const override;
    TPoint ClientOrigin() const override;
    bool Showing() const override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    // Offered each queued message for this window (or a foreign window inside it) before the
    // message loop translates and dispatches it; true keeps it from going further.
    virtual bool PreProcessMessage(MSG& msg) { return false; }

    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter, OnExit;

protected:
    friend class TControl;
    friend class TApplication;
    friend class TCustomForm;
    friend struct WindowRouting;
    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    virtual void CreateParams(TCreateParams& params);
    // Makes the window from the parameters and then the windows of every child.
    virtual void CreateHandle();
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    // Destroys the windows of the children and then its own (saving what only it held).
    virtual void DestroyHandle();
    virtual void DestroyWnd();
    // Called once the window exists (set fonts, texts, states that live in it).
    virtual void HandleCreated() {}
    // Paints the client area of one of our own windows (not for system classes).
    virtual void PaintWindow(HDC dc) {}
    void PaintHandler(TMessage& message);
    void PaintControls(HDC dc, TControl* first);
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();
    void SetZOrder(bool topMost) override;
    // The control's new size and position as the window reports them.
    void UpdateBounds();
    // The parent's window, or nullptr for a control without parent.
    virtual HWND ParentWindow() const;

    HWND FHandle = nullptr;
    std::vector<TControl*> FControls;      // children, back to front
    std::vector<TWinControl*> FTabList;    // windowed children in tab order
    std::unique_ptr<TBrush> FBrush;
    bool FTabStop = false;
    TBevelEdges FBevelEdges = beLeft | beTop | beRight | beBottom;

private:
    bool FSubclassed = false;
    WNDPROC FClassWndProc = nullptr;   // system class procedure, for defaults outside the subclass chain
    int FSubclassDepth = 0;
    int FAlignLevel = 0;
    bool FRealignPending = false;
    bool FTrackingMouse = false;
    bool DoKey(TMessage& m, void (TWinControl::*handler)(WORD&, TShiftState));
    bool DoKeyPress(TMessage& m);
    bool ReflectToChild(TMessage& m);
    bool IsControlMouseMsg(TMessage& m);
    void DialogKey(TMessage& m);
    void SetCursorFromHit(TMessage& m);
    LRESULT Route(UINT msg, WPARAM wParam, LPARAM lParam);
    void Attach(HWND wnd);
    void Detach();
};

// A windowless control: it draws on its parent's window and gets its mouse messages from it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    const char* ClassName() const override { return "TGraphicControl"; }
    TCanvas* GetCanvas();
protected:
    void WndProc(TMessage& message) override;
    virtual void Paint() {}
private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// A window of our own class with a canvas to paint its client area in Paint.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    const char* ClassName() const override { return "TCustomControl"; }
    TCanvas* GetCanvas();
protected:
    void PaintWindow(HDC dc) override;
    virtual void Paint() {}
private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// The canvas of a control: the DC of its window (or of its parent's, clipped and moved, for a
// windowless control). Outside painting it takes a DC when first used and lets it go when the
// message loop next goes idle, or on FreeHandle.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* control) : FControl(control) {}
    ~TControlCanvas() override;
    const char* ClassName() const override { return "TControlCanvas"; }
    void FreeHandle();
    // Runs paint with the canvas drawing on dc (a paint DC given by the system or the parent).
    void PaintOn(HDC dc, const std::function<void()>& paint);
    TControl* GetControl() const { return FControl; }
    // Frees the DCs of every control canvas (the message loop calls it when idle).
    static void FreeDeviceContexts();
protected:
    void CreateHandle() override;
private:
    TControl* FControl;
    HWND FWindow = nullptr;
    bool FOwnsDC = false;
};

// The object of one of our windows (own class or subclassed), or nullptr.
TWinControl* FindControl(HWND wnd);
// The object of the window at a screen point, or of its nearest ancestor that has one.
TWinControl* FindVCLWindow(const TPoint& screenPos);
// The control (windowless ones included) at a screen point.
TControl* FindDragTarget(const TPoint& screenPos, bool allowDisabled);
// The form a control sits on (nullptr when it has none).
TCustomForm* GetParentForm(TControl* control);
// The control that holds the mouse capture (a windowless one through its parent), or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
