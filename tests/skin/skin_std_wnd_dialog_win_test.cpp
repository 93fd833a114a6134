// Standard windows inside a dialog the system makes, skinned by the programs' engine as it sees
// the dialog activated: what the screen shows of a tab control (frame, selected and unselected
// cells, the captions' colours) at two widths and after a real click, and a push button that
// goes back to its normal look once the real cursor has left it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/forms.h"
#include "skin/program_skin_win.h"
#include "tests/skin/support/dialog_template.h"
#include "tests/skin/support/skin_test_support.h"

namespace {

const auto* kEnv = ::testing::AddGlobalTestEnvironment(new TSkinGuiEnvironment([] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
}));

constexpr int kTabs = 200, kFirstButton = 301, kSecondButton = 302, kProgress = 400;

// The program's main form with its engine, loaded and shown as the programs load theirs.
struct TProgramForm {
    TProgramForm() : Form(new TForm(nullptr)) {
        Form->SetBounds(20, 20, 300, 200);
        Form->BeginLoading();
        Engine = CreateProgramSkinEngine(Form.get());
        Form->FinishLoading();
        Form->Show();
        ProcessMessagesAWhile();
    }
    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine;
};

// A modeless dialog from an in-memory template, owned by the program's form; its tab control
// gets three tabs when the dialog starts.
class TDialogTemplate : public TDialogTemplateWords {
public:
    struct Item {
        const char* Class;
        WORD Id;
        DWORD Style;
        const char* Text;
    };
    explicit TDialogTemplate(const std::vector<Item>& items) {
        Dword(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT);
        Dword(0);
        Word(static_cast<WORD>(items.size()));
        Word(10), Word(10), Word(240), Word(150);
        Word(0), Word(0);
        Text("dialog");
        Word(9);
        Text("Tahoma");
        for (const Item& item : items) {
            AlignItem();
            Dword(WS_CHILD | WS_VISIBLE | item.Style);
            Dword(0);
            Word(0), Word(0), Word(20), Word(10), Word(item.Id);
            Text(item.Class);
            Text(item.Text);
            Word(0);
        }
    }
    HWND Create(HWND owner) {
        return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), Template(), owner, Proc, 0);
    }

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM, LPARAM) {
        if (msg != WM_INITDIALOG) return FALSE;
        if (HWND tabs = GetDlgItem(dialog, kTabs)) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            for (const char* text : {"First", "Second page", "3"}) {
                item.pszText = const_cast<char*>(text);
                SendMessageA(tabs, TCM_INSERTITEMA, 99, reinterpret_cast<LPARAM>(&item));
            }
        }
        return TRUE;
    }
};

