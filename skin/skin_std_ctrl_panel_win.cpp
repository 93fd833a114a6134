#include "skin/skin_std_ctrl_panel_win.h"

#include <commctrl.h>

#include <algorithm>

#include "classlib/gui/button_controls.h"
#include "classlib/gui/handles.h"
#include "classlib/gui/image_list.h"
#include "classlib/gui/speed_button.h"
#include "skin/skin_ctrl_helpers_win.h"
#include "skin/skin_utils_win.h"

namespace {

bool ReadsRightToLeft(const TControl* control) {
    const TBiDiMode mode = control->GetBiDiMode();
    return mode == bdRightToLeft || mode == bdRightToLeftReadingOnly;
}

// Speed buttons of the spin-edit kind draw in a column with a white line between them.
bool IsTimerButton(const TControl* control) {
    const AnsiString name = control->ClassName();
    return name == "TTimerSpeedButton" || name == "TAdvTimerSpeedButton";
}

}  // namespace

// ---- group boxes

void TlumSkinGroupBox::Paint() {
    auto* box = dynamic_cast<TCustomGroupBox*>(GetControl());
    HWND wnd = GetControlHandle();
    if (!box || !wnd) return;
    TWindowDC dc(wnd);
    if (!dc) return;
    TBorrowedCanvas borrowed(dc.Get());
    TCanvas& canvas = *borrowed.Get();
    canvas.SetFont(box->GetFont());   // a copy: the box keeps its own font colour
    canvas.GetFont()->SetColor(SkinColor(this, SKIN2_CONTROLFONTCOLOR));
    const int h = canvas.TextHeight("0");
    const TRect frame(0, h / 2 - 1, box->GetWidth() - 1, box->GetHeight() - 1);
    FrameRectColor(&canvas, frame, SkinColor(this, SKIN2_CONTROLBORDERCOLOR));

    const AnsiString caption = box->GetCaption();
    if (caption.empty()) return;
    const bool rightToLeft = box->GetBiDiMode() == bdRightToLeft;
    const UINT format = DT_SINGLELINE | (ReadsRightToLeft(box) ? DT_RTLREADING : 0u) | (rightToLeft ? DT_RIGHT : 0u);
    TRect text(0, 0, 0, h);
    canvas.DrawText(caption, text, format | DT_CALCRECT);
    const int width = text.Width();
    const int left = rightToLeft ? frame.Right - width - 8 : 8;
    text = TRect(left, 0, left + width, h);
    canvas.GetBrush()->SetStyle(bsSolid);
    canvas.GetBrush()->SetColor(box->GetColor());
    SetBkMode(canvas.GetHandle(), OPAQUE);
    SetBkColor(canvas.GetHandle(), static_cast<COLORREF>(ColorToRGB(box->GetColor())));
    canvas.DrawText(caption, text, format);
}

// ---- speed buttons

bool TlumSkinSpeedButton::KeepsNativeFace() const {
    const auto* button = dynamic_cast<const TSpeedButton*>(GetControl());
    return !button || button->GetNumGlyphs() <= 0;
}

bool TlumSkinSpeedButton::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return false;
    case WM_PAINT:
        if (KeepsNativeFace()) return true;
        Repaint();
        return GetControl()->GetTag() == NativeFaceTag;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FMouseState |= msPressed;
        Repaint();
        return true;
    default: return true;
    }
}

void TlumSkinSpeedButton::Paint() {
    auto* button = dynamic_cast<TSpeedButton*>(GetControl());
    if (!button || !button->GetVisible() || KeepsNativeFace()) return;
    // A windowless control draws on its parent's window; painting never makes that window.
    TWinControl* parent = button->GetParent();
    if (!parent || !parent->HandleAllocated() || button->GetWidth() <= 0 || button->GetHeight() <= 0) return;
    if (button->GetTag() == NativeFaceTag) {
        // The button's own face, inside a band of button face colour with a skin line on the left.
        DrawSkinBorderBands(button, FEngine, clBtnFace);
        return;
    }
    TControlCanvas canvas(button);   // its DC goes back when it goes
    PaintFace(&canvas);
}

