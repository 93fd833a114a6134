#include "skin/skin_control_bases_win.h"

#include "classlib/gui/forms.h"
#include "classlib/gui/grids.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/input_controls.h"
#include "classlib/gui/list_controls.h"
#include "classlib/gui/list_view.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/scroll_boxes.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/tool_bar.h"
#include "skin/skin_ctrl_helpers_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_res_win.h"
#include "skin/skin_utils_win.h"

// ---- the skin's settings

TlumSkinEngine* SkinEngineOf(const TlumSkinControl* skin) {
    TlumSkinEngine* engine = skin ? dynamic_cast<TlumSkinEngine*>(skin->GetEngine()) : nullptr;
    return engine && engine->GetReady() ? engine : nullptr;
}

TColor SkinColor(const TlumSkinControl* skin, TSkinColorKey key) {
    TlumSkinEngineIntf* engine = skin ? skin->GetEngine() : nullptr;
    return engine ? engine->GetSkinColor(key) : clBtnFace;
}

bool SkinBool(const TlumSkinControl* skin, TSkinBoolKey key) {
    TlumSkinEngine* engine = SkinEngineOf(skin);
    return engine && engine->GetSkinBool(key);
}

bool SkinBitmapPart(const TlumSkinControl* skin, TSkinBitmapKey key, TBitmap* target, int k, int n) {
    TlumSkinEngine* engine = SkinEngineOf(skin);
    return engine && engine->GetSkinBitmapPart(key, target, k, n);
}

TColor SkinTransparentColor(const TlumSkinControl* skin) {
    TlumSkinEngine* engine = SkinEngineOf(skin);
    return engine ? engine->Metrics().TransparentColor : clFuchsia;
}

TColor SkinFormColor(const TlumSkinControl* skin) {
    TlumSkinEngine* engine = SkinEngineOf(skin);
    return engine ? engine->GetFormColor() : clBtnFace;
}

bool SkinNoChangeButtonsFontColor(const TlumSkinControl* skin) {
    TlumSkinEngine* engine = dynamic_cast<TlumSkinEngine*>(skin ? skin->GetEngine() : nullptr);
    return engine && engine->GetNoChangeButtonsFontColor();
}

namespace {

// The engine component that owns the auxiliary panels (nullptr: the skin frees them itself).
TComponent* PanelOwner(const TlumSkinControl* skin) { return dynamic_cast<TComponent*>(skin->GetEngine()); }

}  // namespace

// ---- borders

namespace {

// The BorderStyle of a control that has one of the border kind (a form's counts; the static
// text's is of another kind and means no frame); -1 for a control without one.
int BorderStyleOf(TWinControl* control) {
    if (auto* c = dynamic_cast<TCustomEdit*>(control)) return c->GetBorderStyle();
    if (auto* c = dynamic_cast<TCustomPanel*>(control)) return c->GetBorderStyle();
    if (auto* c = dynamic_cast<TCustomForm*>(control)) return c->GetBorderStyle();
    if (auto* c = dynamic_cast<TCustomListBox*>(control)) return c->GetBorderStyle();
    if (auto* c = dynamic_cast<TCustomGrid*>(control)) return c->GetBorderStyle();
    if (auto* c = dynamic_cast<TCustomListView*>(control)) return c->GetBorderStyle();
    if (auto* c = dynamic_cast<TScrollBox*>(control)) return c->GetBorderStyle();
    if (dynamic_cast<TStaticText*>(control)) return bsNone;
    return -1;
}

}  // namespace

// Whatever says "no border" wins: the border style, or an empty set of bevel or edge borders.
bool TlumSkinBorderWinControl::WantsBorder(TWinControl* control) const {
    if (BorderStyleOf(control) == bsNone) return false;
    if (control->HasProperty("BevelEdges") && control->GetBevelEdges() == 0) return false;
    if (auto* bar = dynamic_cast<TToolWindow*>(control))
        if (bar->HasProperty("EdgeBorders") && bar->GetEdgeBorders() == 0) return false;
    return !IsBorderExcluded(control->ClassName());
}

void TlumSkinBorderWinControl::PaintBorder() {
    TWinControl* control = GetWinControl();
    if (!control || !control->HandleAllocated() || !WantsBorder(control)) return;
    const TColor inner = control->HasProperty("Color") ? control->GetColor() : SkinColor(this, SKIN2_CONTROLCOLOR);
    DrawControlBorder(control, SkinColor(this, SKIN2_CONTROLBORDERCOLOR), inner, true);
}