// Places the children in pixels, then shows and activates the dialog: the engine's hook skins it.
HWND ShowSkinned(TDialogTemplate& dialogTemplate, TProgramForm& program,
                 const std::vector<std::pair<int, RECT>>& places) {
    HWND dialog = dialogTemplate.Create(program.Form->GetHandle());
    if (!dialog) return nullptr;
    SetWindowPos(dialog, nullptr, 360, 60, 460, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& [id, r] : places)
        SetWindowPos(GetDlgItem(dialog, id), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
    ProcessMessagesAWhile();
    return dialog;
}

LRESULT Query(HWND window) { return SendMessageA(window, WM_SKIN_QUERY, 0, 0); }

// What the screen shows at a client point of a window.
COLORREF ScreenPixel(HWND window, int x, int y) {
    const POINT p = ScreenPoint(window, x, y);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// How many pixels of a client rectangle the screen shows in exactly this colour.
int PixelsOf(HWND window, const RECT& r, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    const POINT origin = ScreenPoint(window, 0, 0);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += GetPixel(screen, origin.x + x, origin.y + y) == colour;
    ReleaseDC(nullptr, screen);
    return n;
}

// Handles messages until cond holds, for at most about three seconds; returns cond().
bool PumpUntilShown(const std::function<bool()>& cond) {
    for (int i = 0; i < 150 && !cond(); ++i) Pump(20);
    return cond();
}

COLORREF CellPixel(TlumSkinEngine* engine, TSkinBitmapKey key, int cell, int cells, int x, int y) {
    TBitmap bitmap;
    if (!engine->GetSkinBitmapPart(key, &bitmap, cell, cells)) return CLR_INVALID;
    return ColorToRGB(bitmap.GetCanvas()->GetPixel(x, y));
}

}  // namespace

// The tab control drawn whole from the skin, at two widths: the page frame in the control border
// colour, the selected tab in cell 1 and the others in cell 2 of the tab image, each caption in
// its colour; a real click on the second tab moves the selected look there, and the cursor resting
// on another tab (hot-tracking or not) changes nothing.
TEST(SkinStdWndDialog, TabControlShowsTheSkinAtTwoWidthsAndAfterAClick) {
    TProgramForm program;
    TlumSkinEngine* engine = program.Engine;
    const COLORREF border = ColorToRGB(engine->GetSkinColor(SKIN2_CONTROLBORDERCOLOR));
    const COLORREF formColour = ColorToRGB(engine->GetSkinColor(SKIN2_FORMCOLOR));
    const COLORREF activeText = ColorToRGB(engine->GetSkinColor(SKIN2_TABCONTROLACTIVEFONTCOLOR));
    const COLORREF inactiveText = ColorToRGB(engine->GetSkinColor(SKIN2_TABCONTROLINACTIVEFONTCOLOR));
    ASSERT_NE(activeText, inactiveText);
    // Spots of the tab image's ends, drawn unscaled whatever the tab's width: the top row and
    // the middle of each end (x below 0 counts from the right edge).
    TBitmap image;
    ASSERT_TRUE(engine->GetSkinBitmapPart(SKIN2_TABCONTROL, &image, 1, 2));
    const int iw = image.GetWidth(), ih = image.GetHeight();
    const POINT spots[] = {{2, 1}, {2, ih / 2}, {-3, 1}, {-3, ih / 2}};

    const struct {
        int Width;
        DWORD Style;
        const char* Name;
    } rows[] = {{240, 0, "240 wide"}, {400, 0, "400 wide"}, {240, TCS_HOTTRACK, "240 wide, hot-tracking"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        const int width = row.Width;
        TDialogTemplate dialogTemplate({{"SysTabControl32", kTabs, WS_TABSTOP | row.Style, ""},
                                        {"Button", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, "Cancel"}});
        HWND dialog = ShowSkinned(dialogTemplate, program, {{kTabs, RECT{10, 10, 10 + width, 170}},
                                                            {IDCANCEL, RECT{10, 200, 90, 226}}});
        ASSERT_NE(dialog, nullptr);
        HWND tabs = GetDlgItem(dialog, kTabs);
        ASSERT_EQ(Query(dialog), 1);
        ASSERT_EQ(Query(tabs), 1);

        auto expectSelected = [&](int selected, const char* when) {
            SCOPED_TRACE(when);
            RECT display{0, 0, width, 160};
            SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
            InflateRect(&display, 2, 2);
            const int midY = (display.top + display.bottom) / 2, midX = (display.left + display.right) / 2;
            EXPECT_EQ(ScreenPixel(tabs, display.left, midY), border) << "frame, left";
            EXPECT_EQ(ScreenPixel(tabs, display.right - 1, midY), border) << "frame, right";
            EXPECT_EQ(ScreenPixel(tabs, midX, display.bottom - 1), border) << "frame, bottom";
            EXPECT_EQ(ScreenPixel(tabs, display.left + 3, midY), formColour) << "page";
            for (int i = 0; i < 3; ++i) {
                SCOPED_TRACE("tab " + std::to_string(i));
                RECT tab{};
                ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab)));
                const bool isSelected = i == selected;
                for (const POINT& s : spots)
                    EXPECT_EQ(ScreenPixel(tabs, s.x < 0 ? tab.right + s.x : tab.left + s.x, tab.top + s.y),
                              CellPixel(engine, SKIN2_TABCONTROL, isSelected ? 1 : 2, 2, s.x < 0 ? iw + s.x : s.x, s.y))
                        << "cell at " << s.x << "," << s.y;
                const RECT inside{tab.left + 3, tab.top + 3, tab.right - 3, tab.bottom - 2};
                EXPECT_GT(PixelsOf(tabs, inside, isSelected ? activeText : inactiveText), 0) << "caption colour";
                EXPECT_EQ(PixelsOf(tabs, inside, isSelected ? inactiveText : activeText), 0) << "the other colour";
            }
        };
        RedrawWindow(tabs, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump(60);
        expectSelected(0, "as shown");

        RECT second{};
        SendMessageA(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        MoveTo(ScreenPoint(tabs, (second.left + second.right) / 2, (second.top + second.bottom) / 2));
        Press();
        Release();
        Pump(60);
        ASSERT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
        expectSelected(1, "after a real click on the second tab");
        RECT third{};
        SendMessageA(tabs, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third));
        MoveTo(ScreenPoint(tabs, (third.left + third.right) / 2, (third.top + third.bottom) / 2));
        Pump(60);
        expectSelected(1, "the cursor resting on the third tab");
        DestroyWindow(dialog);
        ProcessMessagesAWhile();
    }
}

