#include "skin/skin_std_wnd_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "classlib/gui/handles.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_utils_win.h"

namespace {

constexpr unsigned kButtonTimerInterval = 138;

// The 9x platform (the only one where tool bars need flattening).
bool Win9xPlatform() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// An off-screen bitmap of the given size filled with a colour.
std::unique_ptr<TBitmap> FilledBitmap(int width, int height, TColor color) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(std::max(width, 0), std::max(height, 0));
    if (!bitmap->Empty()) FillRectColor(bitmap->GetCanvas(), TRect(0, 0, width, height), color);
    return bitmap;
}

// A bitmap set up to take a skin cell drawn with the skin's fixed transparent colour.
std::unique_ptr<TBitmap> CellBitmap(const TlumSkinControl* skin, bool transparent) {
    auto cell = std::make_unique<TBitmap>();
    cell->SetPixelFormat(pf24bit);
    cell->SetTransparentMode(tmFixed);
    cell->SetTransparentColor(SkinTransparentColor(skin));
    cell->SetTransparent(transparent);
    return cell;
}

// Box cells (check box and radio button): the cell over the form colour at the window's origin.
void PaintBoxCell(TlumSkinControlWnd* skin, TBitmap* cell) {
    if (cell->Empty()) return;
    auto buffer = FilledBitmap(std::max(cell->GetWidth(), 14), std::max(cell->GetHeight(), skin->GetWindowHeight()),
                               SkinFormColor(skin));
    buffer->GetCanvas()->Draw(0, 0, cell);
    skin->PaintBitmapAt(buffer.get(), TPoint(0, 0));
}

}  // namespace

// ---- push buttons

void TlumSkinWndButton::SaveOriginal() {
    TlumSkinControlWnd::SaveOriginal();
    FClicked = FKeyArmed = FFirstTickDone = false;
    FTimer.reset();
    // A window with an animation or a progress bar: no repaint timer.
    if (FSkinWindow && FSkinWindow->GetAnimationOrProgress()) return;
    FTimer = std::make_unique<TTimer>(nullptr);
    FTimer->SetInterval(kButtonTimerInterval);
    FTimer->OnTimer = [this](TObject*) { TimerTick(); };
    FTimer->SetEnabled(true);
}

void TlumSkinWndButton::Restore() {
    FTimer.reset();
    if (FClicked && GetCapture() == FWnd) ReleaseCapture();
    FClicked = false;
    TlumSkinControlWnd::Restore();
}

bool TlumSkinWndButton::CursorInside() const {
    POINT p{};
    RECT r{};
    if (!GetCursorPos(&p) || !GetWindowRect(FWnd, &r)) return false;
    return PointInRect(FromPOINT(p), FromRECT(r));
}

void TlumSkinWndButton::TimerTick() {
    if ((FMouseState & msHot) && !CursorInside()) {
        FMouseState &= static_cast<uint8_t>(~(msHot | msPressed));
        Repaint();
    }
    if (!FFirstTickDone) {
        FFirstTickDone = true;
        Repaint();
    }
}

void TlumSkinWndButton::Click() {
    PostMessageA(GetParent(FWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(FWnd), BN_CLICKED), reinterpret_cast<LPARAM>(FWnd));
}

