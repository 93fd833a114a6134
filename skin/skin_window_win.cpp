#include "skin/skin_window_win.h"

#include <windowsx.h>

#include <algorithm>

#include "classlib/gui/application.h"
#include "classlib/gui/handles.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_messages.h"
#include "skin/skin_utils_win.h"

namespace {

constexpr int kButtonCells = 18;
constexpr int kIconSize = 16;
constexpr UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

int Width(const TBitmap* b) { return b ? b->GetWidth() : 0; }
int Height(const TBitmap* b) { return b ? b->GetHeight() : 0; }

SIZE WindowSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// A whole bitmap, or part of it, onto a device context (stretched when the sizes differ).
void Blit(HDC dest, const TRect& to, TBitmap* source, const TRect& from) {
    if (!source || source->Empty() || to.Width() <= 0 || to.Height() <= 0 || from.Width() <= 0 ||
        from.Height() <= 0)
        return;
    HDC src = source->GetCanvas()->GetHandle();
    if (to.Width() == from.Width() && to.Height() == from.Height())
        BitBlt(dest, to.Left, to.Top, to.Width(), to.Height(), src, from.Left, from.Top, SRCCOPY);
    else
        StretchBlt(dest, to.Left, to.Top, to.Width(), to.Height(), src, from.Left, from.Top, from.Width(),
                   from.Height(), SRCCOPY);
}

void BlitWhole(HDC dest, const TRect& to, TBitmap* source) {
    if (source) Blit(dest, to, source, TRect(0, 0, source->GetWidth(), source->GetHeight()));
}

void Fill(HDC dc, const TRect& r, TColor color) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
    RECT rr{r.Left, r.Top, r.Right, r.Bottom};
    FillRect(dc, &rr, brush.Get());
}

}  // namespace

TlumSkinWindow::TlumSkinWindow(bool fromHook, TlumSkinEngine* engine) : FEngine(engine), FFromHook(fromHook) {}

TlumSkinWindow::~TlumSkinWindow() {
    *FAlive = false;
}

TlumSkinEngineIntf* TlumSkinWindow::GetEngine() const { return FEngine; }

void TlumSkinWindow::Initialize(HWND handle) {
    FSkinned = FEngine->IsSkinActive();
    Attach(handle);
    SkinChildren();
    SetSkinned(FSkinned);
}

void TlumSkinWindow::Teardown() {
    if (FTornDown) return;
    FTornDown = true;
    FDestroying = true;
    if (FStarted && !FGone) {
        FSkinned = false;
        SetSkinnedImpl();
    }
    FSkinned = false;
    UnskinChildren();
    Detach();
}

void TlumSkinWindow::UnskinChildren() {
    std::vector<std::unique_ptr<TlumSkinControl>> skins;
    skins.swap(FChildSkins);
    for (auto& skin : skins) {
        if (!skin) continue;
        try {
            skin->Restore();
        } catch (...) {
        }
        // A skin whose own message is under way goes when that message returns.
        TlumSkinControl::FreeSkin(std::move(skin));
    }
}

void TlumSkinWindow::RepaintChildren() {
    if (FDestroying) return;
    for (auto& skin : FChildSkins) {
        try {
            skin->ApplySkinColours();
            HWND h = skin->GetControlHandle();
            if (h) InvalidateRect(h, nullptr, TRUE);
        } catch (...) {
            // One skin failing to re-colour leaves the others alone.
        }
    }
}

bool TlumSkinWindow::Drawing() const {
    return FSkinned && FStarted && FAllowed && !FGone && !FDestroying && FEngine->IsSkinActive();
}

void TlumSkinWindow::ReleaseFromEngine() { FEngine->ReleaseSkinWindow(this); }

void TlumSkinWindow::SetSkinned(bool value) {
    FSkinned = value && FAllowed;
    if (FStarted) {
        SetSkinnedImpl();
        if (FSkinned) UpdateRegion();
        return;
    }
    HWND h = GetWindowHandle();
    if (h && (IsWindowVisible(h) || StartsAtOnce())) StartSkinning();
}