// A push button goes hot under the real cursor and, through its timer, back to normal once the
// cursor has left, wherever it went and however it got there; a dialog with
// a progress bar has button skins without the timer, so there the button stays hot.
TEST(SkinStdWndDialog, HotButtonGoesBackToNormalAfterTheCursorLeaves) {
    TProgramForm program;
    TlumSkinEngine* engine = program.Engine;
    TBitmap slices[3];
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(engine->GetSkinBitmapPart(SKIN2_BUTTON, &slices[k], k + 1, 3));
    const int w = slices[0].GetWidth(), h = slices[0].GetHeight();
    // A spot of the top-left corner (drawn unscaled) where normal and hot differ, away from the
    // focus rectangle.
    const TColor trans = engine->Metrics().TransparentColor;
    int sx = -1, sy = -1;
    for (int y = 0; y < h / 2 && sx < 0; ++y)
        for (int x = 0; x < w / 2 && sx < 0; ++x) {
            if (x == 5 || y == 5 || x == 6 || y == 6) continue;
            const TColor a = slices[0].GetCanvas()->GetPixel(x, y), b = slices[1].GetCanvas()->GetPixel(x, y);
            if (a != b && a != trans && b != trans) sx = x, sy = y;
        }
    ASSERT_GE(sx, 0) << "the skin's normal and hot button slices are alike in their corner";
    const COLORREF normal = ColorToRGB(slices[0].GetCanvas()->GetPixel(sx, sy));
    const COLORREF hot = ColorToRGB(slices[1].GetCanvas()->GetPixel(sx, sy));
    const RECT firstPlace{20, 20, 20 + 2 * w + 20, 20 + 2 * h + 10};
    const RECT secondPlace{20, 140, 20 + 2 * w + 20, 140 + 2 * h + 10};

    enum TLeave { lvBareDialog, lvOtherButton, lvOtherWindow, lvJumpWithoutInput };
    const struct {
        const char* Name;
        bool ProgressBar;
        TLeave Leave;
        bool BackToNormal;
    } cases[] = {
        {"to the dialog's bare face", false, lvBareDialog, true},
        {"to the other button", false, lvOtherButton, true},
        {"to the program's form", false, lvOtherWindow, true},
        {"set elsewhere without a mouse event", false, lvJumpWithoutInput, true},
        {"progress bar: to the dialog's bare face", true, lvBareDialog, false},
        {"progress bar: to the program's form", true, lvOtherWindow, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        // The progress bar comes first, so the dialog's skin knows of it before the buttons.
        std::vector<TDialogTemplate::Item> items;
        if (c.ProgressBar) items.push_back({"msctls_progress32", kProgress, 0, ""});
        items.push_back({"Button", kFirstButton, BS_PUSHBUTTON | WS_TABSTOP, ""});
        items.push_back({"Button", kSecondButton, BS_PUSHBUTTON | WS_TABSTOP, ""});
        TDialogTemplate dialogTemplate(items);
        std::vector<std::pair<int, RECT>> places{{kFirstButton, firstPlace}, {kSecondButton, secondPlace}};
        if (c.ProgressBar) places.push_back({kProgress, RECT{240, 20, 400, 40}});
        MoveTo(ScreenPoint(program.Form->GetHandle(), 40, 40));
        HWND dialog = ShowSkinned(dialogTemplate, program, places);
        ASSERT_NE(dialog, nullptr);
        HWND first = GetDlgItem(dialog, kFirstButton), second = GetDlgItem(dialog, kSecondButton);
        ASSERT_EQ(Query(first), 1);
        auto shown = [&](HWND button) { return ScreenPixel(button, sx, sy); };
        ASSERT_TRUE(PumpUntilShown([&] { return shown(first) == normal; })) << "normal before the cursor comes";

        const POINT inside = ScreenPoint(first, w, h);
        const POINT away = c.Leave == lvOtherButton   ? ScreenPoint(second, w, h)
                           : c.Leave == lvOtherWindow ? ScreenPoint(program.Form->GetHandle(), 40, 40)
                                                      : ScreenPoint(dialog, 300, 200);
        MoveTo(inside);
        ASSERT_TRUE(PumpUntilShown([&] { return shown(first) == hot; })) << "hot under the cursor";
        if (c.Leave == lvJumpWithoutInput)
            SetCursorPos(away.x, away.y);
        else
            MoveTo(away);
        if (c.BackToNormal) {
            EXPECT_TRUE(PumpUntilShown([&] { return shown(first) == normal; })) << "normal after the cursor left";
        } else {
            Pump(600);   // several of the timer's intervals, had there been a timer
            EXPECT_EQ(shown(first), hot) << "stays hot without the timer";
        }
        if (c.Leave == lvOtherButton) {
            EXPECT_EQ(shown(second), hot) << "the button under the cursor";
        }
        DestroyWindow(dialog);
        ProcessMessagesAWhile();
    }
}
