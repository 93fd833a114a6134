// The archive library's object lists: growth, bounds, ownership, the sorted list's duplicate
// rules and search, and streaming through the class registry.
#include <gtest/gtest.h>

#include <cstring>

#include "ziparchive/object_lists.h"

namespace {

using zk::TObjectList;
using zk::TSortedObjectList;

int gAlive = 0;

// A counted object with an integer key.
class TItem : public TObject {
public:
    explicit TItem(int key = 0) : Key(key) { ++gAlive; }
    ~TItem() override { --gAlive; }
    const char* ClassName() const override { return "TItem"; }
    int Key;
};

class TItemList : public TSortedObjectList {
public:
    explicit TItemList(TDuplicates d) : TSortedObjectList(d) {}
    int Compare(const void* a, const void* b) const override {
        int x = static_cast<const TItem*>(a)->Key, y = static_cast<const TItem*>(b)->Key;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
};

void RegisterItem() {
    zk::RegisterObjectClass(
        "TItem", [] { return new TItem; },
        [](TObject* o, TStream* s) { s->ReadBuffer(&static_cast<TItem*>(o)->Key, 4); },
        [](TObject* o, TStream* s) { s->WriteBuffer(&static_cast<TItem*>(o)->Key, 4); });
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return std::string(e.ClassName()) + ": " + e.Message;
    }
    return "no exception";
}

TEST(ObjectList, GrowthBoundsAndOwnership) {
    {
        TObjectList list;
        std::vector<int> caps;
        for (int i = 0; i < 50; ++i) {
            caps.push_back(list.GetCapacity());
            EXPECT_EQ(list.Add(new TItem(i)), i);
        }
        for (int c : {0, 4, 8, 16, 32, 48}) EXPECT_NE(std::find(caps.begin(), caps.end(), c), caps.end()) << c;
        EXPECT_EQ(list.GetCapacity(), 64);
        EXPECT_EQ(ErrorOf([&] { list.GetItem(50); }), "EListError: List index out of bounds (50)");
        EXPECT_EQ(ErrorOf([&] { list.Insert(51, nullptr); }), "EListError: List index out of bounds (51)");
        EXPECT_EQ(ErrorOf([&] { list.SetItemCapacity(10); }), "EListError: List index out of bounds (10)");
        EXPECT_EQ(ErrorOf([&] { list.SetCount(-1); }), "EListError: List index out of bounds (-1)");
        EXPECT_EQ(list.GetCount(), 50);

        TItem keep(99);
        TObject* old = list.GetItem(3);
        list.Put(3, &keep);                 // the old object is not freed
        EXPECT_EQ(gAlive, 51);
        list.Put(3, old);
        list.Insert(0, new TItem(-1));
        EXPECT_EQ(static_cast<TItem*>(list.First())->Key, -1);
        EXPECT_EQ(static_cast<TItem*>(list.Last())->Key, 49);
        EXPECT_EQ(list.IndexOfItem(old), 4);
        EXPECT_EQ(list.IndexOfItem(&keep), -1);
    }
    EXPECT_EQ(gAlive, 0);                    // an owning list frees its items

    TItem a(1), b(2);
    {
        TObjectList list;
        list.SetOwnsObjects(false);
        list.Add(&a);
        list.Add(&b);
        list.Clear();                        // forgets, never frees
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetCapacity(), 0);
        list.Add(&a);
    }
    EXPECT_EQ(gAlive, 2);
}

TEST(ObjectList, Neighbours) {
    TObjectList list;
    list.SetOwnsObjects(false);
    EXPECT_EQ(ErrorOf([&] { list.GetNeighbour(nullptr, 1); }), "EListError: List index out of bounds (0)");
    TItem a(1), b(2), c(3), stranger(4);
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);
    EXPECT_EQ(list.GetNeighbour(nullptr, 1), &a);
    EXPECT_EQ(list.GetNeighbour(nullptr, 0), &c);
    EXPECT_EQ(list.GetNeighbour(&b, 1), &c);
    EXPECT_EQ(list.GetNeighbour(&b, 0), &a);
    EXPECT_EQ(list.GetNeighbour(&c, 1), nullptr);
    EXPECT_EQ(list.GetNeighbour(&a, 0), nullptr);
    EXPECT_EQ(ErrorOf([&] { list.GetNeighbour(&stranger, 1); }), "EListError: tObject TItem not in item list");
}

