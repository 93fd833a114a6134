#include "skin/skin_std_ctrl_toolbar_win.h"

#include <algorithm>

#include "classlib/gui/image_list.h"
#include "classlib/gui/standard_controls.h"
#include "skin/skin_utils_win.h"

namespace {

// The skin's handlers, told apart from the application's by their type.
struct TSkinBackgroundDraw {
    TlumSkinToolBar* Skin;
    void operator()(TToolBar* bar, const TRect& rect, bool& defaultDraw) const {
        try {
            Skin->DrawBackground(bar, rect, defaultDraw);
        } catch (...) {
            defaultDraw = true;   // the bar draws itself rather than an exception leaving its window
        }
    }
};

struct TSkinButtonDraw {
    TlumSkinToolBar* Skin;
    void operator()(TToolBar* bar, TToolButton* button, TCustomDrawState state, bool& defaultDraw) const {
        try {
            Skin->DrawButton(bar, button, state, defaultDraw);
        } catch (...) {
            defaultDraw = true;
        }
    }
};

template <class Handler, class Event>
bool IsOurs(const Event& event, const TlumSkinToolBar* skin) {
    const Handler* h = event.template target<Handler>();
    return h && h->Skin == skin;
}

// Settings may be written while neither the control nor one of its parents is going.
bool Settable(TControl* control) {
    for (TControl* c = control; c; c = c->GetParent())
        if (c->IsDestroying()) return false;
    return control != nullptr;
}

AnsiString WithoutAccelerators(const AnsiString& text) {
    AnsiString plain;
    for (char ch : text)
        if (ch != '&') plain += ch;
    return plain;
}

}  // namespace

// ---- tool bars

TlumSkinToolBar::~TlumSkinToolBar() {
    if (TToolBar* bar = GetToolBar()) RemoveHandlers(bar);
}

bool TlumSkinToolBar::HandlersInstalled() const {
    TToolBar* bar = GetToolBar();
    return bar && IsOurs<TSkinBackgroundDraw>(bar->OnCustomDraw, this) &&
           IsOurs<TSkinButtonDraw>(bar->OnCustomDrawButton, this);
}

void TlumSkinToolBar::SaveOriginal() {
    TlumSkinControlVCL::SaveOriginal();
    TToolBar* bar = GetToolBar();
    if (!bar) return;
    FOriginalFlat = bar->GetFlat();
    FOriginalTransparent = bar->GetTransparent();
    FOriginalColor = bar->GetColor();
    FOriginalCustomDraw = bar->OnCustomDraw;
    FOriginalCustomDrawButton = bar->OnCustomDrawButton;
    FSaved = true;
}

void TlumSkinToolBar::InstallHandlers(TToolBar* bar) {
    if (!IsOurs<TSkinBackgroundDraw>(bar->OnCustomDraw, this)) {
        FOriginalCustomDraw = bar->OnCustomDraw;
        bar->OnCustomDraw = TSkinBackgroundDraw{this};
    }
    if (!IsOurs<TSkinButtonDraw>(bar->OnCustomDrawButton, this)) {
        FOriginalCustomDrawButton = bar->OnCustomDrawButton;
        bar->OnCustomDrawButton = TSkinButtonDraw{this};
    }
}

void TlumSkinToolBar::RemoveHandlers(TToolBar* bar) {
    if (IsOurs<TSkinBackgroundDraw>(bar->OnCustomDraw, this)) bar->OnCustomDraw = FOriginalCustomDraw;
    if (IsOurs<TSkinButtonDraw>(bar->OnCustomDrawButton, this)) bar->OnCustomDrawButton = FOriginalCustomDrawButton;
}

void TlumSkinToolBar::GiveBackSettings(TToolBar* bar) {
    RemoveHandlers(bar);
    if (!FSaved || !Settable(bar)) return;
    bar->SetFlat(FOriginalFlat);
    bar->SetTransparent(FOriginalTransparent);
    bar->SetColor(FOriginalColor);
}

void TlumSkinToolBar::ApplySkinColours() {
    TlumSkinControlVCL::ApplySkinColours();
    TToolBar* bar = GetToolBar();
    if (!bar) return;
    if (!FEngine || !FEngine->IsSkinActive()) {
        GiveBackSettings(bar);
        return;
    }
    bar->SetFlat(true);
    bar->SetTransparent(false);
    bar->SetColor(SkinColor(this, SKIN2_TOOLBARSTARTCOLOR));
    InstallHandlers(bar);
}

void TlumSkinToolBar::Restore() {
    TlumSkinControlVCL::Restore();
    if (TToolBar* bar = GetToolBar()) {
        if (FEngine && FEngine->IsEngineDestroying())
            RemoveHandlers(bar);   // the settings stay: the window is going with the engine's form
        else
            GiveBackSettings(bar);
    }
}

