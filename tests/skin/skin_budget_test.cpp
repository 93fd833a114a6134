// A skin file's cost follows its bytes: many entries naming one picture or text, and tiny
// run-length pictures that stand for megabytes, stop at the container's budget with the
// reader's own message, read from disk and from memory alike.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

#include "classlib/fileio.h"
#include "classlib/little_endian.h"
#include "skin/sk2_container.h"
#include "tests/support/tempdir.h"

namespace {

void Put16(std::string& s, uint32_t v) {
    uint8_t b[2];
    PutLE16(b, static_cast<uint16_t>(v));
    s.append(reinterpret_cast<char*>(b), 2);
}
void Put32(std::string& s, uint32_t v) {
    uint8_t b[4];
    PutLE32(b, v);
    s.append(reinterpret_cast<char*>(b), 4);
}

// A bitmap file: header, info header, palette, then `data` (pixels or run-length codes).
std::string Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t colours,
                const std::string& data) {
    std::string s = "BM";
    const uint32_t offset = 14 + 40 + colours * 4;
    Put32(s, offset + static_cast<uint32_t>(data.size()));
    Put32(s, 0);
    Put32(s, offset);
    Put32(s, 40);
    Put32(s, static_cast<uint32_t>(width));
    Put32(s, static_cast<uint32_t>(height));
    Put16(s, 1);
    Put16(s, bits);
    Put32(s, compression);
    Put32(s, static_cast<uint32_t>(data.size()));
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, colours);
    Put32(s, 0);
    s.append(colours * 4, '\0');
    return s + data;
}

// 512 x 512 at 32 bits: 1 MiB of pixels, a few KB once deflated.
std::string LargePlain() { return Bmp(512, 512, 32, 0, 0, std::string(512u * 4u * 512u, '\0')); }
// 2048 x 2048 run-length picture of 60 bytes, only "end of bitmap": 4 MiB of pixels.
std::string TinyRle() { return Bmp(2048, 2048, 8, 1, 1, std::string("\0\1", 2)); }
// 1 x 1 at 24 bits, followed by padding that its entry's data range also covers.
std::string SmallInLargeRange() { return Bmp(1, 1, 24, 0, 0, std::string(4, '\0')) + std::string(1u << 20, '\0'); }

// A container whose `count` entries of `kind` all name the one data range `data`.
std::string SharedContainer(uint8_t kind, int count, const std::string& data) {
    std::string s(12, '\0');
    Put32(s, kSk2HeaderSize);
    Put32(s, 0);
    Put32(s, kSk2HeaderSize);
    const uint32_t dataOffset = kSk2HeaderSize + kSk2EntrySize * static_cast<uint32_t>(count + 1);
    for (int i = 0; i <= count; ++i) {
        std::string name = i < count ? "ENTRY" + std::to_string(i) : std::string();
        name.resize(kSk2NameSize, '\0');
        s += name;
        s += static_cast<char>(kind);
        Put32(s, i < count ? dataOffset : 0);
        Put32(s, i < count ? static_cast<uint32_t>(data.size()) : 0);
        Put32(s, i < count ? kSk2HeaderSize + kSk2EntrySize * static_cast<uint32_t>(i + 1) : 0);
    }
    return s + data;
}

// A skin file: "SK", one deflated member "SKINDATA.SK2", no comment.
std::string SkinFile(const std::string& container) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string packed(deflateBound(&z, container.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(container.data()));
    z.avail_in = static_cast<uInt>(container.size());
    z.next_out = reinterpret_cast<Bytef*>(&packed[0]);
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(container.data()), static_cast<uInt>(container.size()));
    const std::string name = "SKINDATA.SK2";
    auto fields = [&](std::string& s) {
        Put16(s, 0);   // flags
        Put16(s, 8);
        Put16(s, 0);
        Put16(s, 0);
        Put32(s, crc);
        Put32(s, static_cast<uint32_t>(packed.size()));
        Put32(s, static_cast<uint32_t>(container.size()));
        Put16(s, static_cast<uint32_t>(name.size()));
        Put16(s, 0);
    };
    std::string s = "SK\3\4";
    Put16(s, 20);
    fields(s);
    s += name + packed;
    const uint32_t directory = static_cast<uint32_t>(s.size());
    s += "PK\1\2";
    Put16(s, 20);
    Put16(s, 20);
    fields(s);
    Put16(s, 0);   // comment length
    Put16(s, 0);
    Put16(s, 0);
    Put32(s, 0);
    Put32(s, 0);   // local header offset
    s += name;
    const uint32_t directorySize = static_cast<uint32_t>(s.size()) - directory;
    s += "PK\5\6";
    Put16(s, 0);
    Put16(s, 0);
    Put16(s, 1);
    Put16(s, 1);
    Put32(s, directorySize);
    Put32(s, directory);
    Put16(s, 0);
    return s;
}

size_t Items(const TSk2SkinData& skin) { return skin.Bitmaps.size() + skin.Texts.size(); }

}  // namespace

TEST(SkinFileBudget, EntriesSharingOneRangeOrTinyPicturesStopAtTheBudget) {
    const std::string plain = LargePlain(), rle = TinyRle(), padded = SmallInLargeRange();
    const std::string text(1u << 20, 'x');
    struct Case {
        const char* Label;
        uint8_t Kind;
        const std::string& Data;
        int Count;
        bool Loads;
    } cases[] = {
        // 1 MiB decoded per entry: 63 fit in 64 MiB, the 64th passes it.
        {"plain picture x63", skBitmap, plain, 63, true},
        {"plain picture x64", skBitmap, plain, 64, false},
        {"plain picture x640", skBitmap, plain, 640, false},
        // 60 bytes of data, 4 MiB decoded: the decoded budget stops it, not the data read.
        {"run-length picture x15", skBitmap, rle, 15, true},
        {"run-length picture x17", skBitmap, rle, 17, false},
        // a 1 x 1 picture in a 1 MiB range: the data read stops it, not what it decodes to.
        {"small picture in a large range x63", skBitmap, padded, 63, true},
        {"small picture in a large range x64", skBitmap, padded, 64, false},
        {"text x63", skText, text, 63, true},
        {"text x64", skText, text, 64, false},
    };
    TempDir temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        const std::string container = SharedContainer(c.Kind, c.Count, c.Data);
        const std::string file = SkinFile(container);
        ASSERT_LT(file.size(), 64u * 1024u) << "a small file";
        WriteWholeFile(temp / "skin.lsk", file);
        // From disk, as a skin file is read, and from memory, as a skin stored in a program is.
        for (int route = 0; route < 2; ++route) {
            SCOPED_TRACE(route == 0 ? "from disk" : "from memory");
            try {
                TSk2SkinData skin = route == 0 ? LoadSk2SkinFile(temp / "skin.lsk", "", temp / "container")
                                               : LoadSk2SkinData(reinterpret_cast<const uint8_t*>(file.data()),
                                                                 file.size(), "");
                EXPECT_TRUE(c.Loads) << "loaded";
                EXPECT_EQ(Items(skin), static_cast<size_t>(c.Count));
            } catch (const Exception& e) {
                EXPECT_FALSE(c.Loads) << e.Message;
                EXPECT_EQ(e.Message, kSkinReadFailedMessage);
            }
            EXPECT_FALSE(FileExists(temp / "container")) << "container left behind";
        }
    }
}
