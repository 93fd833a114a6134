#include <gtest/gtest.h>

#include "classlib/classes.h"
#include "tests/support/tempdir.h"

TEST(StringRoutines, LeadByteAwareEndings) {
    // 乗 is 81 5C in code page 936: its trail byte is not a "\".
    const std::string jou = "\x81\x5C";
    EXPECT_FALSE(EndsWithChar("dir\\" + jou, '\\'));
    EXPECT_TRUE(EndsWithChar("dir" + jou + "\\", '\\'));
    EXPECT_EQ(DropLastChar("a" + jou), "a");
    EXPECT_EQ(ExtractFileName("c:\\x\\" + jou + ".htm"), jou + ".htm");
    EXPECT_EQ(ExtractFilePath("c:\\x" + jou + "\\y"), "c:\\x" + jou + "\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter("c:\\" + jou), "c:\\" + jou + "\\");
    EXPECT_EQ(UpperCase("ab\x81" "a"), "AB\x81" "a");   // trail byte left alone
}

TEST(StringRoutines, Conversions) {
    EXPECT_EQ(StrToInt("$ff"), 255);
    EXPECT_EQ(StrToInt(" -12 "), -12);
    EXPECT_EQ(StrToIntDef("12a", 7), 7);
    EXPECT_THROW(StrToInt(""), EConvertError);
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    EXPECT_EQ(IntToHex(0xAB, 2), "AB");
    EXPECT_EQ(StringReplaceAll("D:\\Site\\a D:\\site\\b", "d:\\SITE\\", "", true), "a b");
    EXPECT_EQ(ExtractFileDrive("\\\\srv\\share\\x"), "\\\\srv\\share");
    EXPECT_EQ(ExtractFileDrive("C:\\x"), "C:");
}

TEST(StringList, SortedFindAndDuplicates) {
    TStringList list;
    list.SetSorted(true);
    list.Add("beta");
    list.Add("Alpha");
    list.Add("BETA");   // ignored: case-insensitive duplicate
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(0), "Alpha");
    int i = -1;
    EXPECT_TRUE(list.Find("ALPHA", i));
    EXPECT_EQ(i, 0);
    EXPECT_FALSE(list.Find("gamma", i));
    EXPECT_EQ(i, 2);
    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add("alpha"), EStringListError);
    list.SetDuplicates(dupAccept);
    list.Add("alpha");
    EXPECT_EQ(list.Count(), 3);
}

TEST(StringList, NameValueAndText) {
    TStringList list;
    list.SetText("a=1\r\nb=2\nc");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Values("B"), "2");
    list.SetValue("a", "9");
    EXPECT_EQ(list.Get(0), "a=9");
    list.SetValue("b", "");
    EXPECT_EQ(list.GetText(), "a=9\r\nc\r\n");
}

TEST(Streams, MemoryAndFileRoundTrip) {
    TempDir dir;
    const std::string name = dir / "data.bin";
    {
        TFileStream f(name, fmCreate);
        f.WriteBuffer("hello world", 11);
        EXPECT_EQ(f.GetSize(), 11);
        f.SetSize(5);
    }
    TMemoryStream m;
    m.LoadFromFile(name);
    ASSERT_EQ(m.GetSize(), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(m.Memory()), 5), "hello");
    TStringStream s("abcdef");
    TMemoryStream copy;
    s.SetPosition(3);
    copy.CopyFrom(&s, 0);   // 0 copies all of the source from its start
    EXPECT_EQ(copy.GetSize(), 6);
    char buf[4];
    s.SetPosition(4);
    EXPECT_THROW(s.ReadBuffer(buf, 4), EReadError);
    EXPECT_THROW(TFileStream(dir / "missing", fmOpenRead), EFOpenError);
}

TEST(Components, OwnerFreesAndNotifies) {
    struct Watcher : TComponent {
        using TComponent::TComponent;
        TComponent* gone = nullptr;
        void Notification(TComponent* c, TOperation op) override {
            if (op == opRemove) gone = c;
        }
    };
    auto* owner = new TComponent(nullptr);
    auto* child = new TComponent(owner);
    Watcher watcher(nullptr);
    child->FreeNotification(&watcher);
    EXPECT_EQ(owner->ComponentCount(), 1);
    delete owner;   // frees the child, which tells the watcher
    EXPECT_EQ(watcher.gone, child);
}

