#include "skin/skin_std_ctrl_button_win.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "classlib/gui/button_controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/standard_controls.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_utils_win.h"

namespace {

// Draws the glyph cell over the control's colour, beside the text as the alignment puts it.
void PaintGlyph(TlumSkinControlVCL* skin, TControl* control, TBitmap* glyph, TAlignment alignment) {
    if (glyph->Empty()) return;
    TBitmap buffer;
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(std::max(glyph->GetWidth(), 13), std::max(glyph->GetHeight(), 13));
    FillRectColor(buffer.GetCanvas(), TRect(0, 0, buffer.GetWidth(), buffer.GetHeight()), control->GetColor());
    buffer.GetCanvas()->Draw(0, 0, glyph);
    const bool rightToLeft = control->GetBiDiMode() == bdRightToLeft;
    const bool boxLeft = (alignment == taRightJustify && !rightToLeft) || (alignment == taLeftJustify && rightToLeft);
    const int x = boxLeft ? 0 : control->GetWidth() - glyph->GetWidth() - 1;
    const int y = (control->GetClientHeight() - glyph->GetHeight()) / 2;
    skin->PaintBitmapAt(&buffer, TPoint(x, y));
}

std::unique_ptr<TBitmap> GlyphBitmap(const TlumSkinControl* skin, bool transparent) {
    auto glyph = std::make_unique<TBitmap>();
    glyph->SetPixelFormat(pf24bit);
    glyph->SetTransparentMode(tmFixed);
    glyph->SetTransparentColor(SkinTransparentColor(skin));
    glyph->SetTransparent(transparent);
    return glyph;
}

// The skinned font colour while the skin is on (unless the engine keeps designed colours).
void ApplyFontColour(TlumSkinControl* skin, TControl* control, TColor original) {
    if (!control) return;
    TlumSkinEngineIntf* engine = skin->GetEngine();
    const bool skinned = engine && engine->IsSkinActive() && !SkinNoChangeButtonsFontColor(skin);
    control->GetFont()->SetColor(skinned ? SkinColor(skin, SKIN2_CONTROLFONTCOLOR) : original);
}

}  // namespace

// ---- push buttons

void TlumSkinButton::SaveOriginal() {
    TlumSkinControlVCL::SaveOriginal();
    FMouseArmed = FKeyArmed = FReleasedInside = false;
}

void TlumSkinButton::Restore() {
    TWinControl* button = GetWinControl();
    if (FMouseArmed && button && GetCapture() == button->GetHandleIfAllocated()) ReleaseCapture();
    FMouseArmed = false;
    TlumSkinControlVCL::Restore();
}

bool TlumSkinButton::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_KEYDOWN: return m.WParam != VK_RETURN && m.WParam != VK_SPACE;
    case BM_CLICK:
        // A click the program (or another program) asks for: no mouse, so no activation rule.
        m.Result = 0;
        if (GetControl() && GetControl()->GetEnabled()) Click();   // may free this skin
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FMouseState |= msPressed;
        Repaint();
        return false;
    case WM_LBUTTONUP: {
        TControl* control = GetControl();
        FReleasedInside = control && control->GetClientRect().Contains(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
        return true;
    }
    case WM_MOUSEMOVE:
        // While a press is held (the mouse is captured) the pressed look follows the cursor.
        if (FMouseArmed && GetControl()) {
            const bool inside = GetControl()->GetClientRect().Contains(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
            const uint8_t state = inside ? (FMouseState | msPressed) : (FMouseState & ~msPressed);
            if (state != FMouseState) {
                FMouseState = state;
                Repaint();
            }
        }
        return true;
    case WM_CAPTURECHANGED:
        if (FMouseArmed && reinterpret_cast<HWND>(m.LParam) != GetControlHandle()) {
            FMouseArmed = false;
            FMouseState &= static_cast<uint8_t>(~msPressed);
            Repaint();
        }
        return true;
    case WM_KILLFOCUS:
    case CM_GOTFOCUS:
    case CM_LOSTFOCUS: Repaint(); return false;
    case WM_ERASEBKGND: m.Result = 1; return false;
    case WM_PAINT: {
        TSkinPaintScope paint(GetControlHandle());
        Repaint();
        m.Result = 0;
        return false;
    }
    default: return true;
    }
}

void TlumSkinButton::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    if (m.Msg == WM_SETFOCUS) Repaint();
    if (m.Msg == WM_LBUTTONDBLCLK) MouseDown();   // the second press of a double click
    // Enter clicks on its character message.
    if (m.Msg == WM_CHAR && m.WParam == VK_RETURN) {
        FMouseState &= static_cast<uint8_t>(~msPressed);
        Repaint();
        Click();   // last step: the click may free this skin
    }
}

void TlumSkinButton::Click() {
    if (TControl* control = GetControl()) control->Click();
}

void TlumSkinButton::MouseDown() {
    auto* button = GetWinControl();
    TCustomForm* form = button ? GetParentForm(button) : nullptr;
    if (!form || !IsFormActive(form)) return;
    if (button->CanFocus() && button->GetEnabled() && button->GetVisible()) {
        try {
            button->SetFocus();
        } catch (...) {
        }
    }
    if (HWND wnd = button->GetHandleIfAllocated()) SetCapture(wnd);
    FMouseArmed = true;
}

