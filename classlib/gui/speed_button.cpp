#include "classlib/gui/speed_button.h"

#include <algorithm>

#include "classlib/gui/image_list.h"

// ---- TSpeedButton --------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>()) {
    // A quick second press is a second click, not a double click.
    FControlStyle = csCaptureMouse | csOpaque;
    FWidth = 23;
    FHeight = 22;
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { FGlyph->OnChange = nullptr; }

void TSpeedButton::SetDown(bool v) {
    if (FGroupIndex == 0) v = false;
    if (v == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = v;
    if (v) UpdateExclusive();
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int v) {
    if (v == FGroupIndex) return;
    FGroupIndex = v;
    if (v == 0) FDown = false;
    if (FDown) UpdateExclusive();
    Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool v) {
    if (v == FAllowAllUp) return;
    FAllowAllUp = v;
    if (!FParent || FGroupIndex == 0) return;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
        auto* other = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
        if (other && other->FGroupIndex == FGroupIndex) other->FAllowAllUp = v;
    }
}

void TSpeedButton::UpdateExclusive() {
    if (!FParent || FGroupIndex == 0) return;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
        auto* other = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
        if (!other || other == this || other->FGroupIndex != FGroupIndex) continue;
        if (other->FDown) {
            other->FDown = false;
            other->Invalidate();
        }
        other->FAllowAllUp = FAllowAllUp;
    }
}

void TSpeedButton::SetFlat(bool v) {
    if (v == FFlat) return;
    FFlat = v;
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* glyph) {
    FGlyph->Assign(glyph);
    int w = FGlyph->GetWidth(), h = FGlyph->GetHeight();
    if (h > 0 && w % h == 0 && w / h >= 1 && w / h <= 4) FNumGlyphs = w / h;
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int v) {
    v = std::min(std::max(v, 1), 4);
    if (v == FNumGlyphs) return;
    FNumGlyphs = v;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout v) {
    if (v == FLayout) return;
    FLayout = v;
    Invalidate();
}

void TSpeedButton::SetMargin(int v) {
    if (v < -1) v = -1;
    if (v == FMargin) return;
    FMargin = v;
    Invalidate();
}

void TSpeedButton::SetSpacing(int v) {
    if (v < -1) v = -1;
    if (v == FSpacing) return;
    FSpacing = v;
    Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !FEnabled) return;
    FPressed = true;
    Invalidate();
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!(shift & ssLeft) || !GetMouseCapture()) return;
    bool inside = GetClientRect().Contains(TPoint(x, y));
    if (inside != FPressed) {
        FPressed = inside;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && FPressed) {
        FPressed = false;
        if (GetClientRect().Contains(TPoint(x, y))) {
            if (FGroupIndex != 0) SetDown(!FDown || !FAllowAllUp);
            Invalidate();
            Click();
        } else {
            Invalidate();
        }
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
            if (m.LParam == 0) {
                FMouseInControl = m.Msg == CM_MOUSEENTER;
                if (FFlat && FEnabled) Invalidate();
            }
            break;
        case CM_ENABLEDCHANGED:
            if (!FEnabled) FPressed = false;
            break;
        default:
            break;
    }
    TGraphicControl::WndProc(m);
}

void TSpeedButton::DrawGlyph(const TRect&, const TPoint& at) {
    int w = FGlyph->GetWidth() / FNumGlyphs, h = FGlyph->GetHeight();
    if (w <= 0 || h <= 0) return;
    // Pictures in the strip: up, disabled, pressed, down; a missing one is the up picture.
    int index = 0;
    if (!FEnabled) index = 1;
    else if (FPressed) index = 2;
    else if (FDown) index = 3;
    if (index >= FNumGlyphs) index = 0;
    TBitmap slice(w, h);
    slice.GetCanvas()->CopyRect(TRect(0, 0, w, h), FGlyph->GetCanvas(), TRect(index * w, 0, index * w + w, h));
    TCanvas* canvas = GetCanvas();
    if (!FEnabled && FNumGlyphs == 1) {
        // No disabled picture: the up picture's disabled look, over the face.
        DrawDisabledPicture(canvas, at.X, at.Y, &slice);
        return;
    }
    slice.SetTransparentColor(FGlyph->GetTransparentColor());
    slice.SetTransparent(true);
    canvas->Draw(at.X, at.Y, &slice);
}

