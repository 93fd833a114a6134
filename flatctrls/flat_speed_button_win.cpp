#include "flatctrls/flat_speed_button.h"

#include <algorithm>
#include <cctype>

#include "classlib/gui/actions.h"
#include "classlib/gui/image_list.h"
#include "classlib/gui/timer.h"
#include "flatctrls/flat_colors.h"
#include "flatctrls/flat_drawing.h"

namespace {

// Shared by every flat speed button: the hover timer, the button it watches, and the number
// of buttons alive (the timer goes with the last one).
TTimer* gMouseTimer = nullptr;
TFlatSpeedButton* gTrackedButton = nullptr;
int gButtonCount = 0;

constexpr unsigned kHoverInterval = 100;

// The caption's accelerator ("&x") matches the character, letters compared case-insensitively.
bool IsAccel(WPARAM charCode, const AnsiString& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(caption[i]);
        if (IsLeadByte(c)) {
            ++i;
            continue;
        }
        if (c != '&')
            continue;
        unsigned char next = static_cast<unsigned char>(caption[i + 1]);
        if (next == '&') {
            ++i;
            continue;
        }
        return std::toupper(next) == std::toupper(static_cast<int>(charCode & 0xFF));
    }
    return false;
}

}  // namespace

TFlatSpeedButton::TFlatSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>()) {
    SetBounds(0, 0, 25, 25);
    SetControlStyle(csCaptureMouse | csDoubleClicks);
    FNumGlyphs = 1;
    TControl::SetParentFont(true);
    SetColor(0xE1EAEB);
    TControl::SetParentColor(true);
    ++gButtonCount;
}

TFlatSpeedButton::~TFlatSpeedButton() {
    StopTracking();
    if (--gButtonCount == 0) {
        delete gMouseTimer;
        gMouseTimer = nullptr;
    }
}

void TFlatSpeedButton::SetTransparentMode(TTransparentMode mode) {
    FTransparentMode = mode;
    Invalidate();
}

void TFlatSpeedButton::SetAllowAllUp(bool value) {
    if (FAllowAllUp == value)
        return;
    FAllowAllUp = value;
    UpdateExclusive();
}

void TFlatSpeedButton::SetLookColor(TColor& field, TColor color) {
    field = color;
    Invalidate();
}

void TFlatSpeedButton::SetAdvAmount(uint8_t& field, uint8_t amount) {
    field = amount;
    CalcAdvColors();
    Invalidate();
}

void TFlatSpeedButton::SetUseAdvColors(bool value) {
    if (FUseAdvColors == value)
        return;
    FUseAdvColors = value;
    TControl::SetParentColor(value);
    CalcAdvColors();
    Invalidate();
}

void TFlatSpeedButton::CalcAdvColors() {
    if (!FUseAdvColors)
        return;
    const TColor base = GetColor();
    FFocusedColor = ShiftColor(base, FFocusedColor, FAdvColorFocused, false);
    FDownColor = ShiftColor(base, FDownColor, FAdvColorDown, true);
    FBorderColor = ShiftColor(base, FBorderColor, FAdvColorBorder, true);
}

void TFlatSpeedButton::SetGroupIndex(int index) {
    if (FGroupIndex == index)
        return;
    FGroupIndex = index;
    UpdateExclusive();
}

