// Skins of the controls that show a value in a range: the track bar and the progress bar,
// painted whole off screen in place of their own painting, and the up-down, painted over its
// own painting with the held button in the skin's down colour.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "skin/skin_control_bases_win.h"

class TlumSkinTrackBar : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinTrackBar"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    void ApplySkinColours() override;
    void Restore() override;
    // nullptr without a skin: the track bar keeps its own look.
    TBitmap* GetChannelBitmap() const { return FChannelBitmap.get(); }

private:
    std::unique_ptr<TBitmap> FChannelBitmap;
};

class TlumSkinProgressBar : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinProgressBar"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    // The filled length of an inner length for a position (clamped into min..max; none when
    // the range is empty). Wide ranges are reckoned in 64 bits.
    static int FillLength(int position, int min, int max, int length);
};

class TlumSkinUpDown : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinUpDown"; }
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    // A picker's own up-down looks as the picker is: enabled only when both are.
    bool IsEnabled() override;
    // -1 the first button (up or left) is held, 1 the second, 0 none.
    int GetHitButton() const { return FHitButton; }
    // The two buttons of a control of that size: [0] up or left, [1] down or right.
    static void ButtonRects(int width, int height, bool vertical, TRect& first, TRect& second);

private:
    int FHitButton = 0;
    bool FPressing = false;   // a press is being handled: a capture given up now is passed on
    bool FLetGo = false;      // the mouse was taken from a held button: drawn normal after
};