void TSpeedButton::Paint() {
    TCanvas* canvas = GetCanvas();
    TRect r = GetClientRect();
    bool sunken = FPressed || FDown;
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    RECT edge = ToRECT(r);
    HDC dc = canvas->GetHandle();
    if (!FFlat)
        DrawEdge(dc, &edge, sunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    else if (sunken)
        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
    else if (FMouseInControl && FEnabled)
        DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);

    // Glyph and caption side by side (or one above the other), centred across the layout axis.
    canvas->SetFont(FFont.get());
    AnsiString text = GetText();
    TPoint glyphSize(FGlyph->Empty() ? 0 : FGlyph->GetWidth() / FNumGlyphs, FGlyph->GetHeight());
    TRect textRect(0, 0, r.Width(), 0);
    if (!text.empty()) canvas->DrawText(text, textRect, DT_CALCRECT | DT_SINGLELINE);
    TPoint textSize(text.empty() ? 0 : textRect.Width(), text.empty() ? 0 : textRect.Height());
    const TGlyphCaptionPlaces places =
        PlaceGlyphAndCaption(TPoint(r.Width(), r.Height()), glyphSize, textSize, FLayout, FMargin, FSpacing);
    const TPoint glyphAt = places.GlyphAt, textAt = places.TextAt;
    int shift = FPressed ? 1 : 0;
    if (!FGlyph->Empty()) DrawGlyph(r, TPoint(glyphAt.X + shift, glyphAt.Y + shift));
    if (text.empty()) return;
    TRect caption(textAt.X + shift, textAt.Y + shift, textAt.X + shift + textSize.X, textAt.Y + shift + textSize.Y);
    canvas->GetBrush()->SetStyle(bsClear);
    if (!FEnabled) {
        TRect light = caption.Offset(1, 1);
        canvas->GetFont()->SetColor(clBtnHighlight);
        canvas->DrawText(text, light, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        canvas->GetFont()->SetColor(clBtnShadow);
    }
    canvas->DrawText(text, caption, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

TGlyphCaptionPlaces PlaceGlyphAndCaption(const TPoint& area, const TPoint& glyphSize, const TPoint& textSize,
                                         TButtonLayout layout, int margin, int spacing) {
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const int extent = horizontal ? area.X : area.Y;
    const int glyphLen = horizontal ? glyphSize.X : glyphSize.Y;
    const int textLen = horizontal ? textSize.X : textSize.Y;
    if (glyphLen == 0 || textLen == 0) spacing = 0;
    if (margin == -1 && spacing == -1) {
        margin = (extent - glyphLen - textLen) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (extent - glyphLen - spacing - textLen + 1) / 2;
    } else if (spacing == -1) {
        spacing = (extent - margin - glyphLen - textLen) / 2;
    }
    TPoint glyphAt, textAt;
    switch (layout) {
    case blGlyphLeft:
        glyphAt.X = margin;
        textAt.X = margin + glyphLen + spacing;
        break;
    case blGlyphRight:
        glyphAt.X = extent - margin - glyphLen;
        textAt.X = glyphAt.X - spacing - textLen;
        break;
    case blGlyphTop:
        glyphAt.Y = margin;
        textAt.Y = margin + glyphLen + spacing;
        break;
    case blGlyphBottom:
        glyphAt.Y = extent - margin - glyphLen;
        textAt.Y = glyphAt.Y - spacing - textLen;
        break;
    }
    if (horizontal) {
        glyphAt.Y = (area.Y - glyphSize.Y + 1) / 2;
        textAt.Y = (area.Y - textSize.Y + 1) / 2;
    } else {
        glyphAt.X = (area.X - glyphSize.X + 1) / 2;
        textAt.X = (area.X - textSize.X + 1) / 2;
    }
    return TGlyphCaptionPlaces{glyphAt, textAt};
}
