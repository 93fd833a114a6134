#include "skin/skin_std_ctrl_picker_win.h"

#include <commctrl.h>

#include "classlib/gui/handles.h"
#include "classlib/gui/list_controls.h"
#include "skin/skin_ctrl_helpers_win.h"
#include "skin/skin_std_ctrl_combo_win.h"
#include "skin/skin_utils_win.h"

// ---- the picker's up-down

TlumSkinInternalUpDown::TlumSkinInternalUpDown(TWinControl* host, TlumSkinDateTimePicker* skin)
    : TUpDown(host), FHostControl(host), FSkin(skin) {
    SetBounds(0, 0, 16, 16);
}

TlumSkinInternalUpDown::~TlumSkinInternalUpDown() {
    BeginDestroy();
    FHostControl = nullptr;
    if (FSkin && FSkin->FUpDown == this) FSkin->FUpDown = nullptr;
    FSkin = nullptr;
}

void TlumSkinInternalUpDown::WndProc(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    // A played-back release was the native up-down's already: only the skin needed it.
    if (m.Msg == WM_LBUTTONUP && FPlayingBack) return;
    TUpDown::WndProc(m);
    if (!FSkin) return;
    HWND native = FSkin->NativeUpDown();
    if (!native) return;
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: {
        // The same screen point in the native up-down's own coordinates: the two lie over
        // each other at the picker's right edge.
        POINT p = MessageCursor();
        ::ScreenToClient(native, &p);
        ReleaseCapture();
        FPressPassedOn = false;   // a release of our own leaves nothing to play back
        SendMessageA(native, m.Msg, MK_LBUTTON, PointParam(p));
        if (m.Msg != WM_LBUTTONUP && GetCapture() == native) {
            WatchNative(native);
            FPressPassedOn = true;
        }
        break;
    }
    case WM_NCHITTEST: SendMessageA(native, WM_NCHITTEST, 0, PointParam(MessageCursor())); break;
    default: break;
    }
}

void TlumSkinInternalUpDown::WatchNative(HWND native) {
    if (FNativeWatch && FNativeWatch->Window() == native) return;
    FNativeWatch.reset();
    FNativeWatch = std::make_unique<TSubclassHook>(native, [this](TMessage& m) {
        FNativeWatch->Previous(m);
        // Released, or the mouse taken from it: the press is over.
        if (m.Msg == WM_CAPTURECHANGED && FPressPassedOn) {
            FPressPassedOn = false;
            PlayBackRelease();
        }
    });
}

void TlumSkinInternalUpDown::PlayBackRelease() {
    if (!HandleAllocated()) return;
    POINT p{};
    GetCursorPos(&p);
    ::ScreenToClient(FHandle, &p);
    FPlayingBack = true;
    try {
        Perform(WM_LBUTTONUP, 0, PointParam(p));
    } catch (...) {
        FPlayingBack = false;
        throw;
    }
    FPlayingBack = false;
}

// ---- date-time pickers

bool TlumSkinDateTimePicker::HasDropDownButton(const TDateTimePicker* picker) {
    return picker && picker->GetKind() != dtkTime && picker->GetDateMode() != dmUpDown;
}

HWND TlumSkinDateTimePicker::NativeUpDown() const {
    auto* picker = dynamic_cast<TDateTimePicker*>(GetControl());
    HWND wnd = picker ? picker->GetHandleIfAllocated() : nullptr;
    if (!wnd) return nullptr;
    // Ours has the same window class and the same parent.
    HWND own = FUpDown ? FUpDown->GetHandleIfAllocated() : nullptr;
    for (HWND child = FindWindowExA(wnd, nullptr, UPDOWN_CLASSA, nullptr); child;
         child = FindWindowExA(wnd, child, UPDOWN_CLASSA, nullptr))
        if (child != own) return child;
    return nullptr;
}

TlumSkinDateTimePicker::~TlumSkinDateTimePicker() { FreeUpDown(); }

