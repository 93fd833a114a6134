// Object-list streams over any bytes: a plain or a sorted list whose items may be lists
// themselves (owning their items or not).
#include "ziparchive/object_lists.h"

namespace {

class TKey : public TObject {
public:
    const char* ClassName() const override { return "TKey"; }
    int32_t Key = 0;
};

class TKeyList : public zk::TSortedObjectList {
public:
    TKeyList() : zk::TSortedObjectList(dupAccept) {}
    int Compare(const void* a, const void* b) const override {
        const TKey* x = dynamic_cast<const TKey*>(static_cast<const TObject*>(a));
        const TKey* y = dynamic_cast<const TKey*>(static_cast<const TObject*>(b));
        const int32_t kx = x ? x->Key : 0, ky = y ? y->Key : 0;
        return kx < ky ? -1 : (kx > ky ? 1 : 0);
    }
};

void ReadList(TObject* o, TStream* s) { static_cast<zk::TObjectList*>(o)->ReadItems(s); }
void WriteList(TObject* o, TStream* s) { static_cast<zk::TObjectList*>(o)->WriteItems(s); }

bool Registered = [] {
    zk::RegisterObjectClass(
        "TKey", [] { return new TKey; }, [](TObject* o, TStream* s) { s->ReadBuffer(&static_cast<TKey*>(o)->Key, 4); },
        [](TObject* o, TStream* s) { s->WriteBuffer(&static_cast<TKey*>(o)->Key, 4); });
    zk::RegisterObjectClass("TObjectList", [] { return new zk::TObjectList; }, ReadList, WriteList);
    zk::RegisterObjectClass(
        "TLinkList",
        [] {
            auto* list = new zk::TObjectList;
            list->SetOwnsObjects(false);
            return list;
        },
        ReadList, WriteList);
    zk::RegisterObjectClass("TKeyList", [] { return new TKeyList; }, ReadList, WriteList);
    return true;
}();

// After a successful read the caller owns what lists that do not own their items hold.
void FreeUnownedItems(zk::TObjectList& list) {
    for (int32_t i = 0; i < list.GetCount(); ++i) {
        TObject* item = list.GetItem(i);
        if (auto* inner = dynamic_cast<zk::TObjectList*>(item)) FreeUnownedItems(*inner);
        if (!list.GetOwnsObjects()) delete item;
    }
    if (!list.GetOwnsObjects()) list.Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    TMemoryStream in;
    if (size > 1) in.WriteBuffer(data + 1, static_cast<int32_t>(size - 1));
    in.SetPosition(0);
    try {
        if (data[0] & 1) {
            TKeyList list;
            list.ReadItems(&in);
            FreeUnownedItems(list);
        } else {
            zk::TObjectList list;
            list.ReadItems(&in);
            FreeUnownedItems(list);
        }
    } catch (const Exception&) {
    }
    return 0;
}
