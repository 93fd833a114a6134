#include "classlib/gui/tool_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/image_list.h"

using gui_internal::NameIn;

namespace {

constexpr int kEdgeWidth = 2;            // an etched edge
constexpr int kSeparatorWidth = 8;

UINT EdgeFlags(TEdgeBorders edges) {
    UINT flags = 0;
    if (edges & ebLeft) flags |= BF_LEFT;
    if (edges & ebTop) flags |= BF_TOP;
    if (edges & ebRight) flags |= BF_RIGHT;
    if (edges & ebBottom) flags |= BF_BOTTOM;
    return flags;
}

}  // namespace

// ---- TToolWindow -------------------------------------------------------------------------------

TToolWindow::TToolWindow(TComponent* owner) : TWinControl(owner) {}

bool TToolWindow::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"EdgeBorders", "Color", "ParentColor"});
}

void TToolWindow::SetEdgeBorders(TEdgeBorders edges) {
    if (edges == FEdgeBorders) return;
    FEdgeBorders = edges;
    if (HandleAllocated())
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_DRAWFRAME);
}

void TToolWindow::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_NCCALCSIZE: {
            TWinControl::WndProc(m);
            RECT* r = m.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : reinterpret_cast<RECT*>(m.LParam);
            if (FEdgeBorders & ebLeft) r->left += kEdgeWidth;
            if (FEdgeBorders & ebTop) r->top += kEdgeWidth;
            if (FEdgeBorders & ebRight) r->right -= kEdgeWidth;
            if (FEdgeBorders & ebBottom) r->bottom -= kEdgeWidth;
            if (r->right < r->left) r->right = r->left;
            if (r->bottom < r->top) r->bottom = r->top;
            return;
        }
        case WM_NCPAINT: {
            TWinControl::WndProc(m);
            if (!FEdgeBorders) return;
            TWindowDC dc(FHandle, TWindowDC::daWindow);
            RECT r{0, 0, FWidth, FHeight};
            DrawEdge(dc.Get(), &r, EDGE_ETCHED, EdgeFlags(FEdgeBorders));
            return;
        }
        default:
            break;
    }
    TWinControl::WndProc(m);
}

// ---- TToolButton ---------------------------------------------------------------------------------

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle = csCaptureMouse | csSetCaption | csClickEvents;
    FWidth = 23;
    FHeight = 22;
}

TToolButton::~TToolButton() {
    if (FToolBar) FToolBar->RemoveButton(this);
}

void TToolButton::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (FToolBar) FToolBar->RemoveButton(this);
    TGraphicControl::SetParent(parent);
    if (auto* bar = dynamic_cast<TToolBar*>(parent)) bar->InsertButton(this);
}