void TlumSkinSpeedButton::PaintFace(TCanvas* canvas) {
    auto* button = static_cast<TSpeedButton*>(GetControl());
    const TRect client = button->GetClientRect();
    const bool enabled = button->GetEnabled();
    const bool pressed = (FMouseState & msPressed) && enabled;
    const bool timer = IsTimerButton(button) && button->GetTop() > 0;
    TRect face = client;
    if (timer) face.Top += 2;
    const TColor frame = SkinColor(this, SKIN2_TOOLBARBORDERCOLOR);
    auto outlined = [&](TColor fill) {
        canvas->GetPen()->SetColor(frame);
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->GetBrush()->SetColor(fill);
        canvas->Rectangle(face);
    };
    if (pressed || button->GetDown()) {
        outlined(SkinColor(this, SKIN2_TOOLBARDOWNCOLOR));
    } else if ((FMouseState & msHot) && enabled) {
        outlined(SkinColor(this, SKIN2_TOOLBARONCOLOR));
    } else if (IsTimerButton(button)) {
        outlined(SkinFormColor(this));
    } else {
        FillRectColor(canvas, face, SkinFormColor(this));
    }
    // A white row between the stacked buttons.
    if (timer) FillRectColor(canvas, TRect(client.Left, face.Top - 1, client.Right, face.Top), clWhite);

    // Glyph and caption, laid out as the button lays them out itself; the button's own Margin,
    // Spacing and Layout stay as they are.
    canvas->SetFont(button->GetFont());
    TButtonLayout layout = button->GetLayout();
    if (ReadsRightToLeft(button)) {
        if (layout == blGlyphLeft)
            layout = blGlyphRight;
        else if (layout == blGlyphRight)
            layout = blGlyphLeft;
    }
    TBitmap* glyph = button->GetGlyph();
    const int numGlyphs = button->GetNumGlyphs();
    const bool hasGlyph = !glyph->Empty() && glyph->GetWidth() / numGlyphs > 0;
    const TPoint glyphSize(hasGlyph ? glyph->GetWidth() / numGlyphs : 0, hasGlyph ? glyph->GetHeight() : 0);
    const AnsiString text = button->GetCaption();
    TRect measured(0, 0, client.Width(), 0);
    if (!text.empty()) canvas->DrawText(text, measured, DT_CALCRECT | DT_SINGLELINE);
    const TPoint textSize(text.empty() ? 0 : measured.Width(), text.empty() ? 0 : measured.Height());
    const TGlyphCaptionPlaces places = PlaceGlyphAndCaption(TPoint(client.Width(), client.Height()), glyphSize, textSize,
                                                            layout, button->GetMargin(), button->GetSpacing());
    TPoint glyphAt = places.GlyphAt, textAt = places.TextAt;
    glyphAt = TPoint(glyphAt.X + client.Left, glyphAt.Y + client.Top + (timer ? 1 : 0));
    textAt = TPoint(textAt.X + client.Left, textAt.Y + client.Top);

    if (hasGlyph) {
        const int w = glyphSize.X, h = glyphSize.Y;
        TBitmap slice;
        slice.SetPixelFormat(pf24bit);
        slice.SetSize(w, h);
        if (numGlyphs != 1 || enabled) {
            const int index = std::min(enabled ? 0 : 1, numGlyphs - 1);
            slice.GetCanvas()->CopyRect(TRect(0, 0, w, h), glyph->GetCanvas(), TRect(index * w, 0, index * w + w, h));
            slice.SetTransparentColor(glyph->GetTransparentColor());
            slice.SetTransparent(true);
            TPoint at = glyphAt;
            if (IsTimerButton(button)) at.X += 2;
            if (pressed) at = TPoint(at.X + 1, at.Y + 1);
            canvas->Draw(at.X, at.Y, &slice);
        } else {
            // One picture only: its disabled look, over the face.
            slice.GetCanvas()->CopyRect(TRect(0, 0, w, h), glyph->GetCanvas(), TRect(0, 0, w, h));
            DrawDisabledPicture(canvas, glyphAt.X, glyphAt.Y, &slice);
        }
    }

    if (text.empty()) return;
    TRect caption(textAt.X, textAt.Y, textAt.X + textSize.X, textAt.Y + textSize.Y);
    if (pressed) caption = caption.Offset(1, 1);
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->GetFont()->SetColor(enabled ? button->GetFont()->GetColor() : TColor(0x808080));
    canvas->DrawText(text, caption, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}
