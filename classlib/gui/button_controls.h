// Check boxes, radio buttons, group boxes and speed buttons.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/bitmap.h"
#include "classlib/gui/controls.h"

enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

// A check box window of the system's button class. A click steps the state: unchecked, grayed
// (only with AllowGrayed), checked, and round again.
class TCustomCheckBox : public TWinControl {
public:
    explicit TCustomCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCustomCheckBox"; }
    bool HasProperty(const AnsiString& name) const override;
    bool GetChecked() const { return FState == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState GetState() const { return FState; }
    // A change of state fires OnClick (not while loading).
    void SetState(TCheckBoxState state);
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v) { FAllowGrayed = v; }
    // taRightJustify: the text right of the box; taLeftJustify: left of it.
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    // The next state of a click.
    virtual void Toggle();
private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
public:
    explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
    const char* ClassName() const override { return "TCheckBox"; }
};

// A radio button window of the system's button class. Checking one unchecks the radio buttons
// beside it (same parent); only a checked one is a tab stop.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);
    const char* ClassName() const override { return "TRadioButton"; }
    bool HasProperty(const AnsiString& name) const override;
    bool GetChecked() const { return FChecked; }
    // Becoming checked fires OnClick (not while loading).
    void SetChecked(bool v);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
private:
    bool FChecked = false;
    TAlignment FAlignment = taRightJustify;
};

// A frame with a caption in its top line that holds other controls.
class TCustomGroupBox : public TCustomControl {
public:
    explicit TCustomGroupBox(TComponent* owner);
    const char* ClassName() const override { return "TCustomGroupBox"; }
    bool HasProperty(const AnsiString& name) const override;
    // Below the caption line and inside the frame.
    void AdjustClientRect(TRect& rect) const override;
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
    void Paint() override;
private:
    int CaptionHeight() const;
};

class TGroupBox : public TCustomGroupBox {
public:
    explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
    const char* ClassName() const override { return "TGroupBox"; }
};

enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A windowless button with a glyph and a caption. With a GroupIndex it stays down when clicked
// and the other speed buttons of its parent with the same GroupIndex come up; with AllowAllUp a
// click on the down one raises it.
class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;
    const char* ClassName() const override { return "TSpeedButton"; }

    bool GetDown() const { return FDown; }
    // Ignored without a GroupIndex; the down one of a group without AllowAllUp stays down.
    void SetDown(bool v);
    int GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    bool GetAllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v);
    // Flat: no frame until the mouse is over the button.
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool v);
    // The glyph holds NumGlyphs pictures side by side: up, disabled, pressed, down.
    TBitmap* GetGlyph() const { return FGlyph.get(); }
    // A copy of the picture; a strip of square pictures sets NumGlyphs to their count (up to 4).
    void SetGlyph(TBitmap* glyph);
    int GetNumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int v);
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    // Space around the glyph; -1 centres.
    int GetMargin() const { return FMargin; }
    void SetMargin(int v);
    int GetSpacing() const { return FSpacing; }
    void SetSpacing(int v);
    // The left button is held down over the button.
    bool IsPressed() const { return FPressed; }
    bool IsMouseInControl() const { return FMouseInControl; }

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
private:
    // Raises the other down buttons of the group.
    void UpdateExclusive();
    void DrawGlyph(const TRect& client, const TPoint& at);
    std::unique_ptr<TBitmap> FGlyph;
    int FNumGlyphs = 1;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FFlat = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FPressed = false;
    bool FMouseInControl = false;
};
