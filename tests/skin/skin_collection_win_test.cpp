// The engine's further stored skins: items filled from the program's resources load their skins
// into readers of their own, damaged or locked ones raise the reader's error, nothing is written
// to the temporary folder on the way, and a collection copies item by item.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/resource_stream.h"
#include "skin/skin_collection_win.h"
#include "skin/skin_engine_win.h"
#include "tests/skin/support/skin_test_support.h"
#include "tests/support/tempdir.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

std::vector<uint8_t> Resource(const char* name) {
    TResourceStream resource(nullptr, name, MAKEINTRESOURCEA(10));   // RT_RCDATA
    return std::vector<uint8_t>(resource.Memory(), resource.Memory() + resource.GetSize());
}

std::vector<uint8_t> FileBytes(const std::string& name) {
    std::string bytes = ReadWholeFile(name);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// The temporary folder points at a scratch folder for the test's lifetime.
struct TScratchTemp {
    TScratchTemp() {
        SetEnvironmentVariableA("TMP", Dir.Path().c_str());
        SetEnvironmentVariableA("TEMP", Dir.Path().c_str());
    }
    ~TScratchTemp() {
        SetEnvironmentVariableA("TMP", nullptr);
        SetEnvironmentVariableA("TEMP", nullptr);
    }
    TempDir Dir;
};

// A main form with its engine holding the default skin, as the programs have.
struct TEngineForm {
    TEngineForm() : Form(new TForm(nullptr)) {
        Form->BeginLoading();
        Engine = new TlumSkinEngine(Form.get());
        Engine->SetActive(true);
        Engine->ReadSkinData(FileBytes(SKIN_DEFAULT_FILE));
        Form->FinishLoading();
    }
    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine;
};

// The form colour a skin file gives when read on its own.
TColor FormColorOf(const char* file) { return TlumSkinReader(file, "").GetSkinColor(SKIN2_FORMCOLOR); }

}  // namespace

TEST(SkinCollection, ItemsLoadTheirSkinsFromResourcesAndTheEngineKeepsItsOwn) {
    TScratchTemp temp;
    TEngineForm main;
    TlumSkinCollection skins(main.Engine);
    EXPECT_EQ(skins.GetOwner(), main.Engine);
    const TColor engineColor = main.Engine->GetFormColor();

    struct {
        const char* resource;
        const char* file;
        const char* designPath;
    } const cases[] = {
        {"LUMSKIN_SLATE", SKIN_SLATE_FILE, "D:\\skins\\slate.lsk"},
        {"LUMSKIN_JADE", SKIN_JADE_FILE, "D:\\skins\\jade.lsk"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resource);
        TlumSkinCollectionItem* item = skins.Add();
        EXPECT_FALSE(item->GetReader()->GetLoaded());   // created empty
        item->SetSkinFile(c.designPath);
        item->ReadSkinData(Resource(c.resource));
        EXPECT_TRUE(item->GetReader()->GetLoaded());
        EXPECT_EQ(item->GetReader()->GetSkinColor(SKIN2_FORMCOLOR), FormColorOf(c.file));
        EXPECT_NE(item->GetReader()->GetSkinBitmap(SKIN2_TITLEBAR1), nullptr);
        EXPECT_EQ(item->GetSkinFile(), c.designPath);
        EXPECT_FALSE(item->HasSkinData());   // the design-time file is not here
    }
    ASSERT_EQ(skins.Count(), 2);
    EXPECT_NE(skins.Items(0)->GetReader()->GetSkinColor(SKIN2_FORMCOLOR),
              skins.Items(1)->GetReader()->GetSkinColor(SKIN2_FORMCOLOR));
    EXPECT_EQ(main.Engine->GetFormColor(), engineColor);
    EXPECT_EQ(FilesIn(temp.Dir.Path()), 0);
}

