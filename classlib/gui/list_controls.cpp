#include "classlib/gui/list_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/image_list.h"

using gui_internal::NameIn;

// ---- TListItemStrings ------------------------------------------------------------------------

// Each change is made in the window too, item by item; a change of several items at once (a
// sort) fills the window again.
class TListItemStrings : public TStringList {
public:
    struct TWindowOps {
        std::function<HWND()> Window;   // nullptr while there is none
        std::function<void(HWND, int, const AnsiString&)> InsertAt;
        UINT DeleteMsg;
        UINT ResetMsg;
    };
    explicit TListItemStrings(TWindowOps ops) : FOps(std::move(ops)) {}
    const char* ClassName() const override { return "TListItemStrings"; }

    void InsertObject(int index, const AnsiString& s, TObject* obj) override {
        TItemChange change(this);
        TStringList::InsertObject(index, s, obj);
        if (HWND w = FOps.Window()) FOps.InsertAt(w, index, s);
    }
    int AddObject(const AnsiString& s, TObject* obj) override {
        if (GetSorted()) return TStringList::AddObject(s, obj);
        TItemChange change(this);
        int index = TStringList::AddObject(s, obj);
        if (HWND w = FOps.Window()) FOps.InsertAt(w, index, s);
        return index;
    }
    void Put(int index, const AnsiString& s) override {
        TItemChange change(this);
        TStringList::Put(index, s);
        if (HWND w = FOps.Window()) {
            SendMessageA(w, FOps.DeleteMsg, static_cast<WPARAM>(index), 0);
            FOps.InsertAt(w, index, s);
        }
    }
    void Delete(int index) override {
        TItemChange change(this);
        TStringList::Delete(index);
        if (HWND w = FOps.Window()) SendMessageA(w, FOps.DeleteMsg, static_cast<WPARAM>(index), 0);
    }
    void Clear() override {
        TItemChange change(this);
        TStringList::Clear();
        if (HWND w = FOps.Window()) SendMessageA(w, FOps.ResetMsg, 0, 0);
    }
    // Puts every item into a new window.
    void Fill() {
        HWND w = FOps.Window();
        if (!w) return;
        SendMessageA(w, FOps.ResetMsg, 0, 0);
        for (int i = 0; i < Count(); ++i) FOps.InsertAt(w, i, Get(i));
    }

protected:
    void Changed() override {
        if (!FItemChange) Fill();
        TStringList::Changed();
    }

private:
    struct TItemChange {
        explicit TItemChange(TListItemStrings* s) : S(s) { ++S->FItemChange; }
        ~TItemChange() { --S->FItemChange; }
        TListItemStrings* S;
    };
    TWindowOps FOps;
    int FItemChange = 0;
};

namespace {

void SendInsert(HWND w, UINT msg, int index, const AnsiString& s) {
    SendMessageA(w, msg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
}

}  // namespace

// ---- TCustomListBox ----------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* owner) : TCustomListControl(owner) {
    FControlStyle = csSetCaption | csDoubleClicks;
    FTabStop = true;
    FWidth = 121;
    FHeight = 97;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
    FItems = std::make_unique<TListItemStrings>(TListItemStrings::TWindowOps{
        [this] { return FHandle; },
        [](HWND w, int i, const AnsiString& s) { SendInsert(w, LB_INSERTSTRING, i, s); }, LB_DELETESTRING,
        LB_RESETCONTENT});
}

TCustomListBox::~TCustomListBox() = default;

bool TCustomListBox::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"BorderStyle", "BevelEdges", "Color", "ParentColor"});
}

TStrings* TCustomListBox::GetItems() const { return FItems.get(); }

