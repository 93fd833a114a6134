// The link label on a real form under Wine: its colours in pixels, hover, skins, the click's
// shell call (stubbed), GDI objects over many repaints, and the skin data's broadcast.
#include <gtest/gtest.h>

#include "classlib/gui/application.h"
#include "tests/gui/gui_test_support.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/handles.h"
#include "skindata/link_label_win.h"
#include "skindata/skin_data_win.h"
#include "tests/skindata/skin_fixture.h"

namespace {

struct ShellCall { AnsiString verb, url; int show; };
std::vector<ShellCall> gShellCalls;
void RecordShellOpen(const AnsiString& verb, const AnsiString& url, int show) { gShellCalls.push_back({verb, url, show}); }

struct Colours { int blue = 0, red = 0, green = 0, highlight = 0, shadow = 0; };

class LinkLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        SetCursorPos(0, 0);
        gShellCalls.clear();
        gwShellOpen = RecordShellOpen;
        form = new TForm(nullptr);
        form->SetBounds(80, 80, 360, 200);
        form->SetCaption("link label");
        label = new TgwSkinLinkLabel(form);
        label->SetParent(form);
        label->SetBounds(20, 30, 200, 14);
        label->SetCaption("Visit the pagewrap site");
        label->SetDefaultActiveFontColor(clRed);
        label->GetDefaultFont()->SetColor(clBlue);
        label->SetURL("https://pagewrap.example/help");
        form->AfterConstruction();
        form->Show();
        SetForegroundWindow(form->GetHandle());
        PumpFor(150);
    }

    void TearDown() override {
        delete form;
        PumpFor(20);
        gwShellOpen = saved;
    }

    // Repaints the form now and sorts the label's pixels by colour.
    Colours LabelColours() {
        HWND wnd = form->GetHandle();
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(wnd);
        const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
        Colours c;
        for (int y = label->GetTop(); y < label->GetTop() + label->GetHeight(); ++y)
            for (int x = label->GetLeft(); x < label->GetLeft() + label->GetWidth(); ++x) {
                COLORREF p = GetPixel(dc, x, y);
                int r = GetRValue(p), g = GetGValue(p), b = GetBValue(p);
                c.blue += b > 150 && r < 100 && g < 100;
                c.red += r > 150 && g < 100 && b < 100;
                c.green += g > 120 && r < 100 && b < 100;
                c.highlight += p == highlight;
                c.shadow += p == shadow;
            }
        ReleaseDC(wnd, dc);
        return c;
    }

    // The longest horizontal run of pixels of one colour class in the label: an underline.
    int LongestBlueRun() {
        HWND wnd = form->GetHandle();
        HDC dc = GetDC(wnd);
        int best = 0;
        for (int y = label->GetTop(); y < label->GetTop() + label->GetHeight(); ++y) {
            int run = 0;
            for (int x = label->GetLeft(); x < label->GetLeft() + label->GetWidth(); ++x) {
                COLORREF p = GetPixel(dc, x, y);
                run = GetBValue(p) > 150 && GetRValue(p) < 100 ? run + 1 : 0;
                best = std::max(best, run);
            }
        }
        ReleaseDC(wnd, dc);
        return best;
    }

    void MoveMouseTo(int x, int y) {
        SetCursorPos(x, y);
        Application->UpdateMouseControl();
        PumpFor(30);
    }

    void HoverLabel() {
        TPoint p = form->ClientToScreen(TPoint(label->GetLeft() + 10, label->GetTop() + 7));
        MoveMouseTo(p.X, p.Y);
    }

    TgwShellOpen saved = gwShellOpen;
    TForm* form = nullptr;
    TgwSkinLinkLabel* label = nullptr;
};

TEST_F(LinkLabelTest, UnskinnedBlueUnderlinedRedUnderTheMouse) {
    EXPECT_EQ(label->GetSkinIndex(), -1);
    EXPECT_TRUE(label->GetTransparent());
    EXPECT_EQ(label->GetCursor(), crHandPoint);
    Colours idle = LabelColours();
    EXPECT_GT(idle.blue, 40);
    EXPECT_EQ(idle.red, 0);
    EXPECT_GT(LongestBlueRun(), label->GetWidth() / 2) << "no underline";

    HoverLabel();
    ASSERT_TRUE(label->GetMouseInControl());
    Colours hot = LabelColours();
    EXPECT_GT(hot.red, 40);
    EXPECT_EQ(hot.blue, 0);

    MoveMouseTo(0, 0);
    EXPECT_FALSE(label->GetMouseInControl());
    EXPECT_GT(LabelColours().blue, 40);

    // UseSkinFont off: the label's own Font (green here), still underlined.
    label->GetFont()->SetColor(clGreen);
    label->SetUseSkinFont(false);
    Colours own = LabelColours();
    EXPECT_GT(own.green, 40);
    EXPECT_EQ(own.blue, 0);
}

