#include "classlib/gui/standard_controls.h"

#include <algorithm>
#include <vector>

#include "classlib/gui/application.h"
#include "classlib/gui/gui_internal.h"
#include "classlib/gui/handles.h"

// ---- TButton ----------------------------------------------------------------------------

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csSetCaption | csDoubleClicks;
    FTabStop = true;
    FWidth = 75;
    FHeight = 25;
}

void TButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = "BUTTON";
    p.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
    FDefault = v;
    if (HandleAllocated()) SendMessageA(FHandle, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    TCustomForm* form = GetParentForm(this);
    if (form && FModalResult != mrNone) form->SetModalResult(FModalResult);
    TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_COMMAND:
            if (HIWORD(m.WParam) == BN_CLICKED) Click();
            return;
        case CM_DIALOGKEY: {
            WORD key = static_cast<WORD>(m.WParam);
            bool active = Focused();
            if (!active && FDefault) active = dynamic_cast<TButton*>(FindControl(GetFocus())) == nullptr;
            if (((key == VK_RETURN && active) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
                Click();
                m.Result = 1;
            }
            return;
        }
        default:
            break;
    }
    TWinControl::WndProc(m);
}

// ---- TCustomEdit ----------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csClickEvents | csSetCaption | csDoubleClicks | csFixedHeight;
    FTabStop = true;
    FWidth = 121;
    FHeight = 21;
    FParentColor = false;
    FColor = clWindow;
    FBrush->SetColor(FColor);
}

bool TCustomEdit::HasProperty(const AnsiString& name) const {
    return gui_internal::NameIn(name, {"BorderStyle", "BevelEdges", "Color", "ParentColor"});
}

void TCustomEdit::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = "EDIT";
    p.Style |= ES_AUTOHSCROLL | ES_LEFT;
    if (FReadOnly) p.Style |= ES_READONLY;
    if (FPasswordChar) p.Style |= ES_PASSWORD;
    if (FCharCase == ecUpperCase) p.Style |= ES_UPPERCASE;
    if (FCharCase == ecLowerCase) p.Style |= ES_LOWERCASE;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            p.ExStyle |= WS_EX_CLIENTEDGE;
        else
            p.Style |= WS_BORDER;
    }
}

void TCustomEdit::HandleCreated() {
    SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FPasswordChar) SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
    SendMessageA(FHandle, EM_SETMODIFY, FModified, 0);
    SendMessageA(FHandle, EM_SETSEL, static_cast<WPARAM>(FSelStart), FSelStart + FSelLength);
    AdjustHeightToFont();
}

void TCustomEdit::DestroyWnd() {
    if (HandleAllocated() && !IsDestroying()) {
        FModified = GetModified();
        FSelStart = GetSelStart();
        FSelLength = GetSelLength();
    }
    TWinControl::DestroyWnd();
}

void TCustomEdit::AdjustHeightToFont() {
    if (!FAutoSize || FBorderStyle != bsSingle || IsLoading()) return;
    TWindowDC screen(nullptr);
    TEXTMETRICA tm{};
    {
        TSelectObject font(screen.Get(), FFont->GetHandle());
        GetTextMetricsA(screen.Get(), &tm);
    }
    SetHeight(tm.tmHeight + GetSystemMetrics(SM_CYBORDER) * (FCtl3D ? 8 : 6));
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_COMMAND:
            if (HIWORD(m.WParam) == EN_CHANGE) Change();
            return;
        case CM_TEXTCHANGED:
            TWinControl::WndProc(m);
            // A single-line edit window reports text set through WM_SETTEXT with EN_CHANGE; a
            // multi-line one reports nothing, and without a window there is no one to report it.
            if (!HandleAllocated() || (GetWindowLongPtrA(FHandle, GWL_STYLE) & ES_MULTILINE)) Change();
            return;
        case WM_SETFOCUS:
            TWinControl::WndProc(m);
            FIme.Enter();
            if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
            return;
        case WM_KILLFOCUS:
            FIme.Leave();
            break;
        case CM_CTL3DCHANGED:
            RecreateWnd();
            AdjustHeightToFont();
            return;
        case CM_FONTCHANGED:
            TWinControl::WndProc(m);
            AdjustHeightToFont();
            return;
        default:
            break;
    }
    TWinControl::WndProc(m);
}