TEST(SortedObjectList, DuplicateRules) {
    {
        TItemList list(dupIgnore);
        for (int k : {5, 1, 3}) EXPECT_EQ(list.Add(new TItem(k)), 0);
        auto* twin = new TItem(3);
        list.Add(twin);
        EXPECT_EQ(list.GetCount(), 3);       // rejected; the caller still owns it
        EXPECT_EQ(list.IndexOfItem(twin), -1);
        delete twin;
        for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<TItem*>(list.GetItem(i))->Key, 2 * i + 1);
        EXPECT_EQ(ErrorOf([&] { list.Put(0, nullptr); }), "EListError: Cannot <Put> an Object in a sorted list!");
    }
    {
        TItemList list(dupError);
        list.Add(new TItem(1));
        TItem twin(1);
        EXPECT_EQ(ErrorOf([&] { list.Add(&twin); }), "EListError: Duplicate Object index");
        EXPECT_EQ(list.GetCount(), 1);
    }
    {
        TItemList list(dupAccept);
        auto* first = new TItem(7);
        auto* second = new TItem(7);
        auto* third = new TItem(7);
        list.Add(new TItem(9));
        list.Add(first);
        list.Add(new TItem(2));
        list.Add(second);                    // goes before the equal items
        list.Add(third);
        ASSERT_EQ(list.GetCount(), 5);
        EXPECT_EQ(list.GetItem(1), third);
        EXPECT_EQ(list.GetItem(2), second);
        EXPECT_EQ(list.GetItem(3), first);
        // That very object, not just the first with an equal key.
        EXPECT_EQ(list.IndexOfItem(first), 3);
        EXPECT_EQ(list.IndexOfItem(second), 2);
        TItem outsider(7);
        EXPECT_EQ(list.IndexOfItem(&outsider), -1);
        EXPECT_EQ(list.GetNeighbour(first, 1), list.GetItem(4));
    }
    EXPECT_EQ(gAlive, 0);
}

// The stream form of a list: [duplicates byte] owns byte, count, then each object.
std::string Container(int dup, int owns, int32_t count, const std::vector<std::pair<std::string, int32_t>>& objects) {
    std::string out;
    if (dup >= 0) out += static_cast<char>(dup);
    out += static_cast<char>(owns);
    for (int i = 0; i < 4; ++i) out += static_cast<char>(static_cast<uint32_t>(count) >> (8 * i));
    for (const auto& o : objects) {
        out += static_cast<char>(o.first.size());
        out += o.first;
        for (int i = 0; i < 4; ++i) out += static_cast<char>(static_cast<uint32_t>(o.second) >> (8 * i));
    }
    return out;
}

std::vector<int> Keys(const TObjectList& list) {
    std::vector<int> keys;
    for (int i = 0; i < list.GetCount(); ++i) keys.push_back(static_cast<TItem*>(list.GetItem(i))->Key);
    return keys;
}

class ObjectListStreaming : public ::testing::Test {
protected:
    void SetUp() override { RegisterItem(); }
    void TearDown() override { EXPECT_EQ(gAlive, 0); }
};

TEST_F(ObjectListStreaming, RoundTripThroughTheRegistry) {
    ASSERT_NE(zk::FindRegisteredClass("titem"), nullptr);   // names are found without regard to case
    TMemoryStream stream;
    {
        TObjectList list;
        std::vector<zk::TRawProperty> props;
        list.DefineProperties(props);
        ASSERT_EQ(props.size(), 1u);
        EXPECT_EQ(props[0].Name, "ObjectContainer");
        EXPECT_FALSE(props[0].Stored);       // nothing is written for an empty list
        for (int k : {4, 2, 8}) list.Add(new TItem(k));
        props.clear();
        list.DefineProperties(props);
        EXPECT_TRUE(props[0].Stored);
        props[0].WriteData(&stream);
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize())),
              Container(-1, 1, 3, {{"TItem", 4}, {"TItem", 2}, {"TItem", 8}}));
    stream.Seek(0, soBeginning);
    TObjectList back;
    back.ReadItems(&stream);
    EXPECT_EQ(Keys(back), (std::vector<int>{4, 2, 8}));

    // A sorted list reads its duplicates rule first and sorts while loading; an item its
    // rule rejects is freed.
    TStringStream sortedForm(Container(dupIgnore, 1, 4, {{"TItem", 4}, {"TItem", 2}, {"TItem", 4}, {"TItem", 1}}));
    TItemList sorted(dupAccept);
    sorted.ReadItems(&sortedForm);
    EXPECT_EQ(sorted.GetDuplicates(), dupIgnore);
    EXPECT_EQ(Keys(sorted), (std::vector<int>{1, 2, 4}));
    TMemoryStream again;
    sorted.WriteItems(&again);
    EXPECT_EQ(again.Memory()[0], dupIgnore);
}

