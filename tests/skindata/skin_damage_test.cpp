// Random damage to stored skins, compressed and plain: every load either succeeds or raises
// an Exception descendant; no crash, hang or sanitizer report.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "classlib/little_endian.h"
#include "skindata/skin_data.h"
#include "skindata/stored_skin.h"
#include "tests/skindata/skin_fixture.h"

namespace {

// One mutation: flips, cuts, inserts, and fields set to extreme counts or sizes.
std::string Mutate(std::string s, std::mt19937& rng) {
    auto at = [&](size_t limit) { return limit ? rng() % limit : 0; };
    switch (rng() % 7) {
    case 0:
        for (int i = 0, n = 1 + rng() % 8; i < n && !s.empty(); ++i) s[at(s.size())] ^= static_cast<char>(1 << (rng() % 8));
        break;
    case 1: s.resize(at(s.size())); break;
    case 2: s.insert(at(s.size() + 1), std::string(1 + rng() % 64, static_cast<char>(rng()))); break;
    case 3:
    case 4: {   // a 32-bit field somewhere set to a huge or negative value (counts, bfSize, sizes)
        static const uint32_t kValues[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x10000000u, 0u, 14u};
        if (s.size() >= 4) PutLE32(reinterpret_cast<uint8_t*>(&s[at(s.size() - 3)]), kValues[rng() % 6]);
        break;
    }
    case 5: {   // a bad number in the INI text
        static const char* kTexts[] = {"=2147483647", "=-2147483648", "=99999999999", "=1,,2", "=,", "=$FFFFFFFFF"};
        size_t eq = s.find('=', at(s.size()));
        if (eq != std::string::npos) s.replace(eq, 1, kTexts[rng() % 6]);
        break;
    }
    default: {   // list counts at their largest
        for (const char* key : {"count=", "activepicturescount="}) {
            size_t p = s.find(key);
            if (p != std::string::npos && rng() % 2) s.insert(p + std::strlen(key), "2147483647");
        }
    }
    }
    return s;
}

}  // namespace

TEST(SkinDamage, MutantsLoadOrRaise) {
    std::mt19937 rng(20261210);
    int loaded = 0, raised = 0;
    for (const char* name : {"full", "bare"}) {
        const std::string plain = ReadWholeFile(SkinFixture(name, "skin.stored"));
        const std::string packed = ZlibDeflate(plain);
        for (int i = 0; i < 1000; ++i) {
            // Half damage the stored stream before compressing, half the compressed bytes.
            const bool damagePlain = i % 2 == 0;
            std::string bytes = damagePlain ? ZlibDeflate(Mutate(plain, rng)) : Mutate(packed, rng);
            TgwCompressedStoredSkin stored(nullptr);
            stored.CompressedData().WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
            TgwSkinData data(nullptr);
            try {
                data.LoadCompressedStoredSkin(&stored);
                ++loaded;
            } catch (const Exception&) {
                ++raised;
                EXPECT_TRUE(data.Empty);
                EXPECT_TRUE(data.SkinControlList.empty());
            }
        }
        // The compressed skin file around it.
        const std::string file = ReadWholeFile(SkinFixture(name, "skin.gsk"));
        TempDir dir;
        for (int i = 0; i < 200; ++i) {
            WriteWholeFile(dir / "skin.gsk", Mutate(file, rng));
            TgwCompressedStoredSkin stored(nullptr);
            TgwSkinData data(nullptr);
            try {
                stored.LoadFromCompressedFile(dir / "skin.gsk");
                data.LoadCompressedStoredSkin(&stored);
                ++loaded;
            } catch (const Exception&) {
                ++raised;
            }
        }
    }
    // Both outcomes occur: the mutants reach past the first check.
    EXPECT_GT(loaded, 50);
    EXPECT_GT(raised, 500);
}