void TlumSkinWindow::StartSkinning() {
    if (FStarted || FGone) return;
    SaveOriginalState();
    FStarted = true;
    SetSkinned(FSkinned);
}

void TlumSkinWindow::SetHasCaption(bool value) {
    FHasCaption = value;
    HWND h = GetWindowHandle();
    if (!h) return;
    SetWindowPos(h, nullptr, 0, 0, 0, 0, kFrameChanged);
    PaintFrame();
}

void TlumSkinWindow::SetHasBorder(bool value) {
    FHasBorder = value;
    HWND h = GetWindowHandle();
    if (!h) return;
    SetWindowPos(h, nullptr, 0, 0, 0, 0, kFrameChanged);
    PaintFrame();
}

void TlumSkinWindow::ApplyToWindow() {
    FCaptionNeedsRegion = FEngine->GetSkinBool(SKIN2_TITLEBARNEEDREGION);
    FBottomNeedsRegion = FEngine->GetSkinBool(SKIN2_BOTTOMBORDERNEEDREGION);
    const TColor transparent = FEngine->Metrics().TransparentColor;
    for (TBitmap* b : {&FCaptionBuffer, &FBottomBuffer}) {
        b->SetTransparentMode(tmFixed);
        if (transparent != -1) b->SetTransparentColor(transparent);
    }
    FCaptionBuffer.SetTransparent(FCaptionNeedsRegion);
    FBottomBuffer.SetTransparent(FBottomNeedsRegion);
    if (FCaptionNeedsRegion && !FCaptionComposite) FCaptionComposite = std::make_unique<TBitmap>();
    if (!FCaptionNeedsRegion) FCaptionComposite.reset();
    if (FBottomNeedsRegion && !FBottomComposite) FBottomComposite = std::make_unique<TBitmap>();
    if (!FBottomNeedsRegion) FBottomComposite.reset();
    FRegionSize = SIZE{-1, -1};
    if (FEngine->IsSkinActive()) {
        PaintFrame();
        UpdateRegion();
    }
}

int TlumSkinWindow::CaptionHeight() const {
    return FHasCaption && FSkinned ? FEngine->Metrics().CaptionHeight : 0;
}

TRect TlumSkinWindow::ButtonRect(int button) const {
    return button >= 0 && button < 5 ? FButtonRects[button] : TRect();
}

// ---- region ---------------------------------------------------------------------------------

void TlumSkinWindow::UpdateRegion() {
    HWND h = GetWindowHandle();
    // Setting a region changes the frame, which comes back here: once is enough.
    if (FInUpdateRegion || !h || IsWin95() || !HasFrame() || !Drawing()) return;
    const SIZE size = WindowSize(h);
    if (FRegionSet && size.cx == FRegionSize.cx && size.cy == FRegionSize.cy) return;
    FInUpdateRegion = true;
    std::shared_ptr<bool> alive = FAlive;
    if (FCaptionNeedsRegion || FBottomNeedsRegion) {
        if (FCaptionBuffer.Empty() || FBottomBuffer.Empty()) PaintFrame();
        const TSkinMetrics& m = FEngine->Metrics();
        FRegionSet = BuildWindowRegion(h, &FCaptionBuffer, &FBottomBuffer, FCaptionNeedsRegion, FBottomNeedsRegion,
                                       m.TitleRegionMinY, m.TitleRegionMaxY, m.BottomRegionMinY, m.BottomRegionMaxY,
                                       m.TransparentColor, size.cy, size.cx);
    } else {
        FRegionSet = SetWindowRgn(h, CreateRectRgn(0, 0, size.cx, size.cy), TRUE) != 0;
    }
    if (!*alive) return;
    FRegionSize = size;
    FInUpdateRegion = false;
}

void TlumSkinWindow::RemoveRegion() {
    HWND h = GetWindowHandle();
    if (FRegionSet && h) SetWindowRgn(h, nullptr, TRUE);
    FRegionSet = false;
    FRegionSize = SIZE{-1, -1};
}

void TlumSkinWindow::ForgetRegion() {
    FRegionSet = false;
    FRegionSize = SIZE{-1, -1};
}

// ---- caption-button actions ---------------------------------------------------------------

