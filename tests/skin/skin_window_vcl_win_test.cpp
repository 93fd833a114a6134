// Skins of our own forms: a disabled-tag form stays native however it is shown; the caption
// buttons driven by the real mouse (act on release over the pressed button, nothing after a
// drag off it, caption and icon double-clicks); the buttons each border style shows; size
// limits given back as found; a zoomed form covering the work area; and the form's WindowProc
// chain intact whichever of skin, another hook and form goes first.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/window_proc_hook.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_window_vcl_win.h"
#include "tests/skin/support/skin_test_support.h"
#include "tests/support/tempdir.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment);

// The engine's form, loaded as the programs' main forms load theirs.
struct TSkinnedForm : TSkinnedMainForm {
    TSkinnedForm() : TSkinnedMainForm(20, 20, 240, 160) {}
};

LRESULT Query(HWND window) { return SendMessageA(window, WM_SKIN_QUERY, 0, 0); }

// A form shown after the engine exists, on top, where the mouse can reach it.
std::unique_ptr<TForm> ShownForm(TFormBorderStyle style = bsSizeable,
                                 TBorderIcons icons = biSystemMenu | biMinimize | biMaximize, intptr_t tag = 0) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(style);
    form->SetBorderIcons(icons);
    form->SetTag(tag);
    form->SetBounds(300, 200, 360, 240);
    form->SetCaption("skinned form");
    form->Show();
    SetWindowPos(form->GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ProcessMessagesAWhile();
    return form;
}

TlumSkinWindowVCL* SkinOf(TlumSkinEngine* engine, TForm* form) {
    auto* skin = dynamic_cast<TlumSkinWindowVCL*>(engine->FindSkinWindow(form->GetHandle()));
    if (skin) skin->PaintFrame();   // places the buttons
    return skin;
}

// Real mouse input from a second thread while this one runs the window's messages (a press on
// the caption enters the system's move loop, which waits for the release).
class TMouse {
public:
    explicit TMouse(HWND window) {
        GetWindowRect(window, &FBox);
    }
    void MoveTo(int x, int y) {
        FSteps.push_back([this, x, y] {
            const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
            const int sx = FBox.left + x, sy = FBox.top + y;
            mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (sx * 65536 + w - 1) / w, (sy * 65536 + h - 1) / h, 0, 0);
            SetCursorPos(sx, sy);
        });
    }
    void Down() { FSteps.push_back([] { mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0); }); }
    void Up() { FSteps.push_back([] { mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0); }); }
    void Click() { Down(), Up(); }
    void Run() { PlayInput(FSteps, 60); }

private:
    RECT FBox{};
    std::vector<std::function<void()>> FSteps;
};

TPoint Centre(const TRect& r) { return TPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2); }

}  // namespace

TEST(SkinWindowVCL, DisabledTagFormShownAfterTheEngineStaysNative) {
    TSkinnedForm main;
    auto disabled = ShownForm(bsSizeable, biSystemMenu | biMinimize | biMaximize, 9999);
    auto plain = ShownForm();
    SetActiveWindow(disabled->GetHandle());   // activation again: the hook asks once more
    ProcessMessagesAWhile();
    EXPECT_EQ(Query(disabled->GetHandle()), 0);
    EXPECT_NE(GetWindowLongA(disabled->GetHandle(), GWL_STYLE) & WS_SYSMENU, 0);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(disabled->GetHandle(), region), ERROR);
    DeleteObject(region);
    EXPECT_EQ(Query(plain->GetHandle()), 1);
}