void TCustomEdit::SetReadOnly(bool v) {
    FReadOnly = v;
    if (HandleAllocated()) SendMessageA(FHandle, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetMaxLength(int v) {
    FMaxLength = v < 0 ? 0 : v;
    if (HandleAllocated()) SendMessageA(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::SetPasswordChar(char c) {
    if (c == FPasswordChar) return;
    FPasswordChar = c;
    if (HandleAllocated()) {
        SendMessageA(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
        Invalidate();
    }
}

void TCustomEdit::SetBorderStyle(TBorderStyle style) {
    if (style == FBorderStyle) return;
    FBorderStyle = style;
    RecreateWnd();
}

void TCustomEdit::SetAutoSize(bool v) {
    FAutoSize = v;
    if (v) AdjustHeightToFont();
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
    if (v == FCharCase) return;
    FCharCase = v;
    RecreateWnd();
}

bool TCustomEdit::GetModified() const {
    if (HandleAllocated()) return SendMessageA(FHandle, EM_GETMODIFY, 0, 0) != 0;
    return FModified;
}

void TCustomEdit::SetModified(bool v) {
    FModified = v;
    if (HandleAllocated()) SendMessageA(FHandle, EM_SETMODIFY, v, 0);
}

int TCustomEdit::GetSelStart() {
    if (!HandleAllocated()) return FSelStart;
    DWORD start = 0, end = 0;
    SendMessageA(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int v) {
    FSelStart = v;
    FSelLength = 0;
    if (HandleAllocated()) SendMessageA(GetHandle(), EM_SETSEL, static_cast<WPARAM>(v), v);
}

int TCustomEdit::GetSelLength() {
    if (!HandleAllocated()) return FSelLength;
    DWORD start = 0, end = 0;
    SendMessageA(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int v) {
    int start = GetSelStart();
    FSelStart = start;
    FSelLength = v;
    if (HandleAllocated()) SendMessageA(FHandle, EM_SETSEL, static_cast<WPARAM>(start), start + v);
}

AnsiString TCustomEdit::GetSelText() {
    AnsiString text = GetText();
    int start = GetSelStart(), len = GetSelLength();
    if (start < 0 || start > static_cast<int>(text.size())) return AnsiString();
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(std::max(0, len)));
}

void TCustomEdit::SetSelText(const AnsiString& text) {
    SendMessageA(GetHandle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomEdit::SelectAll() {
    if (HandleAllocated()) SendMessageA(FHandle, EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() { SendMessageA(GetHandle(), WM_CLEAR, 0, 0); }
void TCustomEdit::CopyToClipboard() { SendMessageA(GetHandle(), WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { SendMessageA(GetHandle(), WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { SendMessageA(GetHandle(), WM_PASTE, 0, 0); }

// ---- TCustomMemo ------------------------------------------------------------------------------

namespace {

// The memo's text seen as lines; every change rewrites the text.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* memo) : FMemo(memo) {}
    const char* ClassName() const override { return "TMemoStrings"; }
    int Count() const override { return static_cast<int>(Lines().size()); }
    AnsiString Get(int index) const override {
        std::vector<AnsiString> l = Lines();
        if (index < 0 || index >= static_cast<int>(l.size())) throw EStringListError(Format("List index out of bounds (%d)", index));
        return l[static_cast<size_t>(index)];
    }
    void Put(int index, const AnsiString& s) override {
        std::vector<AnsiString> l = Lines();
        if (index < 0 || index >= static_cast<int>(l.size())) throw EStringListError(Format("List index out of bounds (%d)", index));
        l[static_cast<size_t>(index)] = s;
        Store(l);
    }
    TObject* GetObject(int) const override { return nullptr; }
    void PutObject(int, TObject*) override {}
    void Insert(int index, const AnsiString& s) override {
        std::vector<AnsiString> l = Lines();
        if (index < 0 || index > static_cast<int>(l.size())) throw EStringListError(Format("List index out of bounds (%d)", index));
        l.insert(l.begin() + index, s);
        Store(l);
    }
    void Delete(int index) override {
        std::vector<AnsiString> l = Lines();
        if (index < 0 || index >= static_cast<int>(l.size())) throw EStringListError(Format("List index out of bounds (%d)", index));
        l.erase(l.begin() + index);
        Store(l);
    }
    void Clear() override { FMemo->SetText(AnsiString()); }

private:
    std::vector<AnsiString> Lines() const {
        AnsiString t = FMemo->GetText();
        std::vector<AnsiString> out;
        size_t i = 0;
        while (i < t.size()) {
            size_t j = t.find_first_of("\r\n", i);
            if (j == AnsiString::npos) {
                out.push_back(t.substr(i));
                break;
            }
            out.push_back(t.substr(i, j - i));
            i = j + ((t[j] == '\r' && j + 1 < t.size() && t[j + 1] == '\n') ? 2 : 1);
        }
        return out;
    }
    // Lines are joined by line breaks; a last line that is empty gets one more break, since a
    // text ending in a break reads back without an empty line after it.
    void Store(const std::vector<AnsiString>& lines) {
        AnsiString t;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i) t += "\r\n";
            t += lines[i];
        }
        if (!lines.empty() && lines.back().empty()) t += "\r\n";
        FMemo->SetText(t);
    }
    TCustomMemo* FMemo;
};

}  // namespace

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner) {
    FWidth = 185;
    FHeight = 89;
    FAutoSize = false;
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::GetLines() {
    if (!FLines) FLines = std::make_unique<TMemoStrings>(this);
    return FLines.get();
}

void TCustomMemo::CreateParams(TCreateParams& p) {
    TCustomEdit::CreateParams(p);
    p.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (FWantReturns) p.Style |= ES_WANTRETURN;
    if (FWordWrap) p.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) p.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) p.Style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
    if (v == FScrollBars) return;
    FScrollBars = v;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool v) {
    if (v == FWordWrap) return;
    FWordWrap = v;
    RecreateWnd();
}

void TCustomMemo::WndProc(TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) {
        TCustomEdit::WndProc(m);
        if (FWantTabs)
            m.Result |= DLGC_WANTTAB;
        else
            m.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        if (!FWantReturns) m.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return;
    }
    TCustomEdit::WndProc(m);
}

// ---- TCustomLabel ------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle |= csOpaque | csReplicatable;
    FWidth = 65;
    FHeight = 17;
}

bool TCustomLabel::HasProperty(const AnsiString& name) const {
    return gui_internal::NameIn(name, {"Color", "ParentColor"});
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::DoDrawText(TRect& rect, UINT flags) {
    AnsiString text = GetText();
    if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += " ";
    if (!FShowAccelChar) flags |= DT_NOPREFIX;
    flags = DrawTextBiDiModeFlags(flags);
    TCanvas* canvas = GetCanvas();
    canvas->SetFont(FFont.get());
    canvas->GetBrush()->SetStyle(bsClear);
    if (!FEnabled && !(flags & DT_CALCRECT)) {
        TRect shifted = rect.Offset(1, 1);
        canvas->GetFont()->SetColor(clBtnHighlight);
        canvas->DrawText(text, shifted, flags);
        canvas->GetFont()->SetColor(clBtnShadow);
    }
    canvas->DrawText(text, rect, flags);
}

void TCustomLabel::Paint() {
    static const UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* canvas = GetCanvas();
    TRect r = GetClientRect();
    if (!GetTransparent()) {
        canvas->GetBrush()->SetColor(FColor);
        canvas->GetBrush()->SetStyle(bsSolid);
        canvas->FillRect(r);
    }
    UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | alignments[FAlignment];
    if (FLayout != tlTop) {
        TRect calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int dy = r.Height() - calc.Height();
        r.Top += FLayout == tlBottom ? dy : dy / 2;
    }
    DoDrawText(r, flags);
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || IsLoading()) return;
    // Measured by DoDrawText itself, so descendants that draw in another font size right.
    TRect r(0, 0, FWidth, 0);
    UINT flags = DT_CALCRECT | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0);
    TWindowDC screen(nullptr);
    static_cast<TControlCanvas*>(GetCanvas())->PaintOn(screen.Get(), [&] { DoDrawText(r, flags); });
    int left = FLeft;
    if (FAlignment == taRightJustify) left += FWidth - r.Width();
    SetBounds(left, FTop, r.Width(), r.Height());
}

void TCustomLabel::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
            Invalidate();
            AdjustBounds();
            return;
        default:
            break;
    }
    TGraphicControl::WndProc(m);
}

void TCustomLabel::SetAlignment(TAlignment v) {
    if (v == FAlignment) return;
    FAlignment = v;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool v) {
    if (v == FAutoSize) return;
    FAutoSize = v;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout v) {
    if (v == FLayout) return;
    FLayout = v;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
    if (v == GetTransparent()) return;
    if (v)
        FControlStyle &= ~csOpaque;
    else
        FControlStyle |= csOpaque;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
    if (v == FWordWrap) return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
    if (v == FShowAccelChar) return;
    FShowAccelChar = v;
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* control) {
    FFocusControl = control;
    if (control) control->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

// ---- TStaticText --------------------------------------------------------------------------------

TStaticText::TStaticText(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csReplicatable | csDoubleClicks;
    FWidth = 65;
    FHeight = 17;
}

bool TStaticText::HasProperty(const AnsiString& name) const {
    return gui_internal::NameIn(name, {"Color", "ParentColor"});
}

void TStaticText::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = "STATIC";
    static const DWORD alignments[] = {SS_LEFT, SS_RIGHT, SS_CENTER};
    p.Style |= SS_NOTIFY | alignments[FAlignment];
    if (FBorderStyle == sbsSingle) p.Style |= WS_BORDER;
    if (FBorderStyle == sbsSunken) p.Style |= SS_SUNKEN;
}

void TStaticText::Loaded() {
    TWinControl::Loaded();
    AdjustBounds();
}

void TStaticText::AdjustBounds() {
    if (!FAutoSize || IsLoading()) return;
    TWindowDC screen(nullptr);
    AnsiString text = GetText();
    RECT r{0, 0, 0, 0};
    {
        TSelectObject font(screen.Get(), FFont->GetHandle());
        DrawTextA(screen.Get(), text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
    }
    int extra = FBorderStyle == sbsNone ? 0 : 4;
    SetBounds(FLeft, FTop, r.right - r.left + extra, r.bottom - r.top + extra);
}

void TStaticText::SetAlignment(TAlignment v) {
    if (v == FAlignment) return;
    FAlignment = v;
    RecreateWnd();
}

void TStaticText::SetBorderStyle(TStaticBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    RecreateWnd();
}

void TStaticText::SetAutoSize(bool v) {
    if (v == FAutoSize) return;
    FAutoSize = v;
    AdjustBounds();
}

void TStaticText::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
            TWinControl::WndProc(m);
            AdjustBounds();
            Invalidate();
            return;
        default:
            break;
    }
    TWinControl::WndProc(m);
}