void TlumSkinWindow::DoClose() { PostMessageA(GetWindowHandle(), WM_SYSCOMMAND, SC_CLOSE, 0); }
void TlumSkinWindow::DoHelp() { PostMessageA(GetWindowHandle(), WM_SYSCOMMAND, SC_CONTEXTHELP, 0); }

void TlumSkinWindow::DoMinimize() {
    HWND h = GetWindowHandle();
    PostMessageA(h, WM_SYSCOMMAND, IsIconic(h) ? SC_RESTORE : SC_MINIMIZE, 0);
}

void TlumSkinWindow::DoMaxRestore() {
    HWND h = GetWindowHandle();
    WPARAM command = 0;
    if (IsIconic(h))
        command = HasMaxButton() ? SC_MAXIMIZE : SC_RESTORE;
    else if (IsZoomed(h))
        command = SC_RESTORE;
    else if (FMaxShown)
        command = SC_MAXIMIZE;
    if (command) PostMessageA(h, WM_SYSCOMMAND, command, 0);
}

TSysMenuButtons TlumSkinWindow::PaintedCaptionButtons() const {
    auto drawn = [this](int button) {
        TRect r = ButtonRect(button);
        return r.Right > r.Left && r.Bottom > r.Top;
    };
    TSysMenuButtons shown = 0;
    if (drawn(hbMinimize)) shown |= sbMinimizeShown;
    if (drawn(hbMaxRestore)) shown |= sbMaximizeShown;
    if (drawn(hbClose)) shown |= sbCloseShown;
    return shown;
}

void TlumSkinWindow::ShowSystemMenu(int x, int y) { FEngine->ShowSystemMenu(this, x, y); }

void TlumSkinWindow::ShowSystemMenuAtIcon() {
    HWND h = GetWindowHandle();
    POINT p{0, 0};
    ClientToScreen(h, &p);
    p.x = std::max<LONG>(p.x, 0);
    if (IsIconic(h)) p.y += 24 - FEngine->Metrics().CaptionHeight;
    ShowSystemMenu(p.x, p.y);
}

// ---- window procedure -------------------------------------------------------------------------