TEST_F(ObjectListStreaming, BadContainersLeaveTheListAsItWas) {
    TItemList list(dupAccept);
    list.Add(new TItem(50));
    struct Case {
        const char* what;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"unregistered class", Container(dupAccept, 1, 2, {{"TItem", 1}, {"TNope", 2}}),
         "EClassNotFound: Class <TNope> not registered"},
        {"negative count", Container(dupAccept, 1, -1, {}), "EReadError: Invalid object count (-1)"},
        {"count beyond the stream", Container(dupAccept, 1, 0x1FFFFFFE, {{"TItem", 1}}),
         "EReadError: Invalid object count (536870910)"},
        {"truncated object", Container(dupAccept, 1, 2, {{"TItem", 1}, {"TItem", 2}}).substr(0, 20),
         "EReadError: Stream read error"},
        {"bad duplicates rule", Container(7, 1, 0, {}), "EReadError: Invalid duplicates rule (7)"},
        {"duplicate under dupError", Container(dupError, 1, 2, {{"TItem", 3}, {"TItem", 3}}),
         "EListError: Duplicate Object index"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TStringStream in(c.bytes);
        EXPECT_EQ(ErrorOf([&] { list.ReadItems(&in); }), c.error);
        EXPECT_EQ(Keys(list), std::vector<int>{50});
        EXPECT_EQ(list.GetDuplicates(), dupAccept);
        EXPECT_EQ(gAlive, 1);
    }
}

TEST_F(ObjectListStreaming, LongClassNamesAndWriteErrors) {
    const std::string longName = "TItem" + std::string(65, 'x');   // 70 characters
    zk::RegisterObjectClass(
        longName.substr(0, 63), [] { return new TItem; },
        [](TObject* o, TStream* s) { s->ReadBuffer(&static_cast<TItem*>(o)->Key, 4); }, nullptr);
    TStringStream in(Container(-1, 1, 1, {{longName, 1234}}).substr(5));   // one object alone
    std::unique_ptr<TObject> obj = zk::ReadObject(&in);   // the whole name is read, 63 kept
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(static_cast<TItem*>(obj.get())->Key, 1234);
    EXPECT_EQ(in.GetPosition(), in.GetSize());
    obj.reset();
    zk::UnregisterObjectClass(longName);
    EXPECT_EQ(zk::FindRegisteredClass(longName), nullptr);

    TMemoryStream out;
    EXPECT_EQ(ErrorOf([&] { zk::WriteObject(nullptr, &out); }), "EClassNotFound: Nil Source Class!");
    TObject stranger;
    EXPECT_EQ(ErrorOf([&] { zk::WriteObject(&stranger, &out); }),
              "EClassNotFound: Source Class <TObject> not registered");
    EXPECT_EQ(out.GetSize(), 0);
}

// A list stored inside a list: "TNested" is a plain object list read with its own items.
class TNestedList : public TObjectList {
public:
    const char* ClassName() const override { return "TNested"; }
};

std::string NestedHeader(int owns, int32_t count) {
    std::string out = std::string(1, 7) + "TNested" + static_cast<char>(owns);
    for (int i = 0; i < 4; ++i) out += static_cast<char>(static_cast<uint32_t>(count) >> (8 * i));
    return out;
}

TEST_F(ObjectListStreaming, NestedListsFreeWhatTheyReadOnFailureAndNestOnlySoDeep) {
    zk::RegisterObjectClass(
        "TNested", [] { return new TNestedList; },
        [](TObject* o, TStream* s) { static_cast<TNestedList*>(o)->ReadItems(s); }, nullptr);
    // An outer list of two: a nested list that does not own its two items, then an object
    // of a class nobody registered.
    const std::string nested = NestedHeader(0, 2) + Container(-1, 1, 2, {{"TItem", 1}, {"TItem", 2}}).substr(5);
    const std::string failing = Container(-1, 1, 2, {}) + nested + std::string(1, 5) + "TNope";
    {
        TObjectList outer;
        TStringStream in(failing);
        EXPECT_EQ(ErrorOf([&] { outer.ReadItems(&in); }), "EClassNotFound: Class <TNope> not registered");
        EXPECT_EQ(outer.GetCount(), 0);
    }
    EXPECT_EQ(gAlive, 0);   // the nested list's items went with it

    // Read in full, the nested list takes its stored setting.
    {
        TObjectList outer;
        TStringStream in(Container(-1, 1, 1, {}) + nested);
        outer.ReadItems(&in);
        auto* list = dynamic_cast<TNestedList*>(outer.GetItem(0));
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->GetOwnsObjects());
        EXPECT_EQ(list->GetCount(), 2);
        for (int i = 0; i < list->GetCount(); ++i) delete list->GetItem(i);   // not owned: freed here
    }
    EXPECT_EQ(gAlive, 0);

    // Lists nested 100000 deep (about 1.3 MB) end in an error, not a stack overflow.
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += NestedHeader(1, 1);
    TObjectList outer;
    TStringStream in(Container(-1, 1, 1, {}) + deep);
    EXPECT_EQ(ErrorOf([&] { outer.ReadItems(&in); }), "EReadError: Objects nested deeper than 64 levels");
    EXPECT_EQ(outer.GetCount(), 0);
    zk::UnregisterObjectClass("TNested");
}

}  // namespace