int TToolButton::GetIndex() const {
    if (!FToolBar) return -1;
    auto& list = FToolBar->FButtons;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TToolButton::Changed() {
    if (FToolBar) FToolBar->UpdateButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle v) {
    if (v == FStyle) return;
    FStyle = v;
    Changed();
}

void TToolButton::SetImageIndex(int v) {
    if (v < -1) v = -1;
    if (v == FImageIndex) return;
    FImageIndex = v;
    Changed();
}

bool TToolButton::GetDown() const {
    if (FToolBar && FToolBar->HandleAllocated())
        return SendMessageA(FToolBar->GetHandleIfAllocated(), TB_ISBUTTONCHECKED, FCommand, 0) != 0;
    return FDown;
}

void TToolButton::SetDown(bool v) {
    FDown = v;
    if (v && FGrouped && FToolBar) {
        // Down in a group: the other grouped check buttons beside it come up.
        int index = GetIndex();
        auto& list = FToolBar->FButtons;
        auto same = [](TToolButton* b) { return b->FGrouped && b->FStyle == tbsCheck; };
        for (int i = index - 1; i >= 0 && same(list[static_cast<size_t>(i)]); --i) list[static_cast<size_t>(i)]->FDown = false;
        for (size_t i = static_cast<size_t>(index) + 1; i < list.size() && same(list[i]); ++i) list[i]->FDown = false;
    }
    if (FToolBar && FToolBar->HandleAllocated()) {
        HWND bar = FToolBar->GetHandleIfAllocated();
        for (TToolButton* b : FToolBar->FButtons)
            if (b->FStyle == tbsCheck) SendMessageA(bar, TB_CHECKBUTTON, b->FCommand, MAKELPARAM(b->FDown, 0));
    }
}

void TToolButton::SetGrouped(bool v) {
    if (v == FGrouped) return;
    FGrouped = v;
    Changed();
}

void TToolButton::SetWrap(bool v) {
    if (v == FWrap) return;
    FWrap = v;
    Changed();
}

void TToolButton::SetAutoSize(bool v) {
    if (v == FAutoSize) return;
    FAutoSize = v;
    Changed();
}

void TToolButton::SetBounds(int left, int top, int width, int height) {
    // On a tool bar the bar's window decides where a button goes.
    if (FToolBar && !FToolBar->FUpdatingBounds) return;
    TGraphicControl::SetBounds(left, top, width, height);
}

void TToolButton::Click() { TGraphicControl::Click(); }

void TToolButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CM_HITTEST:
            // The mouse belongs to the tool bar's window, which presses and clicks its buttons.
            m.Result = FToolBar ? 0 : HTCLIENT;
            return;
        case CM_TEXTCHANGED:
        case CM_VISIBLECHANGED:
            Changed();
            return;
        case CM_ENABLEDCHANGED:
            if (FToolBar && FToolBar->HandleAllocated())
                SendMessageA(FToolBar->GetHandleIfAllocated(), TB_ENABLEBUTTON, FCommand, MAKELPARAM(FEnabled, 0));
            return;
        default:
            break;
    }
    TGraphicControl::WndProc(m);
}

// ---- TToolBar ------------------------------------------------------------------------------------

TToolBar::TToolBar(TComponent* owner) : TToolWindow(owner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csMenuEvents | csSetCaption;
    FAlign = alTop;
    FWidth = 150;
    FHeight = 29;
}

TToolBar::~TToolBar() {
    // The buttons may outlive the bar (their owner frees them): they forget it first.
    for (TToolButton* b : FButtons) b->FToolBar = nullptr;
    FButtons.clear();
}

TCanvas* TToolBar::GetCanvas() {
    if (!FCanvas) FCanvas = std::make_unique<TControlCanvas>(this);
    return FCanvas.get();
}

void TToolBar::CreateParams(TCreateParams& p) {
    TToolWindow::CreateParams(p);
    p.SystemClassName = TOOLBARCLASSNAMEA;
    p.Style |= CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NORESIZE | CCS_NODIVIDER;
    if (FFlat) p.Style |= TBSTYLE_FLAT;
    if (FTransparent) p.Style |= TBSTYLE_TRANSPARENT;
    if (FList) p.Style |= TBSTYLE_LIST;
    if (FWrapable) p.Style |= TBSTYLE_WRAPABLE;
}

