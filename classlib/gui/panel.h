// Panels: a window of our own class with a bevelled frame and a centred caption.
#pragma once
#include "classlib/gui/controls.h"

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* owner);
    const char* ClassName() const override { return "TCustomPanel"; }
    bool HasProperty(const AnsiString& name) const override;
    TBevelCut GetBevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    TBevelCut GetBevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    int GetBevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    int GetBorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v);
    TBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    void AdjustClientRect(TRect& rect) const override;
protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
    void Paint() override;
private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
    const char* ClassName() const override { return "TPanel"; }
};