bool TlumSkinWndButton::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_KEYDOWN:
        if (m.WParam != VK_RETURN && m.WParam != VK_SPACE) return true;
        m.Result = 0;
        return false;
    case WM_MOUSEMOVE: {
        RECT client{};
        GetClientRect(FWnd, &client);
        POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        const bool inside = PtInRect(&client, p) != FALSE;
        uint8_t state = inside ? (FMouseState | msHot) : (FMouseState & ~msHot);
        // While a press is held (the mouse is captured) the pressed look follows the cursor.
        if (FClicked) state = inside ? (state | msPressed) : (state & ~msPressed);
        if (state != FMouseState) {
            FMouseState = state;
            Repaint();
        }
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FMouseState |= msPressed;
        Repaint();
        m.Result = 0;
        return false;
    case WM_LBUTTONUP: {
        RECT client{};
        GetClientRect(FWnd, &client);
        POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        // A release outside the button (the mouse was dragged off) clicks nothing.
        if (!PtInRect(&client, p)) FClicked = false;
        return true;
    }
    case WM_CAPTURECHANGED:
        if (FClicked && reinterpret_cast<HWND>(m.LParam) != FWnd) {
            FClicked = false;
            FMouseState &= static_cast<uint8_t>(~msPressed);
            Repaint();
        }
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Repaint();
        m.Result = 0;
        return false;
    case WM_PAINT: {
        TSkinPaintScope paint(FWnd);
        Repaint();
        m.Result = 0;
        return false;
    }
    case WM_ERASEBKGND: Repaint(); return true;
    default: return true;
    }
}

void TlumSkinWndButton::AfterMessage(TMessage& m) {
    TlumSkinControlWnd::AfterMessage(m);
    if (m.Msg == WM_SETFOCUS) Repaint();
    // The second press of a double click is a press too.
    if (m.Msg == WM_LBUTTONDBLCLK) MouseDown();
}

void TlumSkinWndButton::MouseDown() {
    SetFocus(FWnd);
    SetCapture(FWnd);
    FClicked = true;
}

void TlumSkinWndButton::MouseUp() {
    const bool click = FClicked;
    FClicked = false;
    if (GetCapture() == FWnd) ReleaseCapture();
    if (click) Click();
}

void TlumSkinWndButton::KeyDown(int key) {
    if (key == VK_SPACE) FKeyArmed = true;
}

void TlumSkinWndButton::KeyUp(int key) {
    const bool armed = FKeyArmed;
    FKeyArmed = false;
    if (key == VK_SPACE && armed && GetFocus() == FWnd && IsWindowEnabled(FWnd)) Click();
}

void TlumSkinWndButton::Paint() {
    const int width = GetWindowWidth(), height = GetWindowHeight();
    if (width <= 0 || height <= 0) return;
    const bool transparent = SkinBool(this, SKIN2_BUTTONTRANS);
    auto slice = CellBitmap(this, transparent);
    auto buffer = FilledBitmap(width, height, SkinColor(this, SKIN2_FORMCOLOR));
    const int index = (FMouseState & msPressed) ? 3 : (FMouseState & msHot) ? 2 : 1;
    const TRect whole(0, 0, width, height);
    if (SkinBitmapPart(this, SKIN2_BUTTON, slice.get(), index, 3))
        DrawNinePart(slice.get(), buffer->GetCanvas(), whole, SkinTransparentColor(this), transparent);
    if (GetFocus() == FWnd) {
        const int shift = (FMouseState & msPressed) ? 1 : 0;
        buffer->GetCanvas()->GetBrush()->SetStyle(bsSolid);
        buffer->GetCanvas()->DrawFocusRect(TRect(5, 5, width - 5, height - 5).Offset(shift, shift));
    }
    TFont font;
    SetMenuFont(&font);
    font.SetColor(SkinColor(this, SKIN2_BUTTONFONTCOLOR));
    PaintBitmapAndText(buffer.get(), GetWindowCaption(), whole, &font);
}

// ---- combo boxes

void TlumSkinWndComboBox::Paint() {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!LUMSkinUtils::GetComboBoxInfo(FWnd, &info)) return;
    TlumSkinBorderWndControl::Paint();
    TWindowDC dc(FWnd, TWindowDC::daWindow);
    if (!dc) return;
    TCanvas canvas;
    canvas.SetHandle(dc.Get());
    const RECT& b = info.rcButton;
    FillRectColor(&canvas, TRect(b.left, b.top, b.right, b.bottom), SkinColor(this, SKIN2_CONTROLCOLOR));
    canvas.GetPen()->SetColor(SkinColor(this, SKIN2_CONTROLBORDERCOLOR));
    canvas.MoveTo(b.left, b.top - 1);
    canvas.LineTo(b.left, b.bottom + 1);
    const int buttonWidth = b.right - b.left, buttonHeight = b.bottom - b.top;
    DrawComboArrow(&canvas, b.left + buttonWidth / 2 - 3, buttonHeight / 2, true);
    canvas.SetHandle(nullptr);
}