void TlumSkinBorderWinControl::Paint() { PaintBorder(); }

void TlumSkinBorderWndControl::Paint() {
    if (!IsWindow(FWnd)) return;
    DrawWindowBorder(FWnd, SkinColor(this, SKIN2_CONTROLBORDERCOLOR), clWindow, true);
}

// ---- the drop-down button

TlumSkinInternalComboButton::TlumSkinInternalComboButton(TComponent* owner, TlumSkinExtComboboxLikeControl* skin,
                                                         TWinControl* host)
    : TCustomPanel(owner), FSkin(skin), FHostControl(host) {
    SetBounds(0, 0, 16, 16);
    SetBevelOuter(bvNone);
    if (FHostControl) FHostControl->FreeNotification(this);
}

TlumSkinInternalComboButton::~TlumSkinInternalComboButton() {
    BeginDestroy();
    if (FHostControl) FHostControl->RemoveFreeNotification(this);
    FHostControl = nullptr;
    if (FSkin && FSkin->FComboButton == this) FSkin->FComboButton = nullptr;
    FSkin = nullptr;
}

void TlumSkinInternalComboButton::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation == opRemove && component == FHostControl) FHostControl = nullptr;
}

void TlumSkinInternalComboButton::Paint() {
    TCanvas* canvas = GetCanvas();
    const TRect r = GetClientRect();
    FillRectColor(canvas, r, SkinColor(FSkin, SKIN2_CONTROLCOLOR));
    canvas->GetPen()->SetColor(SkinColor(FSkin, SKIN2_CONTROLBORDERCOLOR));
    canvas->MoveTo(r.Left, r.Top - 1);
    canvas->LineTo(r.Left, r.Bottom + 1);
    const bool enabled = FHostControl && FHostControl->GetEnabled();
    DrawComboArrow(canvas, r.Left + r.Width() / 2 - 3, r.Height() / 2 - 2, enabled);
}

void TlumSkinInternalComboButton::WndProc(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TCustomPanel::WndProc(m);
    if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONUP) && FHostControl && FHostControl->HandleAllocated()) {
        POINT p = MessageCursor();
        HWND host = FHostControl->GetHandleIfAllocated();
        ::ScreenToClient(host, &p);
        ReleaseCapture();
        SendMessageA(host, m.Msg, MK_LBUTTON, PointParam(p));
    }
}

TlumSkinExtComboboxLikeControl::~TlumSkinExtComboboxLikeControl() { FreeComboButton(); }

void TlumSkinExtComboboxLikeControl::FreeComboButton() {
    TlumSkinInternalComboButton* panel = FComboButton;
    FComboButton = nullptr;
    if (!panel) return;
    panel->ForgetSkin();
    delete panel;
}

void TlumSkinExtComboboxLikeControl::SaveOriginal() {
    TlumSkinBorderWinControl::SaveOriginal();
    TWinControl* host = GetWinControl();
    if (!host) return;
    auto* panel = new TlumSkinInternalComboButton(PanelOwner(this), this, host);
    FComboButton = panel;
    try {
        panel->SetParent(host);
        panel->SetVisible(true);
        panel->BringToFront();
        panel->SetAlign(alRight);
    } catch (...) {
        FreeComboButton();
    }
}

void TlumSkinExtComboboxLikeControl::ApplySkinColours() {
    TlumSkinBorderWinControl::ApplySkinColours();
    if (FComboButton) FComboButton->SetVisible(FEngine && FEngine->IsSkinActive());
}

void TlumSkinExtComboboxLikeControl::AfterMessage(TMessage& m) {
    TlumSkinBorderWinControl::AfterMessage(m);
    if (m.Msg == CM_VISIBLECHANGED && FComboButton && GetControl()) FComboButton->SetVisible(GetControl()->GetVisible());
}

void TlumSkinExtComboboxLikeControl::Paint() {
    PaintBorder();
    TWinControl* control = GetWinControl();
    if (FComboButton && control && control->HandleAllocated()) FComboButton->Repaint();
}

void TlumSkinExtComboboxLikeControl::Restore() { FreeComboButton(); }

// ---- scroll-bar overlays

