#include "classlib/gui/list_view.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/gui/gui_internal.h"
#include "classlib/gui/image_list.h"

using gui_internal::NameIn;

namespace {

template <class T>
int IndexIn(const std::vector<std::unique_ptr<T>>& list, const T* item) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == item) return static_cast<int>(i);
    return -1;
}

void CheckIndex(int index, int count) {
    if (index < 0 || index >= count) throw EListError(Format("List index out of bounds (%d)", index));
}

}  // namespace

// ---- columns -----------------------------------------------------------------------------------

void TListColumn::Changed() {
    if (FView) FView->WriteColumn(GetIndex(), false);
}

int TListColumn::GetIndex() const { return FView ? IndexIn(FView->FColumns->FItems, this) : -1; }

void TListColumn::SetCaption(const AnsiString& v) {
    FCaption = v;
    Changed();
}

void TListColumn::SetWidth(int v) {
    FWidth = std::max(v, 0);
    Changed();
}

void TListColumn::SetAlignment(TAlignment v) {
    FAlignment = v;
    Changed();
}

void TListColumn::SetImageIndex(int v) {
    FImageIndex = v < -1 ? -1 : v;
    Changed();
}

TListColumns::~TListColumns() = default;

TListColumn* TListColumns::Add() {
    FItems.push_back(std::make_unique<TListColumn>());
    TListColumn* column = FItems.back().get();
    column->FView = FView;
    FView->WriteColumn(Count() - 1, true);
    return column;
}

void TListColumns::Delete(int index) {
    CheckIndex(index, Count());
    FItems.erase(FItems.begin() + index);
    if (FView->HandleAllocated()) SendMessageA(FView->GetHandleIfAllocated(), LVM_DELETECOLUMN, static_cast<WPARAM>(index), 0);
}

void TListColumns::Clear() {
    while (!FItems.empty()) Delete(Count() - 1);
}

// ---- items ---------------------------------------------------------------------------------------

TListItem::TListItem() : FSubItems(std::make_unique<TStringList>()) {
    FSubItems->OnChange = [this](TObject*) { Changed(); };
}

TListItem::~TListItem() { FSubItems->OnChange = nullptr; }

TStrings* TListItem::GetSubItems() const { return FSubItems.get(); }

void TListItem::Changed() {
    if (FView) FView->WriteItem(GetIndex(), false);
}

int TListItem::GetIndex() const { return FView ? IndexIn(FView->FItems->FItems, this) : -1; }

void TListItem::SetCaption(const AnsiString& v) {
    FCaption = v;
    Changed();
}

void TListItem::SetImageIndex(int v) {
    FImageIndex = v < -1 ? -1 : v;
    Changed();
}

TListItems::~TListItems() = default;

TListItem* TListItems::Add() {
    FItems.push_back(std::make_unique<TListItem>());
    TListItem* item = FItems.back().get();
    item->FView = FView;
    FView->WriteItem(Count() - 1, true);
    return item;
}

void TListItems::Delete(int index) {
    CheckIndex(index, Count());
    FItems.erase(FItems.begin() + index);
    if (FView->HandleAllocated()) SendMessageA(FView->GetHandleIfAllocated(), LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

void TListItems::Clear() {
    FItems.clear();
    if (FView->HandleAllocated()) SendMessageA(FView->GetHandleIfAllocated(), LVM_DELETEALLITEMS, 0, 0);
}

// ---- TCustomListView -------------------------------------------------------------------------------

TCustomListView::TCustomListView(TComponent* owner)
    : TWinControl(owner), FColumns(std::make_unique<TListColumns>(this)), FItems(std::make_unique<TListItems>(this)) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    FTabStop = true;
    FWidth = 250;
    FHeight = 150;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
}

TCustomListView::~TCustomListView() {
    // Columns and items go before the window does: nothing may write into it any more.
    for (auto& c : FColumns->FItems) c->FView = nullptr;
    for (auto& i : FItems->FItems) i->FView = nullptr;
}

bool TCustomListView::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"BorderStyle", "BevelEdges", "Color", "ParentColor"});
}