TEST_F(LinkLabelTest, SkinnedByAStoredSkinUntilTheSkinGoes) {
    TgwCompressedStoredSkin stored(nullptr);
    stored.BuildFromIniFile(SkinFixture("full", "skin.ini"));
    auto* skin = new TgwFormSkinData(form);
    skin->SetCompressedStoredSkin(&stored);
    ASSERT_FALSE(skin->Empty);
    EXPECT_EQ(skin->PictureBitmap()->GetWidth(), 40);
    EXPECT_EQ(skin->MaskBitmap()->GetHeight(), 30);
    EXPECT_EQ(skin->ActivePictureBitmap(2)->GetWidth(), 3);
    EXPECT_EQ(skin->ActivePictureBitmap(3), nullptr);
    label->SetSkinDataName("c");   // the fixture's stdlabel: red text, green under the mouse
    label->SetSkinData(skin);
    EXPECT_EQ(label->GetSkinIndex(), 1);
    Colours skinned = LabelColours();
    EXPECT_GT(skinned.red, 40);
    EXPECT_EQ(skinned.blue, 0);
    HoverLabel();
    EXPECT_GT(LabelColours().green, 40);
    MoveMouseTo(0, 0);

    // A descriptor of another kind under the name: still skinned, with the values taken last.
    label->SetSkinDataName("a");
    Colours kept = LabelColours();
    EXPECT_EQ(label->GetSkinIndex(), 0);
    EXPECT_GT(kept.red, 40);
    EXPECT_EQ(kept.blue, 0);
    HoverLabel();
    EXPECT_GT(LabelColours().green, 40);
    MoveMouseTo(0, 0);
    label->SetSkinDataName("c");

    delete skin;
    EXPECT_EQ(label->GetSkinData(), nullptr);
    Colours after = LabelColours();
    EXPECT_GT(after.blue, 40);
    EXPECT_EQ(after.red, 0);
}

TEST_F(LinkLabelTest, DisabledDrawsTwice) {
    label->SetEnabled(false);
    Colours c = LabelColours();
    EXPECT_GT(c.highlight, 10);
    EXPECT_GT(c.shadow, 10);
    EXPECT_EQ(c.blue, 0);
}

TEST_F(LinkLabelTest, ClickHandsTheUrlToTheShellAsItIs) {
    HWND wnd = form->GetHandle();
    int clicks = 0;
    label->OnClick = [&](TObject*) {
        ++clicks;
        EXPECT_EQ(gShellCalls.size(), static_cast<size_t>(clicks - 1)) << "OnClick before the shell";
    };
    auto click = [&] {
        const LPARAM at = MAKELPARAM(label->GetLeft() + 5, label->GetTop() + 5);
        PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(wnd, WM_LBUTTONUP, 0, at);
        PumpFor(50);
    };
    // The URL is the program's own: whatever it holds, empty included, goes to the shell.
    const std::vector<AnsiString> urls = {"https://pagewrap.example/help", "", "mailto:me@pagewrap.example",
                                          "C:\\docs\\readme.txt"};
    for (const AnsiString& url : urls) {
        label->SetURL(url);
        click();
    }
    ASSERT_EQ(gShellCalls.size(), urls.size());
    for (size_t i = 0; i < urls.size(); ++i) {
        EXPECT_EQ(gShellCalls[i].verb, "open");
        EXPECT_EQ(gShellCalls[i].url, urls[i]);
        EXPECT_EQ(gShellCalls[i].show, SW_SHOWNORMAL);
    }
    EXPECT_EQ(clicks, 4);
}

// The character set the label's text was drawn in: the live font the canvas drew with.
int DrawnCharset(TgwSkinLinkLabel* label) {
    LOGFONTA lf{};
    if (GetObjectA(label->GetCanvas()->GetFont()->GetHandle(), sizeof lf, &lf) != sizeof lf) return -1;
    return lf.lfCharSet;
}

TEST_F(LinkLabelTest, CharacterSetFromTheSkinStringsElseDefaultFont) {
    label->GetDefaultFont()->SetCharset(GB2312_CHARSET);
    label->GetFont()->SetCharset(ANSI_CHARSET);
    label->GetFont()->SetColor(clGreen);
    // Own Font, no skin: DefaultFont's character set.
    label->SetUseSkinFont(false);
    EXPECT_GT(LabelColours().green, 40);
    EXPECT_EQ(DrawnCharset(label), GB2312_CHARSET);
    label->SetUseSkinFont(true);

    TgwCompressedStoredSkin stored(nullptr);
    stored.LoadFromCompressedFile(SkinFixture("full", "skin.gsk"));
    auto* skin = new TgwSkinData(form);
    skin->SetCompressedStoredSkin(&stored);
    label->SetSkinDataName("c");
    label->SetSkinData(skin);
    // A skin without resource strings: still DefaultFont's.
    EXPECT_GT(LabelColours().red, 40);
    EXPECT_EQ(DrawnCharset(label), GB2312_CHARSET);

    TgwResourceStrData strings(nullptr);
    strings.SetCharSet(CHINESEBIG5_CHARSET);
    skin->SetResourceStrData(&strings);
    EXPECT_GT(LabelColours().red, 40);
    EXPECT_EQ(DrawnCharset(label), CHINESEBIG5_CHARSET);
    // Unskinned under the same skin (no such descriptor): the skin's strings still decide.
    label->SetSkinDataName("none");
    EXPECT_GT(LabelColours().blue, 40);
    EXPECT_EQ(label->GetSkinIndex(), -1);
    EXPECT_EQ(DrawnCharset(label), CHINESEBIG5_CHARSET);
    skin->SetResourceStrData(nullptr);
    delete skin;
}