void TCustomListBox::CreateParams(TCreateParams& p) {
    TCustomListControl::CreateParams(p);
    p.SystemClassName = "LISTBOX";
    p.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL;
    if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::HandleCreated() {
    FItems->Fill();
    SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TCustomListBox::DestroyWnd() {
    if (HandleAllocated() && !IsDestroying()) FItemIndex = GetItemIndex();
    TCustomListControl::DestroyWnd();
}

int TCustomListBox::GetItemIndex() const {
    if (HandleAllocated()) return static_cast<int>(SendMessageA(FHandle, LB_GETCURSEL, 0, 0));
    return FItemIndex;
}

void TCustomListBox::SetItemIndex(int index) {
    if (index < -1 || index >= FItems->Count()) index = -1;
    FItemIndex = index;
    if (HandleAllocated()) SendMessageA(FHandle, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TCustomListBox::GetItemCount() const { return FItems->Count(); }

void TCustomListBox::AddItem(const AnsiString& item, TObject* object) { FItems->AddObject(item, object); }

void TCustomListBox::Clear() {
    FItems->Clear();
    FItemIndex = -1;
}

void TCustomListBox::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    RecreateWnd();
}

void TCustomListBox::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        switch (HIWORD(m.WParam)) {
            case LBN_SELCHANGE: Click(); break;
            case LBN_DBLCLK: DblClick(); break;
            default: break;
        }
        return;
    }
    TCustomListControl::WndProc(m);
}

// ---- TCustomCombo --------------------------------------------------------------------------------

TCustomCombo::TCustomCombo(TComponent* owner) : TCustomListControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
    FTabStop = true;
    FWidth = 145;
    FHeight = 21;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
}

TCustomCombo::~TCustomCombo() = default;

bool TCustomCombo::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"BevelEdges", "Color", "ParentColor"});
}

TStrings* TCustomCombo::GetItems() const { return FItems.get(); }

