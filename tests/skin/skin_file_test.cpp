// Skin files from our generator (tools/make_skin): the default skin and the variants other
// writers produce load into the lists their manifests give; damaged files are refused with the
// reader's message; no extracted container is ever left behind.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "classlib/fileio.h"
#include "skin/sk2_container.h"
#include "skin/sk2_dump.h"
#include "skin/skin_pixels.h"
#include "skin/skin_zip_member.h"
#include "tests/support/tempdir.h"

namespace {

// A build-tree file as the program under test names it (Wine's Z: drive is "/").
std::string BuildPath(std::string p) {
#ifdef _WIN32
    for (char& c : p)
        if (c == '/') c = '\\';
    p = "Z:" + p;
#endif
    return p;
}

std::string Fixture(const std::string& name) { return BuildPath(std::string(SKIN_FIXTURE_DIR) + "/" + name); }

std::string ReadText(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TFixtureLine {
    std::string File, Password, Outcome, Expected;   // Expected: manifest file or message
};

std::vector<TFixtureLine> FixtureTable() {
    std::vector<TFixtureLine> lines;
    std::istringstream in(ReadText(Fixture("fixtures.txt")));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            f.push_back(line.substr(start, tab - start));
        f.push_back(line.substr(start));
        if (f.size() == 4) lines.push_back({f[0], f[1], f[2], f[3]});
    }
    return lines;
}

TEST(SkinFile, DefaultSkinMatchesItsManifest) {
    TempDir temp;
    TSk2SkinData skin = LoadSk2SkinFile(BuildPath(SKIN_DEFAULT_FILE), "", temp / "container");
    std::string manifest = ReadText(BuildPath(std::string(SKIN_DEFAULT_FILE).replace(
        std::string(SKIN_DEFAULT_FILE).size() - 4, 4, ".manifest")));
    EXPECT_EQ(DumpSk2SkinData(skin), manifest);
    EXPECT_EQ(skin.Bitmaps.size(), 34u);
    EXPECT_EQ(skin.Integers.size(), 41u);
    EXPECT_EQ(skin.Bytes.size(), 9u);
    EXPECT_FALSE(FileExists(temp / "container"));

    // Cells as the skin classes cut them, and the rounded caption corner in the transparent colour.
    struct {
        const char* Name;
        int Cells;
    } cells[] = {{"SKIN2_TITLEBUTTONS", 18}, {"SKIN2_BUTTON", 3}, {"SKIN2_CHECKBOX", 6}, {"SKIN2_RADIOBUTTON", 4},
                 {"SKIN2_TABCONTROL", 2}, {"SKIN2_SCROLLBARUPBUTTON", 3}, {"SKIN2_SCROLLBARDOWNBUTTON", 3}};
    for (const auto& c : cells) {
        const TBmpImage* image = skin.FindBitmap(c.Name);
        ASSERT_NE(image, nullptr) << c.Name;
        EXPECT_EQ(image->Width % c.Cells, 0) << c.Name;
        EXPECT_GE(image->Width / c.Cells, 13) << c.Name;
    }
    TSkinPixels caption = PixelsFromBmp(*skin.FindBitmap("skin2_titlebar1"));
    EXPECT_EQ(caption.At(0, 0), static_cast<uint32_t>(skin.GetInteger("SKIN2_TRANSCOLOR")));
    EXPECT_NE(caption.At(20, 10), 0xFF00FFu);
    EXPECT_EQ(skin.GetByte("SKIN2_TITLEBARNEEDREGION"), 1);
}

TEST(SkinFile, VariantsLoadAndDamagedFilesAreRefused) {
    std::vector<TFixtureLine> table = FixtureTable();
    ASSERT_GT(table.size(), 20u);
    TempDir temp;
    for (const TFixtureLine& f : table) {
        const std::string tempName = temp / "container";
        if (f.Outcome == "ok") {
            try {
                TSk2SkinData skin = LoadSk2SkinFile(Fixture(f.File), f.Password, tempName);
                EXPECT_EQ(DumpSk2SkinData(skin), ReadText(Fixture(f.Expected))) << f.File;
            } catch (const Exception& e) {
                ADD_FAILURE() << f.File << ": " << e.Message;
            }
        } else {
            try {
                LoadSk2SkinFile(Fixture(f.File), f.Password, tempName);
                ADD_FAILURE() << f.File << " loaded";
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message, f.Expected) << f.File;
            }
        }
        EXPECT_FALSE(FileExists(tempName)) << f.File << " left its container behind";
    }
}

TEST(SkinFile, ExtractionResults) {
    TempDir temp;
    const std::string out = temp / "out";
    struct {
        const char* File;
        const char* Password;
        uint8_t Result;
    } cases[] = {
        {"plain.lsk", "", kSkinExtractOk},
        {"password.lsk", "skin-pass", kSkinExtractOk},
        {"password.lsk", "", kSkinExtractWrongPassword},
        {"wrong_password.lsk", "other", kSkinExtractWrongPassword},
        {"member_missing.lsk", "", kSkinExtractFailed},
        {"ordinary_zip.lsk", "", kSkinExtractFailed},
        {"reserved_block_type.lsk", "", kSkinExtractFailed},
        {"size_larger_than_recorded.lsk", "", kSkinExtractWrongPassword},
        {"missing.lsk", "", kSkinExtractFailed},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_EQ(ExtractZipMember(Fixture(c.File), "SKINDATA.SK2", out, c.Password, &reason), c.Result) << c.File;
        EXPECT_EQ(FileExists(out), c.Result == kSkinExtractOk) << c.File;
        EXPECT_EQ(reason.empty(), c.Result == kSkinExtractOk) << c.File << ": " << reason;
        RemoveFile(out);
    }
}

TEST(SkinFile, LookupsAndMissingValues) {
    TempDir temp;
    TSk2SkinData skin = LoadSk2SkinFile(Fixture("container_extras.lsk"), "", temp / "container");
    EXPECT_EQ(skin.GetInteger("SKIN2_FORMCOLOR"), 0x123456);   // the first of two equal names
    EXPECT_EQ(skin.GetInteger("skin2_titlebariconposx"), 300);   // two bytes of data
    EXPECT_EQ(skin.GetInteger("SKIN2_TRANSCOLOR"), -1);
    EXPECT_EQ(skin.GetByte("SKIN2_TITLEBTNTRANS"), 0);
    EXPECT_EQ(skin.GetByte("SKIN2_BUTTONTRANS"), 0);
    EXPECT_EQ(skin.GetByte(std::string(64, 'L')), 5);   // a 64-byte name without its zero
    ASSERT_NE(skin.FindText("name"), nullptr);
    EXPECT_EQ(*skin.FindText("name"), "Our flat skin");
    EXPECT_EQ(skin.FindBitmap("SKIPPED"), nullptr);
    EXPECT_NE(skin.FindBitmap("skin2_button"), nullptr);
}

}  // namespace
