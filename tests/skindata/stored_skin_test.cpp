// Stored skins from the generated fixtures: field-by-field reading, round trips through our
// writer, versions, the load sequence and its messages, and bad compressed-file sizes.
#include <gtest/gtest.h>

#include <chrono>

#include "classlib/little_endian.h"
#include "skindata/gw_zlib_streams.h"
#include "skindata/skin_data.h"
#include "skindata/stored_skin.h"
#include "tests/skindata/skin_fixture.h"

namespace {

// Records the messages a load sends.
class TRecordingSkinData : public TgwSkinData {
public:
    using TgwSkinData::TgwSkinData;
    void BroadcastSkinMessage(unsigned msg) override { Messages.push_back(msg); }
    std::vector<unsigned> Messages;
};

void SetCompressed(TgwCompressedStoredSkin& stored, const std::string& packed) {
    stored.CompressedData().Clear();
    stored.CompressedData().WriteBuffer(packed.data(), static_cast<int32_t>(packed.size()));
}

TgwStoredSkin ReadStored(const std::string& bytes) {
    TStringStream s(bytes);
    TgwStoredSkin skin;
    EXPECT_TRUE(ReadStoredSkin(s, skin));
    return skin;
}

std::string WithVersion(std::string stored, int32_t version) {
    PutLE32(reinterpret_cast<uint8_t*>(&stored[0]), static_cast<uint32_t>(version));
    return stored;
}

}  // namespace

TEST(StoredSkin, ReadsThePythonWrittenStreamFieldByField) {
    TgwStoredSkin full = ReadStored(ReadWholeFile(SkinFixture("full", "skin.stored")));
    EXPECT_EQ(full.Version, 3);
    EXPECT_TRUE(SameBmp(full.Picture, FixtureBmp("full", "frame24.bmp")));
    EXPECT_TRUE(SameBmp(full.InactivePicture, FixtureBmp("full", "inactive8.bmp")));
    EXPECT_TRUE(SameBmp(full.Mask, FixtureBmp("full", "mask1.bmp")));
    ASSERT_EQ(full.ActivePictures.size(), 3u);
    const char* active[] = {"button4.bmp", "glow32.bmp", "arrow24.bmp"};
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameBmp(full.ActivePictures[i], FixtureBmp("full", active[i]))) << active[i];
    EXPECT_EQ(full.IniText, ReadWholeFile(SkinFixture("full", "skin.ini")));

    TgwStoredSkin bare = ReadStored(ReadWholeFile(SkinFixture("bare", "skin.stored")));
    EXPECT_TRUE(BmpIsEmpty(bare.Picture) && BmpIsEmpty(bare.InactivePicture) && BmpIsEmpty(bare.Mask));
    EXPECT_TRUE(bare.ActivePictures.empty());
    EXPECT_EQ(bare.IniText, ReadWholeFile(SkinFixture("bare", "skin.ini")));
}

