// The skin engine component on real forms: ownership rules, the stored skin read from memory,
// skinning and unskinning a form (query answer, client origin, frame pixels), the disabled tag,
// and teardown in either order.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "skin/program_skin_win.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_window_win.h"
#include "tests/skin/support/skin_test_support.h"
#include "tests/support/tempdir.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

std::vector<uint8_t> DefaultSkin() {
    std::string bytes = ReadWholeFile(SKIN_DEFAULT_FILE);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A form loading its stored engine, as the programs' main forms do.
struct TSkinnedForm {
    explicit TSkinnedForm(const std::vector<uint8_t>& skin) : Form(new TForm(nullptr)) {
        Form->SetBounds(100, 100, 320, 240);
        Form->BeginLoading();
        Engine = new TlumSkinEngine(Form.get());
        Engine->SetActive(true);
        Engine->SetSkinFile("C:\\design\\no such folder\\default.lsk");
        Engine->SetBuiltIn(true);
        Engine->ReadSkinData(skin);
        Form->FinishLoading();
    }
    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine;
};

LRESULT Query(HWND window) { return SendMessageA(window, WM_SKIN_QUERY, 0, 0); }

POINT ClientOrigin(HWND window) {
    POINT p{0, 0};
    ClientToScreen(window, &p);
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{p.x - r.left, p.y - r.top};
}

}  // namespace

TEST(SkinEngine, RefusesWrongOwnerAndSecondEngineBeforeTheOwnerListsIt) {
    TComponent plain(nullptr);
    EXPECT_THROW(TlumSkinEngine{&plain}, Exception);
    EXPECT_EQ(plain.ComponentCount(), 0);

    TSkinnedForm first(DefaultSkin());
    const int count = first.Form->ComponentCount();
    EXPECT_THROW(new TlumSkinEngine(first.Form.get()), Exception);
    EXPECT_EQ(first.Form->ComponentCount(), count);
    EXPECT_EQ(Query(first.Form->GetHandle()), 1);
}

TEST(SkinEngine, StoredSkinLoadsFromMemoryAndLeavesNoTempFile) {
    TempDir temp;
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp.Path().c_str());
    {
        TSkinnedForm form(DefaultSkin());
        EXPECT_TRUE(form.Engine->GetReady());
        // The design-time path does not exist: SkinFile keeps its empty text, no error.
        EXPECT_EQ(form.Engine->GetSkinFile(), "");
        EXPECT_EQ(form.Engine->GetVersion(), "4.45");
        EXPECT_GT(form.Engine->Metrics().CaptionHeight, 0);
        EXPECT_NE(form.Engine->GetFormBrush(), nullptr);
        EXPECT_THROW(form.Engine->SetBuiltIn(false), Exception);

        // Damaged stored data at run time raises; while loading it only leaves the form unskinned.
        std::vector<uint8_t> damaged = DefaultSkin();
        damaged.resize(damaged.size() / 2);
        EXPECT_THROW(form.Engine->ReadSkinData(damaged), Exception);
        TSkinnedForm broken(damaged);
        EXPECT_FALSE(broken.Engine->GetReady());
        EXPECT_EQ(Query(broken.Form->GetHandle()), 0);
    }
    EXPECT_EQ(FilesIn(temp.Path()), 0);
    SetEnvironmentVariableA("TMP", nullptr);
    SetEnvironmentVariableA("TEMP", nullptr);
}

