#include "classlib/classes.h"
#include "classlib/sorted_search.h"

#include <algorithm>
#include <cstring>

void TPersistent::Assign(TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignTo(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) {
    throw EConvertError(Format("Cannot assign a %s to a %s", ClassName(), dest ? dest->ClassName() : "nil"));
}

// ---- TComponent ----------------------------------------------------------------

TComponent::TComponent(TComponent* owner) {
    if (owner) {
        FLoading = owner->FLoading;
        owner->InsertComponent(this);
    }
}

void TComponent::FinishLoading() {
    if (FLoading) Loaded();
    FLoading = false;
    // Loaded may create or free components: walk a snapshot and check each is still owned.
    std::vector<TComponent*> owned = FComponents;
    for (TComponent* c : owned) {
        if (std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end() && c->FLoading)
            c->FinishLoading();
    }
}

TComponent::~TComponent() {
    BeginDestroy();
    NotifyHolders();   // whoever asked during destruction
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::BeginDestroy() {
    if (FDestroying) return;
    FDestroying = true;
    Destroying();
    NotifyHolders();
    std::vector<TComponent*> owned = FComponents;
    for (TComponent* c : owned) {
        if (std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end()) c->BeginDestroy();
    }
}

void TComponent::NotifyHolders() {
    std::vector<TComponent*> notifies;
    notifies.swap(FFreeNotifies);
    for (TComponent* c : notifies) {
        c->RemoveFreeNotification(this);
        c->Notification(this, opRemove);
    }
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        FComponents.pop_back();
        c->FOwner = nullptr;
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) == FFreeNotifies.end())
        FFreeNotifies.push_back(other);
    if (std::find(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this) == other->FFreeNotifies.end())
        other->FFreeNotifies.push_back(this);
}

// The link was made both ways: it goes both ways, or a later destructor would notify a holder
// that is gone.
void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), other), FFreeNotifies.end());
    other->FFreeNotifies.erase(std::remove(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this),
                               other->FFreeNotifies.end());
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    std::vector<TComponent*> owned = FComponents;
    for (TComponent* c : owned) {
        if (std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end()) c->Notification(component, operation);
    }
}

void TComponent::InsertComponent(TComponent* c) {
    if (c->FOwner) c->FOwner->RemoveComponent(c);
    FComponents.push_back(c);
    c->FOwner = this;
    Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(FComponents.begin(), FComponents.end(), c);
    if (it == FComponents.end()) return;
    FComponents.erase(it);
    c->FOwner = nullptr;
    Notification(c, opRemove);
}

// ---- TCollection ---------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) {
    if (collection) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->ExtractItem(this);
}

int TCollectionItem::GetIndex() const {
    if (!FCollection) return -1;
    const auto& items = FCollection->FItems;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::Changed(bool allItems) {
    if (!FCollection || FCollection->FUpdateCount > 0) return;
    FCollection->Update(allItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

TCollection::TCollection(TItemFactory factory) : FFactory(std::move(factory)) {}

TCollection::~TCollection() {
    ++FUpdateCount;   // a descendant's Update is gone already
    Clear();
}

TCollectionItem* TCollection::Add() {
    // A factory item that did not join through its constructor joins here.
    TCollectionItem* item = FFactory(this);
    if (item->FCollection != this) InsertItem(item);
    return item;
}

TCollectionItem* TCollection::GetItem(int index) const {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
    return FItems[static_cast<size_t>(index)];
}

void TCollection::Delete(int index) {
    delete GetItem(index);
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty()) delete FItems.back();
    EndUpdate();
}

void TCollection::Assign(TPersistent* source) {
    auto* other = dynamic_cast<TCollection*>(source);
    if (source && !other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    BeginUpdate();
    try {
        Clear();
        if (other)
            for (TCollectionItem* item : other->FItems) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
    if (item->FCollection) item->FCollection->ExtractItem(item);
    FItems.push_back(item);
    item->FCollection = this;
    Changed();
}

void TCollection::ExtractItem(TCollectionItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FCollection = nullptr;
    Changed();
}

// ---- TStream -------------------------------------------------------------------

int64_t TStream::GetSize() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) { throw EStreamError(Format("%s cannot change its size", ClassName())); }

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
    if (count == 0) {
        source->SetPosition(0);
        count = source->GetSize();
    }
    const int32_t kChunk = 64 * 1024;
    std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(kChunk, std::max<int64_t>(count, 1))));
    int64_t left = count;
    while (left > 0) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(left, static_cast<int64_t>(buf.size())));
        source->ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        left -= n;
    }
    return count;
}

