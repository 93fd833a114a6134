#include "ziparchive/object_lists.h"

#include "classlib/little_endian.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "classlib/sorted_search.h"

namespace zk {

// ---- class registry ----------------------------------------------------------------------

namespace {
AnsiString CutName(const AnsiString& name) { return name.substr(0, kMaxClassNameLength); }

// One registered class; the registry's string list holds these as its objects.
struct TRegistryEntry : TObject {
    explicit TRegistryEntry(tRegisterRec r) : Record(std::move(r)) {}
    tRegisterRec Record;
};

// Sorted, case-insensitive, duplicates ignored; lives as long as the process and frees
// every record it holds.
class TClassRegistry {
public:
    TClassRegistry() {
        FNames.SetSorted(true);
        FNames.SetDuplicates(dupIgnore);
    }
    ~TClassRegistry() {
        for (int i = 0; i < FNames.Count(); ++i) delete FNames.GetObject(i);
    }
    TStringList FNames;
};

TClassRegistry& Registry() {
    static TClassRegistry registry;
    return registry;
}

uint32_t ReadU32(TStream* s) {
    uint8_t b[4];
    s->ReadBuffer(b, 4);
    return GetLE32(b);
}

void WriteU32(TStream* s, uint32_t v) {
    uint8_t b[4];
    PutLE32(b, v);
    s->WriteBuffer(b, 4);
}

uint8_t ReadU8(TStream* s) {
    uint8_t b = 0;
    s->ReadBuffer(&b, 1);
    return b;
}

void WriteU8(TStream* s, uint8_t v) { s->WriteBuffer(&v, 1); }

// One read of an object stream on this thread: how deep the objects nest, and the lists
// read so far whose stream asks them not to own their items. Until the outermost read
// succeeds, every list read owns what it read, so that a failure frees it all; then each
// such list takes its stored setting.
struct TReadSession {
    int Depth = 0;
    std::vector<TObjectList*> NotOwning;
};
thread_local TReadSession tRead;

class TReadLevel {
public:
    TReadLevel() : FExceptions(std::uncaught_exceptions()) {
        if (++tRead.Depth > kMaxObjectNesting) {
            --tRead.Depth;
            throw EReadError(Format("Objects nested deeper than %d levels", kMaxObjectNesting));
        }
    }
    ~TReadLevel() {
        if (--tRead.Depth != 0) return;
        if (std::uncaught_exceptions() == FExceptions)   // the whole read succeeded
            for (TObjectList* list : tRead.NotOwning) list->SetOwnsObjects(false);
        tRead.NotOwning.clear();
    }
    TReadLevel(const TReadLevel&) = delete;
    TReadLevel& operator=(const TReadLevel&) = delete;

private:
    int FExceptions;
};
}  // namespace

void RegisterObjectClass(const AnsiString& className, TObjectFactory create, TObjectStreamer load,
                         TObjectStreamer store) {
    UnregisterObjectClass(className);
    AnsiString name = CutName(className);
    auto entry = std::make_unique<TRegistryEntry>(tRegisterRec{name, std::move(create), std::move(load), std::move(store)});
    Registry().FNames.AddObject(name, entry.get());
    entry.release();
}

void UnregisterObjectClass(const AnsiString& className) {
    TStringList& names = Registry().FNames;
    int index = 0;
    if (!names.Find(CutName(className), index)) return;
    delete names.GetObject(index);
    names.Delete(index);
}

const tRegisterRec* FindRegisteredClass(const AnsiString& name) {
    TStringList& names = Registry().FNames;
    int index = 0;
    if (!names.Find(CutName(name), index)) return nullptr;
    return &static_cast<TRegistryEntry*>(names.GetObject(index))->Record;
}

std::unique_ptr<TObject> CreateRegisteredObject(const AnsiString& name, TObjectStreamer& loadRoutine) {
    const tRegisterRec* rec = FindRegisteredClass(name);
    if (!rec || !rec->Create) throw EClassNotFound(Format("Class <%s> not registered", name.c_str()));
    std::unique_ptr<TObject> obj(rec->Create());
    loadRoutine = rec->LoadRoutine;
    return obj;
}

std::unique_ptr<TObject> ReadObject(TStream* stream) {
    TReadLevel level;
    uint8_t len = ReadU8(stream);
    AnsiString name(len, '\0');
    if (len) stream->ReadBuffer(&name[0], len);   // the whole name leaves the stream
    name = CutName(name);
    TObjectStreamer load;
    std::unique_ptr<TObject> obj = CreateRegisteredObject(name, load);
    if (load) load(obj.get(), stream);
    return obj;
}

void WriteObject(TObject* object, TStream* stream) {
    if (!object) throw EClassNotFound("Nil Source Class!");
    AnsiString name = CutName(object->ClassName());
    const tRegisterRec* rec = FindRegisteredClass(name);
    if (!rec) throw EClassNotFound(Format("Source Class <%s> not registered", name.c_str()));
    WriteU8(stream, static_cast<uint8_t>(name.size()));
    stream->WriteBuffer(name.data(), static_cast<int32_t>(name.size()));
    if (rec->StoreRoutine) rec->StoreRoutine(object, stream);
}

// ---- TObjectList -----------------------------------------------------------------------------

TObjectList::TObjectList() = default;

TObjectList::~TObjectList() {
    // A list freed while a read is under way is no longer among those the read sets up.
    auto& pending = tRead.NotOwning;
    pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
    for (int32_t i = 0; i < FCount; ++i) TObjectList::FreeItem(FItems[static_cast<size_t>(i)]);
    TObjectList::Clear();
}

void TObjectList::Error(int32_t index) const { throw EListError(Format("List index out of bounds (%d)", index)); }

void TObjectList::GrowCapacity() {
    int32_t delta = FCapacity > 8 ? 16 : (FCapacity > 4 ? 8 : 4);
    SetItemCapacity(FCapacity + delta);
}

void TObjectList::SetItemCapacity(int32_t n) {
    if (n == FCapacity) return;
    if (n < FCount || n > kMaxListSize) Error(n);
    // The visible capacity follows the small steps of GrowCapacity, but the storage grows
    // by doubling: copying the array at every step of 16 would make a long list cost the
    // square of its length. It is given back only when less than half of it is wanted.
    const size_t wanted = static_cast<size_t>(n);
    const size_t storage = FItems.capacity();
    if (wanted > storage) {
        FItems.reserve(std::min(std::max(wanted, 2 * storage), static_cast<size_t>(kMaxListSize)));
        FItems.resize(wanted, nullptr);
    } else if (wanted < storage / 2) {
        std::vector<TObject*> smaller(FItems.begin(), FItems.begin() + n);
        FItems.swap(smaller);
    } else {
        FItems.resize(wanted, nullptr);
    }
    FCapacity = n;
}

void TObjectList::SetCount(int32_t n) {
    if (n < 0 || n > kMaxListSize) Error(n);
    if (n > FCapacity) SetItemCapacity(n);
    if (n > FCount) std::fill(FItems.begin() + FCount, FItems.begin() + n, nullptr);
    FCount = n;
}

TObject* TObjectList::GetItem(int32_t index) const {
    if (index < 0 || index >= FCount) Error(index);
    return FItems[static_cast<size_t>(index)];
}

void TObjectList::Put(int32_t index, TObject* item) {
    if (index < 0 || index >= FCount) Error(index);
    FItems[static_cast<size_t>(index)] = item;
}

void TObjectList::FreeItem(TObject* item) {
    if (FOwnsObjects) delete item;
}

int32_t TObjectList::Add(TObject* item) {
    if (FCount == FCapacity) GrowCapacity();
    FItems[static_cast<size_t>(FCount)] = item;
    return FCount++;
}

void TObjectList::Insert(int32_t index, TObject* item) {
    if (index < 0 || index > FCount) Error(index);
    if (FCount == FCapacity) GrowCapacity();
    std::move_backward(FItems.begin() + index, FItems.begin() + FCount, FItems.begin() + FCount + 1);
    FItems[static_cast<size_t>(index)] = item;
    ++FCount;
}

void TObjectList::Delete(int32_t index) {
    if (index < 0 || index >= FCount) Error(index);
    std::move(FItems.begin() + index + 1, FItems.begin() + FCount, FItems.begin() + index);
    FItems[static_cast<size_t>(--FCount)] = nullptr;
}

void TObjectList::Clear() {
    SetCount(0);
    SetItemCapacity(0);
}

int32_t TObjectList::IndexOfReference(const TObject* item) const {
    for (int32_t i = 0; i < FCount; ++i)
        if (FItems[static_cast<size_t>(i)] == item) return i;
    return -1;
}

int32_t TObjectList::IndexOfItem(TObject* item) const { return IndexOfReference(item); }

TObject* TObjectList::First() const { return GetItem(0); }
TObject* TObjectList::Last() const { return GetItem(FCount - 1); }

TObject* TObjectList::GetNeighbour(TObject* item, int direction) const {
    if (!item) return direction == 1 ? First() : Last();
    int32_t index = IndexOfItem(item);
    if (index < 0) throw EListError(Format("tObject %s not in item list", item->ClassName()));
    index += direction == 1 ? 1 : -1;
    if (index < 0 || index >= FCount) return nullptr;
    return FItems[static_cast<size_t>(index)];
}

void TObjectList::DefineProperties(std::vector<TRawProperty>& properties) {
    TRawProperty p;
    p.Name = "ObjectContainer";
    p.ReadData = [this](TStream* s) { ReadItems(s); };
    p.WriteData = [this](TStream* s) { WriteItems(s); };
    p.Stored = FCount > 0;
    properties.push_back(std::move(p));
}

void TObjectList::ReadObjects(TStream* stream) {
    TReadLevel level;
    bool owns = ReadU8(stream) != 0;
    int32_t count = static_cast<int32_t>(ReadU32(stream));
    // Every object takes at least its name's length byte: a count beyond the bytes left
    // cannot be real, and must not size the array.
    int64_t left = stream->GetSize() - stream->GetPosition();
    if (count < 0 || count > left || count > kMaxListSize - FCount)
        throw EReadError(Format("Invalid object count (%d)", count));

    std::vector<std::unique_ptr<TObject>> loaded;
    loaded.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) loaded.push_back(ReadObject(stream));

