// Forms and controls: stored properties, layout, the swappable WindowProc, windowless controls
// with mouse capture and enter/leave, keyboard handling of edits and dialog keys.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/common_controls.h"
#include "classlib/gui/labeled_edit.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/standard_controls.h"
#include "tests/gui/gui_test_support.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// A windowless control that records what reaches it.
class TProbeGraphic : public TGraphicControl {
public:
    explicit TProbeGraphic(TComponent* owner) : TGraphicControl(owner) { SetBounds(20, 20, 60, 40); }
    std::vector<std::string> Events;
    int Clicks = 0;
    int Paints = 0;
    void Click() override {
        ++Clicks;
        TGraphicControl::Click();
    }
protected:
    void WndProc(TMessage& m) override {
        switch (m.Msg) {
            case CM_MOUSEENTER: Events.push_back("enter"); break;
            case CM_MOUSELEAVE: Events.push_back("leave"); break;
            case WM_LBUTTONDOWN: Events.push_back(Format("down %d,%d", m.XPos(), m.YPos())); break;
            case WM_MOUSEMOVE: Events.push_back(Format("move %d,%d", m.XPos(), m.YPos())); break;
            case WM_LBUTTONUP: Events.push_back(Format("up %d,%d", m.XPos(), m.YPos())); break;
            default: break;
        }
        TGraphicControl::WndProc(m);
    }
    void Paint() override {
        ++Paints;
        GetCanvas()->GetBrush()->SetColor(clRed);
        GetCanvas()->FillRect(GetClientRect());
    }
};

TRect WindowRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return FromRECT(r);
}

TRect ClientRectOf(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return FromRECT(r);
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace

TEST(Form, StoredPropertiesReachTheWindow) {
    TForm form(nullptr);
    form.SetCaption("stored");
    form.SetBorderStyle(bsSingle);
    form.SetBorderIcons(biSystemMenu | biMinimize);
    form.SetClientWidth(401);
    form.SetClientHeight(160);
    form.SetPosition(poScreenCenter);
    form.Show();
    HWND w = form.GetHandle();
    EXPECT_EQ(ClientRectOf(w), TRect(0, 0, 401, 160));
    EXPECT_EQ(form.GetClientWidth(), 401);
    LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    char text[64];
    GetWindowTextA(w, text, sizeof text);
    EXPECT_STREQ(text, "stored");
    TRect r = WindowRect(w);
    EXPECT_NEAR(r.Left + r.Width() / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(r.Top + r.Height() / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(form.GetWidth(), r.Width());
}

TEST(Form, BorderlessClientSizeAndMaximisedState) {
    TForm loading(nullptr);
    loading.SetBorderStyle(bsNone);
    loading.SetBorderIcons(0);
    loading.SetClientWidth(401);
    loading.SetClientHeight(16);
    loading.Show();
    EXPECT_EQ(WindowRect(loading.GetHandle()).Width(), 401);
    EXPECT_EQ(WindowRect(loading.GetHandle()).Height(), 16);
    EXPECT_FALSE(GetWindowLongPtrA(loading.GetHandle(), GWL_STYLE) & WS_CAPTION);

    TForm big(nullptr);
    big.SetWindowState(wsMaximized);
    big.Show();
    EXPECT_TRUE(IsZoomed(big.GetHandle()));
    EXPECT_EQ(big.GetWindowState(), wsMaximized);
}

TEST(Form, CloseAsksAndOnCloseDecides) {
    TForm* form = new TForm(nullptr);
    int queries = 0;
    bool allow = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++queries;
        canClose = allow;
    };
    TCloseAction chosen = caFree;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        EXPECT_EQ(action, caHide);
        action = chosen;
    };
    form->Show();
    SendMessageA(form->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(queries, 1);
    EXPECT_TRUE(form->GetVisible());
    allow = true;
    int before = Screen->FormCount();
    SendMessageA(form->GetHandle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Screen->FormCount() == before - 1; }));   // freed after the queue
}

