// TFlatSpinEditInteger: a flat edit for whole numbers with a spin button inside its right
// edge. Only characters of a number can be typed or pasted; the buttons and the arrow keys
// step Value by Increment within MinValue..MaxValue (equal limits mean no limit).
#pragma once
#include <cstdint>

#include "flatctrls/flat_edit.h"
#include "flatctrls/spin_button.h"

class TFlatSpinEditInteger : public TCustomFlatEdit {
public:
    explicit TFlatSpinEditInteger(TComponent* owner);
    ~TFlatSpinEditInteger() override;
    const char* ClassName() const override { return "TFlatSpinEditInteger"; }

    // The text as a number; a text that is not one reads as MinValue.
    int32_t GetValue() const;
    // Writes the value, held within the limits, as the text.
    void SetValue(int32_t value);
    int32_t GetMinValue() const { return FMinValue; }
    void SetMinValue(int32_t value) { FMinValue = value; }
    int32_t GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t value) { FMaxValue = value; }
    int32_t GetIncrement() const { return FIncrement; }
    void SetIncrement(int32_t value) { FIncrement = value; }
    bool GetEditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool value) { FEditorEnabled = value; }

    TSpinButton* GetButton() const { return FButton; }

    // value, or the nearer limit when it lies outside them.
    int32_t ClampValue(int32_t value) const;

    virtual bool IsValidChar(char key);
    virtual void UpClick(TObject* sender);
    virtual void DownClick(TObject* sender);

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void Loaded() override;
    void WndProc(TMessage& message) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;

private:
    void Step(int64_t delta);
    void SetEditRect();
    void PlaceButton();
    int GetMinHeight();
    bool ClipboardHoldsNumberText();

    TSpinButton* FButton = nullptr;
    int32_t FMinValue = 0;
    int32_t FMaxValue = 0;
    int32_t FIncrement = 1;
    bool FEditorEnabled = true;
};