TEST(SkinEngine, SkinsTheFormFrameAndGivesItBackWhenFreed) {
    TSkinnedForm form(DefaultSkin());
    HWND h = form.Form->GetHandle();
    const TSkinMetrics m = form.Engine->Metrics();
    ShowWindow(h, SW_SHOWNORMAL);
    UpdateWindow(h);
    EXPECT_EQ(Query(h), 1);
    POINT origin = ClientOrigin(h);
    EXPECT_EQ(origin.x, m.LeftBorder);
    EXPECT_EQ(origin.y, m.CaptionHeight);

    TlumSkinWindow* skin = form.Engine->FindSkinWindow(h);
    ASSERT_NE(skin, nullptr);
    RECT box{};
    GetWindowRect(h, &box);
    auto hitTest = [&](int x, int y) {
        return SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(box.left + x, box.top + y));
    };
    EXPECT_EQ(hitTest((box.right - box.left) / 2, m.CaptionHeight / 2 + 4), HTCAPTION);
    EXPECT_EQ(hitTest(m.LeftBorder + 5, m.CaptionHeight + 5), HTCLIENT);
    // The skin's buttons are found by the skin: to the system they are caption.
    TRect close = skin->ButtonRect(TlumSkinWindow::hbClose);
    ASSERT_GT(close.Width(), 0);
    EXPECT_EQ(hitTest(close.Left + 1, close.Top + 1), HTCAPTION);

    // Twice, or through SkinAllOpenForms, is still one skin.
    form.Engine->SkinWindow(h, false);
    form.Engine->SkinAllOpenForms();
    EXPECT_EQ(form.Engine->SkinWindowCount(), 1);

    RECT client{};
    GetClientRect(h, &client);
    delete form.Engine;
    EXPECT_EQ(Query(h), 0);
    EXPECT_NE(ClientOrigin(h).y, m.CaptionHeight);
    EXPECT_EQ(GetWindowRgn(h, CreateRectRgn(0, 0, 0, 0)), ERROR);
    // The form keeps its client size both ways: the frame around it changed.
    RECT after{};
    GetClientRect(h, &after);
    EXPECT_EQ(after.right, client.right);
    EXPECT_EQ(after.bottom, client.bottom);
}

TEST(SkinEngine, DisabledTagFormStaysNativeAndFormsGoFirstWithoutHarm) {
    TSkinnedForm main(DefaultSkin());
    auto plain = std::make_unique<TForm>(nullptr);
    auto disabled = std::make_unique<TForm>(nullptr);
    disabled->SetTag(9999);
    main.Engine->SkinAllOpenForms();
    EXPECT_EQ(Query(plain->GetHandle()), 1);
    EXPECT_EQ(Query(disabled->GetHandle()), 0);
    main.Engine->SetSkinAllForms(false);
    EXPECT_EQ(Query(plain->GetHandle()), 0);
    EXPECT_EQ(Query(main.Form->GetHandle()), 1);
    main.Engine->SetSkinAllForms(true);
    EXPECT_EQ(Query(plain->GetHandle()), 1);

    // The other form goes before the engine (its skin goes with it), then the owner form takes
    // the engine with it.
    plain.reset();
    EXPECT_EQ(main.Engine->SkinWindowCount(), 1);
    main.Engine->SkinAllOpenForms();
    EXPECT_EQ(main.Engine->SkinWindowCount(), 1);
    main.Form.reset();
}

TEST(SkinEngine, FramePixelsComeFromTheSkin) {
    TSkinnedForm form(DefaultSkin());
    HWND h = form.Form->GetHandle();
    SetWindowPos(h, HWND_TOPMOST, 50, 50, 300, 200, SWP_SHOWWINDOW);
    UpdateWindow(h);
    RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    const TSkinMetrics m = form.Engine->Metrics();
    TBitmap* left = form.Engine->GetSkinBitmap(SKIN2_FORMLEFTBORDER);
    ASSERT_NE(left, nullptr);
    HDC screen = GetDC(nullptr);
    RECT box{};
    GetWindowRect(h, &box);
    const COLORREF onScreen = GetPixel(screen, box.left, box.top + m.CaptionHeight + 20);
    ReleaseDC(nullptr, screen);
    const COLORREF inSkin = GetPixel(left->GetCanvas()->GetHandle(), 0, left->GetHeight() / 2);
    EXPECT_EQ(onScreen, inSkin);
}