TEST(SkinCollection, DamagedOrLockedItemRaisesTheReadersErrorAndLeavesNoFile) {
    TScratchTemp temp;
    TEngineForm main;
    std::vector<uint8_t> cut = FileBytes(SKIN_SLATE_FILE);
    cut.resize(cut.size() / 2);
    std::vector<uint8_t> notSkin(300, 'x');
    const std::vector<uint8_t> locked = FileBytes(std::string(SKIN_FIXTURE_DIR) + "/password.lsk");
    struct {
        const char* what;
        const std::vector<uint8_t>* data;
        const char* password;
        const char* message;   // nullptr: loads
    } const cases[] = {
        {"cut in half", &cut, "", "Failed to read skin file!"},
        {"not a skin", &notSkin, "", "Failed to read skin file!"},
        {"no password", &locked, "", "Wrong password!"},
        {"wrong password", &locked, "other", "Wrong password!"},
        {"right password", &locked, "skin-pass", nullptr},
    };
    TlumSkinCollection skins(main.Engine);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TlumSkinCollectionItem* item = skins.Add();
        item->SetPassword(c.password);
        if (!c.message) {
            item->ReadSkinData(*c.data);
            EXPECT_TRUE(item->GetReader()->GetLoaded());
            continue;
        }
        try {
            item->ReadSkinData(*c.data);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message, c.message);
        }
        EXPECT_FALSE(item->GetReader()->GetLoaded());
        EXPECT_EQ(item->GetReader()->GetSkinColor(SKIN2_FORMCOLOR), -1);
    }
    // A failed item after a good one: the good skin is dropped, not kept half-replaced.
    TlumSkinCollectionItem* item = skins.Items(4);
    EXPECT_THROW(item->ReadSkinData(cut), Exception);
    EXPECT_FALSE(item->GetReader()->GetLoaded());
    EXPECT_EQ(FilesIn(temp.Dir.Path()), 0);
}

TEST(SkinCollection, AssignCopiesSkinsIntoReadersOfTheirOwnAndSkinDataComesFromTheFile) {
    TEngineForm main;
    TlumSkinCollection source(main.Engine), target(main.Engine);
    TlumSkinCollectionItem* jade = source.Add();
    jade->SetSkinFile(SKIN_JADE_FILE);
    jade->SetPassword("");
    jade->ReadSkinData(Resource("LUMSKIN_JADE"));
    source.Add()->SetSkinFile("C:\\nowhere\\none.lsk");   // never loaded

    target.Assign(&source);
    ASSERT_EQ(target.Count(), 2);
    TlumSkinCollectionItem* copy = target.Items(0);
    EXPECT_EQ(copy->GetSkinFile(), SKIN_JADE_FILE);
    EXPECT_NE(copy->GetReader(), jade->GetReader());
    EXPECT_TRUE(copy->GetReader()->GetLoaded());
    EXPECT_EQ(copy->GetReader()->GetSkinColor(SKIN2_FORMCOLOR), FormColorOf(SKIN_JADE_FILE));
    EXPECT_FALSE(target.Items(1)->GetReader()->GetLoaded());
    source.Clear();   // the copies live on without the originals
    EXPECT_TRUE(copy->GetReader()->GetLoaded());
    EXPECT_NE(copy->GetReader()->GetSkinBitmap(SKIN2_TITLEBUTTONS), nullptr);

    // "SkinData" is stored only for an existing SkinFile, and then as the whole file.
    EXPECT_TRUE(copy->HasSkinData());
    TMemoryStream stored;
    copy->WriteSkinData(&stored);
    const std::vector<uint8_t> jadeFile = FileBytes(SKIN_JADE_FILE);
    ASSERT_EQ(stored.GetSize(), static_cast<int64_t>(jadeFile.size()));
    EXPECT_EQ(std::vector<uint8_t>(stored.Memory(), stored.Memory() + stored.GetSize()), jadeFile);
    EXPECT_FALSE(target.Items(1)->HasSkinData());
    target.Items(1)->SetSkinFile("");
    EXPECT_FALSE(target.Items(1)->HasSkinData());
}
