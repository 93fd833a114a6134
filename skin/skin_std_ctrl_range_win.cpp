#include "skin/skin_std_ctrl_range_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>

#include "classlib/gui/bar_controls.h"
#include "classlib/gui/common_controls.h"
#include "classlib/gui/handles.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_res_win.h"
#include "skin/skin_std_ctrl_picker_win.h"
#include "skin/skin_utils_win.h"

namespace {

// WM_ERASEBKGND and WM_PAINT answered by the skin alone.
bool HandleFullPaint(TlumSkinControl* skin, TMessage& m) {
    switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return false;
    case WM_PAINT: {
        TSkinPaintScope paint(skin->GetControlHandle());
        skin->Paint();
        m.Result = 0;
        return false;
    }
    default: return true;
    }
}

std::unique_ptr<TBitmap> FormColoured(const TlumSkinControl* skin, int width, int height) {
    auto buffer = std::make_unique<TBitmap>();
    buffer->SetPixelFormat(pf24bit);
    buffer->SetSize(width, height);
    FillRectColor(buffer->GetCanvas(), TRect(0, 0, width, height), SkinFormColor(skin));
    return buffer;
}

void CopyToWindow(HWND wnd, TBitmap* buffer, TWindowDC::TArea area) {
    TWindowDC dc(wnd, area);
    if (dc) BitBlt(dc.Get(), 0, 0, buffer->GetWidth(), buffer->GetHeight(), buffer->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

}  // namespace

// ---- track bars

void TlumSkinTrackBar::ApplySkinColours() {
    TlumSkinControlVCL::ApplySkinColours();
    FChannelBitmap.reset();
    if (!FEngine || !FEngine->IsSkinActive()) return;
    auto channel = std::make_unique<TBitmap>();
    if (!SkinBitmapPart(this, SKIN2_TRACKBAR, channel.get(), 0, 0) || channel->Empty()) return;
    auto* bar = dynamic_cast<TTrackBar*>(GetControl());
    if (bar && bar->GetOrientation() == trVertical) RotateLeft90(channel.get());
    FChannelBitmap = std::move(channel);
}

void TlumSkinTrackBar::Restore() {
    FChannelBitmap.reset();
    TlumSkinControlVCL::Restore();
}

bool TlumSkinTrackBar::BeforeMessage(TMessage& m) {
    // Without a channel picture the bar paints itself.
    if (FStopped || !FChannelBitmap) return true;
    if (m.Msg == CM_GOTFOCUS) {
        Paint();
        return false;
    }
    return HandleFullPaint(this, m);
}

void TlumSkinTrackBar::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    // The bar keeps hearing of its focus going; the skin then drops the focus rectangle.
    if (m.Msg == WM_KILLFOCUS) Repaint();
}

