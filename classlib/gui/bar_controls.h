// Controls with a position in a range: scroll bars, track bars and up-down buttons.
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

enum TTrackBarOrientation : uint8_t { trHorizontal, trVertical };
enum TTickStyle : uint8_t { tsNone, tsAuto, tsManual };
enum TTickMark : uint8_t { tmBottomRight, tmTopLeft, tmBoth };

// A track bar window of the system class: a thumb slid along a channel with tick marks.
class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TComponent* owner);
    const char* ClassName() const override { return "TTrackBar"; }
    TTrackBarOrientation GetOrientation() const { return FOrientation; }
    // A new orientation turns the bar: width and height change places (not while loading).
    void SetOrientation(TTrackBarOrientation v);
    int GetMin() const { return FMin; }
    void SetMin(int v);
    int GetMax() const { return FMax; }
    void SetMax(int v);
    int GetPosition() const;
    // Kept within Min..Max; a change fires OnChange.
    void SetPosition(int v);
    // Every Frequency-th position gets a tick (tsAuto).
    int GetFrequency() const { return FFrequency; }
    void SetFrequency(int v);
    int GetLineSize() const { return FLineSize; }
    void SetLineSize(int v);
    int GetPageSize() const { return FPageSize; }
    void SetPageSize(int v);
    // The selected part of the channel (none while SelStart is not below SelEnd).
    int GetSelStart() const { return FSelStart; }
    void SetSelStart(int v);
    int GetSelEnd() const { return FSelEnd; }
    void SetSelEnd(int v);
    TTickStyle GetTickStyle() const { return FTickStyle; }
    void SetTickStyle(TTickStyle v);
    TTickMark GetTickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark v);
    // Adds a tick at a position (tsManual).
    void SetTick(int value);
    TNotifyEvent OnChange;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    virtual void Changed();
private:
    // Range, steps, selection and position into the window.
    void WriteSettings();
    TTrackBarOrientation FOrientation = trHorizontal;
    int FMin = 0, FMax = 10, FPosition = 0;
    int FFrequency = 1, FLineSize = 1, FPageSize = 2;
    int FSelStart = 0, FSelEnd = 0;
    TTickStyle FTickStyle = tsAuto;
    TTickMark FTickMarks = tmBottomRight;
};

enum TUDOrientation : uint8_t { udHorizontal, udVertical };
enum TUDAlignButton : uint8_t { udLeft, udRight };
enum TUDBtnType : uint8_t { btNext, btPrev };
using TUDClickEvent = std::function<void(TObject* sender, TUDBtnType button)>;

// An up-down window of the system class: two arrow buttons stepping Position by Increment.
// With an Associate it sits beside that control and writes the position into it.
class TCustomUpDown : public TWinControl {
public:
    explicit TCustomUpDown(TComponent* owner);
    ~TCustomUpDown() override;
    const char* ClassName() const override { return "TCustomUpDown"; }
    TUDOrientation GetOrientation() const { return FOrientation; }
    // A new orientation turns the buttons: width and height change places (not while loading).
    void SetOrientation(TUDOrientation v);
    int GetMin() const { return FMin; }
    void SetMin(int v);
    int GetMax() const { return FMax; }
    void SetMax(int v);
    int GetPosition() const;
    // Kept within Min..Max.
    void SetPosition(int v);
    int GetIncrement() const { return FIncrement; }
    void SetIncrement(int v);
    // Past one end the position goes round to the other.
    bool GetWrap() const { return FWrap; }
    void SetWrap(bool v);
    bool GetArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool v);
    TUDAlignButton GetAlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton v);
    TWinControl* GetAssociate() const { return FAssociate; }
    void SetAssociate(TWinControl* control);
    // A button was clicked (after the position moved).
    TUDClickEvent OnClick;
protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void ButtonClicked(TUDBtnType button);
private:
    // Range, step and position into the window.
    void WriteSettings();
    TUDOrientation FOrientation = udVertical;
    int FMin = 0, FMax = 100, FPosition = 0;
    int FIncrement = 1;
    bool FWrap = false;
    bool FArrowKeys = true;
    TUDAlignButton FAlignButton = udRight;
    TWinControl* FAssociate = nullptr;
    int FLastDelta = 0;
};

class TUpDown : public TCustomUpDown {
public:
    explicit TUpDown(TComponent* owner) : TCustomUpDown(owner) {}
    const char* ClassName() const override { return "TUpDown"; }
};