TEST(Form, ShowModalReturnsTheButtonsModalResult) {
    TForm dialog(nullptr);
    auto* ok = new TButton(&dialog);
    ok->SetParent(&dialog);
    ok->SetModalResult(mrOk);
    bool closed = false;
    dialog.OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    dialog.OnShow = [&](TObject*) { PostMessageA(ok->GetHandle(), BM_CLICK, 0, 0); };
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(IsWindowVisible(dialog.GetHandle()));
}

TEST(Layout, AlignedChildrenShareTheClientArea) {
    TForm form(nullptr);
    form.SetClientWidth(600);
    form.SetClientHeight(400);
    auto* top = new TPanel(&form);
    top->SetParent(&form);
    top->SetAlign(alTop);
    top->SetHeight(41);
    auto* bar = new TStatusBar(&form);
    bar->SetParent(&form);
    auto* client = new TPanel(&form);
    client->SetParent(&form);
    client->SetAlign(alClient);
    auto* right = new TPanel(client);
    right->SetParent(client);
    right->SetWidth(16);
    right->SetAlign(alRight);
    form.Show();
    EXPECT_EQ(top->GetBoundsRect(), TRect(0, 0, 600, 41));
    EXPECT_EQ(bar->GetBoundsRect(), TRect(0, 400 - bar->GetHeight(), 600, 400));
    EXPECT_EQ(client->GetBoundsRect(), TRect(0, 41, 600, 400 - bar->GetHeight()));
    EXPECT_EQ(right->GetLeft(), client->GetClientWidth() - 1 - 16);   // inside the raised bevel
    form.SetClientWidth(500);
    EXPECT_EQ(top->GetWidth(), 500);
    EXPECT_EQ(client->GetWidth(), 500);
}

TEST(WindowProc, ASwappedProcedureSeesAndCanWithholdMessages) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.Show();
    std::vector<UINT> seen;
    auto previous = edit->WindowProc;
    edit->WindowProc = [&, previous](TMessage& m) {
        seen.push_back(m.Msg);
        if (m.Msg == WM_SETTEXT && std::string(reinterpret_cast<const char*>(m.LParam)) == "blocked") {
            m.Result = TRUE;
            return;
        }
        previous(m);
    };
    edit->SetText("let through");
    EXPECT_EQ(edit->GetText(), "let through");
    SendMessageA(edit->GetHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("blocked"));
    EXPECT_EQ(edit->GetText(), "let through");
    EXPECT_EQ(edit->Perform(WM_USER + 77, 1, 2), 0);
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_USER + 77)), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_SETTEXT)), seen.end());
    edit->WindowProc = previous;
    seen.clear();
    edit->SetText("after");
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(edit->GetText(), "after");
}

TEST(WindowProc, OwnWindowsAndSubclassedOnesAreFoundFromTheirHandle) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* button = new TButton(&form);
    button->SetParent(panel);
    form.HandleNeeded();
    EXPECT_EQ(FindControl(form.GetHandle()), &form);
    EXPECT_EQ(FindControl(panel->GetHandle()), panel);
    EXPECT_EQ(FindControl(button->GetHandle()), button);
    EXPECT_TRUE(button->IsSubclassed());
    EXPECT_FALSE(panel->IsSubclassed());
    EXPECT_EQ(GetParentForm(button), &form);
    HWND h = button->GetHandle();
    delete button;
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(FindControl(h), nullptr);
}

// A form with one windowless probe at (20, 20, 60 x 40).
class GraphicControl : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetClientWidth(200);
        form.SetClientHeight(120);
        form.SetPosition(poScreenCenter);
        probe = new TProbeGraphic(&form);
        probe->SetParent(&form);
        form.Show();
    }
    TForm form{nullptr};
    TProbeGraphic* probe = nullptr;
};