// ---- THandleStream / TFileStream ---------------------------------------------------

int32_t THandleStream::Read(void* buffer, int32_t count) {
    int32_t n = FileRead(FHandle, buffer, count);
    return n < 0 ? 0 : n;
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
    int32_t n = FileWrite(FHandle, buffer, count);
    return n < 0 ? 0 : n;
}

int64_t THandleStream::Seek(int64_t offset, int origin) {
    int64_t r = FileSeek(FHandle, offset, origin);
    if (r < 0) throw EStreamError("Seek error");
    return r;
}

void THandleStream::SetSize(int64_t newSize) {
    int64_t pos = Seek(0, soCurrent);
    Seek(newSize, soBeginning);
    if (!FileTruncateHere(FHandle)) throw EStreamError("Stream write error");
    if (pos < newSize) Seek(pos, soBeginning);
}

TFileStream::TFileStream(const AnsiString& fileName, uint32_t mode) : THandleStream(INVALID_FILE_HANDLE), FFileName(fileName) {
    if (mode == fmCreate) {
        FHandle = FileCreate(fileName);
        if (FHandle == INVALID_FILE_HANDLE) throw EFCreateError("Cannot create file \"" + fileName + "\"");
    } else {
        FHandle = FileOpen(fileName, mode);
        if (FHandle == INVALID_FILE_HANDLE) throw EFOpenError("Cannot open file \"" + fileName + "\"");
    }
}

TFileStream::~TFileStream() {
    if (FHandle != INVALID_FILE_HANDLE) FileClose(FHandle);
}

// ---- TMemoryStream -------------------------------------------------------------

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || FPosition >= GetSize()) return 0;
    int64_t n = std::min<int64_t>(count, GetSize() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return static_cast<int32_t>(n);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    int64_t end = FPosition + count;
    if (end > GetSize()) FData.resize(static_cast<size_t>(end));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin) {
    switch (origin) {
        case soBeginning: FPosition = offset; break;
        case soCurrent: FPosition += offset; break;
        case soEnd: FPosition = GetSize() + offset; break;
        default: throw EStreamError(Format("Invalid seek origin (%d)", origin));
    }
    if (FPosition < 0) FPosition = 0;
    return FPosition;
}

void TMemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0) newSize = 0;
    FData.resize(static_cast<size_t>(newSize));
    if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::LoadFromStream(TStream* s) {
    s->SetPosition(0);
    int64_t size = s->GetSize();
    SetSize(size);
    FPosition = 0;
    if (size) s->ReadBuffer(FData.data(), static_cast<int32_t>(size));
}

void TMemoryStream::LoadFromFile(const AnsiString& name) {
    TFileStream f(name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&f);
}

void TMemoryStream::SaveToStream(TStream* s) {
    if (!FData.empty()) s->WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
}

void TMemoryStream::SaveToFile(const AnsiString& name) {
    TFileStream f(name, fmCreate);
    SaveToStream(&f);
}

TStringStream::TStringStream(const AnsiString& s) { FData.assign(s.begin(), s.end()); }

// ---- TStrings ------------------------------------------------------------------

void TStrings::InsertObject(int index, const AnsiString& s, TObject* obj) {
    Insert(index, s);
    PutObject(index, obj);
}

int TStrings::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStrings::AddObject(const AnsiString& s, TObject* obj) {
    int i = Count();
    InsertObject(i, s, obj);
    return i;
}

int TStrings::IndexOf(const AnsiString& s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s)) return i;
    return -1;
}

void TStrings::AddStrings(const TStrings& other) {
    for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.GetObject(i));
}

void TStrings::Assign(TPersistent* source) {
    if (auto* other = dynamic_cast<TStrings*>(source)) {
        Clear();
        AddStrings(*other);
        return;
    }
    TPersistent::Assign(source);
}