void TlumSkinWindow::SkinWindowProc(TMessage& m) {
    std::shared_ptr<bool> alive = FAlive;
    HWND h = GetWindowHandle();
    if (m.Msg == WM_PAINT && !FStarted && !StartsAtOnce()) {
        StartSkinning();
        if (!*alive) return;
    }
    if (m.Msg == 0) return;
    if (!Drawing()) {
        CallOriginalProc(m);
        return;
    }
    RECT windowRect{};
    switch (m.Msg) {
    case WM_NCPAINT:
        PaintFrame();
        m.Result = 0;
        return;
    case WM_NCACTIVATE:
        FActive = m.WParam != 0;
        PaintFrame();
        if (IsMDIForm()) break;   // the frame's procedure passes activation to its child
        m.Result = 1;
        return;
    case WM_NCLBUTTONDOWN:
        FPressed = true;
        PaintFrame();
        FPressedButton = FHotButton;
        // A press on a caption button must not start a drag: the button acts on release.
        if (FHotButton != hbNone && m.WParam == HTCAPTION) m.WParam = HTNOWHERE;
        if (FHotButton == hbNone && m.WParam == HTCAPTION && IsZoomed(h)) m.WParam = HTNOWHERE;
        if (GetActiveWindow() != h) SetActiveWindow(h);
        break;
    case WM_NCLBUTTONDBLCLK:
        PaintFrame();
        if (FHotButton == hbNone && m.WParam == HTCAPTION) {
            DoMaxRestore();
            FPressed = false;
            PaintFrame();
            return;
        }
        if (FHotButton == hbIcon) {
            DoClose();
            FPressed = false;
            return;
        }
        m.WParam = HTNOWHERE;
        break;
    case WM_CTLCOLORDLG:
        if (FEngine->GetFormBrush()) {
            m.Result = reinterpret_cast<LRESULT>(FEngine->GetFormBrush());
            return;
        }
        break;
    case WM_NCCALCSIZE:
        if (m.LParam) windowRect = *reinterpret_cast<RECT*>(m.LParam);
        break;
    default:
        break;
    }
    if (!BeforeMessage(m) || !*alive) return;
    CallOriginalProc(m);
    if (!*alive) return;
    switch (m.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_ACTIVATEAPP:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case CM_RELEASE:
        return;   // the window (and this object) may be gone
    default:
        break;
    }
    AfterMessage(m);
    if (!*alive || !Drawing()) return;
    switch (m.Msg) {
    case WM_ACTIVATE:
        FActive = LOWORD(m.WParam) != WA_INACTIVE;
        PaintFrame();
        break;
    case WM_NCACTIVATE:   // reached by MDI frames only
        FActive = m.WParam != 0;
        PaintFrame();
        break;
    case WM_SKIN_NCREPAINT:
        if (IsMDIForm()) PaintFrame();
        break;
    case WM_NCCALCSIZE:
        CalcSize(m, windowRect);
        break;
    case WM_NCMOUSEMOVE:
        TrackNonClientLeave();
        PaintFrame();
        // Dragged off the pressed button: releasing later does nothing.
        if (FPressed && FHotButton != FPressedButton) FPressed = false;
        break;
    case WM_NCMOUSELEAVE:
        FTrackingLeave = false;
        FPressed = false;
        PaintFrame();
        break;
    case WM_NCLBUTTONUP: {
        const bool wasPressed = FPressed;
        FPressed = false;
        PaintFrame();
        if (!wasPressed || FHotButton != FPressedButton) break;
        switch (FHotButton) {
        case hbIcon: ShowSystemMenuAtIcon(); break;
        case hbClose: DoClose(); break;
        case hbMaxRestore: DoMaxRestore(); break;
        case hbMinimize: DoMinimize(); break;
        case hbHelp: DoHelp(); break;
        default: break;
        }
        break;
    }
    case WM_NCRBUTTONDOWN:
        PaintFrame();
        if (m.WParam == HTCAPTION && FHotButton == hbNone) ShowSystemMenu(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
        break;
    case WM_SETTEXT:
    case CM_TEXTCHANGED:
        PaintFrame();
        UpdateRegion();
        break;
    case WM_NCHITTEST:
        AdjustHitTest(m);
        break;
    case WM_SKIN_ISACTIVE:
        m.Result = FActive ? 1 : 2;
        break;
    case WM_SKIN_QUERY:
        m.Result = 1;
        break;
    case WM_SKIN_MENUBARHEIGHT:
        m.Result = GetMenuBarHeight();
        break;
    default:
        break;
    }
}

void TlumSkinWindow::TrackNonClientLeave() {
    if (FTrackingLeave) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE | TME_NONCLIENT;
    track.hwndTrack = GetWindowHandle();
    FTrackingLeave = TrackMouseEvent(&track) != FALSE;
}

// The client area inside the skin's frame: the caption (or the native caption area, when that
// is taller), and the borders, at least the native 4 pixels.
void TlumSkinWindow::CalcSize(TMessage& m, const RECT& w) {
    if (!m.LParam) return;
    const TSkinMetrics& metrics = FEngine->Metrics();
    RECT& client = *reinterpret_cast<RECT*>(m.LParam);
    const int caption = CaptionHeight();
    RECT r = client;
    if (ZoomedMDIChild()) {
        r.top = 0;   // the frame shows a maximised child's caption in its own
    } else if (caption == 0) {
        r.top = w.top;
    } else if (FNativeCaptionHeight > 0) {
        FCaptionOffset = caption < FNativeCaptionHeight ? FNativeCaptionHeight - caption : 0;
        r.top = w.top + std::max(caption, FNativeCaptionHeight);
    } else {
        r.top = w.top + caption;
    }
    if (!FHasBorder) {
        r.left = w.left;
        r.right = w.right;
        r.bottom = w.bottom;
    } else {
        r.left = w.left + std::max<int>(metrics.LeftBorder, FNativeSideWidth);
        r.right = w.right - std::max<int>(metrics.RightBorder, FNativeSideWidth);
        r.bottom = w.bottom - std::max<int>(metrics.BottomBorder, FNativeBottomHeight);
    }
    r.right = std::max(r.left, r.right);
    r.bottom = std::max(r.top, r.bottom);
    client = r;
    if (m.WParam) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
        params->rgrc[1] = params->rgrc[0];
        m.Result = WVR_VALIDRECTS;
    } else {
        m.Result = 0;
    }
}