TEST(StoredSkin, BuildFromIniFileRoundTrips) {
    for (const char* name : {"full", "bare"}) {
        SCOPED_TRACE(name);
        TgwCompressedStoredSkin built(nullptr);
        built.BuildFromIniFile(SkinFixture(name, "skin.ini"));
        ASSERT_FALSE(built.IsEmpty());
        // Real zlib reads what we wrote; the stream matches the independent writer's field by field.
        TMemoryStream raw;
        built.DecompressToStream(&raw);
        TgwStoredSkin ours = ReadStored(std::string(reinterpret_cast<const char*>(raw.Memory()), raw.GetSize()));
        TgwStoredSkin theirs = ReadStored(ReadWholeFile(SkinFixture(name, "skin.stored")));
        EXPECT_TRUE(SameBmp(ours.Picture, theirs.Picture));
        EXPECT_TRUE(SameBmp(ours.InactivePicture, theirs.InactivePicture));
        EXPECT_TRUE(SameBmp(ours.Mask, theirs.Mask));
        ASSERT_EQ(ours.ActivePictures.size(), theirs.ActivePictures.size());
        for (size_t i = 0; i < ours.ActivePictures.size(); ++i)
            EXPECT_TRUE(SameBmp(ours.ActivePictures[i], theirs.ActivePictures[i]));
        EXPECT_EQ(ours.IniText, theirs.IniText);
    }
    // An INI lacking a section leaves the data as it was.
    TempDir dir;
    WriteWholeFile(dir / "partial.ini", "[VERSION]\r\n[PICTURES]\r\n[FORMINFO]\r\n[SKINOBJECTS]\r\n");
    TgwCompressedStoredSkin kept(nullptr);
    SetCompressed(kept, "old");
    kept.BuildFromIniFile(dir / "partial.ini");
    EXPECT_EQ(kept.CompressedData().GetSize(), 3);
    // A missing picture raises, the data already cleared.
    WriteWholeFile(dir / "lost.ini", "[VERSION]\r\n[PICTURES]\r\npicture=nowhere.bmp\r\n[FORMINFO]\r\n[SKINOBJECTS]\r\n[SKINCONTROLS]\r\n");
    EXPECT_THROW(kept.BuildFromIniFile(dir / "lost.ini"), EFOpenError);
    EXPECT_TRUE(kept.IsEmpty());
}

TEST(StoredSkin, LoadsTheFixtureSkin) {
    TgwCompressedStoredSkin stored(nullptr);
    stored.LoadFromCompressedFile(SkinFixture("full", "skin.gsk"));
    TRecordingSkinData data(nullptr);
    data.SetCompressedStoredSkin(&stored);
    EXPECT_EQ(data.Messages, (std::vector<unsigned>{1225, 1226, 1227}));
    ASSERT_FALSE(data.Empty);
    EXPECT_EQ(data.SkinName, "Fixture Blue");
    EXPECT_EQ(data.AuthorURL, "https://pagewrap.example/");
    EXPECT_EQ(data.MaskName, "mask1.bmp");
    EXPECT_EQ(data.ActivePictureNames.GetText(), "button4.bmp\r\nglow32.bmp\r\narrow24.bmp\r\n");
    EXPECT_EQ(data.ActivePictureList.size(), 3u);
    EXPECT_EQ(data.Picture.Width, 40);
    // Mask named: mask area grows to the client rectangle; corners clamped.
    EXPECT_EQ(data.FormInfo.maskrectarea, TRect(5, 6, 100, 80));
    EXPECT_EQ(data.FormInfo.lefttoppoint, TPoint(5, 6));
    EXPECT_EQ(data.FormInfo.hittestlefttoppoint, TPoint(2, 3));
    EXPECT_EQ(data.FormInfo.inactiveeffect, ieGrayscale);
    EXPECT_EQ(data.HintWindow.fontname, "Verdana");
    EXPECT_EQ(data.SkinColors.cbtnface, 0);
    EXPECT_EQ(data.SkinColors.cbtntext, 0x102030);

    // a:panel, b:<unknown kind> and c:stdlabel give two descriptors.
    ASSERT_EQ(data.SkinControlList.size(), 2u);
    EXPECT_TRUE(dynamic_cast<TgwDataSkinPanelControl*>(data.SkinControlList[0].get()));
    EXPECT_EQ(data.GetControlIndex("c"), 1);
    EXPECT_EQ(data.GetControlIndex("C"), -1);
    EXPECT_EQ(data.GetControlIndex("b"), -1);
    auto* label = dynamic_cast<TgwDataSkinStdLabelControl*>(data.SkinControlList[1].get());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->fontname, "Tahoma");
    EXPECT_EQ(label->fontheight, 16);
    EXPECT_EQ(label->fontstyle, fsBold);
    EXPECT_EQ(label->fontcolor, 0xFF);
    EXPECT_EQ(label->activefontcolor, 0xFF00);
    ASSERT_EQ(data.SkinObjectList.size(), 2u);
    EXPECT_EQ(static_cast<TgwDataSkinStdButton*>(data.SkinObjectList[1].get())->command, cmClose);

    data.ClearSkin();
    EXPECT_TRUE(data.Empty);
    EXPECT_TRUE(data.SkinControlList.empty());
    EXPECT_EQ(static_cast<uint32_t>(data.SkinColors.cbtnface), 0xFF00000Fu);
}

