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