void TlumSkinTrackBar::Paint() {
    auto* bar = dynamic_cast<TTrackBar*>(GetControl());
    HWND wnd = GetControlHandle();
    if (!bar || !wnd || !FChannelBitmap) return;
    const int width = bar->GetWidth(), height = bar->GetHeight();
    if (width <= 0 || height <= 0) return;
    const bool vertical = bar->GetOrientation() == trVertical;
    auto buffer = FormColoured(this, width, height);
    TCanvas* canvas = buffer->GetCanvas();

    // The channel (given lying down for an upright bar by some systems: then turned).
    RECT rc{};
    SendMessageA(wnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&rc));
    TRect c(rc.left, rc.top, rc.right, rc.bottom);
    if (vertical && c.Width() > c.Height()) c = TRect(rc.top, rc.left, rc.bottom, rc.right);
    TBitmap* channel = FChannelBitmap.get();
    if (vertical) {
        c.Left += (c.Width() - channel->GetWidth()) / 2 + 2;
        c.Right = c.Left + channel->GetWidth();
        DrawThreePartV(channel, canvas, c, channel->GetHeight() / 3);
    } else {
        c.Top += (c.Height() - channel->GetHeight()) / 2;
        c.Bottom = c.Top + channel->GetHeight();
        DrawThreePartH(channel, canvas, c, SkinTransparentColor(this), true);
    }

    // The selection: two lines along the channel's middle, in the inverse of the channel there.
    const int start = vertical ? c.Top : c.Left, end = vertical ? c.Bottom : c.Right;
    // -1 for a tick the window does not have; a place off the channel is as good as none.
    auto ticPos = [&](int index) {
        const int p = static_cast<int>(SendMessageA(wnd, TBM_GETTICPOS, static_cast<WPARAM>(index), 0));
        return p >= start && p <= end ? p : -1;
    };
    if (bar->GetSelStart() < bar->GetSelEnd()) {
        const int from = bar->GetSelStart() < 1 ? -1 : ticPos(bar->GetSelStart());
        const int to = bar->GetSelEnd() >= bar->GetMax() ? -1 : ticPos(bar->GetSelEnd());
        // A position the window has no tick for (-1) runs to the channel's end.
        const int a = from < 0 ? start + 4 : from;
        const int b = to < 0 ? end - 4 : to + 1;
        const int middle = vertical ? c.Left + c.Width() / 2 : c.Top + c.Height() / 2;
        const TColor under = vertical ? canvas->GetPixel(middle, height / 2) : canvas->GetPixel(width / 2, middle);
        canvas->GetPen()->SetColor(InvertColor(under));
        for (int line = middle; line <= middle + 1; ++line) {
            if (vertical) {
                canvas->MoveTo(line, a);
                canvas->LineTo(line, b);
            } else {
                canvas->MoveTo(a, line);
                canvas->LineTo(b, line);
            }
        }
    }

    // The thumb, and the focus frame around thumb and channel.
    RECT tr{};
    SendMessageA(wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&tr));
    const TRect thumb(tr.left, tr.top, tr.right, tr.bottom);
    if (thumb.Width() > 0 && thumb.Height() > 0) {
        TBitmap slider;
        if (SkinBitmapPart(this, vertical ? SKIN2_TRACKBARVSLIDER : SKIN2_TRACKBARSLIDER, &slider, 0, 0)) {
            TBitmap sized;
            sized.SetPixelFormat(pf24bit);
            sized.SetSize(thumb.Width(), thumb.Height());
            // Whole pixels only: a smoothed edge would mix the transparent colour into the thumb.
            HDC dc = sized.GetCanvas()->GetHandle();
            const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, 0, 0, thumb.Width(), thumb.Height(), slider.GetCanvas()->GetHandle(), 0, 0,
                       slider.GetWidth(), slider.GetHeight(), SRCCOPY);
            SetStretchBltMode(dc, oldMode);
            sized.SetTransparentMode(tmFixed);
            sized.SetTransparentColor(SkinTransparentColor(this));
            sized.SetTransparent(true);
            canvas->StretchDraw(thumb, &sized);
        }
    }
    const TRect f = vertical ? TRect(thumb.Left - 2, c.Top - 4, thumb.Right + 2, c.Bottom + 4)
                             : TRect(c.Left - 4, thumb.Top - 2, c.Right + 4, thumb.Bottom + 2);

    if (bar->GetTickStyle() != tsNone) {
        const int count = static_cast<int>(SendMessageA(wnd, TBM_GETNUMTICS, 0, 0));
        const bool before = bar->GetTickMarks() != tmBottomRight, after = bar->GetTickMarks() != tmTopLeft;
        auto tick = [&](int p) {
            if (vertical) {
                if (before) canvas->MoveTo(f.Left - 4, p), canvas->LineTo(f.Left - 1, p);
                if (after) canvas->MoveTo(f.Right, p), canvas->LineTo(f.Right + 3, p);
            } else {
                if (before) canvas->MoveTo(p, f.Top - 4), canvas->LineTo(p, f.Top - 1);
                if (after) canvas->MoveTo(p, f.Bottom), canvas->LineTo(p, f.Bottom + 3);
            }
        };
        for (int i = 0; i <= count - 3; ++i) {
            const int p = ticPos(i);
            if (p >= 0) tick(p);
        }
        tick((vertical ? f.Top : f.Left) + 8);
        tick((vertical ? f.Bottom : f.Right) - 8);
    }

    if (bar->Focused()) {
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->DrawFocusRect(f);
    }
    CopyToWindow(wnd, buffer.get(), TWindowDC::daClient);
}