TEST(SkinWindowVCL, CaptionButtonsFollowTheRealMouse) {
    TSkinnedForm main;
    const int captionHeight = main.Engine->Metrics().CaptionHeight;
    using TCheck = std::function<void(HWND window, const RECT& before)>;
    struct Case {
        const char* name;
        std::function<void(TMouse&, TlumSkinWindowVCL*, int width)> input;
        TCheck check;
    };
    auto at = [](TMouse& mouse, const TPoint& p) { mouse.MoveTo(p.X, p.Y); };
    const Case cases[] = {
        {"minimise", [&](TMouse& m, TlumSkinWindowVCL* s, int) { at(m, Centre(s->ButtonRect(s->hbMinimize))), m.Click(); },
         [](HWND h, const RECT&) { EXPECT_TRUE(IsIconic(h)); }},
        {"maximise",
         [&](TMouse& m, TlumSkinWindowVCL* s, int) { at(m, Centre(s->ButtonRect(s->hbMaxRestore))), m.Click(); },
         [](HWND h, const RECT&) { EXPECT_TRUE(IsZoomed(h)); }},
        {"close", [&](TMouse& m, TlumSkinWindowVCL* s, int) { at(m, Centre(s->ButtonRect(s->hbClose))), m.Click(); },
         [](HWND h, const RECT&) { EXPECT_FALSE(IsWindowVisible(h)); }},
        {"press on close, drag off, release",
         [&](TMouse& m, TlumSkinWindowVCL* s, int width) {
             at(m, Centre(s->ButtonRect(s->hbClose))), m.Down();
             m.MoveTo(width / 2, captionHeight / 2), m.Up();
         },
         [](HWND h, const RECT& before) {
             RECT after{};
             GetWindowRect(h, &after);
             EXPECT_TRUE(IsWindowVisible(h));
             EXPECT_FALSE(IsIconic(h) || IsZoomed(h));
             EXPECT_EQ(after.left, before.left);
             EXPECT_EQ(after.top, before.top);
         }},
        {"caption double-click",
         [&](TMouse& m, TlumSkinWindowVCL*, int width) { m.MoveTo(width / 2, captionHeight / 2), m.Click(), m.Click(); },
         [](HWND h, const RECT&) { EXPECT_TRUE(IsZoomed(h)); }},
        {"icon double-click",
         [&](TMouse& m, TlumSkinWindowVCL* s, int) { at(m, Centre(s->ButtonRect(s->hbIcon))), m.Click(), m.Click(); },
         [](HWND h, const RECT&) { EXPECT_FALSE(IsWindowVisible(h)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = ShownForm();
        HWND h = form->GetHandle();
        TlumSkinWindowVCL* skin = SkinOf(main.Engine, form.get());
        ASSERT_NE(skin, nullptr);
        RECT before{};
        GetWindowRect(h, &before);
        TMouse mouse(h);
        c.input(mouse, skin, before.right - before.left);
        mouse.Run();
        c.check(h, before);
    }

    // Zoomed, the maximise button restores, and a caption double-click restores too.
    for (bool byButton : {true, false}) {
        auto form = ShownForm();
        HWND h = form->GetHandle();
        ShowWindow(h, SW_MAXIMIZE);
        ProcessMessagesAWhile();
        TlumSkinWindowVCL* skin = SkinOf(main.Engine, form.get());
        ASSERT_TRUE(IsZoomed(h));
        RECT box{};
        GetWindowRect(h, &box);
        TMouse mouse(h);
        if (byButton) {
            const TPoint p = Centre(skin->ButtonRect(skin->hbMaxRestore));
            mouse.MoveTo(p.X, p.Y), mouse.Click();
        } else {
            mouse.MoveTo((box.right - box.left) / 3, captionHeight / 2), mouse.Click(), mouse.Click();
        }
        mouse.Run();
        EXPECT_FALSE(IsZoomed(h)) << (byButton ? "button" : "double-click");
    }
}

TEST(SkinWindowVCL, MaxRestoreFollowsTheButtonsTheFormHas) {
    TSkinnedForm main;
    struct Case {
        const char* name;
        TBorderIcons icons;
        int showCommand;
        bool zoomedAfter, iconicAfter;
    };
    const Case cases[] = {
        {"normal, maximise button", biSystemMenu | biMinimize | biMaximize, SW_SHOWNORMAL, true, false},
        {"normal, no maximise button", biSystemMenu | biMinimize, SW_SHOWNORMAL, false, false},
        {"zoomed", biSystemMenu | biMinimize | biMaximize, SW_MAXIMIZE, false, false},
        {"iconic, no maximise button", biSystemMenu | biMinimize, SW_MINIMIZE, false, false},
        {"iconic, maximise button", biSystemMenu | biMinimize | biMaximize, SW_MINIMIZE, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = ShownForm(bsSizeable, c.icons);
        HWND h = form->GetHandle();
        ShowWindow(h, c.showCommand);
        ProcessMessagesAWhile();
        TlumSkinWindowVCL* skin = SkinOf(main.Engine, form.get());
        ASSERT_NE(skin, nullptr);
        skin->DoMaxRestore();
        ProcessMessagesAWhile();
        EXPECT_EQ(IsZoomed(h) != FALSE, c.zoomedAfter);
        EXPECT_EQ(IsIconic(h) != FALSE, c.iconicAfter);
    }
}

TEST(SkinWindowVCL, EachBorderStyleShowsItsOwnCaptionButtons) {
    TSkinnedForm main;
    struct Case {
        const char* name;
        TFormBorderStyle style;
        TBorderIcons icons;
        bool icon, close, max, min, help;
    };
    const Case cases[] = {
        {"sizeable", bsSizeable, biSystemMenu | biMinimize | biMaximize, true, true, true, true, false},
        {"single, help", bsSingle, biSystemMenu | biHelp, true, true, false, false, true},
        {"dialog", bsDialog, biSystemMenu | biMinimize | biMaximize, false, true, false, false, false},
        {"tool window", bsToolWindow, biSystemMenu | biMaximize, false, true, false, false, false},
        {"no system menu", bsSizeable, biMinimize | biMaximize, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = ShownForm(c.style, c.icons);
        TlumSkinWindowVCL* skin = SkinOf(main.Engine, form.get());
        ASSERT_NE(skin, nullptr);
        EXPECT_EQ(skin->ButtonRect(skin->hbIcon).Width() > 0, c.icon);
        EXPECT_EQ(skin->ButtonRect(skin->hbClose).Width() > 0, c.close);
        EXPECT_EQ(skin->ButtonRect(skin->hbMaxRestore).Width() > 0, c.max);
        EXPECT_EQ(skin->ButtonRect(skin->hbMinimize).Width() > 0, c.min);
        EXPECT_EQ(skin->ButtonRect(skin->hbHelp).Width() > 0, c.help);
    }
    // The form's own icon is the one drawn.
    auto form = ShownForm();
    form->SetIcon(CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING))));
    EXPECT_EQ(SkinOf(main.Engine, form.get())->GetIconHandle(), form->GetIcon()->GetHandle());
    // Iconic, the buttons sit 5 pixels from the right edge.
    ShowWindow(form->GetHandle(), SW_MINIMIZE);
    ProcessMessagesAWhile();
    RECT box{};
    GetWindowRect(form->GetHandle(), &box);
    EXPECT_EQ(SkinOf(main.Engine, form.get())->ButtonRect(TlumSkinWindow::hbClose).Right, box.right - box.left - 5);
}

TEST(SkinWindowVCL, RecreatedOrFloatedFormIsSkinnedAgain) {
    TSkinnedForm main;
    for (UINT message : {UINT(CM_RECREATEWND), UINT(CM_FLOAT)}) {
        SCOPED_TRACE(message);
        auto form = ShownForm(bsSizeable);
        form->SetBorderStyle(bsSingle);   // a new window for the same form
        HWND h = form->GetHandle();
        form->Perform(message);
        ProcessMessagesAWhile();
        EXPECT_EQ(Query(h), 1);
        EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & WS_SYSMENU, 0);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        EXPECT_NE(GetWindowRgn(h, region), ERROR);
        DeleteObject(region);
        EXPECT_EQ(main.Engine->SkinWindowCount(), 2);
    }
}

TEST(SkinWindowVCL, SizeLimitsAreSetWhileSkinnedAndOnlyOursAreTakenBack) {
    TSkinnedForm main;
    const TSkinMetrics m = main.Engine->Metrics();
    for (int ownMinWidth : {0, 500}) {
        SCOPED_TRACE(ownMinWidth);
        auto form = std::make_unique<TForm>(nullptr);
        form->GetConstraints()->SetMinWidth(ownMinWidth);
        form->SetBounds(300, 200, 600, 240);
        form->Show();
        ProcessMessagesAWhile();
        ASSERT_EQ(Query(form->GetHandle()), 1);
        EXPECT_EQ(form->GetConstraints()->GetMinHeight(), m.CaptionHeight + 6);
        EXPECT_EQ(form->GetConstraints()->GetMinWidth(), ownMinWidth ? ownMinWidth : m.MinFormWidth);
        // The limits hold when the form is sized smaller.
        form->SetBounds(300, 200, 40, 10);
        RECT box{};
        GetWindowRect(form->GetHandle(), &box);
        EXPECT_GE(box.right - box.left, form->GetConstraints()->GetMinWidth());
        EXPECT_GE(box.bottom - box.top, form->GetConstraints()->GetMinHeight());

        main.Engine->UnskinWindow(form->GetHandle());
        EXPECT_EQ(Query(form->GetHandle()), 0);
        EXPECT_EQ(form->GetConstraints()->GetMinHeight(), 0);
        EXPECT_EQ(form->GetConstraints()->GetMinWidth(), ownMinWidth);
    }
}

TEST(SkinWindowVCL, ZoomedFormCoversTheWorkAreaWithFourPixelsToSpare) {
    TSkinnedForm main;
    auto form = ShownForm();
    ShowWindow(form->GetHandle(), SW_MAXIMIZE);
    ProcessMessagesAWhile();
    ASSERT_EQ(Query(form->GetHandle()), 1);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoA(MonitorFromWindow(form->GetHandle(), MONITOR_DEFAULTTONEAREST), &info);
    RECT box{};
    GetWindowRect(form->GetHandle(), &box);
    EXPECT_LE(box.left, info.rcWork.left - 4);
    EXPECT_LE(box.top, info.rcWork.top - 4);
    EXPECT_GE(box.right, info.rcWork.right + 4);
    EXPECT_GE(box.bottom, info.rcWork.bottom - 1 + 4);
}

TEST(SkinWindowVCL, WindowProcChainHoldsWhicheverOfSkinHookAndFormGoesFirst) {
    enum TOrder { SkinFirst, HookFirst, FormFirst };
    for (TOrder order : {SkinFirst, HookFirst, FormFirst}) {
        SCOPED_TRACE(order);
        TSkinnedForm main;
        auto form = ShownForm();
        HWND h = form->GetHandle();
        ASSERT_EQ(Query(h), 1);
        int seen = 0;
        std::unique_ptr<TWindowProcHook> hook;
        hook = std::make_unique<TWindowProcHook>(form.get(), [&seen, &hook](TMessage& m) {
            if (m.Msg == WM_USER + 7) ++seen;
            hook->Previous(m);
        });
        EXPECT_EQ(form->Perform(WM_SKIN_QUERY), 1);   // through the hook, then the skin
        switch (order) {
        case SkinFirst:
            main.Engine->UnskinWindow(h);
            EXPECT_EQ(form->Perform(WM_SKIN_QUERY), 0);
            form->Perform(WM_USER + 7);
            EXPECT_EQ(seen, 1);
            hook.reset();
            break;
        case HookFirst:
            hook.reset();
            EXPECT_EQ(form->Perform(WM_SKIN_QUERY), 1);
            main.Engine->UnskinWindow(h);
            EXPECT_EQ(form->Perform(WM_SKIN_QUERY), 0);
            break;
        case FormFirst:
            form.reset();
            EXPECT_EQ(main.Engine->SkinWindowCount(), 1);
            hook.reset();
            break;
        }
        if (form) {
            // The form still answers on its own afterwards.
            SendMessageA(h, WM_NCPAINT, 1, 0);
            EXPECT_EQ(main.Engine->FindSkinWindow(h), nullptr);
        }
    }
}

// A control of the skin's family named TlumForm keeps the whole form as it is: no skinned
// frame, and none of its controls skinned.
class TlumFormMarker : public TGraphicControl {
public:
    explicit TlumFormMarker(TComponent* owner) : TGraphicControl(owner) {}
    const char* ClassName() const override { return "TlumForm"; }
};

TEST(SkinWindowVCL, FormHoldingATlumFormKeepsItsOwnLook) {
    TSkinnedForm main;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(300, 200, 360, 240);
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(10, 10, 80, 24);
    new TlumFormMarker(form.get());
    HWND h = form->GetHandle();
    RECT nativeClient{};
    ::GetClientRect(h, &nativeClient);
    form->Show();
    ProcessMessagesAWhile();
    main.Engine->SkinAllOpenForms();
    auto* skin = dynamic_cast<TlumSkinWindowVCL*>(main.Engine->FindSkinWindow(h));
    ASSERT_NE(skin, nullptr);
    EXPECT_FALSE(skin->GetAllowed());
    EXPECT_EQ(skin->ChildSkinCount(), 0);
    EXPECT_EQ(Query(h), 0);
    EXPECT_EQ(Query(button->GetHandle()), 0);
    EXPECT_NE(GetWindowLongA(h, GWL_STYLE) & WS_SYSMENU, 0);
    RECT client{};
    ::GetClientRect(h, &client);
    EXPECT_EQ(client.right, nativeClient.right);
    EXPECT_EQ(client.bottom, nativeClient.bottom);
}

namespace {

// A second form, shown and skinned by the main form's engine; native is its client width before.
std::unique_ptr<TForm> ShownSkinnedForm(int& native) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(300, 200, 360, 240);
    RECT r{};
    ::GetClientRect(form->GetHandle(), &r);
    native = r.right;
    form->Show();
    ProcessMessagesAWhile();
    return form;
}

std::vector<uint8_t> SkinFileBytes(const char* name) {
    const std::string bytes = ReadWholeFile(name);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

int ClientWidth(HWND h) {
    RECT r{};
    ::GetClientRect(h, &r);
    return static_cast<int>(r.right);
}

// The client width of a skinned form: wider side borders than 4 pixels widen it.
int SkinnedClientWidth(const TSkinMetrics& m, int native) {
    return std::max<int>(4, m.LeftBorder) + native + std::max<int>(4, m.RightBorder) - 8;
}

}  // namespace

// The client keeps its native width inside side borders of 4 pixels or less and widens by what
// wider borders take beyond 4; each skin loaded sets it anew, and unskinning gives it back.
TEST(SkinWindowVCL, ClientWidensByTheSkinsSideBordersBeyondFourPixels) {
    TSkinnedForm main;
    int native = 0;
    auto form = ShownSkinnedForm(native);
    HWND h = form->GetHandle();
    ASSERT_EQ(Query(h), 1);
    for (const char* file : {SKIN_JADE_FILE, SKIN_SLATE_FILE, SKIN_DEFAULT_FILE}) {
        SCOPED_TRACE(file);
        main.Engine->ReadSkinData(SkinFileBytes(file));
        ProcessMessagesAWhile();
        const TSkinMetrics& m = main.Engine->Metrics();
        EXPECT_EQ(ClientWidth(h), SkinnedClientWidth(m, native)) << m.LeftBorder << " " << m.RightBorder;
    }
    main.Engine->UnskinWindow(h);
    EXPECT_EQ(ClientWidth(h), native);
}

// A minimised form follows the width rule too: it shows when restored, while the minimised
// window keeps its size.
TEST(SkinWindowVCL, MinimisedFormGetsTheSkinsClientWidthWhenRestored) {
    TSkinnedForm main;
    int native = 0;
    auto form = ShownSkinnedForm(native);
    HWND h = form->GetHandle();
    ASSERT_EQ(Query(h), 1);
    main.Engine->ReadSkinData(SkinFileBytes(SKIN_SLATE_FILE));
    ProcessMessagesAWhile();
    // Skinned afresh while minimised.
    main.Engine->UnskinWindow(h);
    ShowWindow(h, SW_MINIMIZE);
    ProcessMessagesAWhile();
    ASSERT_TRUE(IsIconic(h));
    RECT iconic{};
    GetWindowRect(h, &iconic);
    main.Engine->SkinWindow(h, false);
    ProcessMessagesAWhile();
    ASSERT_EQ(Query(h), 1);
    RECT after{};
    GetWindowRect(h, &after);
    EXPECT_TRUE(IsIconic(h));
    EXPECT_EQ(after.right - after.left, iconic.right - iconic.left);
    EXPECT_EQ(after.bottom - after.top, iconic.bottom - iconic.top);
    ShowWindow(h, SW_RESTORE);
    ProcessMessagesAWhile();
    const TSkinMetrics& m = main.Engine->Metrics();
    EXPECT_EQ(ClientWidth(h), SkinnedClientWidth(m, native)) << m.LeftBorder << " " << m.RightBorder;
}