void TFlatSpeedButton::SetDown(bool value) {
    if (FGroupIndex == 0)
        value = false;
    if (value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = value;
    if (value) {
        if (FState == bsUp)
            Invalidate();
        FState = bsExclusive;
        UpdateExclusive();
    } else {
        FState = bsUp;
        Invalidate();
    }
}

void TFlatSpeedButton::SetGlyph(TBitmap* glyph) {
    FGlyph->Assign(glyph);
    const int w = FGlyph->GetWidth(), h = FGlyph->GetHeight();
    if (!FGlyph->Empty() && w % h == 0) {
        int count = w / h;
        SetNumGlyphs(count > 4 ? 1 : count);
    }
    Invalidate();
}

void TFlatSpeedButton::SetLayout(TButtonLayout layout) {
    FLayout = layout;
    Invalidate();
}

void TFlatSpeedButton::SetMargin(int margin) {
    if (margin < -1 || margin == FMargin)
        return;
    FMargin = margin;
    Invalidate();
}

void TFlatSpeedButton::SetNumGlyphs(int count) {
    count = std::clamp(count, 1, 4);
    if (count == FNumGlyphs)
        return;
    FNumGlyphs = count;
    Invalidate();
}

void TFlatSpeedButton::SetSpacing(int spacing) {
    if (spacing == FSpacing)
        return;
    FSpacing = spacing;
    Invalidate();
}

// Tells the other buttons of the group (through the parent) that this one changed.
void TFlatSpeedButton::UpdateExclusive() {
    if (FGroupIndex == 0 || GetParent() == nullptr)
        return;
    TMessage m;
    m.Msg = CM_BUTTONPRESSED;
    m.WParam = static_cast<WPARAM>(FGroupIndex);
    m.LParam = reinterpret_cast<LPARAM>(static_cast<TObject*>(this));
    GetParent()->Broadcast(m);
}

void TFlatSpeedButton::ButtonPressed(TMessage& m) {
    if (static_cast<int>(m.WParam) != FGroupIndex)
        return;
    auto* sender = dynamic_cast<TFlatSpeedButton*>(reinterpret_cast<TObject*>(m.LParam));
    if (sender == nullptr || sender == this)
        return;
    if (sender->FDown && FDown) {
        FDown = false;
        FState = bsUp;
        Invalidate();
    }
    FAllowAllUp = sender->FAllowAllUp;
}

void TFlatSpeedButton::Click() {
    if (GetParent() != nullptr) {
        if (TCustomForm* form = GetParentForm(this))
            form->SetModalResult(FModalResult);
    }
    TGraphicControl::Click();
}

bool TFlatSpeedButton::IsUnderCursor() {
    POINT p;
    if (!GetCursorPos(&p))
        return false;
    return FindDragTarget(FromPOINT(p), true) == this;
}

void TFlatSpeedButton::MouseEnterHandling() {
    if (GetEnabled() && !FMouseInControl) {
        FMouseInControl = true;
        Invalidate();
    }
}

void TFlatSpeedButton::MouseLeaveHandling() {
    if (GetEnabled() && FMouseInControl && !FDragging) {
        FMouseInControl = false;
        StopTracking();
        Invalidate();
    }
}

void TFlatSpeedButton::StopTracking() {
    if (gTrackedButton != this)
        return;
    if (gMouseTimer != nullptr)
        gMouseTimer->SetEnabled(false);
    gTrackedButton = nullptr;
}

void TFlatSpeedButton::TrackMouse() {
    if (gTrackedButton == this || !IsUnderCursor())
        return;
    if (gTrackedButton != nullptr)
        gTrackedButton->MouseLeaveHandling();
    if (GetActiveWindow() == nullptr)
        return;
    if (gMouseTimer == nullptr) {
        gMouseTimer = new TTimer(nullptr);
        gMouseTimer->SetEnabled(false);
        gMouseTimer->SetInterval(kHoverInterval);
    }
    gMouseTimer->SetEnabled(false);
    gTrackedButton = this;
    gMouseTimer->OnTimer = [this](TObject*) {
        if (!IsUnderCursor())
            MouseLeaveHandling();
    };
    gMouseTimer->SetEnabled(true);
    MouseEnterHandling();
}

void TFlatSpeedButton::UpdateTracking() {
    if (!GetEnabled())
        return;
    if (IsUnderCursor()) {
        FMouseInControl = false;
        MouseEnterHandling();
    } else {
        FMouseInControl = true;
        MouseLeaveHandling();
    }
}

void TFlatSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && GetEnabled()) {
        if (!FDown) {
            FState = bsDown;
            Invalidate();
        }
        FDragging = true;
    }
}

void TFlatSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    TrackMouse();
    if (!FDragging)
        return;
    TButtonState state = FDown ? bsExclusive : bsUp;
    if (GetClientRect().Contains(TPoint(x, y)))
        state = FDown ? bsExclusive : bsDown;
    if (state != FState) {
        FState = state;
        Invalidate();
    }
}

void TFlatSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (!FDragging)
        return;
    FDragging = false;
    const bool inside = GetClientRect().Contains(TPoint(x, y));
    if (FGroupIndex == 0) {
        FState = bsUp;
        FMouseInControl = false;
        if (inside)
            Invalidate();
    } else if (inside) {
        SetDown(!FDown);
        if (FDown)
            Invalidate();
    } else {
        if (FDown)
            FState = bsExclusive;
        Invalidate();
    }
    if (inside)
        Click();
    else
        MouseLeaveHandling();
    UpdateTracking();
}

void TFlatSpeedButton::ActionChange(TObject* sender, bool checkDefaults) {
    TGraphicControl::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (action == nullptr || !FGlyph->Empty() || action->GetActionList() == nullptr)
        return;
    TImageList* images = action->GetActionList()->GetImages();
    const int index = action->GetImageIndex();
    if (images == nullptr || index < 0 || index >= images->Count())
        return;
    TBitmap glyph(images->GetWidth(), images->GetHeight());
    TCanvas* canvas = glyph.GetCanvas();
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(clFuchsia);
    canvas->FillRect(TRect(0, 0, glyph.GetWidth(), glyph.GetHeight()));
    images->Draw(canvas, 0, 0, index);
    SetGlyph(&glyph);
}