// The native test knows nothing of the skin's caption: anything it finds in the caption rows
// that is not a sizing edge is caption, so our buttons are found by the skin alone.
void TlumSkinWindow::AdjustHitTest(TMessage& m) {
    HWND h = GetWindowHandle();
    RECT wr{};
    GetWindowRect(h, &wr);
    const int x = GET_X_LPARAM(m.LParam) - wr.left;
    const int y = GET_Y_LPARAM(m.LParam) - wr.top;
    const int caption = CaptionHeight();
    const int captionRows = std::max(caption, caption > 0 ? FNativeCaptionHeight : 0);
    switch (m.Result) {
    case HTNOWHERE:
    case HTMENU:
    case HTSYSMENU:
    case HTBORDER:
    case HTCLOSE:
    case HTMAXBUTTON:
    case HTMINBUTTON:
    case HTHELP:
    case HTCLIENT:
        if (y >= 0 && y < captionRows) m.Result = HTCAPTION;
        break;
    default:
        break;
    }
    // Caption buttons close to the top edge: the edge above them is caption, not sizing.
    const TSkinMetrics& metrics = FEngine->Metrics();
    if (metrics.ButtonY <= 3 && (m.Result == HTTOP || m.Result == HTTOPRIGHT) && y >= metrics.ButtonY && y <= 7 &&
        x >= FLeftmostButtonX && x <= (wr.right - wr.left) - metrics.ButtonX)
        m.Result = HTCAPTION;
}

// ---- painting -------------------------------------------------------------------------------

bool TlumSkinWindow::ZoomedMDIChild() {
    HWND h = GetWindowHandle();
    return h && IsMDIChild() && IsZoomed(h);
}

void TlumSkinWindow::PaintFrame() {
    if (!Drawing()) return;
    HWND h = GetWindowHandle();
    const SIZE size = WindowSize(h);
    if (size.cx <= 0 || size.cy <= 0) return;
    POINT mouse{-1, -1};
    GetCursorPos(&mouse);
    RECT wr{};
    GetWindowRect(h, &wr);
    mouse.x -= wr.left;
    mouse.y -= wr.top;
    TWindowDC dc(h, TWindowDC::daWindow);
    if (!dc) return;
    FHotButton = hbNone;
    FMaxShown = FMinShown = FCloseShown = false;
    for (TRect& r : FButtonRects) r = TRect();
    if (ZoomedMDIChild()) {
        // No caption of its own: the frame's bar carries its buttons.
        if (HWND main = Application->GetMainForm() ? Application->GetMainForm()->GetHandleIfAllocated() : nullptr)
            PostMessageA(main, WM_SKIN_NCREPAINT, 0, 0);
    } else if (FHasCaption && CaptionHeight() > 0) {
        PaintCaption(dc.Get(), size.cx, mouse);
    }
    if (FHasBorder && !IsIconic(h)) PaintBorders(dc.Get(), size.cx, size.cy);
}