void TToolBar::HandleCreated() {
    SendMessageA(FHandle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(FHandle, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    if (FImages) {
        SendMessageA(FHandle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->GetHandle()));
        SendMessageA(FHandle, TB_SETBITMAPSIZE, 0, MAKELPARAM(FImages->GetWidth(), FImages->GetHeight()));
    }
    if (FHotImages) SendMessageA(FHandle, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(FHotImages->GetHandle()));
    SendMessageA(FHandle, TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
    RecreateButtons();
}

void TToolBar::InsertButton(TToolButton* button) {
    static UINT nextCommand = 1;
    button->FCommand = nextCommand++;
    button->FToolBar = this;
    FButtons.push_back(button);
    RecreateButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
    auto it = std::find(FButtons.begin(), FButtons.end(), button);
    if (it == FButtons.end()) return;
    int index = static_cast<int>(it - FButtons.begin());
    FButtons.erase(it);
    button->FToolBar = nullptr;
    if (HandleAllocated() && !IsDestroying()) {
        SendMessageA(FHandle, TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
        UpdateButtonBounds();
    }
}

void TToolBar::UpdateButton(TToolButton*) { RecreateButtons(); }

void TToolBar::RecreateButtons() {
    if (!HandleAllocated()) return;
    while (SendMessageA(FHandle, TB_BUTTONCOUNT, 0, 0) > 0)
        if (!SendMessageA(FHandle, TB_DELETEBUTTON, 0, 0)) break;
    for (size_t i = 0; i < FButtons.size(); ++i) {
        TToolButton* b = FButtons[i];
        AnsiString caption = b->GetText();
        TBBUTTON tb{};
        tb.idCommand = static_cast<int>(b->FCommand);
        tb.fsState = static_cast<BYTE>((b->FEnabled ? TBSTATE_ENABLED : 0) | (b->FDown ? TBSTATE_CHECKED : 0) |
                                       (b->FWrap ? TBSTATE_WRAP : 0) | (b->FVisible ? 0 : TBSTATE_HIDDEN));
        switch (b->FStyle) {
            case tbsCheck: tb.fsStyle = static_cast<BYTE>(BTNS_CHECK | (b->FGrouped ? BTNS_GROUP : 0)); break;
            case tbsDropDown: tb.fsStyle = BTNS_DROPDOWN; break;
            case tbsSeparator:
            case tbsDivider: tb.fsStyle = BTNS_SEP; break;
            default: tb.fsStyle = BTNS_BUTTON; break;
        }
        if (b->FAutoSize && tb.fsStyle != BTNS_SEP) tb.fsStyle |= BTNS_AUTOSIZE;
        if (tb.fsStyle == BTNS_SEP)
            tb.iBitmap = kSeparatorWidth;
        else
            tb.iBitmap = b->FImageIndex >= 0 ? b->FImageIndex : I_IMAGENONE;
        tb.iString = FShowCaptions && tb.fsStyle != BTNS_SEP ? reinterpret_cast<INT_PTR>(caption.c_str()) : -1;
        SendMessageA(FHandle, TB_INSERTBUTTONA, i, reinterpret_cast<LPARAM>(&tb));
    }
    SendMessageA(FHandle, TB_AUTOSIZE, 0, 0);
    UpdateButtonBounds();
}

void TToolBar::UpdateButtonBounds() {
    if (!HandleAllocated() || FUpdatingBounds) return;
    FUpdatingBounds = true;
    try {
        int bottom = 0;
        for (size_t i = 0; i < FButtons.size(); ++i) {
            RECT r{};
            if (!SendMessageA(FHandle, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) continue;
            FButtons[i]->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
            if (FButtons[i]->FVisible) bottom = std::max(bottom, static_cast<int>(r.bottom));
        }
        if (FAutoSize && !FButtons.empty()) {
            RECT window, client;
            GetWindowRect(FHandle, &window);
            ::GetClientRect(FHandle, &client);
            int frame = (window.bottom - window.top) - client.bottom;
            SetHeight(bottom + frame);
        }
    } catch (...) {
        FUpdatingBounds = false;
        throw;
    }
    FUpdatingBounds = false;
}

TToolButton* TToolBar::FindButton(UINT command) const {
    for (TToolButton* b : FButtons)
        if (b->FCommand == command) return b;
    return nullptr;
}

void TToolBar::SetFlat(bool v) {
    if (v == FFlat) return;
    FFlat = v;
    RecreateWnd();
}

void TToolBar::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    RecreateWnd();
}

void TToolBar::SetShowCaptions(bool v) {
    if (v == FShowCaptions) return;
    FShowCaptions = v;
    // A tool bar window keeps the button size of its first captions: it is made again.
    RecreateWnd();
}

void TToolBar::SetList(bool v) {
    if (v == FList) return;
    FList = v;
    RecreateWnd();
}

void TToolBar::SetWrapable(bool v) {
    if (v == FWrapable) return;
    FWrapable = v;
    RecreateWnd();
}

void TToolBar::SetAutoSize(bool v) {
    if (v == FAutoSize) return;
    FAutoSize = v;
    UpdateButtonBounds();
}

void TToolBar::SetButtonWidth(int v) {
    FButtonWidth = std::max(v, 0);
    if (HandleAllocated()) SendMessageA(FHandle, TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
    RecreateButtons();
}

void TToolBar::SetButtonHeight(int v) {
    FButtonHeight = std::max(v, 0);
    if (HandleAllocated()) SendMessageA(FHandle, TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
    RecreateButtons();
}

void TToolBar::SetImages(TImageList* images) {
    if (images == FImages) return;
    ReplaceReference(FImages, images);
    RecreateWnd();
}

void TToolBar::SetHotImages(TImageList* images) {
    if (images == FHotImages) return;
    ReplaceReference(FHotImages, images);
    if (HandleAllocated())
        SendMessageA(FHandle, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->GetHandle() : nullptr));
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
    TToolWindow::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == FImages) {
        FImages = nullptr;
        if (HandleAllocated()) SendMessageA(FHandle, TB_SETIMAGELIST, 0, 0);
    }
    if (component == FHotImages) {
        FHotImages = nullptr;
        if (HandleAllocated()) SendMessageA(FHandle, TB_SETHOTIMAGELIST, 0, 0);
    }
}

void TToolBar::CustomDraw(TMessage& m) {
    auto* cd = reinterpret_cast<NMTBCUSTOMDRAW*>(m.LParam);
    m.Result = CDRF_DODEFAULT;
    switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            if (OnCustomDraw) {
                bool defaultDraw = true;
                GetCanvas();
                FCanvas->PaintOn(cd->nmcd.hdc, [&] { OnCustomDraw(this, GetClientRect(), defaultDraw); });
                if (!defaultDraw) m.Result = CDRF_SKIPDEFAULT;
            }
            if (OnCustomDrawButton) m.Result |= CDRF_NOTIFYITEMDRAW;
            return;
        case CDDS_ITEMPREPAINT: {
            TToolButton* button = FindButton(static_cast<UINT>(cd->nmcd.dwItemSpec));
            if (!button || !OnCustomDrawButton) return;
            static const struct {
                UINT item;
                TCustomDrawState state;
            } states[] = {{CDIS_SELECTED, cdsSelected}, {CDIS_GRAYED, cdsGrayed},   {CDIS_DISABLED, cdsDisabled},
                          {CDIS_CHECKED, cdsChecked},   {CDIS_FOCUS, cdsFocused},   {CDIS_DEFAULT, cdsDefault},
                          {CDIS_HOT, cdsHot},           {CDIS_MARKED, cdsMarked},   {CDIS_INDETERMINATE, cdsIndeterminate}};
            TCustomDrawState state = 0;
            for (const auto& s : states)
                if (cd->nmcd.uItemState & s.item) state |= s.state;
            bool defaultDraw = true;
            GetCanvas();
            FCanvas->PaintOn(cd->nmcd.hdc, [&] { OnCustomDrawButton(this, button, state, defaultDraw); });
            if (!defaultDraw) m.Result = CDRF_SKIPDEFAULT;
            return;
        }
        default:
            return;
    }
}

void TToolBar::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_COMMAND: {
            TToolButton* button = FindButton(LOWORD(m.WParam));
            if (!button) return;
            for (TToolButton* b : FButtons)   // a grouped click raises the group's other button
                if (b->FStyle == tbsCheck) b->FDown = SendMessageA(FHandle, TB_ISBUTTONCHECKED, b->FCommand, 0) != 0;
            button->Click();
            return;
        }
        case CN_NOTIFY:
            if (reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
                CustomDraw(m);
                return;
            }
            break;
        case WM_SIZE:
            TToolWindow::WndProc(m);
            if (FWrapable && HandleAllocated()) {
                SendMessageA(FHandle, TB_AUTOSIZE, 0, 0);
                UpdateButtonBounds();
            }
            return;
        default:
            break;
    }
    TToolWindow::WndProc(m);
}

// ---- TCoolBar ----------------------------------------------------------------------------------

TCoolBar::TCoolBar(TComponent* owner) : TToolWindow(owner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks | csSetCaption;
    FAlign = alTop;
    FWidth = 150;
    FHeight = 75;
}

void TCoolBar::CreateParams(TCreateParams& p) {
    TToolWindow::CreateParams(p);
    p.SystemClassName = REBARCLASSNAMEA;
    p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER | RBS_VARHEIGHT;
}

void TCoolBar::WndProc(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND) {
        // Without bands the window leaves its background unpainted: it gets the bar's colour.
        RECT r;
        ::GetClientRect(FHandle, &r);
        FillRect(reinterpret_cast<HDC>(m.WParam), &r, FBrush->GetHandle());
        m.Result = 1;
        return;
    }
    TToolWindow::WndProc(m);
}