TlumSkinInternalScrollBar::TlumSkinInternalScrollBar(TComponent* owner, TlumSkinScrollWinControl* skin,
                                                     TWinControl* target, bool horizontal)
    : TCustomPanel(owner),
      FTarget(target),
      FOverlayBitmap(std::make_unique<TBitmap>()),
      FSkin(skin),
      FHorizontal(horizontal) {
    SetBevelOuter(bvNone);
    if (FTarget) FTarget->FreeNotification(this);
}

TlumSkinInternalScrollBar::~TlumSkinInternalScrollBar() {
    BeginDestroy();
    if (FTarget) FTarget->RemoveFreeNotification(this);
    FTarget = nullptr;
    if (FSkin) {
        TlumSkinInternalScrollBar*& field = FHorizontal ? FSkin->FHorzScrollBar : FSkin->FVertScrollBar;
        if (field == this) field = nullptr;
    }
    FSkin = nullptr;
}

void TlumSkinInternalScrollBar::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation == opRemove && component == FTarget) FTarget = nullptr;
}

void TlumSkinInternalScrollBar::Paint() {
    if (FOverlayBitmap->Empty()) {
        SetVisible(false);
        TCustomPanel::Paint();
        return;
    }
    GetCanvas()->Draw(0, 0, FOverlayBitmap.get());
}

void TlumSkinInternalScrollBar::WndProc(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 1;
        return;
    }
    TCustomPanel::WndProc(m);
    UINT nc = 0;
    switch (m.Msg) {
    case WM_LBUTTONDOWN: nc = WM_NCLBUTTONDOWN; break;
    case WM_LBUTTONUP: nc = WM_NCLBUTTONUP; break;
    case WM_LBUTTONDBLCLK: nc = WM_NCLBUTTONDBLCLK; break;
    default: return;
    }
    if (!FTarget || !FTarget->HandleAllocated()) return;
    ReleaseCapture();
    SendMessageA(FTarget->GetHandleIfAllocated(), nc, FHorizontal ? HTHSCROLL : HTVSCROLL, PointParam(MessageCursor()));
}

TlumSkinScrollWinControl::~TlumSkinScrollWinControl() { FreeOverlays(); }

void TlumSkinScrollWinControl::FreeOverlays() {
    for (TlumSkinInternalScrollBar** field : {&FVertScrollBar, &FHorzScrollBar}) {
        TlumSkinInternalScrollBar* overlay = *field;
        *field = nullptr;
        if (!overlay) continue;
        overlay->ForgetSkin();
        delete overlay;
    }
}

bool TlumSkinScrollWinControl::WantsOverlays(TWinControl* control) const {
    if (dynamic_cast<TPanel*>(control->GetParent())) {
        TWinControl* above = control->GetParent();
        while (dynamic_cast<TPanel*>(above)) above = above->GetParent();
        if (above && AnsiString(above->ClassName()) == "TTabPage") return false;
    }
    if (auto* edit = dynamic_cast<TCustomEdit*>(control)) {
        // Multi-line edits only; the window style decides once there is a window.
        const bool multiLine = edit->HandleAllocated()
                                   ? (GetWindowLongA(edit->GetHandleIfAllocated(), GWL_STYLE) & ES_MULTILINE) != 0
                                   : dynamic_cast<TCustomMemo*>(edit) != nullptr;
        return multiLine && !dynamic_cast<TCustomMaskEdit*>(edit) && AnsiString(edit->ClassName()) != "TSpinEdit";
    }
    return true;
}

TWinControl* TlumSkinScrollWinControl::OverlayParent(TWinControl* control) const {
    if (control->GetParent()) return control->GetParent();
    return FSkinWindow ? FSkinWindow->GetForm() : nullptr;
}

TlumSkinInternalScrollBar* TlumSkinScrollWinControl::MakeOverlay(TWinControl* control, bool horizontal) {
    auto* overlay = new TlumSkinInternalScrollBar(PanelOwner(this), this, control, horizontal);
    try {
        overlay->SetParent(OverlayParent(control));
        overlay->SetVisible(false);
    } catch (...) {
        overlay->ForgetSkin();
        delete overlay;
        return nullptr;
    }
    return overlay;
}

