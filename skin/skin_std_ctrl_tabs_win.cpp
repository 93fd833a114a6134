#include "skin/skin_std_ctrl_tabs_win.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "classlib/gui/common_controls.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/image_list.h"
#include "skin/skin_engine_win.h"
#include "skin/skin_res_win.h"
#include "skin/skin_utils_win.h"

namespace {

// The cached tab pictures are kept in four turns: unturned, left, 180, right.
int TurnIndex(TTabPosition position) {
    switch (position) {
    case tpBottom: return 2;
    case tpLeft: return 1;
    case tpRight: return 3;
    default: return 0;
    }
}

}  // namespace

AnsiString TlumSkinTabControl::ShownCaption(const AnsiString& caption) {
    AnsiString shown;
    for (size_t i = 0; i < caption.size(); ++i) {
        shown += caption[i];
        if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] == '&') ++i;
    }
    return shown;
}

bool TlumSkinTabControl::BeforeMessage(TMessage& m) {
    if (FStopped) return true;
    switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return false;
    case WM_PAINT: {
        TSkinPaintScope paint(GetControlHandle());
        Paint();
        m.Result = 0;
        return false;
    }
    default: return true;
    }
}

void TlumSkinTabControl::Paint() {
    auto* tabs = dynamic_cast<TCustomTabControl*>(GetControl());
    HWND wnd = GetControlHandle();
    TlumSkinEngine* engine = SkinEngineOf(this);
    if (!tabs || !wnd || !engine) return;
    const int width = tabs->GetWidth(), height = tabs->GetHeight();
    if (width <= 0 || height <= 0) return;
    const TTabPosition position = tabs->GetTabPosition();

    TBitmap buffer;
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(width, height);
    TCanvas* canvas = buffer.GetCanvas();
    const TColor formColor = SkinFormColor(this);
    FillRectColor(canvas, tabs->GetClientRect(), formColor);

    // The page frame, just outside the display area the tabs leave.
    RECT display = ToRECT(tabs->GetClientRect());
    SendMessageA(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    TRect r(display.left - 2, display.top - 2, display.right + 2, display.bottom + 2);
    canvas->GetPen()->SetColor(SkinColor(this, SKIN2_CONTROLBORDERCOLOR));
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(formColor);
    canvas->Rectangle(r);

    const int count = static_cast<int>(SendMessageA(wnd, TCM_GETITEMCOUNT, 0, 0));
    const int selected = static_cast<int>(SendMessageA(wnd, TCM_GETCURSEL, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT tab{};
        if (!SendMessageA(wnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tab))) continue;
        PaintTab(tabs, canvas, i, TRect(tab.left, tab.top, tab.right, tab.bottom), i == selected);
    }

    // The line between the tabs and the page, turned to the tabs' side.
    TBitmap* line = engine->GetTabRes()->GetBitmap(TurnIndex(position));
    canvas->GetPen()->SetColor(formColor);
    switch (position) {
    case tpTop:
        canvas->MoveTo(r.Left + 1, r.Top);
        canvas->LineTo(r.Right - 1, r.Top);
        r.Top -= 1;
        r.Bottom = r.Top + (line ? line->GetHeight() : 0);
        break;
    case tpBottom:
        canvas->MoveTo(r.Left + 1, r.Bottom - 1);
        canvas->LineTo(r.Right - 1, r.Bottom - 1);
        r.Bottom += 1;
        r.Top = r.Bottom - (line ? line->GetHeight() : 0);
        break;
    case tpLeft:
        canvas->MoveTo(r.Left, r.Top + 1);
        canvas->LineTo(r.Left, r.Bottom - 1);
        r.Left -= 1;
        r.Right = r.Left + (line ? line->GetWidth() : 0);
        break;
    case tpRight:
        canvas->MoveTo(r.Right - 1, r.Top + 1);
        canvas->LineTo(r.Right - 1, r.Bottom - 1);
        r.Right += 1;
        r.Left = r.Right - (line ? line->GetWidth() : 0);
        break;
    }
    if (line) canvas->StretchDraw(r, line);

    TWindowDC dc(wnd);
    if (dc) BitBlt(dc.Get(), 0, 0, width, height, canvas->GetHandle(), 0, 0, SRCCOPY);
}

void TlumSkinTabControl::PaintTab(TCustomTabControl* tabs, TCanvas* target, int index, const TRect& rect,
                                  bool selected) {
    const TTabPosition position = tabs->GetTabPosition();
    const bool across = position == tpLeft || position == tpRight;
    const int gw = across ? rect.Height() : rect.Width();
    const int gh = across ? rect.Width() : rect.Height();
    if (gw <= 0 || gh <= 0) return;
    TlumSkinEngine* engine = SkinEngineOf(this);
    if (!engine) return;

    // The tab drawn as if on top; turned to its side at the end.
    TBitmap tab;
    tab.SetPixelFormat(pf24bit);
    tab.SetSize(gw, gh);
    TCanvas* canvas = tab.GetCanvas();
    const TColor transColor = SkinTransparentColor(this);
    if (TBitmap* slice = engine->GetTabRes()->GetBitmap(selected ? 8 : 4)) {
        DrawThreePartH(slice, canvas, TRect(0, 0, gw, gh), transColor, false);
        if (gh > slice->GetHeight() + 1) {
            TBitmap top;
            top.SetPixelFormat(pf24bit);
            top.SetSize(gw, slice->GetHeight());
            top.GetCanvas()->CopyRect(TRect(0, 0, gw, slice->GetHeight()), canvas,
                                      TRect(0, 0, gw, slice->GetHeight()));
            DrawThreePartV(&top, canvas, TRect(0, 0, gw, gh), slice->GetHeight() / 3);
        }
    }

    // Texts beyond the window's own tabs are not read; a tab without one shows none.
    TStrings* texts = tabs->GetTabs();
    const AnsiString caption = texts && index < texts->Count() ? texts->Get(index) : AnsiString();
    TFont* font = canvas->GetFont();
    font->Assign(tabs->GetFont());
    font->SetColor(SkinColor(this, selected ? SKIN2_TABCONTROLACTIVEFONTCOLOR : SKIN2_TABCONTROLINACTIVEFONTCOLOR));
    const SIZE captionSize = canvas->TextExtent(ShownCaption(caption));
    TRect textRect((gw - captionSize.cx) / 2, 2, gw, gh);

    // An image only for an index the list holds (the window answers -1 for none).
    TImageList* images = tabs->GetImages();
    int image = -1;
    if (images) {
        TCITEMA item{};
        item.mask = TCIF_IMAGE;
        if (SendMessageA(tabs->GetHandleIfAllocated(), TCM_GETITEMA, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&item)) &&
            item.iImage >= 0 && item.iImage < images->Count())
            image = item.iImage;
    }
    int x0 = 0, y0 = 0;
    if (image >= 0) {
        x0 = (gw - (captionSize.cx + images->GetWidth() + 4)) / 2;
        y0 = std::max(0, (gh - std::max<int>(captionSize.cy, images->GetHeight())) / 2);
        textRect.Left = x0 + images->GetWidth() + 4;
    }

    // Bottom tabs: the picture upside down, image and caption upright.
    if (position == tpBottom) {
        Rotate180(&tab);
        canvas = tab.GetCanvas();
    }
    if (image >= 0) {
        if (position == tpBottom)
            images->Draw(canvas, x0, std::max(1, y0), image, tabs->GetEnabled());
        else
            images->Draw(canvas, x0, y0 + 1, image, tabs->GetEnabled());
    }
    canvas->GetBrush()->SetStyle(bsClear);
    if (!caption.empty()) canvas->DrawText(caption, textRect, DT_SINGLELINE | DT_VCENTER);
    if (position == tpLeft) RotateLeft90(&tab);
    if (position == tpRight) RotateRight90(&tab);

    if (SkinBool(this, SKIN2_TABCONTROLTRANS)) {
        tab.SetTransparentMode(tmFixed);
        tab.SetTransparentColor(transColor);
        tab.SetTransparent(true);
    }
    target->Draw(rect.Left, rect.Top, &tab);
}