void TlumSkinToolBar::DrawBackground(TToolBar* bar, const TRect& rect, bool& defaultDraw) {
    defaultDraw = true;   // the bar draws its buttons over the background
    TCanvas* canvas = bar->GetCanvas();
    TBitmap picture;
    if (SkinBitmapPart(this, SKIN2_TOOLBAR, &picture, 0, 0) && !picture.Empty()) {
        StretchDrawBitmap(&picture, canvas, rect);
        return;
    }
    const TColor top = SkinColor(this, SKIN2_TOOLBARSTARTCOLOR);
    const TColor bottom = SkinColor(this, SKIN2_TOOLBARENDCOLOR);
    if (top != bottom) GradientFillV(canvas, rect, top, bottom);
}

void TlumSkinToolBar::DrawButton(TToolBar* bar, TToolButton* button, TCustomDrawState state, bool& defaultDraw) {
    if (!bar || !button) return;
    TImageList* images = bar->GetHotImages() ? bar->GetHotImages() : bar->GetImages();
    if (state & cdsHot) {
        DrawButtonLook(bar, button, images, (state & cdsSelected) ? blPressed : blHot);
        if (button->GetStyle() == tbsDropDown) {
            const TRect r = button->GetBoundsRect();
            TCanvas* canvas = bar->GetCanvas();
            const int m = r.Height() / 2;
            canvas->GetPen()->SetColor(clBlack);
            canvas->GetBrush()->SetStyle(bsSolid);
            canvas->GetBrush()->SetColor(clBlack);
            canvas->Polygon({TPoint(r.Right - 9, m), TPoint(r.Right - 5, m), TPoint(r.Right - 7, m + 2)});
            canvas->Polygon({TPoint(r.Right - 8, m), TPoint(r.Right - 6, m), TPoint(r.Right - 7, m + 1)});
            canvas->MoveTo(r.Right - 14, r.Top);
            canvas->LineTo(r.Right - 14, r.Bottom);
        }
        defaultDraw = false;
    } else if (state & (cdsSelected | cdsChecked)) {
        DrawButtonLook(bar, button, images, blHot);
        defaultDraw = false;
    }
}

void TlumSkinToolBar::DrawButtonLook(TToolBar* bar, TToolButton* button, TImageList* images, TButtonLook look) {
    TCanvas* canvas = bar->GetCanvas();
    const TRect r = button->GetBoundsRect();
    const bool dropDown = button->GetStyle() == tbsDropDown;
    const bool list = bar->GetList();
    const int w = r.Width() - (dropDown ? 14 : 0);
    canvas->GetPen()->SetColor(SkinColor(this, SKIN2_TOOLBARBORDERCOLOR));
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(SkinColor(this, look == blPressed ? SKIN2_TOOLBARDOWNCOLOR : SKIN2_TOOLBARONCOLOR));
    canvas->Rectangle(r);

    // Both looks draw an image only when its index is one of the list's.
    const int index = button->GetImageIndex();
    const bool imageDrawn = images && index >= 0 && index < images->Count();
    if (imageDrawn) {
        const int x = list ? r.Left + 5 : r.Left + (w - images->GetWidth()) / 2;
        images->Draw(canvas, x, r.Top + 3, index, button->GetEnabled());
    }
    if (!bar->GetShowCaptions()) return;
    const AnsiString caption = button->GetCaption();
    canvas->SetFont(bar->GetFont());
    canvas->GetBrush()->SetStyle(bsClear);
    const int centredX = r.Left + (w - canvas->TextWidth(WithoutAccelerators(caption))) / 2;
    TPoint at;
    if (images) {
        if (!list)
            at = TPoint(centredX, r.Top + images->GetHeight() + 4);
        else if (look == blHot && !imageDrawn)
            at = TPoint(r.Left + 5, r.Top + 4);
        else
            at = TPoint(r.Left + images->GetWidth() + 7, r.Top + (images->GetHeight() - 16) / 2 + 4);
    } else if (list) {
        at = look == blPressed ? TPoint(r.Left + 8, r.Top + 3) : TPoint(r.Left + 5, r.Top + 4);
    } else {
        at = TPoint(centredX, r.Top + (look == blPressed ? 5 : 4));
    }
    TRect textRect(at.X, at.Y, r.Right, r.Bottom);
    canvas->DrawText(caption, textRect, 0);
}

// ---- labels

void TlumSkinLabel::SaveOriginal() {
    TlumSkinControlVCL::SaveOriginal();
    if (TControl* label = GetControl()) {
        FOriginalFontColor = label->GetFont()->GetColor();
        FSaved = true;
    }
}

void TlumSkinLabel::ApplySkinColours() {
    TlumSkinControlVCL::ApplySkinColours();
    TControl* label = GetControl();
    if (!label) return;
    const bool active = FEngine && FEngine->IsSkinActive();
    label->GetFont()->SetColor(active ? SkinColor(this, SKIN2_CONTROLFONTCOLOR) : FOriginalFontColor);
}

void TlumSkinLabel::Restore() {
    TlumSkinControlVCL::Restore();
    TControl* label = GetControl();
    if (FSaved && label && Settable(label)) label->GetFont()->SetColor(FOriginalFontColor);
}