void TlumSkinWindow::PaintCaption(HDC dc, int width, const POINT& mouse) {
    HWND h = GetWindowHandle();
    const TSkinMetrics& m = FEngine->Metrics();
    const bool iconic = IsIconic(h) != FALSE;
    const bool zoomed = IsZoomed(h) != FALSE;
    const int caption = CaptionHeight();
    const int rows = std::max(caption, FNativeCaptionHeight);
    const TColor formColor = m.FormColor == -1 ? clBtnFace : m.FormColor;
    FCaptionBuffer.SetSize(width, rows);
    TCanvas* canvas = FCaptionBuffer.GetCanvas();
    FillRectColor(canvas, TRect(0, 0, width, rows), formColor);
    if (caption < rows)
        FillRectColor(canvas, TRect(0, caption, width, rows),
                      GetMenuBarHeight() > 0 ? FEngine->GetSkinColor(SKIN2_MENUBARSTARTCOLOR) : formColor);
    SetCaptionFont(canvas->GetFont());

    TBitmap* buttons = FEngine->GetSkinBitmap(SKIN2_TITLEBUTTONS);
    const int cw = Width(buttons) / kButtonCells;
    const int ch = Height(buttons);
    const int shown = (HasCloseButton() ? 1 : 0) + (HasMaxButton() ? 1 : 0) + (HasMinButton() ? 1 : 0);
    int reserved = cw * shown + 2 * std::max(0, shown - 1) + 15;
    // The caption pieces are laid out for an icon; the title moves left without one only when
    // it is drawn.
    int titleX = m.IconX + 20;
    const bool icon = HasIcon();

    char text[260] = {};
    GetWindowTextA(h, text, sizeof text);
    AnsiString title;
    if (iconic) {
        TBitmap* minimized = FEngine->GetSkinBitmap(SKIN2_MINIMIZEDTITLE);
        if (minimized && !minimized->Empty()) canvas->StretchDraw(TRect(0, 0, width, rows), minimized);
        title = FitText(canvas, text, width - titleX - reserved - 4);
    } else {
        const bool five = FEngine->GetSkinBool(SKIN2_TITLEFIVESECT);
        TBitmap* left = FEngine->GetSkinBitmap(SKIN2_TITLEBAR1);
        TBitmap* right = FEngine->GetSkinBitmap(five ? SKIN2_TITLEBAR5 : SKIN2_TITLEBAR3);
        const int lw = Width(left), rw = Width(right);
        if (right) canvas->Draw(width - rw, 0, right);
        if (left) canvas->Draw(0, 0, left);
        int fillFrom = lw;
        uint8_t filler = SKIN2_TITLEBAR2;
        if (five) {
            TBitmap* third = FEngine->GetSkinBitmap(SKIN2_TITLEBAR3);
            reserved += Width(third);
            title = FitText(canvas, text, width - titleX - reserved - 4);
            const int titleEnd = std::max(lw, titleX + canvas->TextWidth(title) + 2);
            TBitmap* second = FEngine->GetSkinBitmap(SKIN2_TITLEBAR2);
            if (second && titleEnd > lw) canvas->StretchDraw(TRect(lw, 0, titleEnd, Height(second)), second);
            if (third) canvas->Draw(titleEnd, 0, third);
            fillFrom = titleEnd + Width(third);
            filler = SKIN2_TITLEBAR4;
        } else {
            title = FitText(canvas, text, width - titleX - reserved - 4);
        }
        TBitmap* fill = FEngine->GetSkinBitmap(filler);
        if (fill && width - rw > fillFrom) canvas->StretchDraw(TRect(fillFrom, 0, width - rw, Height(fill)), fill);
        if (width < lw + reserved && left && right) {
            // Narrow: the right piece kept whole (or its columns right of the left border, when
            // it reaches past that), the left piece squeezed between the border and it.
            if (m.LeftBorder < width - rw) {
                canvas->Draw(width - rw, 0, right);
            } else {
                const int from = rw + m.LeftBorder - width;
                if (rw - from > 0)
                    BitBlt(canvas->GetHandle(), m.LeftBorder, 0, rw - from, Height(right),
                           right->GetCanvas()->GetHandle(), from, 0, SRCCOPY);
            }
            canvas->StretchDraw(TRect(m.LeftBorder, 0, std::max<int>(m.LeftBorder, width - rw), Height(left)), left);
        } else if (right && lw >= width) {
            // The left piece fills the caption: the right border's columns of the right piece end it.
            BitBlt(canvas->GetHandle(), width - m.RightBorder, 0, m.RightBorder, Height(right),
                   right->GetCanvas()->GetHandle(), rw - m.RightBorder, 0, SRCCOPY);
        }
    }

    // Icon and buttons.
    int y = std::max<int>(m.IconY, 4);
    if (iconic) {
        y = std::max((26 - ch) / 2, 0);
        if (ch + y < 22) y += 2;
    }
    auto inside = [&mouse](const TRect& r) {
        return mouse.x >= r.Left && mouse.x < r.Right && mouse.y >= r.Top && mouse.y < r.Bottom;
    };
    if (icon) {
        HICON handle = GetIconHandle();
        if (!handle) handle = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
        if (!handle) handle = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        const TRect r(std::max<int>(m.IconX, 0), y, std::max<int>(m.IconX, 0) + kIconSize, y + kIconSize);
        DrawIconEx(canvas->GetHandle(), r.Left, r.Top, handle, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        FButtonRects[hbIcon] = r;
        if (inside(r)) FHotButton = hbIcon;
    } else {
        titleX -= 20;
    }
    TBitmap cell;
    const bool buttonsTransparent = FEngine->GetSkinBool(SKIN2_TITLEBTNTRANS) && m.TransparentColor != -1;
    int x = iconic ? width - cw - 5 : width - m.ButtonX - cw;
    const int by = iconic ? y : m.ButtonY;
    auto button = [&](int id, int normalCell) {
        const TRect r(x, by, x + cw, by + ch);
        FButtonRects[id] = r;
        const bool hot = inside(r);
        if (hot) FHotButton = id;
        const int number = normalCell + (hot ? (FPressed && FPressedButton == id ? 2 : 1) : 0);
        if (cw > 0 && FEngine->GetSkinBitmapPart(SKIN2_TITLEBUTTONS, &cell, number, kButtonCells)) {
            if (buttonsTransparent) {
                cell.SetTransparentMode(tmFixed);
                cell.SetTransparentColor(m.TransparentColor);
                cell.SetTransparent(true);
            }
            canvas->Draw(r.Left, r.Top, &cell);
        }
    };
    int last = x;
    if (HasCloseButton()) {
        button(hbClose, 16);
        FCloseShown = true;
        last = x;
        x -= cw + 2;
    }
    if (HasMaxButton()) {
        button(hbMaxRestore, zoomed ? 10 : 7);
        FMaxShown = true;
        last = x;
        x -= cw + 2;
    }
    if (HasMinButton()) {
        button(hbMinimize, iconic ? 10 : 13);
        FMinShown = true;
        last = x;
        x -= cw + 2;
    }
    if (HasHelpButton()) {
        button(hbHelp, 4);
        last = x;
    }
    FLeftmostButtonX = last;

    canvas->GetBrush()->SetStyle(bsClear);
    canvas->GetFont()->SetColor(FActive ? (m.TitleFontColor == -1 ? clWhite : m.TitleFontColor) : clInactiveCaption);
    canvas->TextOut(titleX, iconic ? 4 : m.CaptionTop, title);

    if (FCaptionComposite) {
        // The transparent colour shows the form colour (outside the region anyway).
        FCaptionComposite->SetSize(width, rows);
        FillRectColor(FCaptionComposite->GetCanvas(), TRect(0, 0, width, rows), formColor);
        FCaptionComposite->GetCanvas()->Draw(0, 0, &FCaptionBuffer);
        BlitWhole(dc, TRect(0, 0, width, rows), FCaptionComposite.get());
    } else {
        BlitWhole(dc, TRect(0, 0, width, rows), &FCaptionBuffer);
    }
}

void TlumSkinWindow::PaintBorders(HDC dc, int width, int height) {
    const TSkinMetrics& m = FEngine->Metrics();
    const TColor formColor = m.FormColor == -1 ? clBtnFace : m.FormColor;
    const int top = ZoomedMDIChild() ? 0 : CaptionHeight() > 0 ? std::max(CaptionHeight(), FNativeCaptionHeight) : 0;
    const int bottom = height - m.BottomBorder;
    TBitmap* left = FEngine->GetSkinBitmap(SKIN2_FORMLEFTBORDER);
    TBitmap* right = FEngine->GetSkinBitmap(SKIN2_FORMRIGHTBORDER);
    if (left) Blit(dc, TRect(0, top, m.LeftBorder, bottom), left, TRect(0, 0, Width(left), Height(left)));
    if (right)
        Blit(dc, TRect(width - m.RightBorder, top, width, bottom), right, TRect(0, 0, Width(right), Height(right)));

    if (m.BottomBorder > 0) {
        FBottomBuffer.SetSize(width, m.BottomBorder);
        TCanvas* canvas = FBottomBuffer.GetCanvas();
        FillRectColor(canvas, TRect(0, 0, width, m.BottomBorder), formColor);
        TBitmap* first = FEngine->GetSkinBitmap(SKIN2_FORMBOTTOMBORDER1);
        if (FEngine->GetSkinBool(SKIN2_BOTTOMBORDERTHREESECT)) {
            TBitmap* middle = FEngine->GetSkinBitmap(SKIN2_FORMBOTTOMBORDER2);
            TBitmap* last = FEngine->GetSkinBitmap(SKIN2_FORMBOTTOMBORDER3);
            if (middle && width - Width(last) > Width(first))
                canvas->StretchDraw(TRect(Width(first), 0, width - Width(last), m.BottomBorder), middle);
            if (first) canvas->Draw(0, 0, first);
            if (last) canvas->Draw(width - Width(last), 0, last);
        } else if (first) {
            DrawThreePartH(first, canvas, TRect(0, 0, width, m.BottomBorder), -1, false);
        }
        if (FBottomComposite) {
            FBottomComposite->SetSize(width, m.BottomBorder);
            FillRectColor(FBottomComposite->GetCanvas(), TRect(0, 0, width, m.BottomBorder), formColor);
            FBottomComposite->GetCanvas()->Draw(0, 0, &FBottomBuffer);
            BlitWhole(dc, TRect(0, bottom, width, height), FBottomComposite.get());
        } else {
            BlitWhole(dc, TRect(0, bottom, width, height), &FBottomBuffer);
        }
    }
    // Where the frame is wider than the skin's borders, the form colour; beside the menu bar
    // the bar's own band.
    const int menuBar = GetMenuBarHeight();
    const int stripTop = menuBar + CaptionHeight();
    std::vector<TRect> strips;
    if (FNativeSideWidth > m.LeftBorder) strips.push_back(TRect(m.LeftBorder, stripTop, FNativeSideWidth, bottom));
    if (FNativeSideWidth > m.RightBorder)
        strips.push_back(TRect(width - FNativeSideWidth, stripTop, width - m.RightBorder, bottom));
    for (const TRect& strip : strips) Fill(dc, strip, formColor);
    if (FNativeBottomHeight > m.BottomBorder)
        Fill(dc, TRect(m.LeftBorder, height - FNativeBottomHeight, width - m.RightBorder, bottom), formColor);
    if (menuBar > 0)
        for (const TRect& strip : strips) PaintMenuBand(dc, strip.Left, strip.Right, CaptionHeight() + FCaptionOffset, menuBar);
}

// The menu bar's band between x0 and x1 from row top down: the skin's menu-bar picture, else its
// colours; a grey and a white line under it when a tool bar follows the menu.
void TlumSkinWindow::PaintMenuBand(HDC dc, int x0, int x1, int top, int height) {
    if (x1 <= x0) return;
    const TColor start = FEngine->GetSkinColor(SKIN2_MENUBARSTARTCOLOR);
    const TColor end = FEngine->GetSkinColor(SKIN2_MENUBARENDCOLOR);
    const TRect band(x0, top, x1, top + height);
    TBitmap* picture = FEngine->GetSkinBitmap(SKIN2_MENUBAR);
    if (picture && !picture->Empty()) {
        Blit(dc, band, picture, TRect(0, 0, picture->GetWidth(), picture->GetHeight()));
    } else if (start == end) {
        Fill(dc, band, start);
    } else {
        TCanvas canvas;
        canvas.SetHandle(dc);
        GradientFillV(&canvas, band, start, end);
        canvas.SetHandle(nullptr);
    }
    const TColor formColor = FEngine->Metrics().FormColor == -1 ? clBtnFace : FEngine->Metrics().FormColor;
    if (HasToolBarUnderMenu() && start != formColor) {
        Fill(dc, TRect(x0, band.Bottom, x1, band.Bottom + 1), clGray);
        Fill(dc, TRect(x0, band.Bottom + 1, x1, band.Bottom + 2), clWhite);
    }
}