void TlumSkinDateTimePicker::FreeUpDown() {
    TlumSkinInternalUpDown* upDown = FUpDown;
    FUpDown = nullptr;
    if (!upDown) return;
    upDown->ForgetSkin();
    delete upDown;
}

void TlumSkinDateTimePicker::SaveOriginal() {
    TlumSkinExtComboboxLikeControl::SaveOriginal();
    auto* picker = dynamic_cast<TDateTimePicker*>(GetControl());
    if (GetComboButton()) GetComboButton()->SetVisible(HasDropDownButton(picker));
    FUpDown = nullptr;
    FNativeHidden = false;
    if (!picker || picker->GetTag() == 9998) return;
    FUpDown = new TlumSkinInternalUpDown(picker, this);
    try {
        FUpDown->SetParent(picker);
        FUpDown->SetVisible(!(GetComboButton() && GetComboButton()->GetVisible()));
        FUpDown->BringToFront();
        FUpDown->SetAlign(alRight);
    } catch (...) {
        FreeUpDown();
    }
}

void TlumSkinDateTimePicker::ApplySkinColours() {
    TlumSkinExtComboboxLikeControl::ApplySkinColours();
    auto* picker = dynamic_cast<TDateTimePicker*>(GetControl());
    TlumSkinInternalComboButton* button = GetComboButton();
    if (button && button->GetVisible()) button->SetVisible(HasDropDownButton(picker));
    if (!FUpDown) return;
    HWND native = NativeUpDown();
    if (FEngine && FEngine->IsSkinActive()) {
        FUpDown->SetVisible(!(button && button->GetVisible()));
        if (native) {
            ShowWindow(native, SW_HIDE);
            FNativeHidden = true;
        }
    } else {
        FUpDown->SetVisible(false);
        if (native) ShowWindow(native, SW_SHOW);
        FNativeHidden = false;
    }
}

void TlumSkinDateTimePicker::AfterMessage(TMessage& m) {
    TlumSkinExtComboboxLikeControl::AfterMessage(m);
    if ((m.Msg == CM_ENABLEDCHANGED || m.Msg == WM_ENABLE) && FUpDown && FUpDown->HandleAllocated())
        FUpDown->Invalidate();
}

void TlumSkinDateTimePicker::Restore() {
    TlumSkinExtComboboxLikeControl::Restore();
    FreeUpDown();
    if (FNativeHidden) {
        if (HWND native = NativeUpDown()) ShowWindow(native, SW_SHOW);
        FNativeHidden = false;
    }
}

// ---- extended combo boxes

void TlumSkinComboBoxEx::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    if (m.Msg == WM_DRAWITEM) Repaint();
}

void TlumSkinComboBoxEx::Paint() {
    auto* ex = dynamic_cast<TCustomComboBoxEx*>(GetControl());
    if (!ex || ex->GetStyle() == csExSimple) return;
    HWND inner = ex->GetComboHandle();
    if (!inner) return;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!LUMSkinUtils::GetComboBoxInfo(inner, &info)) return;
    const TColor border = SkinColor(this, SKIN2_CONTROLBORDERCOLOR);
    {
        TWindowDC dc(inner);
        if (!dc) return;
        TBorrowedCanvas canvas(dc.Get());
        PaintSkinComboFrame(canvas.Get(), ex->GetClientRect(), info.rcButton, border,
                            ex->HasProperty("Color") ? ex->GetColor() : SkinColor(this, SKIN2_CONTROLCOLOR),
                            SkinColor(this, SKIN2_CONTROLCOLOR), ex->GetBiDiMode() == bdRightToLeft, ex->GetEnabled());
    }
    // The dropped list gets the same frame, on its own window rather than on the screen.
    if (info.hwndList && IsWindowVisible(info.hwndList)) {
        RECT r;
        GetWindowRect(info.hwndList, &r);
        TWindowDC dc(info.hwndList, TWindowDC::daWindow);
        if (!dc) return;
        TBorrowedCanvas canvas(dc.Get());
        FrameRectColor(canvas.Get(), TRect(0, 0, r.right - r.left, r.bottom - r.top), border);
    }
}