namespace {

// An item with one value that counts how many of its kind are alive.
struct TNumberItem : TCollectionItem {
    explicit TNumberItem(TCollection* c) : TCollectionItem(c) { ++Alive; }
    ~TNumberItem() override { --Alive; }
    void Assign(TPersistent* source) override {
        auto* other = dynamic_cast<TNumberItem*>(source);
        if (!other) return TCollectionItem::Assign(source);
        Value = other->Value;
        Changed(false);
    }
    void SetValue(int v) {
        Value = v;
        Changed(false);
    }
    int Value = 0;
    static int Alive;
};
int TNumberItem::Alive = 0;

struct TNumbers : TCollection {
    explicit TNumbers(TPersistent* owner = nullptr)
        : TCollection([](TCollection* c) { return new TNumberItem(c); }), Owner(owner) {}
    ~TNumbers() override = default;
    TNumberItem* Add() { return static_cast<TNumberItem*>(TCollection::Add()); }
    TNumberItem* Item(int i) const { return static_cast<TNumberItem*>(GetItem(i)); }
    TPersistent* GetOwner() const override { return Owner; }
    void Update(TCollectionItem* item) override { Updates.push_back(item); }
    TPersistent* Owner;
    std::vector<TCollectionItem*> Updates;
};

std::vector<int> Values(const TNumbers& c) {
    std::vector<int> out;
    for (int i = 0; i < c.Count(); ++i) out.push_back(c.Item(i)->Value);
    return out;
}

}  // namespace

TEST(Collection, OwnsItemsKeepsIndexesAndFreesOnEveryPath) {
    {
        TNumbers numbers;
        for (int v : {10, 20, 30, 40}) numbers.Add()->SetValue(v);
        EXPECT_EQ(TNumberItem::Alive, 4);
        EXPECT_EQ(numbers.Item(2)->GetIndex(), 2);
        EXPECT_EQ(numbers.Item(2)->GetCollection(), &numbers);
        EXPECT_EQ(numbers.Item(2)->GetOwner(), &numbers);

        numbers.Delete(1);
        EXPECT_EQ(Values(numbers), (std::vector<int>{10, 30, 40}));
        EXPECT_EQ(numbers.Item(1)->GetIndex(), 1);
        // Freeing an item directly takes it out of the list: no dangling entry, no second free.
        delete numbers.Item(0);
        EXPECT_EQ(Values(numbers), (std::vector<int>{30, 40}));
        EXPECT_EQ(TNumberItem::Alive, 2);
        for (int bad : {-1, 2}) {
            EXPECT_THROW(numbers.GetItem(bad), EListError);
            EXPECT_THROW(numbers.Delete(bad), EListError);
        }
        numbers.Clear();
        EXPECT_EQ(numbers.Count(), 0);
        EXPECT_EQ(TNumberItem::Alive, 0);
        numbers.Add();
        numbers.Add();
    }
    EXPECT_EQ(TNumberItem::Alive, 0);   // the collection's destructor frees the rest
}

TEST(Collection, AssignCopiesItemByItemAndUpdatesOnce) {
    TPersistent owner;
    TNumbers source(&owner), target;
    EXPECT_EQ(source.GetOwner(), &owner);
    for (int v : {1, 2, 3}) source.Add()->SetValue(v);
    target.Add()->SetValue(99);

    target.Updates.clear();
    target.Assign(&source);
    EXPECT_EQ(Values(target), (std::vector<int>{1, 2, 3}));
    EXPECT_NE(target.Item(0), source.Item(0));
    EXPECT_EQ(target.Updates, (std::vector<TCollectionItem*>{nullptr}));   // one update for the batch

    // An item change names the item; inside BeginUpdate nothing until the outermost EndUpdate.
    target.Updates.clear();
    target.Item(1)->SetValue(7);
    EXPECT_EQ(target.Updates, (std::vector<TCollectionItem*>{target.Item(1)}));
    target.Updates.clear();
    target.BeginUpdate();
    target.BeginUpdate();
    target.Item(0)->SetValue(5);
    target.Delete(2);
    target.EndUpdate();
    EXPECT_TRUE(target.Updates.empty());
    target.EndUpdate();
    EXPECT_EQ(target.Updates, (std::vector<TCollectionItem*>{nullptr}));

    target.Assign(&target);   // itself: unchanged
    EXPECT_EQ(Values(target), (std::vector<int>{5, 7}));
    target.Assign(nullptr);
    EXPECT_EQ(target.Count(), 0);
    TStringList strings;
    EXPECT_THROW(target.Assign(&strings), EConvertError);

    // Plain items cannot copy one another: Assign raises instead of making blank copies.
    TCollection plain([](TCollection* c) { return new TCollectionItem(c); });
    EXPECT_THROW(plain.Assign(&source), EConvertError);
}