TEST(StoredSkin, ListsCountingMoreItemsThanKeys) {
    const std::string bare = ReadWholeFile(SkinFixture("bare", "skin.stored"));
    auto withPictures = [&](const std::string& lines, const char* controlCount) {
        std::string s = bare;
        s.insert(s.find("[PICTURES]\r\n") + 12, lines);
        s.replace(s.find("count=1\r\n"), 7, std::string("count=") + controlCount);
        return s;
    };
    struct Case { const char* label; std::string stored; const char* names; } cases[] = {
        {"short list", withPictures("activepicturescount=3\r\n0=a.bmp\r\n", "1"), "a.bmp\r\n\r\n\r\n"},
        {"2^31-1", withPictures("activepicturescount=2147483647\r\n0=a.bmp\r\n5=f.bmp\r\n", "2147483647"),
         "a.bmp\r\nf.bmp\r\n"},
    };
    for (const Case& c : cases) {
        TgwCompressedStoredSkin stored(nullptr);
        SetCompressed(stored, ZlibDeflate(c.stored));
        TRecordingSkinData data(nullptr);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_NO_THROW(data.SetCompressedStoredSkin(&stored)) << c.label;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.label;
        EXPECT_EQ(data.Messages, (std::vector<unsigned>{1225, 1226, 1227})) << c.label;
        EXPECT_FALSE(data.Empty) << c.label;
        EXPECT_EQ(data.ActivePictureNames.GetText(), c.names) << c.label;
        EXPECT_EQ(data.GetControlIndex("label"), 0) << c.label;
    }
}

TEST(StoredSkin, Versions) {
    const std::string full = ReadWholeFile(SkinFixture("full", "skin.stored"));
    for (int32_t version : {0, 1, 3}) {
        TgwStoredSkin skin = ReadStored(WithVersion(full, version));
        EXPECT_EQ(skin.ActivePictures.size(), 3u) << version;
    }
    // Version 2: two more entries after the mask, read and dropped (one picture, one flag 1).
    const std::string bare = ReadWholeFile(SkinFixture("bare", "skin.stored"));
    const std::string pic = ReadWholeFile(SkinFixture("full", "arrow24.bmp"));
    std::string v2 = WithVersion(bare.substr(0, 7), 2) + std::string(1, '\0') + pic + "\x01" + bare.substr(7);
    TgwStoredSkin skin2 = ReadStored(v2);
    EXPECT_TRUE(BmpIsEmpty(skin2.Mask));
    EXPECT_EQ(skin2.IniText, ReadWholeFile(SkinFixture("bare", "skin.ini")));

    // Version 4: the load stops after 1225, the skin stays cleared and Empty.
    TgwCompressedStoredSkin stored(nullptr);
    SetCompressed(stored, ZlibDeflate(WithVersion(full, 4)));
    TRecordingSkinData data(nullptr);
    data.SetCompressedStoredSkin(&stored);
    EXPECT_TRUE(data.Empty);
    EXPECT_EQ(data.Messages, (std::vector<unsigned>{1225}));
}

TEST(StoredSkin, FailedLoadLeavesTheSkinCleared) {
    TgwCompressedStoredSkin good(nullptr), bad(nullptr);
    good.LoadFromCompressedFile(SkinFixture("full", "skin.gsk"));
    std::string stored = ReadWholeFile(SkinFixture("full", "skin.stored"));
    // A broken rectangle in the last section read.
    stored.replace(stored.find("captionrect=1,2,30,12"), 21, "captionrect=1,,30,12");
    SetCompressed(bad, ZlibDeflate(stored));

    TRecordingSkinData data(nullptr);
    data.SetCompressedStoredSkin(&good);
    ASSERT_FALSE(data.Empty);
    data.Messages.clear();
    EXPECT_THROW(data.SetCompressedStoredSkin(&bad), EConvertError);
    EXPECT_EQ(data.Messages, (std::vector<unsigned>{1225}));
    EXPECT_TRUE(data.Empty);
    EXPECT_TRUE(data.SkinControlList.empty());
    EXPECT_TRUE(data.SkinName.empty());
    EXPECT_TRUE(BmpIsEmpty(data.Picture));
    EXPECT_TRUE(data.ActivePictureList.empty());
}