AnsiString TStrings::Names(int index) const {
    AnsiString s = Get(index);
    size_t eq = s.find('=');
    return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

AnsiString TStrings::ValueFromIndex(int index) const {
    AnsiString s = Get(index);
    size_t eq = s.find('=');
    return eq == AnsiString::npos ? AnsiString() : s.substr(eq + 1);
}

int TStrings::IndexOfName(const AnsiString& name) const {
    for (int i = 0; i < Count(); ++i) {
        AnsiString s = Get(i);
        size_t eq = s.find('=');
        if (eq != AnsiString::npos && SameText(s.substr(0, eq), name)) return i;
    }
    return -1;
}

AnsiString TStrings::Values(const AnsiString& name) const {
    int i = IndexOfName(name);
    return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStrings::SetValue(const AnsiString& name, const AnsiString& value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
    } else if (i < 0) {
        Add(name + "=" + value);
    } else {
        Put(i, name + "=" + value);
    }
}

AnsiString TStrings::GetText() const {
    AnsiString out;
    for (int i = 0; i < Count(); ++i) out += Get(i) + "\r\n";
    return out;
}

void TStrings::SetText(const AnsiString& text) {
    Clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
        Add(text.substr(i, j - i));
        if (j < text.size() && text[j] == '\r') ++j;
        if (j < text.size() && text[j] == '\n') ++j;
        i = j;
    }
}

void TStrings::LoadFromStream(TStream* s) {
    int64_t size = s->GetSize() - s->GetPosition();
    AnsiString text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (!text.empty()) s->ReadBuffer(&text[0], static_cast<int32_t>(text.size()));
    SetText(text);
}

void TStrings::SaveToStream(TStream* s) const {
    AnsiString text = GetText();
    s->WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

void TStrings::LoadFromFile(const AnsiString& name) {
    TFileStream f(name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&f);
}

void TStrings::SaveToFile(const AnsiString& name) const {
    TFileStream f(name, fmCreate);
    SaveToStream(&f);
}

void TStrings::Changed() {
    if (OnChange) OnChange(this);
}

// ---- TStringList ---------------------------------------------------------------

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const {
    if (!FCaseSensitive) return CompareText(a, b);
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void TStringList::CheckIndex(int index, bool allowEnd) const {
    int limit = Count() + (allowEnd ? 1 : 0);
    if (index < 0 || index >= limit) throw EStringListError(Format("List index out of bounds (%d)", index));
}

AnsiString TStringList::Get(int index) const {
    CheckIndex(index, false);
    return FItems[static_cast<size_t>(index)].s;
}

void TStringList::Put(int index, const AnsiString& s) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(index, false);
    FItems[static_cast<size_t>(index)].s = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index, false);
    return FItems[static_cast<size_t>(index)].obj;
}

void TStringList::PutObject(int index, TObject* obj) {
    CheckIndex(index, false);
    FItems[static_cast<size_t>(index)].obj = obj;
}

void TStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const AnsiString& s, TObject* obj) {
    if (FSorted) throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(index, true);
    FItems.insert(FItems.begin() + index, Item{s, obj});
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index, false);
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Changed();
}

int TStringList::AddObject(const AnsiString& s, TObject* obj) {
    if (!FSorted) {
        FItems.push_back(Item{s, obj});
        Changed();
        return Count() - 1;
    }
    int index = 0;
    if (Find(s, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError) throw EStringListError("String list does not allow duplicates");
    }
    FItems.insert(FItems.begin() + index, Item{s, obj});
    Changed();
    return index;
}

int TStringList::IndexOf(const AnsiString& s) const {
    if (!FSorted) {
        for (int i = 0; i < Count(); ++i)
            if (CompareStrings(FItems[static_cast<size_t>(i)].s, s) == 0) return i;
        return -1;
    }
    int index = 0;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& s, int& index) const {
    return SortedSearch(
        Count(), FDuplicates, [&](int32_t i) { return CompareStrings(FItems[static_cast<size_t>(i)].s, s); }, index);
}

void TStringList::Sort() {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.s, b.s) < 0; });
    Changed();
}

void TStringList::SetSorted(bool v) {
    if (v == FSorted) return;
    if (v) Sort();
    FSorted = v;
}

void TStringList::SetCaseSensitive(bool v) {
    if (v == FCaseSensitive) return;
    FCaseSensitive = v;
    if (FSorted) Sort();
}