TEST(SkinEngine, ProgramEngineCarriesTheDefaultSkinAndSkinsFormsShownLater) {
    auto form = std::make_unique<TForm>(nullptr);
    form->BeginLoading();
    TlumSkinEngine* engine = CreateProgramSkinEngine(form.get());
    form->FinishLoading();
    EXPECT_TRUE(engine->GetReady());
    EXPECT_EQ(engine->GetDisabledTag(), 9999);
    EXPECT_EQ(Query(form->GetHandle()), 1);

    auto later = std::make_unique<TForm>(nullptr);
    later->Show();
    EXPECT_EQ(Query(later->GetHandle()), 1);
    // The engine goes with its form while other forms stay; nothing may crash afterwards.
    form.reset();
    SendMessageA(later->GetHandle(), WM_NCPAINT, 1, 0);
}

// Switching an active engine on again changes nothing: the forms stay skinned once, and forms
// made afterwards are created and skinned as before.
TEST(SkinEngine, ActivatingAnActiveEngineAgainChangesNothing) {
    TSkinnedForm p(DefaultSkin());
    p.Form->Show();
    p.Engine->SetActive(true);
    p.Engine->SetActive(true);
    EXPECT_EQ(Query(p.Form->GetHandle()), 1);
    EXPECT_EQ(p.Engine->SkinWindowCount(), 1);
    std::unique_ptr<TForm> later(new TForm(nullptr));
    later->SetBounds(150, 150, 200, 150);
    ASSERT_NE(later->GetHandle(), nullptr);
    later->Show();
    p.Engine->SkinAllOpenForms();
    EXPECT_EQ(Query(later->GetHandle()), 1);
}

// A skin loaded again re-skins every window: a visible one is shown again, a hidden one stays
// hidden, and the first of the list (the engine's own form) ends up the active window.
TEST(SkinEngine, SkinLoadedAgainShowsVisibleWindowsAndActivatesTheFirst) {
    TSkinnedForm p(DefaultSkin());
    p.Form->Show();
    std::unique_ptr<TForm> second(new TForm(nullptr));
    second->SetBounds(150, 150, 200, 150);
    second->Show();
    std::unique_ptr<TForm> hidden(new TForm(nullptr));
    hidden->SetBounds(200, 200, 200, 150);
    p.Engine->SkinWindow(hidden->GetHandle(), false);
    SetActiveWindow(second->GetHandle());
    ProcessMessagesAWhile();
    ASSERT_EQ(Query(second->GetHandle()), 1);
    ASSERT_EQ(Query(hidden->GetHandle()), 1);
    ASSERT_EQ(GetActiveWindow(), second->GetHandle());

    p.Engine->ReadSkinData(DefaultSkin());
    ProcessMessagesAWhile();
    EXPECT_EQ(GetActiveWindow(), p.Form->GetHandle());
    EXPECT_TRUE(IsWindowVisible(p.Form->GetHandle()));
    EXPECT_TRUE(IsWindowVisible(second->GetHandle()));
    EXPECT_FALSE(IsWindowVisible(hidden->GetHandle()));
    for (TForm* form : {p.Form.get(), second.get(), hidden.get()}) EXPECT_EQ(Query(form->GetHandle()), 1);
}

namespace {

// Makes the window the active one, through another window of the program first.
void Activate(HWND window, HWND other) {
    SetActiveWindow(other);
    ProcessMessagesAWhile();
    SetActiveWindow(window);
    ProcessMessagesAWhile();
}

// Of a class of its own: plain TForm windows are skinned again by the hook at each activation.
std::unique_ptr<TForm> ShownForm(int left) {
    std::unique_ptr<TForm> form(new TPlainTestForm("TLaterTestForm"));
    form->SetBounds(left, 120, 200, 150);
    form->Show();
    ProcessMessagesAWhile();
    return form;
}

}  // namespace