// ---- progress bars

int TlumSkinProgressBar::FillLength(int position, int min, int max, int length) {
    if (min >= max || length <= 0) return 0;
    const int64_t clamped = std::clamp<int64_t>(position, min, max);
    return static_cast<int>((clamped - min) * length / (int64_t(max) - min));
}

bool TlumSkinProgressBar::BeforeMessage(TMessage& m) {
    if (FStopped) return true;
    return HandleFullPaint(this, m);
}

void TlumSkinProgressBar::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    if (m.Msg == PBM_SETPOS) Repaint();
}

void TlumSkinProgressBar::Paint() {
    auto* bar = dynamic_cast<TProgressBar*>(GetControl());
    HWND wnd = GetControlHandle();
    TlumSkinEngine* engine = SkinEngineOf(this);
    if (!bar || !wnd || !engine) return;
    const int width = bar->GetWidth(), height = bar->GetHeight();
    if (width <= 0 || height <= 0) return;
    auto buffer = FormColoured(this, width, height);
    TCanvas* canvas = buffer->GetCanvas();
    const TlumSkinProgressBarRes& res = *engine->GetProgressBarRes();
    const int w1 = res.GetWidth1(), w4 = res.GetWidth4();
    const int position = bar->GetPosition();
    auto draw = [&](TBitmap* piece, const TRect& r, bool turned) {
        if (!piece || r.Width() <= 0 || r.Height() <= 0) return;
        if (turned)
            DrawThreePartHCaps(piece, canvas, r, 2);
        else
            DrawThreePartV(piece, canvas, r, 2);
    };
    // A bar too short for both ends gets no inner part (rather than one running backwards).
    TRect r(0, 0, width, height);
    if (bar->GetOrientation() == pbVertical) {
        r.Bottom -= w1;
        r.Top = std::min(r.Top + w4, r.Bottom);
        r.Top = r.Bottom - FillLength(position, bar->GetMin(), bar->GetMax(), r.Bottom - r.Top);
        draw(res.GetVertPiece(1), TRect(0, r.Bottom, r.Right, r.Bottom + w1), true);
        draw(res.GetVertPiece(2), r, true);
        draw(res.GetVertPiece(3), TRect(r.Left, w4, r.Right, r.Top), true);
        draw(res.GetVertPiece(4), TRect(r.Left, 0, r.Right, w4), true);
    } else {
        r.Left += w1;
        r.Right = std::max(r.Right - w4, r.Left);
        r.Right = r.Left + FillLength(position, bar->GetMin(), bar->GetMax(), r.Right - r.Left);
        draw(res.GetHorzPiece(1), TRect(0, r.Top, r.Left, r.Bottom), false);
        draw(res.GetHorzPiece(2), r, false);
        draw(res.GetHorzPiece(3), TRect(r.Right, r.Top, width - w4, r.Bottom), false);
        draw(res.GetHorzPiece(4), TRect(width - w4, r.Top, width, r.Bottom), false);
    }
    CopyToWindow(wnd, buffer.get(), TWindowDC::daWindow);
}

// ---- up-downs

void TlumSkinUpDown::ButtonRects(int width, int height, bool vertical, TRect& first, TRect& second) {
    if (vertical) {
        first = TRect(0, 0, width, height / 2);
        second = TRect(0, height / 2 + 1, width, height);
    } else {
        first = TRect(0, 0, width / 2, height);
        second = TRect(width / 2 + 1, 0, width, height);
    }
}

