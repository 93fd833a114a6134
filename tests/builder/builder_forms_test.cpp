// The builder's forms in this process: their texts are exactly the bytes the program has
// always shown (code page 936), and making and freeing them leaves no GDI object behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "builder/main_form.h"
#include "builder/packing_form.h"
#include "classlib/gui/application.h"
#include "classlib/gui/handles.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::string Hex(const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X", c);
        out += b;
    }
    return out;
}

// Every text a component tree shows, as "name=hex", owned components included.
void CollectTexts(TComponent* c, const std::string& prefix, std::vector<std::string>& out) {
    std::string name = prefix + c->ClassName();
    if (auto* control = dynamic_cast<TControl*>(c)) out.push_back(name + "=" + Hex(control->GetText()));
    if (auto* dialog = dynamic_cast<TOpenDialog*>(c))
        out.push_back(name + ".Filter=" + Hex(dialog->GetFilter()) + " Title=" + Hex(dialog->GetTitle()));
    for (int i = 0; i < c->ComponentCount(); ++i) CollectTexts(c->GetComponent(i), name + "/", out);
}

// The texts as the builder showed them before its sources spelled them out readably.
const std::vector<std::string> kBuilderTexts = {
#include "builder_texts.inc"
};

}  // namespace

TEST(BuilderTexts, WindowsHelpPageAndMessagesKeepTheirBytes) {
    std::vector<std::string> texts;
    {
        TForm1 main(nullptr);
        main.SetName("Form1");
        CollectTexts(&main, "", texts);
    }
    {
        TForm2 packing(nullptr);
        packing.SetName("Form2");
        CollectTexts(&packing, "", texts);
    }
    texts.push_back(std::string("kChooseFolderText=") + Hex(kChooseFolderText));
    texts.push_back(std::string("kChooseHomePageText=") + Hex(kChooseHomePageText));
    texts.push_back(std::string("kRootFolderText=") + Hex(kRootFolderText));
    texts.push_back(std::string("kPackedText=") + Hex(kPackedText));
    texts.push_back(std::string("kFailedText=") + Hex(kFailedText));
    if (std::getenv("PW_PRINT_TEXTS")) {
        for (const auto& t : texts) std::printf("    \"%s\",\n", t.c_str());
    }
    EXPECT_EQ(texts, kBuilderTexts);
}

TEST(GdiObjects, MakingAndFreeingTheBuilderWindowLeavesNoneBehind) {
    // Every control kind of the builder, with their windows and fonts, 1,000 times; now and
    // then shown with both pages painted.
    const long before = LiveGdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        auto* form = new TForm1(nullptr);
        form->AfterConstruction();
        form->HandleNeeded();
        if (i == 0) {
            EXPECT_GT(LiveGdiObjectCount(), before) << "a form with windows holds fonts and brushes";
        }
        if (i % 50 == 0) {
            form->Show();
            form->PageControl1->SetActivePage(form->TabSheet2);
            form->Repaint();
            Application->ProcessMessages();
        }
        delete form;
        if (i == 0) {
            EXPECT_EQ(LiveGdiObjectCount(), before) << "after the first form";
        }
    }
    Application->ProcessMessages();
    EXPECT_EQ(LiveGdiObjectCount(), before);
}

// The two path boxes name the input method by its description, byte for byte in code page 936.
TEST(BuilderTexts, PathBoxesNameTheirInputMethod) {
    TForm1 main(nullptr);
    const std::string abc = "\xD6\xD0\xCE\xC4 (\xBC\xF2\xCC\xE5) - \xD6\xC7\xC4\xDC ABC";
    EXPECT_EQ(Hex(main.qvpath->GetImeName()), Hex(abc));
    EXPECT_EQ(Hex(main.qvplay->GetImeName()), Hex(abc));
}
