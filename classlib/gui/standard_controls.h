// Standard controls: buttons, edits, memos, labels, static texts (check boxes and their kin in
// button_controls.h).
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/button_controls.h"   // check boxes: their users include this header
#include "classlib/gui/controls.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/ime.h"

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }
    // Sets the parent form's ModalResult (when non-zero), then OnClick.
    void Click() override;
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    // Enter clicks the default button, Escape the cancel button.
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool v);
    bool GetCancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

enum TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };

// An edit window of the system class. Key events come through KeyDown/KeyPress, where a key set
// to 0 is swallowed.
class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* owner);
    const char* ClassName() const override { return "TCustomEdit"; }
    bool HasProperty(const AnsiString& name) const override;

    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    int GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    char GetPasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char c);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    bool GetAutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    // With AutoSize the height follows the font (single-line edits).
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    TEditCharCase GetCharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase v);
    bool GetModified() const;
    void SetModified(bool v);
    // The input method switched on while the edit has the focus, by its description (ime.h).
    const AnsiString& GetImeName() const { return FIme.GetName(); }
    void SetImeName(const AnsiString& name) { FIme.SetName(name); }

    int GetSelStart();
    void SetSelStart(int v);
    int GetSelLength();
    void SetSelLength(int v);
    AnsiString GetSelText();
    void SetSelText(const AnsiString& text);
    void SelectAll();
    void Clear() { SetText(AnsiString()); }
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    void DestroyWnd() override;
    virtual void Change();
    void AdjustHeightToFont();
    bool FReadOnly = false;
    int FMaxLength = 0;
    char FPasswordChar = 0;
    TBorderStyle FBorderStyle = bsSingle;
    bool FAutoSelect = true;
    bool FAutoSize = true;
    TEditCharCase FCharCase = ecNormal;
    bool FModified = false;
    int FSelStart = 0, FSelLength = 0;
    TImeSwitch FIme;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
    const char* ClassName() const override { return "TEdit"; }
};

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;
    const char* ClassName() const override { return "TCustomMemo"; }
    // The text as lines (each change is written to the window at once).
    TStrings* GetLines();
    void SetLines(TStrings* lines) { GetLines()->Assign(lines); }
    TScrollStyle GetScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool GetWantReturns() const { return FWantReturns; }
    void SetWantReturns(bool v) { FWantReturns = v; }
    bool GetWantTabs() const { return FWantTabs; }
    void SetWantTabs(bool v) { FWantTabs = v; }
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
private:
    std::unique_ptr<TStrings> FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
    const char* ClassName() const override { return "TMemo"; }
};

enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };

// A windowless text.
class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);
    const char* ClassName() const override { return "TCustomLabel"; }
    bool HasProperty(const AnsiString& name) const override;
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    TTextLayout GetLayout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    bool GetTransparent() const { return (FControlStyle & csOpaque) == 0; }
    void SetTransparent(bool v);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool GetShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    TWinControl* GetFocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control);
protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    // Draws the caption into rect with the given DrawText flags (DT_CALCRECT measures).
    virtual void DoDrawText(TRect& rect, UINT flags);
    void AdjustBounds();
    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
public:
    explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
    const char* ClassName() const override { return "TLabel"; }
};

enum TStaticBorderStyle : uint8_t { sbsNone, sbsSingle, sbsSunken };

// A text in a window of the system's static class.
class TStaticText : public TWinControl {
public:
    explicit TStaticText(TComponent* owner);
    const char* ClassName() const override { return "TStaticText"; }
    bool HasProperty(const AnsiString& name) const override;
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TStaticBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TStaticBorderStyle v);
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
    void Loaded() override;
    void AdjustBounds();
private:
    TAlignment FAlignment = taLeftJustify;
    TStaticBorderStyle FBorderStyle = sbsNone;
    bool FAutoSize = true;
};