void TFlatSpeedButton::PaintGlyph(TCanvas* canvas, TColor transparentColor) {
    const int sliceWidth = FGlyph->GetWidth() / FNumGlyphs;
    const int height = FGlyph->GetHeight();
    if (sliceWidth <= 0 || height <= 0)
        return;
    // Images of the strip by state: up, disabled, down, exclusive.
    int image = 1;
    switch (FNumGlyphs) {
    case 2: image = FState == bsDisabled ? 2 : 1; break;
    case 3: image = FState == bsUp ? 1 : FState == bsDisabled ? 2 : 3; break;
    case 4: image = static_cast<int>(FState) + 1; break;
    default: break;
    }
    auto slice = std::make_unique<TBitmap>(sliceWidth, height);
    slice->GetCanvas()->CopyRect(TRect(0, 0, sliceWidth, height), FGlyph->GetCanvas(),
                                 Bounds((image - 1) * sliceWidth, 0, sliceWidth, height));
    if (FNumGlyphs == 1 && FState == bsDisabled) {
        slice = MakeDisabledGlyph(slice.get(), clBlack, clBtnFace, true, clBtnShadow, clBtnHighlight);
        transparentColor = slice->GetCanvas()->GetPixel(0, height - 1);
    }
    TImageList images(nullptr, sliceWidth, height);
    images.AddMasked(slice.get(), transparentColor);
    images.Draw(canvas, FGlyphPos.X, FGlyphPos.Y, 0);
}

void TFlatSpeedButton::Paint() {
    TCanvas* canvas = GetCanvas();
    TColor transparentColor = clNone;
    if (!FGlyph->Empty())
        transparentColor = FGlyph->GetCanvas()->GetPixel(0, FGlyph->GetHeight() - 1);
    canvas->SetFont(GetFont());
    const TPoint offset = FState == bsDown || FState == bsExclusive ? TPoint(1, 1) : TPoint(0, 0);
    const TRect client = GetClientRect();
    const TButtonLayoutResult layout = CalcButtonLayout(canvas, client, offset, GetCaption(), FGlyph.get(),
                                                        FNumGlyphs, FMargin, FSpacing, FLayout);
    FGlyphPos = layout.GlyphPos;
    FTextBounds = layout.TextBounds;

    if (GetEnabled()) {
        if (FState == bsDisabled)
            FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    } else {
        FState = bsDisabled;
        FDragging = false;
    }

    // Background.
    bool fill = false;
    TColor back = GetColor();
    if (FTransparentMode == tmNone) {
        fill = true;
        switch (FState) {
        case bsUp: back = FMouseInControl ? FFocusedColor : GetColor(); break;
        case bsDisabled: back = GetColor(); break;
        case bsDown: back = FDownColor; break;
        case bsExclusive: back = FMouseInControl ? FFocusedColor : FDownColor; break;
        }
    } else if (FTransparentMode == tmNotFocused && FMouseInControl) {
        fill = true;
        switch (FState) {
        case bsUp:
        case bsExclusive: back = FFocusedColor; break;
        case bsDisabled: back = GetColor(); break;
        case bsDown: back = FDownColor; break;
        }
    }
    if (fill) {
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->GetBrush()->SetColor(back);
        canvas->FillRect(client);
    }

    // Frame.
    switch (FState) {
    case bsUp:
        if (FMouseInControl)
            DrawFrameRings(canvas, client, FHighlightColor, FShadowColor, 1);
        else
            DrawFrameRings(canvas, client, FBorderColor, FBorderColor, 1);
        break;
    case bsDisabled: DrawFrameRings(canvas, client, FBorderColor, FBorderColor, 1); break;
    case bsDown:
    case bsExclusive: DrawFrameRings(canvas, client, FShadowColor, FHighlightColor, 1); break;
    }

    if (!FGlyph->Empty())
        PaintGlyph(canvas, transparentColor);

    // Caption.
    const AnsiString caption = GetCaption();
    if (!caption.empty()) {
        canvas->GetBrush()->SetStyle(bsClear);
        const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (FState == bsDisabled) {
            TRect shifted = FTextBounds.Offset(1, 1);
            canvas->GetFont()->SetColor(clBtnHighlight);
            canvas->DrawText(caption, shifted, format);
            TRect bounds = FTextBounds;
            canvas->GetFont()->SetColor(clBtnShadow);
            canvas->DrawText(caption, bounds, format);
        } else {
            TRect bounds = FTextBounds;
            canvas->DrawText(caption, bounds, format);
        }
    }
}

void TFlatSpeedButton::WndProc(TMessage& m) {
    switch (m.Msg) {
    case CM_BUTTONPRESSED:
        ButtonPressed(m);
        return;
    case CM_DIALOGCHAR:
        if (GetEnabled() && GetVisible() && GetParent() != nullptr && GetParent()->Showing() &&
            IsAccel(m.WParam, GetCaption())) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        TGraphicControl::WndProc(m);
        if (!GetEnabled()) {
            FMouseInControl = false;
            FState = bsDisabled;
            StopTracking();
        }
        UpdateTracking();
        Invalidate();
        return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        TGraphicControl::WndProc(m);
        Invalidate();
        return;
    case CM_PARENTCOLORCHANGED:
    case CM_SYSCOLORCHANGE:
        TGraphicControl::WndProc(m);
        if (FUseAdvColors) {
            TControl::SetParentColor(true);
            CalcAdvColors();
        }
        Invalidate();
        return;
    case WM_LBUTTONDBLCLK:
        TGraphicControl::WndProc(m);
        if (FDown)
            DblClick();
        return;
    default:
        break;
    }
    TGraphicControl::WndProc(m);
}