bool TlumSkinUpDown::BeforeMessage(TMessage& m) {
    if (FStopped) return true;
    auto* upDown = dynamic_cast<TCustomUpDown*>(GetControl());
    switch (m.Msg) {
    case WM_LBUTTONDOWN: {
        FHitButton = 0;
        FPressing = true;
        if (!upDown) break;
        TRect first, second;
        ButtonRects(upDown->GetWidth(), upDown->GetHeight(), upDown->GetOrientation() == udVertical, first, second);
        const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
        FHitButton = PointInRect(x, y, first) ? -1 : PointInRect(x, y, second) ? 1 : 0;
        break;
    }
    case WM_LBUTTONUP: FHitButton = 0; break;
    case WM_LBUTTONDBLCLK: Paint(); break;
    case WM_CAPTURECHANGED:
        // The mouse taken away ends the press as its release would. A capture given up while
        // the press itself is handled goes on to another window that ends the press for us
        // (a picker's up-down hands its presses to the native one).
        if (FHitButton != 0 && !FPressing) {
            FHitButton = 0;
            FLetGo = true;
        }
        break;
    default: break;
    }
    return true;
}

void TlumSkinUpDown::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    if (m.Msg == WM_LBUTTONDOWN) FPressing = false;
    if (m.Msg == WM_CAPTURECHANGED && FLetGo) {
        FLetGo = false;
        Repaint();
    }
}

bool TlumSkinUpDown::IsEnabled() {
    if (!TlumSkinControlVCL::IsEnabled()) return false;
    auto* own = dynamic_cast<TlumSkinInternalUpDown*>(GetControl());
    TWinControl* host = own ? own->GetHostControl() : nullptr;
    return !own || (host && host->GetEnabled());
}

void TlumSkinUpDown::Paint() {
    auto* upDown = dynamic_cast<TCustomUpDown*>(GetControl());
    HWND wnd = GetControlHandle();
    if (!upDown || !wnd) return;
    const int width = upDown->GetWidth(), height = upDown->GetHeight();
    if (width <= 0 || height <= 0) return;
    const bool vertical = upDown->GetOrientation() == udVertical;
    const bool enabled = IsEnabled();
    auto buffer = FormColoured(this, width, height);
    TCanvas* canvas = buffer->GetCanvas();
    TRect first, second;
    ButtonRects(width, height, vertical, first, second);
    canvas->GetPen()->SetColor(SkinColor(this, SKIN2_TOOLBARBORDERCOLOR));
    canvas->GetBrush()->SetStyle(bsSolid);
    const TColor formColor = SkinFormColor(this), downColor = SkinColor(this, SKIN2_TOOLBARDOWNCOLOR);
    for (int button : {-1, 1}) {
        canvas->GetBrush()->SetColor(FHitButton == button ? downColor : formColor);
        canvas->Rectangle(button < 0 ? first : second);
    }
    const int s1 = FHitButton < 0 ? 1 : 0, s2 = FHitButton > 0 ? 1 : 0;
    if (vertical) {
        DrawArrowUp(canvas, first.Left + (first.Width() - 6) / 2 + 3 + s1, first.Top + (first.Height() - 6) / 2 + 1 + s1,
                    enabled);
        DrawComboArrow(canvas, second.Left + (second.Width() - 6) / 2 + s2,
                       second.Top + (second.Height() - 6) / 2 + 1 + s2, enabled);
    } else {
        DrawArrowLeft(canvas, first.Left + (first.Width() - 3) / 2 + s1, first.Top + first.Height() / 2 + s1, enabled);
        DrawArrowRight(canvas, second.Left + (second.Width() - 3) / 2 + s2,
                       second.Top + (second.Height() - 6) / 2 + s2, enabled);
    }
    CopyToWindow(wnd, buffer.get(), TWindowDC::daClient);
}