    const int32_t oldCapacity = FCapacity;
    if (FCapacity < FCount + count) SetItemCapacity(FCount + count);
    std::vector<TObject*> added;
    try {
        for (auto& obj : loaded) {
            int32_t before = FCount;
            Add(obj.get());
            if (FCount != before) added.push_back(obj.release());   // else rejected: freed below
        }
    } catch (...) {
        for (TObject* p : added) {
            int32_t i = IndexOfReference(p);
            if (i >= 0) Delete(i);
            delete p;
        }
        if (FCapacity != oldCapacity && FCount <= oldCapacity) SetItemCapacity(oldCapacity);
        throw;
    }
    FOwnsObjects = true;
    if (!owns) tRead.NotOwning.push_back(this);
}

void TObjectList::ReadItems(TStream* stream) { ReadObjects(stream); }

void TObjectList::WriteItems(TStream* stream) {
    WriteU8(stream, FOwnsObjects ? 1 : 0);
    WriteU32(stream, static_cast<uint32_t>(FCount));
    for (int32_t i = 0; i < FCount; ++i) WriteObject(FItems[static_cast<size_t>(i)], stream);
}

// ---- TSortedObjectList -----------------------------------------------------------------------

TSortedObjectList::TSortedObjectList(TDuplicates duplicates) : FDuplicates(duplicates) {}

