#include "classlib/gui/common_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/gui/forms.h"
#include "classlib/gui/gui_internal.h"
#include "classlib/gui/image_list.h"

using gui_internal::NameIn;

// ---- TProgressBar ----------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    FWidth = 150;
    FHeight = 16;
}

void TProgressBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = PROGRESS_CLASSA;
    if (FSmooth) p.Style |= PBS_SMOOTH;
    if (FOrientation == pbVertical) p.Style |= PBS_VERTICAL;
}

void TProgressBar::HandleCreated() {
    SendMessageA(FHandle, PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    SendMessageA(FHandle, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetMin(int v) {
    FMin = v;
    if (FMax < FMin) FMax = FMin;
    if (HandleAllocated()) SendMessageA(FHandle, PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    SetPosition(FPosition);
}

void TProgressBar::SetMax(int v) {
    FMax = v;
    if (FMin > FMax) FMin = FMax;
    if (HandleAllocated()) SendMessageA(FHandle, PBM_SETRANGE32, static_cast<WPARAM>(FMin), FMax);
    SetPosition(FPosition);
}

int TProgressBar::GetPosition() const {
    if (HandleAllocated()) return static_cast<int>(SendMessageA(FHandle, PBM_GETPOS, 0, 0));
    return FPosition;
}

void TProgressBar::SetPosition(int v) {
    FPosition = std::min(std::max(v, FMin), FMax);
    if (HandleAllocated()) SendMessageA(FHandle, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetSmooth(bool v) {
    if (v == FSmooth) return;
    FSmooth = v;
    RecreateWnd();
}

void TProgressBar::SetOrientation(TProgressBarOrientation v) {
    if (v == FOrientation) return;
    FOrientation = v;
    RecreateWnd();
}

// ---- TStatusBar ----------------------------------------------------------------------------

void TStatusPanel::SetWidth(int w) {
    FWidth = w;
    if (FBar) FBar->UpdatePanels();
}

void TStatusPanel::SetText(const AnsiString& t) {
    FText = t;
    if (FBar) FBar->UpdatePanels();
}

TCustomStatusBar::TCustomStatusBar(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    FAlign = alBottom;
    FWidth = 200;
    FHeight = 19;
}

TCustomStatusBar::~TCustomStatusBar() {
    for (auto& p : FPanels) p->FBar = nullptr;
}

void TCustomStatusBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = STATUSCLASSNAMEA;
    p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    TCustomForm* form = GetParentForm(this);
    if (FSizeGrip && form && form->GetBorderStyle() == bsSizeable) p.Style |= SBARS_SIZEGRIP;
}

bool TCustomStatusBar::HasProperty(const AnsiString& name) const { return NameIn(name, {"Color", "ParentColor"}); }

void TCustomStatusBar::HandleCreated() {
    SendMessageA(FHandle, SB_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
    UpdatePanels();
}

void TCustomStatusBar::WndProc(TMessage& m) {
    if (m.Msg == CM_COLORCHANGED && HandleAllocated())
        SendMessageA(FHandle, SB_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
    TWinControl::WndProc(m);
}

TStatusPanel* TCustomStatusBar::AddPanel() {
    FPanels.push_back(std::make_unique<TStatusPanel>());
    FPanels.back()->FBar = this;
    UpdatePanels();
    return FPanels.back().get();
}

void TCustomStatusBar::ClearPanels() {
    FPanels.clear();
    UpdatePanels();
}

void TCustomStatusBar::SetSimplePanel(bool v) {
    FSimplePanel = v;
    UpdatePanels();
}

void TCustomStatusBar::SetSimpleText(const AnsiString& t) {
    FSimpleText = t;
    UpdatePanels();
}

void TCustomStatusBar::SetSizeGrip(bool v) {
    if (v == FSizeGrip) return;
    FSizeGrip = v;
    RecreateWnd();
}

void TCustomStatusBar::UpdatePanels() {
    if (!HandleAllocated()) return;
    SendMessageA(FHandle, SB_SIMPLE, FSimplePanel, 0);
    if (FSimplePanel) {
        SendMessageA(FHandle, SB_SETTEXTA, 255, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
        return;
    }
    std::vector<int> edges;
    int right = 0;
    for (size_t i = 0; i < FPanels.size(); ++i) {
        right += FPanels[i]->FWidth;
        edges.push_back(i + 1 == FPanels.size() ? -1 : right);
    }
    if (edges.empty()) edges.push_back(-1);
    SendMessageA(FHandle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < FPanels.size(); ++i)
        SendMessageA(FHandle, SB_SETTEXTA, i, reinterpret_cast<LPARAM>(FPanels[i]->FText.c_str()));
}

// ---- TCustomTabControl ------------------------------------------------------------------

class TTabStrings : public TStringList {
public:
    explicit TTabStrings(TCustomTabControl* control) : FControl(control) {}
protected:
    void Changed() override {
        if (!FControl->FTabsLocked) FControl->TabsChanged();
        TStringList::Changed();
    }
private:
    TCustomTabControl* FControl;
};

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner), FTabs(std::make_unique<TTabStrings>(this)) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks;
    FTabStop = true;
    FWidth = 289;
    FHeight = 193;
}

TCustomTabControl::~TCustomTabControl() = default;

void TCustomTabControl::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = WC_TABCONTROLA;
    p.Style |= WS_CLIPCHILDREN;
    if (FStyle == tsButtons) p.Style |= TCS_BUTTONS;
    if (FStyle == tsFlatButtons) p.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    switch (FTabPosition) {
        case tpBottom: p.Style |= TCS_BOTTOM; break;
        case tpLeft: p.Style |= TCS_VERTICAL | TCS_MULTILINE; break;
        case tpRight: p.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
        default: break;
    }
}

void TCustomTabControl::HandleCreated() {
    if (FImages) SendMessageA(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->GetHandle()));
    UpdateTabs();
}

TStrings* TCustomTabControl::GetTabs() const { return FTabs.get(); }

void TCustomTabControl::AdjustClientRect(TRect& rect) const {
    if (HandleAllocated()) {
        RECT r = ToRECT(rect);
        SendMessageA(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
        rect = FromRECT(r);
        return;
    }
    // Before the window exists: room for one row of tabs on their side.
    rect = rect.Inflate(-4, -4);
    switch (FTabPosition) {
        case tpTop: rect.Top += 20; break;
        case tpBottom: rect.Bottom -= 20; break;
        case tpLeft: rect.Left += 20; break;
        case tpRight: rect.Right -= 20; break;
    }
}

void TCustomTabControl::UpdateTabs() {
    if (!HandleAllocated()) return;
    SendMessageA(FHandle, TCM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < FTabs->Count(); ++i) {
        AnsiString caption = FTabs->Get(i);
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<char*>(caption.c_str());
        item.iImage = FImages ? i : -1;
        SendMessageA(FHandle, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(SelectedTab()), 0);
    Realign();
}

int TCustomTabControl::IndexOfTabAt(int x, int y) const {
    if (!HandleAllocated()) return -1;
    TCHITTESTINFO hit{};
    hit.pt = POINT{x, y};
    return static_cast<int>(SendMessageA(FHandle, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

void TCustomTabControl::SetStyle(TTabStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    RecreateWnd();
}

void TCustomTabControl::SetTabPosition(TTabPosition position) {
    if (position == FTabPosition) return;
    FTabPosition = position;
    RecreateWnd();
    Realign();
}

void TCustomTabControl::SetImages(TImageList* images) {
    if (images == FImages) return;
    ReplaceReference(FImages, images);
    // The tabs' image indexes change with it: the window is made again.
    RecreateWnd();
}

void TCustomTabControl::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        if (HandleAllocated()) SendMessageA(FHandle, TCM_SETIMAGELIST, 0, 0);
    }
}

void TCustomTabControl::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == static_cast<UINT>(TCN_SELCHANGE))
            TabChosen(static_cast<int>(SendMessageA(FHandle, TCM_GETCURSEL, 0, 0)));
        m.Result = 0;
        return;
    }
    TWinControl::WndProc(m);
}

// ---- TTabControl ------------------------------------------------------------------------

void TTabControl::SetTabIndex(int index) {
    if (index < -1 || index >= FTabs->Count()) index = -1;
    FTabIndex = index;
    if (HandleAllocated()) SendMessageA(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TTabControl::TabsChanged() {
    if (FTabIndex >= FTabs->Count()) FTabIndex = -1;
    TCustomTabControl::TabsChanged();
}

void TTabControl::TabChosen(int index) {
    FTabIndex = index;
    if (OnChange) OnChange(this);
}

// ---- TTabSheet ------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    FAlign = alClient;
    FVisible = false;
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
    if (pageControl == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    FPageControl = pageControl;
    SetParent(pageControl);
    if (pageControl) pageControl->InsertPage(this);
}

int TTabSheet::GetPageIndex() const {
    if (!FPageControl) return -1;
    auto& pages = FPageControl->FPages;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::WndProc(TMessage& m) {
    if (m.Msg == CM_TEXTCHANGED) {
        if (FPageControl) FPageControl->UpdatePageTabs();
        return;
    }
    TWinControl::WndProc(m);
}

// ---- TPageControl ----------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

TPageControl::~TPageControl() {
    // The pages are freed later, as children: they must not call back into a half-gone control.
    for (TTabSheet* p : FPages) p->FPageControl = nullptr;
    FPages.clear();
}

void TPageControl::HandleCreated() {
    TCustomTabControl::HandleCreated();
    ShowActivePage();
}

void TPageControl::InsertPage(TTabSheet* page) {
    FPages.push_back(page);
    UpdatePageTabs();
    if (!FActivePage) SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end()) return;
    FPages.erase(it);
    page->FPageControl = nullptr;
    if (FActivePage == page) {
        FActivePage = nullptr;
        if (!FPages.empty() && !IsDestroying()) SetActivePage(FPages.front());
    }
    UpdatePageTabs();
}

void TPageControl::UpdatePageTabs() {
    FTabsLocked = true;
    try {
        FTabs->Clear();
        for (TTabSheet* page : FPages) FTabs->Add(page->GetText());
    } catch (...) {
        FTabsLocked = false;
        throw;
    }
    FTabsLocked = false;
    UpdateTabs();
}

void TPageControl::ShowActivePage() {
    for (TTabSheet* p : FPages) {
        if (p == FActivePage) {
            p->SetVisible(true);
            p->BringToFront();
        }
    }
    for (TTabSheet* p : FPages)
        if (p != FActivePage) p->SetVisible(false);
    int index = GetActivePageIndex();
    if (HandleAllocated() && index >= 0) SendMessageA(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    Realign();
}

int TPageControl::GetActivePageIndex() const {
    auto it = std::find(FPages.begin(), FPages.end(), FActivePage);
    return it == FPages.end() ? -1 : static_cast<int>(it - FPages.begin());
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->FPageControl != this) return;
    if (page == FActivePage) return;
    FActivePage = page;
    ShowActivePage();
}

void TPageControl::SetActivePageIndex(int index) {
    if (index >= 0 && index < static_cast<int>(FPages.size())) SetActivePage(FPages[static_cast<size_t>(index)]);
}

void TPageControl::TabChosen(int index) {
    if (index < 0 || index >= static_cast<int>(FPages.size())) return;
    SetActivePage(FPages[static_cast<size_t>(index)]);
    if (OnChange) OnChange(this);
}