TEST_F(GraphicControl, MouseMessagesAndCaptureAreRoutedToIt) {
    HWND w = form.GetHandle();
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(30, 25));
    EXPECT_EQ(GetCaptureControl(), probe);
    EXPECT_TRUE(probe->GetMouseCapture());
    EXPECT_EQ(GetCapture(), w);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, At(150, 100));   // outside it: still its while captured
    SendMessageA(w, WM_LBUTTONUP, 0, At(150, 100));
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(probe->Clicks, 0);   // released outside: no click
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(40, 30));
    SendMessageA(w, WM_LBUTTONUP, 0, At(41, 31));
    EXPECT_EQ(probe->Clicks, 1);
    std::vector<std::string> mouse;
    for (auto& e : probe->Events)
        if (e != "enter" && e != "leave") mouse.push_back(e);
    EXPECT_EQ(mouse, (std::vector<std::string>{"down 10,5", "move 130,80", "up 130,80", "down 20,10", "up 21,11"}));
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, At(150, 100));   // not on it: the form's
    EXPECT_EQ(probe->Events.back(), "up 21,11");
    SendMessageA(w, WM_LBUTTONUP, 0, At(150, 100));
}

TEST_F(GraphicControl, EntersAndLeavesFollowTheMouse) {
    int enters = 0, leaves = 0;
    probe->OnMouseEnter = [&](TObject*) { ++enters; };
    probe->OnMouseLeave = [&](TObject*) { ++leaves; };
    PumpFor(50);
    TPoint inside = probe->ClientToScreen(TPoint(10, 10));
    TPoint outside = form.ClientToScreen(TPoint(150, 100));
    SetCursorPos(outside.X, outside.Y);
    PumpFor(50);
    probe->Events.clear();
    SetCursorPos(inside.X, inside.Y);
    ASSERT_TRUE(PumpUntil([&] { return enters == 1; }));
    EXPECT_EQ(Application->GetMouseControl(), probe);
    SetCursorPos(outside.X, outside.Y);
    ASSERT_TRUE(PumpUntil([&] { return leaves == 1; }));
    EXPECT_EQ(Application->GetMouseControl(), &form);
    std::vector<std::string> crossings;
    for (auto& e : probe->Events)
        if (e == "enter" || e == "leave") crossings.push_back(e);
    EXPECT_EQ(crossings, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(GraphicControl, IsPaintedOnItsParentAndInvalidatesItsArea) {
    UpdateWindow(form.GetHandle());
    ASSERT_TRUE(PumpUntil([&] { return probe->Paints > 0; }));
    HDC dc = GetDC(form.GetHandle());
    EXPECT_EQ(GetPixel(dc, 25, 25), RGB(255, 0, 0));
    EXPECT_NE(GetPixel(dc, 150, 100), RGB(255, 0, 0));
    ReleaseDC(form.GetHandle(), dc);
    int before = probe->Paints;
    probe->Invalidate();
    probe->Update();
    EXPECT_GT(probe->Paints, before);
}

TEST(Edit, KeyEventsCanSwallowKeysAndChangeIsReported) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->OnKeyPress = [](TObject*, char& key) {
        if (key < '0' || key > '9') key = 0;
    };
    form.Show();
    for (char c : std::string("1a2"))
        SendMessageA(edit->GetHandle(), WM_CHAR, static_cast<unsigned char>(c), 1);
    EXPECT_EQ(edit->GetText(), "12");
    EXPECT_EQ(changes, 2);
    edit->SetText("99");
    EXPECT_EQ(changes, 3);
    edit->SetSelStart(1);
    edit->SetSelLength(1);
    EXPECT_EQ(edit->GetSelText(), "9");
}

// An edit of the single-line class whose window is nevertheless multi-line.
class TMultiLineEdit : public TEdit {
public:
    explicit TMultiLineEdit(TComponent* owner) : TEdit(owner) {}
protected:
    void CreateParams(TCreateParams& p) override {
        TEdit::CreateParams(p);
        p.Style |= ES_MULTILINE;
    }
};

TEST(Edit, TextSetByCodeIsReportedOnceWithOrWithoutAWindow) {
    struct Case { const char* name; std::function<TCustomEdit*(TComponent*)> make; };
    const Case cases[] = {
        {"single-line edit", [](TComponent* o) { return new TEdit(o); }},
        {"multi-line edit", [](TComponent* o) { return new TMultiLineEdit(o); }},
        {"memo", [](TComponent* o) { return new TMemo(o); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TForm form(nullptr);
        TCustomEdit* edit = c.make(&form);
        edit->SetParent(&form);
        int changes = 0;
        edit->OnChange = [&](TObject*) { ++changes; };
        edit->SetText("before");   // no window yet
        EXPECT_FALSE(edit->HandleAllocated());
        EXPECT_EQ(changes, 1);
        form.Show();
        PumpFor(20);
        EXPECT_EQ(changes, 1);     // creating the window is no change
        edit->SetText("after");
        EXPECT_EQ(changes, 2);
        edit->SetText("after");    // the same text again
        EXPECT_EQ(changes, 2);
        SendMessageA(edit->GetHandle(), WM_CHAR, 'x', 1);
        EXPECT_EQ(changes, 3);
        edit->Clear();
        EXPECT_EQ(changes, 4);
        EXPECT_EQ(edit->GetText(), "");
    }
}

TEST(Memo, LinesKeepEmptyLinesWhereverTheyAre) {
    using Lines = std::vector<std::string>;
    struct Case {
        const char* name;
        std::function<void(TStrings*)> edit;
        Lines lines;
        const char* text;
    };
    const Case cases[] = {
        {"empty line between", [](TStrings* l) { l->Add("A"); l->Add(""); l->Add("B"); }, {"A", "", "B"}, "A\r\n\r\nB"},
        {"empty line last", [](TStrings* l) { l->Add("A"); l->Add(""); }, {"A", ""}, "A\r\n\r\n"},
        {"only an empty line", [](TStrings* l) { l->Add(""); }, {""}, "\r\n"},
        {"two empty lines", [](TStrings* l) { l->Add(""); l->Add(""); }, {"", ""}, "\r\n\r\n"},
        {"empty line first", [](TStrings* l) { l->Add(""); l->Add("B"); }, {"", "B"}, "\r\nB"},
        {"inserted at the front", [](TStrings* l) { l->Add("A"); l->Insert(0, ""); }, {"", "A"}, "\r\nA"},
        {"last line emptied", [](TStrings* l) { l->Add("A"); l->Add("B"); l->Put(1, ""); }, {"A", ""}, "A\r\n\r\n"},
        {"line after the empty one deleted", [](TStrings* l) { l->Add("A"); l->Add(""); l->Add("B"); l->Delete(2); l->Add("C"); },
         {"A", "", "C"}, "A\r\n\r\nC"},
        {"assigned", [](TStrings* l) { TStringList s; s.Add("A"); s.Add(""); s.Add(""); l->Assign(&s); },
         {"A", "", ""}, "A\r\n\r\n\r\n"},
        {"no empty line", [](TStrings* l) { l->Add("A"); l->Add("B"); }, {"A", "B"}, "A\r\nB"},
    };
    for (bool windowed : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (windowed ? ", windowed" : ", no window"));
            TForm form(nullptr);
            auto* memo = new TMemo(&form);
            memo->SetParent(&form);
            if (windowed) form.Show();
            TStrings* lines = memo->GetLines();
            c.edit(lines);
            Lines got;
            for (int i = 0; i < lines->Count(); ++i) got.push_back(lines->Get(i));
            EXPECT_EQ(got, c.lines);
            EXPECT_EQ(memo->GetText(), c.text);
            EXPECT_EQ(memo->HandleAllocated(), windowed);
        }
    }
}

TEST(Edit, TabMovesTheFocusAndEnterClicksTheDefaultButton) {
    TForm form(nullptr);
    auto* first = new TEdit(&form);
    first->SetParent(&form);
    auto* second = new TEdit(&form);
    second->SetParent(&form);
    second->SetTop(40);
    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetTop(80);
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    std::vector<std::string> entered;
    first->OnEnter = [&](TObject*) { entered.push_back("first"); };
    second->OnEnter = [&](TObject*) { entered.push_back("second"); };
    form.Show();
    first->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return first->Focused(); }));
    PostMessageA(first->GetHandle(), WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(PumpUntil([&] { return second->Focused(); }));
    EXPECT_EQ(form.GetActiveControl(), second);
    PostMessageA(second->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    EXPECT_EQ(entered, (std::vector<std::string>{"first", "second"}));
}

TEST(Controls, ProgressBarCheckBoxLabelsAndPages) {
    TForm form(nullptr);
    form.SetClientWidth(400);
    form.SetClientHeight(300);
    auto* bar = new TProgressBar(&form);
    bar->SetParent(&form);
    bar->SetPosition(150);
    EXPECT_EQ(bar->GetPosition(), 100);
    auto* check = new TCheckBox(&form);
    check->SetParent(&form);
    int clicks = 0;
    check->OnClick = [&](TObject*) { ++clicks; };
    auto* pages = new TPageControl(&form);
    pages->SetParent(&form);
    pages->SetBounds(0, 60, 400, 200);
    pages->SetStyle(tsFlatButtons);
    auto* one = new TTabSheet(&form);
    one->SetPageControl(pages);
    one->SetCaption("one");
    auto* two = new TTabSheet(&form);
    two->SetPageControl(pages);
    two->SetCaption("two");
    auto* labeled = new TLabeledEdit(&form);
    labeled->SetParent(two);
    labeled->SetBounds(16, 32, 200, 19);
    labeled->GetEditLabel()->SetCaption("label");
    form.Show();
    EXPECT_EQ(bar->GetPosition(), 100);
    bar->SetMax(200);
    bar->SetPosition(150);
    EXPECT_EQ(bar->GetPosition(), 150);
    EXPECT_EQ(SendMessageA(bar->GetHandle(), PBM_GETRANGE, FALSE, 0), 200);

    SendMessageA(check->GetHandle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(check->GetChecked());
    EXPECT_EQ(clicks, 1);
    check->SetChecked(false);
    EXPECT_EQ(SendMessageA(check->GetHandle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    EXPECT_EQ(pages->GetActivePage(), one);
    EXPECT_TRUE(GetWindowLongPtrA(pages->GetHandle(), GWL_STYLE) & TCS_FLATBUTTONS);
    EXPECT_EQ(SendMessageA(pages->GetHandle(), TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_TRUE(IsWindowVisible(one->GetHandle()));
    EXPECT_FALSE(IsWindowVisible(two->GetHandle()));
    int changes = 0;
    pages->OnChange = [&](TObject*) { ++changes; };
    RECT tab;
    SendMessageA(pages->GetHandle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    SendMessageA(pages->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(tab.left + 3, tab.top + 3));
    SendMessageA(pages->GetHandle(), WM_LBUTTONUP, 0, At(tab.left + 3, tab.top + 3));
    ASSERT_TRUE(PumpUntil([&] { return pages->GetActivePage() == two; }));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(IsWindowVisible(two->GetHandle()));
    EXPECT_FALSE(IsWindowVisible(one->GetHandle()));
    EXPECT_EQ(labeled->GetEditLabel()->GetParent(), two);
    EXPECT_EQ(labeled->GetEditLabel()->GetTop() + labeled->GetEditLabel()->GetHeight() + 3, 32);
}

TEST(Controls, FreeingInAnyOrderLeavesNoDanglingParentOrOwner) {
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* edit = new TLabeledEdit(form);
    edit->SetParent(panel);
    auto* foreign = new TButton(nullptr);   // owned by nobody, held by the panel
    foreign->SetParent(panel);
    form->Show();
    delete edit;                            // its label goes with it
    EXPECT_EQ(panel->ControlCount(), 1);
    delete form;                            // frees the panel and the unowned button
    SUCCEED();
}

TEST(Controls, MemoLinesStatusPanelsAndReflectedColours) {
    TForm form(nullptr);
    form.SetClientWidth(400);
    form.SetClientHeight(300);
    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    memo->SetScrollBars(ssVertical);
    memo->SetReadOnly(true);
    memo->GetLines()->Add("first");
    memo->GetLines()->Add("second");
    auto* text = new TStaticText(&form);
    text->SetParent(&form);
    text->SetTop(120);
    text->SetCaption("red words");
    text->GetFont()->SetColor(clRed);
    auto* bar = new TStatusBar(&form);
    bar->SetParent(&form);
    for (int i = 0; i < 3; ++i) bar->AddPanel()->SetWidth(50);
    bar->Panels(1)->SetText("middle");
    form.Show();

    EXPECT_EQ(memo->GetText(), "first\r\nsecond");
    memo->GetLines()->Insert(1, "between");
    EXPECT_EQ(memo->GetLines()->Count(), 3);
    EXPECT_EQ(memo->GetLines()->Get(1), "between");
    EXPECT_TRUE(GetWindowLongPtrA(memo->GetHandle(), GWL_STYLE) & ES_MULTILINE);
    EXPECT_TRUE(GetWindowLongPtrA(memo->GetHandle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongPtrA(memo->GetHandle(), GWL_STYLE) & ES_READONLY);

    EXPECT_EQ(SendMessageA(bar->GetHandle(), SB_GETPARTS, 0, 0), 3);
    char part[32] = {0};
    SendMessageA(bar->GetHandle(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(part));
    EXPECT_STREQ(part, "middle");

    // The static's parent hands the colour question back to it: its font colour, the form's colour.
    HDC dc = GetDC(text->GetHandle());
    LRESULT brush = SendMessageA(form.GetHandle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(text->GetHandle()));
    EXPECT_NE(brush, 0);
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    EXPECT_EQ(GetBkColor(dc), ColorToRGB(clBtnFace));
    ReleaseDC(text->GetHandle(), dc);
    EXPECT_LT(text->GetWidth(), 100);   // sized to its text
    EXPECT_GT(text->GetWidth(), 10);
}

TEST(Controls, ParentFontAndColourFollowUntilSetOwn) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* label = new TLabel(&form);
    label->SetParent(panel);
    auto* check = new TCheckBox(&form);
    check->SetParent(panel);
    form.GetFont()->SetName("Arial");
    form.GetFont()->SetHeight(-14);
    EXPECT_EQ(label->GetFont()->GetName(), "Arial");
    EXPECT_EQ(check->GetFont()->GetHeight(), -14);
    panel->SetColor(clAqua);
    EXPECT_EQ(label->GetColor(), clAqua);
    EXPECT_EQ(check->GetColor(), clAqua);
    check->GetFont()->SetHeight(-20);   // its own font from now on
    EXPECT_FALSE(check->GetParentFont());
    form.GetFont()->SetHeight(-9);
    EXPECT_EQ(check->GetFont()->GetHeight(), -20);
    EXPECT_EQ(label->GetFont()->GetHeight(), -9);
    label->SetColor(clRed);
    EXPECT_FALSE(label->GetParentColor());
    panel->SetColor(clLime);
    EXPECT_EQ(label->GetColor(), clRed);
    label->SetParentColor(true);
    EXPECT_EQ(label->GetColor(), clLime);
}

TEST(BiDiMode, DrawTextFlagsFollowTheReadingOrder) {
    const UINT rtl = DT_RTLREADING;
    struct Case { TBiDiMode mode; bool alignment, reading; UINT left, right, center, wrapRight; } cases[] = {
        {bdLeftToRight, false, false, DT_LEFT, DT_RIGHT, DT_CENTER, DT_WORDBREAK | DT_RIGHT},
        {bdRightToLeft, true, true, DT_RIGHT | rtl, DT_LEFT | rtl, DT_CENTER | rtl, DT_WORDBREAK | rtl},
        {bdRightToLeftNoAlign, false, true, DT_LEFT | rtl, DT_RIGHT | rtl, DT_CENTER | rtl, DT_WORDBREAK | DT_RIGHT | rtl},
        {bdRightToLeftReadingOnly, false, true, DT_LEFT | rtl, DT_RIGHT | rtl, DT_CENTER | rtl,
         DT_WORDBREAK | DT_RIGHT | rtl},
    };
    TLabel label(nullptr);
    for (const Case& c : cases) {
        label.SetBiDiMode(c.mode);
        EXPECT_EQ(label.UseRightToLeftAlignment(), c.alignment) << c.mode;
        EXPECT_EQ(label.UseRightToLeftReading(), c.reading) << c.mode;
        EXPECT_EQ(label.DrawTextBiDiModeFlags(DT_LEFT), c.left) << c.mode;
        EXPECT_EQ(label.DrawTextBiDiModeFlags(DT_RIGHT), c.right) << c.mode;
        EXPECT_EQ(label.DrawTextBiDiModeFlags(DT_CENTER), c.center) << c.mode;
        EXPECT_EQ(label.DrawTextBiDiModeFlags(DT_WORDBREAK | DT_RIGHT), c.wrapRight) << c.mode;
    }
}

TEST(Label, RightToLeftAlignmentDrawsFromTheOtherSide) {
    TForm form(nullptr);
    form.SetBounds(60, 60, 400, 160);
    form.SetColor(clWhite);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetAutoSize(false);
    label->GetFont()->SetName("Arial");
    label->GetFont()->SetHeight(-16);
    label->GetFont()->SetColor(clBlack);
    label->SetCaption("WW");
    form.Show();
    PumpFor(100);
    // Dark pixels in the label's left and right halves.
    auto halves = [&] {
        HWND wnd = form.GetHandle();
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(wnd);
        std::pair<int, int> n{0, 0};
        const int middle = label->GetLeft() + label->GetWidth() / 2;
        for (int y = label->GetTop(); y < label->GetTop() + label->GetHeight(); ++y)
            for (int x = label->GetLeft(); x < label->GetLeft() + label->GetWidth(); ++x)
                if (GetRValue(GetPixel(dc, x, y)) < 80) ++(x < middle ? n.first : n.second);
        ReleaseDC(wnd, dc);
        return n;
    };
    struct Case { TAlignment alignment; TBiDiMode mode; bool onTheLeft; } cases[] = {
        {taRightJustify, bdLeftToRight, false},
        {taRightJustify, bdRightToLeft, true},
        {taRightJustify, bdRightToLeftNoAlign, false},
        {taRightJustify, bdRightToLeftReadingOnly, false},
        {taLeftJustify, bdLeftToRight, true},
        {taLeftJustify, bdRightToLeft, false},
    };
    for (int width : {240, 120}) {
        label->SetBounds(10, 20, width, 24);
        for (const Case& c : cases) {
            label->SetAlignment(c.alignment);
            label->SetBiDiMode(c.mode);
            const std::pair<int, int> n = halves();
            const int drawn = c.onTheLeft ? n.first : n.second, other = c.onTheLeft ? n.second : n.first;
            EXPECT_GT(drawn, 20) << width << " " << c.alignment << " " << c.mode;
            EXPECT_EQ(other, 0) << width << " " << c.alignment << " " << c.mode;
        }
    }
}