void TCustomListView::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = WC_LISTVIEWA;
    static const DWORD views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    // The image lists are ours: the window must not free them.
    p.Style |= views[FViewStyle] | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
    if (FBorderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::HandleCreated() {
    if (FSmallImages)
        SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(FSmallImages->GetHandle()));
    if (FRowSelect) SendMessageA(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageA(FHandle, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
    SendMessageA(FHandle, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
    for (int i = 0; i < FColumns->Count(); ++i) WriteColumn(i, true);
    for (int i = 0; i < FItems->Count(); ++i) WriteItem(i, true);
    SetItemIndex(FItemIndex);
}

void TCustomListView::DestroyWnd() {
    if (HandleAllocated() && !IsDestroying()) FItemIndex = GetItemIndex();
    TWinControl::DestroyWnd();
}

void TCustomListView::WriteColumn(int index, bool insert) {
    if (!HandleAllocated() || index < 0) return;
    TListColumn* c = FColumns->Items(index);
    static const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = formats[c->FAlignment];
    if (c->FImageIndex >= 0) {
        col.mask |= LVCF_IMAGE;
        col.fmt |= LVCFMT_IMAGE;
        col.iImage = c->FImageIndex;
    }
    col.cx = c->FWidth;
    col.pszText = const_cast<char*>(c->FCaption.c_str());
    col.iSubItem = index;
    SendMessageA(FHandle, insert ? LVM_INSERTCOLUMNA : LVM_SETCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&col));
}

void TCustomListView::WriteItem(int index, bool insert) {
    if (!HandleAllocated() || index < 0) return;
    TListItem* it = FItems->Items(index);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<char*>(it->FCaption.c_str());
    item.iImage = it->FImageIndex;
    SendMessageA(FHandle, insert ? LVM_INSERTITEMA : LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    int columns = std::max(FColumns->Count() - 1, it->FSubItems->Count());
    for (int j = 0; j < columns; ++j) {
        AnsiString text = j < it->FSubItems->Count() ? it->FSubItems->Get(j) : AnsiString();
        LVITEMA sub{};
        sub.iSubItem = j + 1;
        sub.pszText = const_cast<char*>(text.c_str());
        SendMessageA(FHandle, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
}

void TCustomListView::SetViewStyle(TViewStyle v) {
    if (v == FViewStyle) return;
    FViewStyle = v;
    RecreateWnd();
}

void TCustomListView::SetSmallImages(TImageList* images) {
    if (images == FSmallImages) return;
    ReplaceReference(FSmallImages, images);
    if (HandleAllocated())
        SendMessageA(FHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images ? images->GetHandle() : nullptr));
}

void TCustomListView::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FSmallImages) SetSmallImages(nullptr);
}

void TCustomListView::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    RecreateWnd();
}

void TCustomListView::SetRowSelect(bool v) {
    FRowSelect = v;
    if (HandleAllocated()) SendMessageA(FHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, v ? LVS_EX_FULLROWSELECT : 0);
}

HWND TCustomListView::GetHeaderHandle() const {
    if (!HandleAllocated()) return nullptr;
    return reinterpret_cast<HWND>(SendMessageA(FHandle, LVM_GETHEADER, 0, 0));
}

int TCustomListView::GetItemIndex() const {
    if (!HandleAllocated()) return FItemIndex;
    return static_cast<int>(SendMessageA(FHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TCustomListView::SetItemIndex(int index) {
    if (index < -1 || index >= FItems->Count()) index = -1;
    FItemIndex = index;
    if (!HandleAllocated()) return;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (index < 0) return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(FHandle, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
}

void TCustomListView::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_NOTIFY:
            switch (reinterpret_cast<NMHDR*>(m.LParam)->code) {
                case static_cast<UINT>(NM_CLICK): Click(); break;
                case static_cast<UINT>(NM_DBLCLK): DblClick(); break;
                default: break;
            }
            m.Result = 0;
            return;
        case CM_COLORCHANGED:
            if (HandleAllocated()) {
                SendMessageA(FHandle, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
                SendMessageA(FHandle, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
            }
            break;
        default:
            break;
    }
    TWinControl::WndProc(m);
}

// ---- TCustomTreeView -------------------------------------------------------------------------------

TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    FTabStop = true;
    FWidth = 121;
    FHeight = 97;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
}

bool TCustomTreeView::HasProperty(const AnsiString& name) const {
    return NameIn(name, {"BevelEdges", "Color", "ParentColor"});
}

void TCustomTreeView::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = WC_TREEVIEWA;
    p.Style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    p.ExStyle |= WS_EX_CLIENTEDGE;
}
