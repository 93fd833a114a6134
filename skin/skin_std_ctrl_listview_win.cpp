#include "skin/skin_std_ctrl_listview_win.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/gui/handles.h"
#include "classlib/gui/image_list.h"
#include "skin/skin_ctrl_helpers_win.h"
#include "skin/skin_utils_win.h"

namespace {

bool HasImage(const TListColumn* column, TImageList* images) {
    return images && column->GetImageIndex() >= 0 && column->GetImageIndex() < images->Count();
}

}  // namespace

TlumSkinListView::~TlumSkinListView() { FHeaderHook.reset(); }

HWND TlumSkinListView::GetHeader() const { return FHeaderHook ? FHeaderHook->Window() : nullptr; }

void TlumSkinListView::SaveOriginal() {
    TlumSkinScrollWinControl::SaveOriginal();
    HookHeader();
}

void TlumSkinListView::HookHeader() {
    if (GetHeader()) return;
    FHeaderHook.reset();
    auto* view = dynamic_cast<TCustomListView*>(GetControl());
    HWND header = view ? view->GetHeaderHandle() : nullptr;   // never makes the view's window
    if (!header) return;
    try {
        FHeaderHook = std::make_unique<TSubclassHook>(header, [this](TMessage& m) { HeaderProc(m); });
        InvalidateRect(header, nullptr, TRUE);   // it may have been painted natively already
    } catch (...) {
        FHeaderHook.reset();   // the header stays native
    }
}

void TlumSkinListView::AfterMessage(TMessage& m) {
    TlumSkinScrollWinControl::AfterMessage(m);
    // A view that turned into a report view (or made its window again) has a new header.
    if (m.Msg == WM_PAINT && !FStopped && !GetHeader()) HookHeader();
}

void TlumSkinListView::Restore() {
    TlumSkinScrollWinControl::Restore();
    HWND header = GetHeader();
    FHeaderHook.reset();
    if (header) InvalidateRect(header, nullptr, TRUE);   // the native look comes back
}

bool TlumSkinListView::HeaderSkinned() const {
    TControl* view = GetControl();
    return view && !FStopped && FEngine && !FEngine->IsEngineDestroying() && FEngine->IsSkinActive() &&
           view->GetTag() != FEngine->GetDisabledTag();
}

void TlumSkinListView::HeaderProc(TMessage& m) {
    TMessageScope scope(this);
    if (m.Msg == WM_PAINT && HeaderSkinned()) {
        TSkinPaintScope paint(GetHeader());
        try {
            PaintHeader();
        } catch (...) {
            // a half-painted header rather than an exception through the system's frames
        }
        m.Result = 0;
        return;
    }
    FHeaderHook->Previous(m);
    if (!scope.Alive() || !FHeaderHook) return;
    if ((m.Msg == HDM_SETITEMA || m.Msg == HDM_SETITEMW) && HeaderSkinned()) {
        try {
            PaintHeader();
        } catch (...) {
        }
    }
}

TlumSkinListView::TCaptionPlace TlumSkinListView::PlaceCaption(TCanvas* canvas, const TListColumn* column,
                                                               const TRect& item, TImageList* images) {
    const bool withImage = HasImage(column, images);
    const int imageWidth = withImage ? images->GetWidth() : 0;
    const int a = item.Width() - 6;
    const int t = canvas->TextWidth(column->GetCaption());
    int x = item.Left + 4;
    switch (column->GetAlignment()) {
    case taRightJustify: x = item.Left + std::max(a - t - (withImage ? imageWidth : 0) - 2, 4); break;
    case taCenter: x = item.Left + std::max((a - t - (withImage ? imageWidth : 0) - 2) / 2, 4); break;
    default: break;
    }
    if (withImage) x += imageWidth + 2;
    return {x, FitText(canvas, column->GetCaption(), item.Right - x - 2), withImage};
}

void TlumSkinListView::PaintHeader() {
    auto* view = dynamic_cast<TCustomListView*>(GetControl());
    HWND header = GetHeader();
    if (!view || !header) return;
    TWindowDC dc(header);
    if (!dc) return;
    TBorrowedCanvas borrowed(dc.Get());
    TCanvas* canvas = borrowed.Get();
    SetMenuFont(canvas->GetFont());
    canvas->GetFont()->SetColor(SkinColor(this, SKIN2_CONTROLFONTCOLOR));
    const TColor formColour = SkinFormColor(this);
    const TColor border = SkinColor(this, SKIN2_CONTROLBORDERCOLOR);
    RECT client;
    GetClientRect(header, &client);
    TImageList* images = view->GetSmallImages();

    // Only columns the header has: the two counts differ while columns are being changed.
    const int count = std::min(view->GetColumns()->Count(), static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)));
    int previousRight = -1;
    int lastRight = 0;
    for (int i = 0; i < count; ++i) {
        RECT hr{};
        if (!SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&hr))) break;
        const TRect item(hr.left, hr.top, hr.right, hr.bottom);
        FillRectColor(canvas, item, formColour);
        const TListColumn* column = view->GetColumns()->Items(i);
        const TCaptionPlace place = PlaceCaption(canvas, column, item, images);
        if (place.WithImage) {
            const int imageY = item.Top + (item.Height() - images->GetHeight()) / 2;
            images->Draw(canvas, place.X - images->GetWidth() - 2, imageY, column->GetImageIndex());
        }
        canvas->GetBrush()->SetStyle(bsClear);
        TRect textRect(place.X, item.Top, item.Right - 2, item.Bottom);
        canvas->DrawText(place.Text, textRect, DT_SINGLELINE | DT_VCENTER);
        canvas->GetPen()->SetColor(border);
        if (previousRight == item.Right) {   // a column of no width: its line beside this one's
            canvas->MoveTo(item.Right - 2, item.Top);
            canvas->LineTo(item.Right - 2, item.Bottom);
        }
        canvas->MoveTo(item.Right - 1, item.Top);
        canvas->LineTo(item.Right - 1, item.Bottom);
        previousRight = lastRight = item.Right;
    }
    canvas->GetBrush()->SetStyle(bsSolid);
    if (lastRight < client.right) FillRectColor(canvas, TRect(lastRight, client.top, client.right, client.bottom), formColour);
    canvas->GetPen()->SetColor(border);
    canvas->MoveTo(client.left, client.bottom - 1);
    canvas->LineTo(lastRight, client.bottom - 1);
}