TEST_F(LinkLabelTest, RightToLeftAlignmentDrawsFromTheOtherSide) {
    label->SetAutoSize(false);
    label->SetCaption("Link");
    // Blue pixels in the label's left and right halves.
    auto halves = [&] {
        HWND wnd = form->GetHandle();
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(wnd);
        std::pair<int, int> n{0, 0};
        const int middle = label->GetLeft() + label->GetWidth() / 2;
        for (int y = label->GetTop(); y < label->GetTop() + label->GetHeight(); ++y)
            for (int x = label->GetLeft(); x < label->GetLeft() + label->GetWidth(); ++x) {
                COLORREF p = GetPixel(dc, x, y);
                if (GetBValue(p) > 150 && GetRValue(p) < 100) ++(x < middle ? n.first : n.second);
            }
        ReleaseDC(wnd, dc);
        return n;
    };
    struct Case { TBiDiMode mode; bool onTheLeft; } cases[] = {
        {bdLeftToRight, true}, {bdRightToLeft, false}, {bdRightToLeftNoAlign, true}, {bdRightToLeftReadingOnly, true}};
    for (int width : {240, 100}) {
        label->SetBounds(20, 30, width, 16);
        for (const Case& c : cases) {
            label->SetBiDiMode(c.mode);
            const std::pair<int, int> n = halves();
            EXPECT_GT(c.onTheLeft ? n.first : n.second, 20) << width << " " << c.mode;
            EXPECT_EQ(c.onTheLeft ? n.second : n.first, 0) << width << " " << c.mode;
        }
    }
}

TEST_F(LinkLabelTest, HoverTogglesLeaveNoGdiObjectBehind) {
    LabelColours();
    PumpFor(30);
    const long before = LiveGdiObjectCount();
    ASSERT_GT(before, 0);   // painting makes fonts: the counter sees them
    for (int i = 0; i < 500; ++i) {
        label->Perform(i % 2 ? CM_MOUSELEAVE : CM_MOUSEENTER);
        UpdateWindow(form->GetHandle());
    }
    label->Perform(CM_MOUSELEAVE);
    UpdateWindow(form->GetHandle());
    PumpFor(30);
    EXPECT_EQ(LiveGdiObjectCount(), before);
}

// A form that records the skin-data messages it receives, and from whom.
class TRecordingForm : public TForm {
public:
    TRecordingForm(const char* name, std::vector<std::string>& log) : TForm(nullptr), FName(name), FLog(log) {}
protected:
    void WndProc(TMessage& m) override {
        if (m.Msg >= WM_SKINDATA_CHANGING && m.Msg <= WM_SKINDATA_STRINGS && m.LParam == kSkinDataMessageTag)
            FLog.push_back(FName + ":" + std::to_string(m.Msg));
        TForm::WndProc(m);
    }
private:
    std::string FName;
    std::vector<std::string>& FLog;
};

TEST_F(LinkLabelTest, BroadcastReachesTheOwnerFirstThenEveryForm) {
    // The plain skin data broadcasts as its form-side subclass does.
    for (bool formSide : {false, true}) {
        SCOPED_TRACE(formSide ? "TgwFormSkinData" : "TgwSkinData");
        std::vector<std::string> log;
        auto* other = new TRecordingForm("other", log);
        other->HandleNeeded();
        auto* windowless = new TRecordingForm("windowless", log);
        auto* owner = new TRecordingForm("owner", log);
        owner->HandleNeeded();
        TgwSkinData* skin = formSide ? new TgwFormSkinData(owner) : new TgwSkinData(owner);
        TgwCompressedStoredSkin stored(nullptr);
        stored.LoadFromCompressedFile(SkinFixture("bare", "skin.gsk"));
        skin->SetCompressedStoredSkin(&stored);
        EXPECT_FALSE(skin->Empty);
        TgwResourceStrData strings(nullptr);
        skin->SetResourceStrData(&strings);
        // Screen order: other, windowless, owner; the owner comes first and only once. The
        // windowless form got its window for the first message.
        std::vector<std::string> expected;
        for (int msg : {1225, 1226, 1227, 1274})
            for (const char* name : {"owner", "other", "windowless"}) expected.push_back(name + (":" + std::to_string(msg)));
        EXPECT_EQ(log, expected);
        EXPECT_TRUE(windowless->HandleAllocated());
        skin->SetCompressedStoredSkin(nullptr);
        delete owner;
        delete windowless;
        delete other;
    }
}

}  // namespace