// Two engines (each on its own form) freed in either order: neither leaves itself behind in
// the screen, so forms shown and activated afterwards meet no freed engine and stay native.
TEST(SkinEngine, TwoEnginesFreedInEitherOrderLeaveNothingBehind) {
    Screen->OnActiveFormChange = nullptr;
    for (bool firstMadeFirst : {true, false}) {
        auto first = std::make_unique<TSkinnedForm>(DefaultSkin());
        first->Form->Show();
        auto second = std::make_unique<TSkinnedForm>(DefaultSkin());
        second->Form->Show();
        ProcessMessagesAWhile();
        // Shown while both live: skinned once, by one of them.
        auto during = ShownForm(200);
        EXPECT_EQ(Query(during->GetHandle()), 1);
        EXPECT_EQ(first->Engine->SkinWindowCount() + second->Engine->SkinWindowCount(), 3);
        if (firstMadeFirst) {
            first.reset();
            second.reset();
        } else {
            second.reset();
            first.reset();
        }
        EXPECT_FALSE(Screen->OnActiveFormChange) << firstMadeFirst;
        auto after = ShownForm(260);
        Activate(after->GetHandle(), during->GetHandle());
        EXPECT_EQ(Query(after->GetHandle()), 0) << firstMadeFirst;
        EXPECT_EQ(Screen->GetActiveForm(), after.get());
    }
}

// The application's own handler, set before or after an engine was made, is called for every
// activation, also once the engine is gone.
TEST(SkinEngine, ApplicationActiveFormHandlerSurvivesTheEngine) {
    for (bool setBefore : {true, false}) {
        int calls = 0;
        auto count = [&calls](TObject*) { ++calls; };
        Screen->OnActiveFormChange = nullptr;
        if (setBefore) Screen->OnActiveFormChange = count;
        auto main = std::make_unique<TSkinnedForm>(DefaultSkin());
        main->Form->Show();
        if (!setBefore) Screen->OnActiveFormChange = count;
        auto other = ShownForm(240);
        EXPECT_EQ(Query(other->GetHandle()), 1);
        calls = 0;
        Activate(other->GetHandle(), main->Form->GetHandle());
        EXPECT_GE(calls, 2) << setBefore;
        main.reset();
        ASSERT_TRUE(Screen->OnActiveFormChange) << setBefore;
        calls = 0;
        auto later = ShownForm(300);
        Activate(later->GetHandle(), other->GetHandle());
        EXPECT_GE(calls, 2) << setBefore;
    }
    Screen->OnActiveFormChange = nullptr;
}

// A form the application unskinned stays native when it is activated again, while forms shown
// later are still skinned; skinned again on purpose, it is skinned. (Forms of the class TForm
// itself the hook skins at every activation, unskinned or not; these are of another class.)
TEST(SkinEngine, UnskinnedFormStaysUnskinnedAtItsNextActivation) {
    TSkinnedForm main(DefaultSkin());
    main.Form->Show();
    auto other = ShownForm(240);
    HWND h = other->GetHandle();
    ASSERT_EQ(Query(h), 1);
    main.Engine->UnskinWindow(h);
    EXPECT_EQ(Query(h), 0);
    Activate(h, main.Form->GetHandle());
    EXPECT_EQ(Screen->GetActiveForm(), other.get());
    EXPECT_EQ(Query(h), 0);
    auto later = ShownForm(300);
    EXPECT_EQ(Query(later->GetHandle()), 1);
    Activate(h, later->GetHandle());
    EXPECT_EQ(Query(h), 0);
    main.Engine->SkinWindow(h, false);
    EXPECT_EQ(Query(h), 1);
    main.Engine->UnskinWindow(h);
    // Freed while unskinned: a new form at the same address is a new form.
    other.reset();
    auto again = ShownForm(240);
    EXPECT_EQ(Query(again->GetHandle()), 1);
}

// With two engines, a form unskinned through the one that skinned it is not skinned again by
// the other at its next activation.
TEST(SkinEngine, SecondEngineLeavesAFormTheFirstUnskinned) {
    TSkinnedForm first(DefaultSkin());
    first.Form->Show();
    TSkinnedForm second(DefaultSkin());
    second.Form->Show();
    auto other = ShownForm(240);
    HWND h = other->GetHandle();
    ASSERT_EQ(Query(h), 1);
    TlumSkinEngine* owner = first.Engine->FindSkinWindow(h) ? first.Engine : second.Engine;
    owner->UnskinWindow(h);
    ASSERT_EQ(Query(h), 0);
    Activate(h, first.Form->GetHandle());
    Activate(h, second.Form->GetHandle());
    EXPECT_EQ(Screen->GetActiveForm(), other.get());
    EXPECT_EQ(Query(h), 0);
}