void TlumSkinButton::MouseUp() {
    const bool click = FMouseArmed && FReleasedInside;
    FMouseArmed = false;
    TWinControl* button = GetWinControl();
    if (button && GetCapture() == button->GetHandleIfAllocated()) ReleaseCapture();
    if (click) Click();
}

void TlumSkinButton::KeyDown(int) { FKeyArmed = true; }

void TlumSkinButton::KeyUp(int key) {
    const bool armed = FKeyArmed;
    FKeyArmed = false;
    TWinControl* button = GetWinControl();
    if (key != VK_SPACE || !armed || !button || !button->Focused() || !button->GetEnabled() || !FEngine ||
        !FEngine->IsSkinActive())
        return;
    FMouseState &= static_cast<uint8_t>(~msPressed);
    Repaint();
    Click();
}

void TlumSkinButton::Paint() {
    TControl* control = GetControl();
    if (!control || !GetControlHandle()) return;
    const int width = control->GetWidth(), height = control->GetHeight();
    if (width <= 0 || height <= 0) return;
    const TRect client = control->GetClientRect();
    const bool transparent = SkinBool(this, SKIN2_BUTTONTRANS);
    TBitmap slice;
    TBitmap buffer;
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(width, height);
    FillRectColor(buffer.GetCanvas(), client, SkinFormColor(this));
    const int index = (FMouseState & msPressed) ? 3 : (FMouseState & msHot) ? 2 : 1;
    if (SkinBitmapPart(this, SKIN2_BUTTON, &slice, index, 3))
        DrawNinePart(&slice, buffer.GetCanvas(), client, SkinTransparentColor(this), transparent);
    auto* button = GetWinControl();
    if (button && button->Focused()) {
        const int shift = (FMouseState & msPressed) ? 1 : 0;
        buffer.GetCanvas()->GetBrush()->SetStyle(bsSolid);
        buffer.GetCanvas()->DrawFocusRect(client.Inflate(-5, -5).Offset(shift, shift));
    }
    if (!SkinNoChangeButtonsFontColor(this)) control->GetFont()->SetColor(SkinColor(this, SKIN2_BUTTONFONTCOLOR));
    PaintBitmapAndText(&buffer, control->GetCaption(), client, control->GetFont());
}

// ---- check boxes

int TlumSkinCheckBox::Cell(uint8_t state, bool enabled) {
    const int cell = state == cbChecked ? 1 : state == cbGrayed ? 2 : 3;
    return enabled ? cell : cell + 3;
}

void TlumSkinCheckBox::SaveOriginal() {
    TlumSkinControlVCL::SaveOriginal();
    if (TControl* control = GetControl()) FOriginalFontColor = control->GetFont()->GetColor();
}

void TlumSkinCheckBox::ApplySkinColours() {
    TlumSkinControlVCL::ApplySkinColours();
    ApplyFontColour(this, GetControl(), FOriginalFontColor);
}

void TlumSkinCheckBox::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    if (m.Msg == BM_SETCHECK || m.Msg == WM_LBUTTONDBLCLK) Repaint();
}

void TlumSkinCheckBox::Paint() {
    auto* box = dynamic_cast<TCustomCheckBox*>(GetControl());
    if (!box || !GetControlHandle()) return;
    auto glyph = GlyphBitmap(this, SkinBool(this, SKIN2_CHECKBOXTRANS));
    if (SkinBitmapPart(this, SKIN2_CHECKBOX, glyph.get(), Cell(box->GetState(), box->GetEnabled()), 6))
        PaintGlyph(this, box, glyph.get(), box->GetAlignment());
}

// ---- radio buttons

int TlumSkinRadioButton::Cell(bool checked, bool enabled) {
    const int cell = checked ? 1 : 2;
    return enabled ? cell : cell + 2;
}

void TlumSkinRadioButton::SaveOriginal() {
    TlumSkinControlVCL::SaveOriginal();
    if (TControl* control = GetControl()) FOriginalFontColor = control->GetFont()->GetColor();
}

void TlumSkinRadioButton::ApplySkinColours() {
    TlumSkinControlVCL::ApplySkinColours();
    ApplyFontColour(this, GetControl(), FOriginalFontColor);
}

bool TlumSkinRadioButton::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_LBUTTONDBLCLK:
        if (TControl* control = GetControl()) {
            if (control->OnDblClick) control->OnDblClick(control);
        }
        return false;
    case WM_ERASEBKGND: m.Result = 1; return false;
    default: return true;
    }
}

void TlumSkinRadioButton::AfterMessage(TMessage& m) {
    TlumSkinControlVCL::AfterMessage(m);
    if (m.Msg == BM_SETCHECK) Repaint();
}

void TlumSkinRadioButton::Paint() {
    auto* radio = dynamic_cast<TRadioButton*>(GetControl());
    if (!radio || !GetControlHandle()) return;
    auto glyph = GlyphBitmap(this, SkinBool(this, SKIN2_RADIOBUTTONTRANS));
    if (!SkinBitmapPart(this, SKIN2_RADIOBUTTON, glyph.get(), Cell(radio->GetChecked(), radio->GetEnabled()), 4)) return;
    glyph->SetTransparent(true);
    PaintGlyph(this, radio, glyph.get(), radio->GetAlignment());
}