void TlumSkinScrollWinControl::SaveOriginal() {
    TlumSkinBorderWinControl::SaveOriginal();
    FVertScrollBar = FHorzScrollBar = nullptr;
    TWinControl* control = GetWinControl();
    // Without a parent the overlays lie on the skin window's form.
    if (!control || !WantsOverlays(control)) return;
    FVertScrollBar = MakeOverlay(control, false);
    FHorzScrollBar = MakeOverlay(control, true);
}

void TlumSkinScrollWinControl::ApplySkinColours() {
    TlumSkinBorderWinControl::ApplySkinColours();
    const bool active = FEngine && FEngine->IsSkinActive();
    if (FVertScrollBar) FVertScrollBar->SetVisible(active);
    if (FHorzScrollBar) FHorzScrollBar->SetVisible(active);
}

void TlumSkinScrollWinControl::AfterMessage(TMessage& m) {
    TlumSkinBorderWinControl::AfterMessage(m);
    if (m.Msg == WM_VSCROLL || m.Msg == WM_HSCROLL || m.Msg == WM_MOVE) Repaint();
    if (m.Msg == CM_VISIBLECHANGED && GetControl()) {
        const bool visible = GetControl()->GetVisible();
        if (FVertScrollBar) FVertScrollBar->SetVisible(visible);
        if (FHorzScrollBar) FHorzScrollBar->SetVisible(visible);
    }
}

void TlumSkinScrollWinControl::Paint() {
    PaintBorder();
    TWinControl* control = GetWinControl();
    if (control && control->HandleAllocated() && control->GetVisible()) UpdateScrollOverlays();
}

void TlumSkinScrollWinControl::Restore() {
    TlumSkinBorderWinControl::Restore();
    FreeOverlays();
}

bool TlumSkinScrollWinControl::UpdateOverlay(TlumSkinInternalScrollBar* overlay, HWND wnd, int& barSize) {
    if (!overlay || !overlay->GetOverlayBitmap()) return false;
    const bool horizontal = overlay->GetHorizontal();
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!LUMSkinUtils::GetScrollBarInfo(wnd, horizontal ? OBJID_HSCROLL : OBJID_VSCROLL, &info) ||
        (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) {
        overlay->SetVisible(false);
        return false;
    }
    HWND parent = overlay->GetParent() ? overlay->GetParent()->GetHandleIfAllocated() : nullptr;
    if (!parent) {
        overlay->SetVisible(false);
        return false;
    }
    RECT r = info.rcScrollBar;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const bool bad = horizontal ? (r.right < r.left || height < 0 || height >= 100)
                                : (width < 0 || width > 100 || r.bottom < r.top);
    if (bad) {
        overlay->SetVisible(false);
        return false;
    }
    overlay->BringToFront();
    overlay->SetVisible(true);
    overlay->SetBounds(r.left, r.top, width, height);
    TBitmap* bitmap = overlay->GetOverlayBitmap();
    bitmap->SetSize(width, height);
    const TRect thumb = horizontal ? TRect(info.xyThumbTop, 0, info.xyThumbBottom, height)
                                   : TRect(0, info.xyThumbTop, width, info.xyThumbBottom);
    PaintSkinScrollBar(bitmap->GetCanvas(), FEngine, TRect(0, 0, width, height), thumb,
                       !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE), !horizontal);
    overlay->Invalidate();
    barSize = horizontal ? height : width;
    return true;
}

void TlumSkinScrollWinControl::UpdateScrollOverlays() {
    if (!FEngine || !FEngine->GetDrawScrollBar()) return;
    TWinControl* control = GetWinControl();
    HWND wnd = control ? control->GetHandleIfAllocated() : nullptr;
    if (!wnd) return;
    int vertWidth = 0, horzHeight = 0;
    const bool vert = UpdateOverlay(FVertScrollBar, wnd, vertWidth);
    const bool horz = UpdateOverlay(FHorzScrollBar, wnd, horzHeight);
    if (!vert || !horz) return;
    TWindowDC dc(wnd, TWindowDC::daWindow);
    if (!dc) return;
    const int w = control->GetWidth(), h = control->GetHeight();
    RECT corner{w - 2 - vertWidth, h - 2 - horzHeight, w - 2, h - 2};
    TBrushHandle brush(CreateSolidBrush(ColorToRGB(SkinFormColor(this))));
    FillRect(dc.Get(), &corner, brush.Get());
}