void TSortedObjectList::Put(int32_t, TObject*) { throw EListError("Cannot <Put> an Object in a sorted list!"); }

int32_t TSortedObjectList::Add(TObject* item) {
    Insert(0, item);
    return 0;
}

void TSortedObjectList::Insert(int32_t, TObject* item) {
    int32_t index = 0;
    if (Search(KeyOf(item), index)) {
        if (FDuplicates == dupIgnore) return;
        if (FDuplicates == dupError) throw EListError("Duplicate Object index");
    }
    TObjectList::Insert(index, item);
}

bool TSortedObjectList::Search(const void* key, int32_t& index) const {
    return SortedSearch(
        FCount, FDuplicates, [&](int32_t i) { return Compare(KeyOf(FItems[static_cast<size_t>(i)]), key); }, index);
}

int32_t TSortedObjectList::IndexOfItem(TObject* item) const {
    int32_t index = 0;
    const void* key = KeyOf(item);
    if (!Search(key, index)) return -1;
    // Several items can share the key: look for that very object among them.
    for (int32_t i = index; i < FCount && Compare(KeyOf(FItems[static_cast<size_t>(i)]), key) == 0; ++i)
        if (FItems[static_cast<size_t>(i)] == item) return i;
    for (int32_t i = index - 1; i >= 0 && Compare(KeyOf(FItems[static_cast<size_t>(i)]), key) == 0; --i)
        if (FItems[static_cast<size_t>(i)] == item) return i;
    return -1;
}

void TSortedObjectList::ReadItems(TStream* stream) {
    uint8_t dup = ReadU8(stream);
    if (dup > dupError) throw EReadError(Format("Invalid duplicates rule (%d)", dup));
    TDuplicates old = FDuplicates;
    FDuplicates = static_cast<TDuplicates>(dup);
    try {
        ReadObjects(stream);
    } catch (...) {
        FDuplicates = old;
        throw;
    }
}

void TSortedObjectList::WriteItems(TStream* stream) {
    WriteU8(stream, static_cast<uint8_t>(FDuplicates));
    TObjectList::WriteItems(stream);
}

}  // namespace zk