TEST(StoredSkin, ReferencesAndStringsMessage) {
    TRecordingSkinData data(nullptr);
    {
        TgwCompressedStoredSkin stored(nullptr);
        TgwResourceStrData strings(nullptr);
        data.SetCompressedStoredSkin(&stored);   // empty: nothing happens
        EXPECT_TRUE(data.Messages.empty());
        data.SetResourceStrData(&strings);
        data.SetResourceStrData(nullptr);
        data.SetResourceStrData(&strings);
        EXPECT_EQ(data.Messages, (std::vector<unsigned>{1274, 1274, 1274}));
    }
    // Both went away: the references are cleared, nothing is sent.
    EXPECT_EQ(data.GetCompressedStoredSkin(), nullptr);
    EXPECT_EQ(data.GetResourceStrData(), nullptr);
    EXPECT_EQ(data.Messages.size(), 3u);
}

TEST(StoredSkin, CompressedFileSizes) {
    const std::string packed = ReadWholeFile(SkinFixture("full", "skin.gsk")).substr(8);
    auto file = [&](int32_t version, int32_t size, const std::string& body) {
        uint8_t head[8];
        PutLE32(head, static_cast<uint32_t>(version));
        PutLE32(head + 4, static_cast<uint32_t>(size));
        return std::string(reinterpret_cast<char*>(head), 8) + body;
    };
    const int32_t n = static_cast<int32_t>(packed.size());
    struct Case { const char* label; std::string bytes; bool throws; int64_t size; } cases[] = {
        {"exact", file(3, n, packed), false, n},
        {"trailing bytes ignored", file(3, n, packed + "xyz"), false, n},
        {"version 0", file(0, n, packed), false, n},
        {"version 4", file(4, n, packed), false, 0},
        {"size 0", file(3, 0, packed), true, 0},
        {"negative size", file(3, -1, packed), true, 0},
        {"past the end", file(3, n + 1, packed), true, 0},
        {"huge", file(3, 0x7FFFFFFF, packed), true, 0},
        {"no size field", file(3, n, "").substr(0, 6), true, 0},
        {"empty file", "", true, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        WriteWholeFile(dir / "skin.gsk", c.bytes);
        TgwCompressedStoredSkin stored(nullptr);
        SetCompressed(stored, "previous");
        if (c.throws) EXPECT_THROW(stored.LoadFromCompressedFile(dir / "skin.gsk"), EReadError) << c.label;
        else EXPECT_NO_THROW(stored.LoadFromCompressedFile(dir / "skin.gsk")) << c.label;
        EXPECT_EQ(stored.CompressedData().GetSize(), c.size) << c.label;
    }
}

namespace {

// A bitmap file with a one-colour palette at 8 bits and the run-length `codes` as its data.
std::string Rle8Bmp(int32_t width, int32_t height, const std::string& codes) {
    std::string head(14 + 40 + 4, '\0');
    uint8_t* p = reinterpret_cast<uint8_t*>(&head[0]);
    p[0] = 'B';
    p[1] = 'M';
    PutLE32(p + 2, static_cast<uint32_t>(head.size() + codes.size()));
    PutLE32(p + 10, static_cast<uint32_t>(head.size()));
    PutLE32(p + 14, 40);
    PutLE32(p + 18, static_cast<uint32_t>(width));
    PutLE32(p + 22, static_cast<uint32_t>(height));
    PutLE16(p + 26, 1);
    PutLE16(p + 28, 8);
    PutLE32(p + 30, 1);   // BI_RLE8
    PutLE32(p + 34, static_cast<uint32_t>(codes.size()));
    PutLE32(p + 46, 1);   // colours used
    return head + codes;
}

// 60 bytes, "end of bitmap" only: 2048 x 2048, 4 MiB of pixels once read.
std::string TinyRleBmp() { return Rle8Bmp(2048, 2048, std::string("\0\1", 2)); }

// 8192 x 8448 written out in runs: about 570 KB that read as 66 MiB of pixels.
std::string LargeRleBmp() {
    std::string row;
    for (int x = 0; x < 8192; x += 255) row += {static_cast<char>(std::min(255, 8192 - x)), '\0'};
    row += std::string("\0\0", 2);
    std::string codes;
    for (int y = 0; y < 8448; ++y) codes += row;
    return Rle8Bmp(8192, 8448, codes);
}

// The bare fixture's INI behind `pictures`, the entries and pictures of a stored skin.
std::string StoredWith(int32_t version, const std::string& pictures) {
    const std::string bare = ReadWholeFile(SkinFixture("bare", "skin.stored"));
    return WithVersion(bare.substr(0, 4), version) + pictures + bare.substr(11);
}

std::string Count(int32_t n) {
    std::string s(4, '\0');
    PutLE32(reinterpret_cast<uint8_t*>(&s[0]), static_cast<uint32_t>(n));
    return s;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(StoredSkin, PicturesShareOneDecodedBudget) {
    const std::string tiny = TinyRleBmp();   // 4 MiB each: fifteen fit in the 64 MiB budget
    const std::string entry = std::string(1, '\0') + tiny, none = "\x01";
    struct Case {
        const char* Label;
        std::string Stored;
        bool Loads;
    } cases[] = {
        {"15 active", StoredWith(3, none + none + none + Count(15) + Repeat(tiny, 15)), true},
        // sixteen fill it with their pixels alone: what holds them passes it
        {"16 active", StoredWith(3, none + none + none + Count(16) + Repeat(tiny, 16)), false},
        {"100 active", StoredWith(3, none + none + none + Count(100) + Repeat(tiny, 100)), false},
        {"3 entries + 12 active", StoredWith(3, entry + entry + entry + Count(12) + Repeat(tiny, 12)), true},
        {"3 entries + 13 active", StoredWith(3, entry + entry + entry + Count(13) + Repeat(tiny, 13)), false},
        // version 2: the two entries read and dropped are decoded too
        {"v2, 5 entries + 10 active", StoredWith(2, Repeat(entry, 5) + Count(10) + Repeat(tiny, 10)), true},
        {"v2, 5 entries + 11 active", StoredWith(2, Repeat(entry, 5) + Count(11) + Repeat(tiny, 11)), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        ASSERT_LT(c.Stored.size(), 8000u) << "a small stored skin";
        TgwCompressedStoredSkin stored(nullptr);
        SetCompressed(stored, ZlibDeflate(c.Stored));
        TRecordingSkinData data(nullptr);
        if (c.Loads) {
            ASSERT_NO_THROW(data.SetCompressedStoredSkin(&stored));
            EXPECT_EQ(data.Messages, (std::vector<unsigned>{1225, 1226, 1227}));
            EXPECT_FALSE(data.Empty);
            EXPECT_EQ(data.ActivePictureList.back().Width, 2048);
        } else {
            EXPECT_THROW(data.SetCompressedStoredSkin(&stored), EInvalidGraphic);
            EXPECT_EQ(data.Messages, (std::vector<unsigned>{1225}));
            EXPECT_TRUE(data.Empty);
            EXPECT_TRUE(data.ActivePictureList.empty());
        }
    }
}

TEST(StoredSkin, IniTextTakesFromTheSameBudget) {
    // Every line costs a string in a list and a key in the INI, however short it is.
    const std::string tiny = TinyRleBmp(), none = "\x01";
    const std::string noPictures = StoredWith(3, none + none + none + Count(0));
    const std::string fifteen = StoredWith(3, none + none + none + Count(15) + Repeat(tiny, 15));
    struct Case {
        const char* Label;
        std::string Stored;
        bool Loads;
    } cases[] = {
        {"2,000 empty lines", noPictures + Repeat("\r\n", 2000), true},
        {"400,000 empty lines", noPictures + Repeat("\r\n", 400000), false},
        {"400,000 lines of one key", noPictures + "[X]\r\n" + Repeat("a=1\r\n", 400000), false},
        {"400,000 bare line feeds", noPictures + Repeat("\n", 400000), false},
        {"15 pictures + 2,000 lines", fifteen + Repeat("\r\n", 2000), true},
        {"15 pictures + 40,000 lines", fifteen + Repeat("\r\n", 40000), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        TgwCompressedStoredSkin stored(nullptr);
        SetCompressed(stored, ZlibDeflate(c.Stored));
        ASSERT_LT(stored.CompressedData().GetSize(), 8000) << "a small stored skin";
        TRecordingSkinData data(nullptr);
        if (c.Loads) {
            ASSERT_NO_THROW(data.SetCompressedStoredSkin(&stored));
            EXPECT_FALSE(data.Empty);
        } else {
            EXPECT_THROW(data.SetCompressedStoredSkin(&stored), EReadError);
            EXPECT_EQ(data.Messages, (std::vector<unsigned>{1225}));
            EXPECT_TRUE(data.Empty);
        }
    }
}

TEST(StoredSkin, BuildRefusesWhatLoadingWould) {
    TempDir dir;
    WriteWholeFile(dir / "tiny.bmp", TinyRleBmp());    // 4 MiB once stored
    WriteWholeFile(dir / "large.bmp", LargeRleBmp());  // 66 MiB once stored
    auto ini = [&](const char* pictures, int active, int emptyLines = 0) {
        std::string s = std::string("[VERSION]\r\nskinname=budget\r\n[PICTURES]\r\n") + pictures +
                        "activepicturescount=" + std::to_string(active) + "\r\n";
        for (int i = 0; i < active; ++i) s += std::to_string(i) + "=tiny.bmp\r\n";
        return s + "[FORMINFO]\r\n[SKINOBJECTS]\r\n[SKINCONTROLS]\r\n" + Repeat("\r\n", emptyLines);
    };
    struct Case {
        const char* Label;
        std::string Ini;
        bool Builds;
    } cases[] = {
        {"15 active", ini("", 15), true},
        {"16 active", ini("", 16), false},
        {"picture + 14 active", ini("picture=tiny.bmp\r\n", 14), true},
        {"3 entries + 13 active", ini("picture=tiny.bmp\r\ninactivepicture=tiny.bmp\r\nmask=tiny.bmp\r\n", 13), false},
        {"one large picture", ini("picture=large.bmp\r\n", 0), false},
        // under 64 MiB once stored, but more than loading lets its lines take
        {"400,000 empty lines", ini("", 0, 400000), false},
        {"15 active + 40,000 empty lines", ini("", 15, 40000), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        WriteWholeFile(dir / "skin.ini", c.Ini);
        TgwCompressedStoredSkin stored(nullptr);
        SetCompressed(stored, "previous");
        try {
            stored.BuildFromIniFile(dir / "skin.ini");
            EXPECT_TRUE(c.Builds) << "built";
        } catch (const EZlibError& e) {
            EXPECT_FALSE(c.Builds);
            EXPECT_EQ(e.Message, "decompressed data too large");
        }
        // Whatever is built loads.
        EXPECT_EQ(stored.IsEmpty(), !c.Builds);
        if (stored.IsEmpty()) continue;
        TRecordingSkinData data(nullptr);
        try {
            data.SetCompressedStoredSkin(&stored);
        } catch (const Exception& e) {
            ADD_FAILURE() << "the built skin does not load: " << e.Message;
        }
        EXPECT_EQ(data.SkinName, "budget");
    }
}
