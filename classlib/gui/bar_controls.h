// Bars with a position: scroll bars.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/controls.h"

enum TScrollBarKind : uint8_t { sbHorizontal, sbVertical };

// A scroll bar window of the system class. Arrows, page clicks and dragging move Position by
// SmallChange, LargeChange or to the thumb, each change firing OnChange.
class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent* owner);
    const char* ClassName() const override { return "TScrollBar"; }
    TScrollBarKind GetKind() const { return FKind; }
    // A new kind turns the bar: width and height change places (not while loading).
    void SetKind(TScrollBarKind v);
    int GetPosition() const { return FPosition; }
    // Kept within Min..Max.
    void SetPosition(int v) { SetParams(v, FMin, FMax); }
    int GetMin() const { return FMin; }
    void SetMin(int v) { SetParams(FPosition, v, FMax); }
    int GetMax() const { return FMax; }
    void SetMax(int v) { SetParams(FPosition, FMin, v); }
    // All three at once; a maximum below the minimum is refused (EInvalidOperation).
    void SetParams(int position, int min, int max);
    int GetSmallChange() const { return FSmallChange; }
    void SetSmallChange(int v) { FSmallChange = v; }
    int GetLargeChange() const { return FLargeChange; }
    void SetLargeChange(int v) { FLargeChange = v; }
    // Size of the thumb in position units (0: the system's square thumb).
    int GetPageSize() const { return FPageSize; }
    void SetPageSize(int v);
    TNotifyEvent OnChange;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    virtual void Change();
private:
    void Scroll(WORD code);
    void UpdateScrollInfo();
    TScrollBarKind FKind = sbHorizontal;
    int FPosition = 0, FMin = 0, FMax = 100;
    int FSmallChange = 1, FLargeChange = 1;
    int FPageSize = 0;
};