void TCustomCombo::HandleCreated() {
    FItems->Fill();
    if (FItemIndex >= 0) SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TCustomCombo::DestroyWnd() {
    if (HandleAllocated() && !IsDestroying()) FItemIndex = GetItemIndex();
    TCustomListControl::DestroyWnd();
}

int TCustomCombo::GetItemIndex() const {
    if (HandleAllocated()) return static_cast<int>(SendMessageA(FHandle, CB_GETCURSEL, 0, 0));
    return FItemIndex;
}

void TCustomCombo::SetItemIndex(int index) {
    if (index < -1 || index >= FItems->Count()) index = -1;
    FItemIndex = index;
    if (HandleAllocated())
        SendMessageA(FHandle, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else
        FText = index >= 0 ? FItems->Get(index) : AnsiString();
}

int TCustomCombo::GetItemCount() const { return FItems->Count(); }

void TCustomCombo::AddItem(const AnsiString& item, TObject* object) { FItems->AddObject(item, object); }

void TCustomCombo::Clear() {
    FItems->Clear();
    FItemIndex = -1;
    SetText(AnsiString());
}

bool TCustomCombo::GetDroppedDown() const {
    return HandleAllocated() && SendMessageA(FHandle, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomCombo::SetDroppedDown(bool v) {
    SendMessageA(GetHandle(), CB_SHOWDROPDOWN, v, 0);
}

void TCustomCombo::AdjustDropDown() {
    // The height of a drop-down combo box window is that of its open list.
    int count = std::min(std::max(FItems->Count(), 1), FDropDownCount);
    int itemHeight = static_cast<int>(SendMessageA(FHandle, CB_GETITEMHEIGHT, 0, 0));
    SetWindowPos(FHandle, nullptr, 0, 0, FWidth, itemHeight * count + FHeight + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_SHOWWINDOW);
}

void TCustomCombo::Change() {
    if (OnChange) OnChange(this);
}

void TCustomCombo::WndProc(TMessage& m) {
    if (m.Msg == CN_COMMAND) {
        switch (HIWORD(m.WParam)) {
            case CBN_EDITCHANGE:
                Change();
                break;
            case CBN_SELCHANGE:
                Click();
                if (OnSelect)
                    OnSelect(this);
                else
                    Change();
                break;
            case CBN_DROPDOWN:
                if (OnDropDown) OnDropDown(this);
                AdjustDropDown();
                break;
            case CBN_CLOSEUP:
                if (OnCloseUp) OnCloseUp(this);
                break;
            default:
                break;
        }
        return;
    }
    TCustomListControl::WndProc(m);
}

// ---- TCustomComboBox -------------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* owner) : TCustomCombo(owner) {
    FItems = std::make_unique<TListItemStrings>(TListItemStrings::TWindowOps{
        [this] { return FHandle; },
        [](HWND w, int i, const AnsiString& s) { SendInsert(w, CB_INSERTSTRING, i, s); }, CB_DELETESTRING,
        CB_RESETCONTENT});
}

void TCustomComboBox::CreateParams(TCreateParams& p) {
    TCustomCombo::CreateParams(p);
    p.SystemClassName = "COMBOBOX";
    static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
    p.Style |= styles[FStyle] | CBS_AUTOHSCROLL | WS_VSCROLL;
    if (FStyle != csSimple) p.Height = FHeight * (FDropDownCount + 1);
}

void TCustomComboBox::WndProc(TMessage& m) {
    // A simple combo box's list keeps to whole items, and the system paints nothing in the band
    // it leaves below: that band shows the parent, as around the combo box.
    if (m.Msg == WM_ERASEBKGND && FStyle == csSimple && FParent && HandleAllocated()) {
        RECT band;
        ::GetClientRect(FHandle, &band);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(FHandle, &info) && info.hwndList) {
            RECT list;
            ::GetWindowRect(info.hwndList, &list);
            MapWindowPoints(nullptr, FHandle, reinterpret_cast<POINT*>(&list), 2);
            band.top = std::max(band.top, list.bottom);
        }
        if (band.top < band.bottom)
            ::FillRect(reinterpret_cast<HDC>(m.WParam), &band, FParent->GetBrush()->GetHandle());
        m.Result = 1;
        return;
    }
    TCustomCombo::WndProc(m);
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
    if (v == FStyle) return;
    FStyle = v;
    if (v == csSimple) FControlStyle &= ~csFixedHeight;
    else FControlStyle |= csFixedHeight;
    RecreateWnd();
}

// ---- TCustomComboBoxEx -----------------------------------------------------------------------------

TCustomComboBoxEx::TCustomComboBoxEx(TComponent* owner) : TCustomCombo(owner) {
    FItems = std::make_unique<TListItemStrings>(TListItemStrings::TWindowOps{
        [this] { return FHandle; },
        [](HWND w, int i, const AnsiString& s) {
            COMBOBOXEXITEMA item{};
            item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
            item.iItem = i;
            item.pszText = const_cast<char*>(s.c_str());
            item.iImage = item.iSelectedImage = i;
            SendMessageA(w, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        },
        CBEM_DELETEITEM, CB_RESETCONTENT});
}

TCustomComboBoxEx::~TCustomComboBoxEx() {
    if (FImages) FImages->RemoveFreeNotification(this);
}

void TCustomComboBoxEx::CreateParams(TCreateParams& p) {
    TCustomCombo::CreateParams(p);
    p.SystemClassName = WC_COMBOBOXEXA;
    static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
    p.Style |= styles[FStyle];
    if (FStyle != csExSimple) p.Height = FHeight * (FDropDownCount + 1);
}

void TCustomComboBoxEx::HandleCreated() {
    if (FImages) SendMessageA(FHandle, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages->GetHandle()));
    TCustomCombo::HandleCreated();
}

void TCustomComboBoxEx::SetStyle(TComboBoxExStyle v) {
    if (v == FStyle) return;
    FStyle = v;
    RecreateWnd();
}

void TCustomComboBoxEx::SetImages(TImageList* images) {
    if (images == FImages) return;
    ReplaceReference(FImages, images);
    if (HandleAllocated())
        SendMessageA(FHandle, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->GetHandle() : nullptr));
}

HWND TCustomComboBoxEx::GetComboHandle() const {
    if (!HandleAllocated()) return nullptr;
    return reinterpret_cast<HWND>(SendMessageA(FHandle, CBEM_GETCOMBOCONTROL, 0, 0));
}

void TCustomComboBoxEx::Notification(TComponent* component, TOperation operation) {
    TCustomCombo::Notification(component, operation);
    if (operation == opRemove && component == FImages) SetImages(nullptr);
}