// ---- check boxes and radio buttons

int TlumSkinWndCheckBox::Cell(LRESULT check, bool enabled) {
    const int state = check == BST_CHECKED ? 1 : check != 0 ? 2 : 3;
    return enabled ? state : state + 3;
}

void TlumSkinWndCheckBox::AfterMessage(TMessage& m) {
    TlumSkinControlWnd::AfterMessage(m);
    // The window draws its own box again on a check change: the skin's box goes back over it.
    if (m.Msg == WM_LBUTTONDBLCLK || m.Msg == BM_SETCHECK) Repaint();
}

void TlumSkinWndCheckBox::Paint() {
    auto cell = CellBitmap(this, SkinBool(this, SKIN2_CHECKBOXTRANS));
    const int index = Cell(SendMessageA(FWnd, BM_GETCHECK, 0, 0), IsEnabled());
    if (SkinBitmapPart(this, SKIN2_CHECKBOX, cell.get(), index, 6)) PaintBoxCell(this, cell.get());
}

int TlumSkinWndRadioButton::Cell(LRESULT check, bool enabled) {
    const int state = check != 0 ? 1 : 2;
    return enabled ? state : state + 2;
}

void TlumSkinWndRadioButton::AfterMessage(TMessage& m) {
    TlumSkinControlWnd::AfterMessage(m);
    if (m.Msg == WM_LBUTTONDBLCLK || m.Msg == BM_SETCHECK) Repaint();
}

void TlumSkinWndRadioButton::Paint() {
    auto cell = CellBitmap(this, SkinBool(this, SKIN2_RADIOBUTTONTRANS));
    const int index = Cell(SendMessageA(FWnd, BM_GETCHECK, 0, 0), IsEnabled());
    if (!SkinBitmapPart(this, SKIN2_RADIOBUTTON, cell.get(), index, 4)) return;
    cell->SetTransparent(true);
    PaintBoxCell(this, cell.get());
}

// ---- tab controls

void TlumSkinWndTabControl::SaveOriginal() {
    TlumSkinControlWnd::SaveOriginal();
    RECT r{};
    FTabHeight = SendMessageA(FWnd, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) ? r.bottom - r.top : 0;
}

void TlumSkinWndTabControl::Restore() {
    RECT r{};
    if (FTabHeight > 0 && IsWindow(FWnd) && SendMessageA(FWnd, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) &&
        r.bottom - r.top != FTabHeight) {
        // The height travels in the high word; the width only counts for fixed-width tabs.
        SendMessageA(FWnd, TCM_SETITEMSIZE, 0, MAKELPARAM(r.right - r.left, FTabHeight));
    }
    TlumSkinControlWnd::Restore();
}

bool TlumSkinWndTabControl::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return false;
    case WM_PAINT: {
        TSkinPaintScope paint(FWnd);
        Repaint();
        m.Result = 0;
        return false;
    }
    default: return true;
    }
}

