#include "flatctrls/flat_spin_edit.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

char LocaleDecimalSeparator() {
    char buffer[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1)
        return buffer[0];
    return '.';
}

// CF_TEXT of the clipboard, or false when there is none.
bool ReadClipboardText(HWND owner, AnsiString& text) {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(owner))
        return false;
    bool ok = false;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            // The block may be larger than the text; never read past it.
            SIZE_T size = GlobalSize(data);
            text.assign(p, strnlen(p, size));
            GlobalUnlock(data);
            ok = true;
        }
    }
    CloseClipboard();
    return ok;
}

}  // namespace

TFlatSpinEditInteger::TFlatSpinEditInteger(TComponent* owner) : TCustomFlatEdit(owner) {
    FButton = new TSpinButton(this);
    FButton->SetBounds(FButton->GetLeft(), FButton->GetTop(), 22, 10);
    FButton->SetVisible(true);
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    FButton->OnUpClick = [this](TObject* sender) { UpClick(sender); };
    FButton->OnDownClick = [this](TObject* sender) { DownClick(sender); };
    SetValue(0);
    SetControlStyle(GetControlStyle() & ~csSetCaption);
    FIncrement = 1;
    FEditorEnabled = true;
}

TFlatSpinEditInteger::~TFlatSpinEditInteger() {
    // The button is an owned component and goes with the edit; messages from here on must
    // not reach it through this pointer.
    FButton = nullptr;
}

int32_t TFlatSpinEditInteger::GetValue() const {
    int32_t value;
    if (TryStrToInt(GetText(), value))
        return value;
    return FMinValue;
}

void TFlatSpinEditInteger::SetValue(int32_t value) {
    SetText(IntToStr(ClampValue(value)));
}

int32_t TFlatSpinEditInteger::ClampValue(int32_t value) const {
    if (FMinValue == FMaxValue)
        return value;
    if (value < FMinValue)
        return FMinValue;
    if (value > FMaxValue)
        return FMaxValue;
    return value;
}

// Value + delta worked out in 64 bits and held within the 32-bit range, so that stepping past
// the ends of the range stops there instead of wrapping round.
void TFlatSpinEditInteger::Step(int64_t delta) {
    int64_t next = static_cast<int64_t>(GetValue()) + delta;
    next = std::clamp<int64_t>(next, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    SetValue(static_cast<int32_t>(next));
}

void TFlatSpinEditInteger::UpClick(TObject* sender) {
    if (GetReadOnly())
        MessageBeep(0);
    else
        Step(FIncrement);
}

void TFlatSpinEditInteger::DownClick(TObject* sender) {
    if (GetReadOnly())
        MessageBeep(0);
    else
        Step(-static_cast<int64_t>(FIncrement));
}

bool TFlatSpinEditInteger::IsValidChar(char key) {
    const unsigned char c = static_cast<unsigned char>(key);
    bool valid = c == '+' || c == '-' || (c >= '0' && c <= '9') || key == LocaleDecimalSeparator() ||
                 (c < 32 && c != '\r');
    if (!FEditorEnabled && valid && (c >= 32 || c == '\b' || c == '.'))
        valid = false;
    return valid;
}

bool TFlatSpinEditInteger::ClipboardHoldsNumberText() {
    AnsiString text;
    if (!ReadClipboardText(GetHandleIfAllocated(), text) || text.empty())
        return false;
    return std::all_of(text.begin(), text.end(),
                       [this](char c) { return static_cast<unsigned char>(c) >= 32 && IsValidChar(c); });
}

void TFlatSpinEditInteger::CreateParams(TCreateParams& params) {
    TCustomFlatEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TFlatSpinEditInteger::HandleCreated() {
    TCustomFlatEdit::HandleCreated();
    SetEditRect();
    PlaceButton();
}

void TFlatSpinEditInteger::Loaded() {
    TCustomFlatEdit::Loaded();
    SetEditRect();
    PlaceButton();
}

int TFlatSpinEditInteger::GetMinHeight() {
    return FontTextHeight(GetFont()) + 7;
}

void TFlatSpinEditInteger::PlaceButton() {
    if (FButton == nullptr)
        return;
    // Inside the right edge of the client area (the rings take three pixels on every side).
    FButton->SetBounds(GetWidth() - FButton->GetWidth() - 5, 0, FButton->GetWidth(), GetHeight() - 6);
}

void TFlatSpinEditInteger::SetEditRect() {
    if (FButton == nullptr || !HandleAllocated())
        return;
    // Text never runs under the buttons.
    RECT r{0, 0, GetClientWidth() - FButton->GetWidth() - 3, GetClientHeight()};
    SendMessageA(GetHandleIfAllocated(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TFlatSpinEditInteger::KeyDown(WORD& key, TShiftState shift) {
    if (key == VK_UP)
        UpClick(this);
    else if (key == VK_DOWN)
        DownClick(this);
    TCustomFlatEdit::KeyDown(key, shift);
}

void TFlatSpinEditInteger::KeyPress(char& key) {
    if (!IsValidChar(key)) {
        key = 0;
        MessageBeep(0);
    }
    if (key != 0)
        TCustomFlatEdit::KeyPress(key);
}

void TFlatSpinEditInteger::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_PASTE:
        // Pasting is typing many characters at once: the same characters are refused.
        if (!FEditorEnabled || GetReadOnly())
            return;
        if (!ClipboardHoldsNumberText()) {
            MessageBeep(0);
            return;
        }
        TCustomFlatEdit::WndProc(m);
        return;
    case WM_CUT:
        if (FEditorEnabled && !GetReadOnly())
            TCustomFlatEdit::WndProc(m);
        return;
    case WM_KILLFOCUS: {
        TCustomFlatEdit::WndProc(m);
        const int32_t value = GetValue();
        if (ClampValue(value) != value)
            SetValue(value);
        return;
    }
    case WM_SIZE: {
        TCustomFlatEdit::WndProc(m);
        const int minHeight = GetMinHeight();
        if (GetHeight() < minHeight) {
            SetHeight(minHeight);
        } else {
            PlaceButton();
            SetEditRect();
        }
        return;
    }
    default:
        TCustomFlatEdit::WndProc(m);
    }
}