void TlumSkinWndTabControl::PaintTab(TBitmap* buffer, int index, bool selected, const RECT& tab) {
    const int width = tab.right - tab.left, height = tab.bottom - tab.top;
    if (width <= 0 || height <= 0) return;
    auto piece = FilledBitmap(width, height, SkinFormColor(this));
    TBitmap image;
    if (SkinBitmapPart(this, SKIN2_TABCONTROL, &image, selected ? 1 : 2, 2) && !image.Empty()) {
        if (image.GetHeight() + 1 < height)
            DrawThreePartH(&image, piece->GetCanvas(), TRect(0, height - image.GetHeight() - 1, width, height), 0, false);
        DrawThreePartH(&image, piece->GetCanvas(), TRect(0, 0, width, height), 0, false);
    }
    piece->SetTransparentMode(tmFixed);
    piece->SetTransparentColor(SkinTransparentColor(this));
    piece->SetTransparent(SkinBool(this, SKIN2_TABCONTROLTRANS));

    char text[260] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(FWnd, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    TCanvas* canvas = piece->GetCanvas();
    TFont font;
    SetMenuFont(&font);
    font.SetColor(SkinColor(this, selected ? SKIN2_TABCONTROLACTIVEFONTCOLOR : SKIN2_TABCONTROLINACTIVEFONTCOLOR));
    canvas->SetFont(&font);
    canvas->GetBrush()->SetStyle(bsClear);
    const AnsiString caption(text);
    TRect textRect((width - canvas->TextWidth(caption)) / 2, 2, width, height);
    canvas->DrawText(caption, textRect, DT_SINGLELINE | DT_VCENTER);
    buffer->GetCanvas()->Draw(tab.left, tab.top, piece.get());
}

void TlumSkinWndTabControl::Paint() {
    const int width = GetWindowWidth(), height = GetWindowHeight();
    if (width <= 0 || height <= 0) return;
    auto buffer = FilledBitmap(width, height, SkinColor(this, SKIN2_FORMCOLOR));
    TCanvas* canvas = buffer->GetCanvas();
    canvas->GetPen()->SetColor(SkinColor(this, SKIN2_CONTROLBORDERCOLOR));
    canvas->GetBrush()->SetColor(SkinColor(this, SKIN2_FORMCOLOR));
    RECT display{0, 0, width, height};
    SendMessageA(FWnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    InflateRect(&display, 2, 2);
    canvas->Rectangle(display.left, display.top, display.right, display.bottom);

    const int count = static_cast<int>(SendMessageA(FWnd, TCM_GETITEMCOUNT, 0, 0));
    const int selected = static_cast<int>(SendMessageA(FWnd, TCM_GETCURSEL, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT tab{};
        if (SendMessageA(FWnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab)))
            PaintTab(buffer.get(), i, i == selected, tab);
    }

    canvas->GetPen()->SetColor(SkinFormColor(this));
    canvas->MoveTo(display.left + 1, display.top);
    canvas->LineTo(display.right - 1, display.top);
    TBitmap line;
    if (SkinBitmapPart(this, SKIN2_TABCONTROLLINE, &line, 0, 0) && !line.Empty())
        canvas->StretchDraw(TRect(display.left, display.top - 1, display.right, display.top - 1 + line.GetHeight()), &line);

    TWindowDC dc(FWnd, TWindowDC::daWindow);
    if (dc) BitBlt(dc.Get(), 0, 0, width, height, canvas->GetHandle(), 0, 0, SRCCOPY);
}

// ---- tool bars

void TlumSkinWndToolbarWindow32::SaveOriginal() {
    TlumSkinControlWnd::SaveOriginal();
    if (!Win9xPlatform()) return;
    const LRESULT style = SendMessageA(FWnd, TB_GETSTYLE, 0, 0);
    SendMessageA(FWnd, TB_SETSTYLE, 0, style | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT);
}

void RegisterStdWndSkins() {
    RegisterSkinWndClass({
        SkinWndRow<TlumSkinWndComboBox>("COMBOBOX"),
        SkinWndRow<TlumSkinWndComboBox>("COMBOBOXEX32"),
        SkinWndRow<TlumSkinWndButton>("BUTTON"),
        SkinWndRow<TlumSkinWndCheckBox>("BUTTON_CHECKBOX"),
        SkinWndRow<TlumSkinWndRadioButton>("BUTTON_RADIOBUTTON"),
        SkinWndRow<TlumSkinWndTabControl>("SYSTABCONTROL32"),
        SkinWndRow<TlumSkinWndToolbarWindow32>("TOOLBARWINDOW32"),
    });
}
