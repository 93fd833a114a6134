// Skins of the date-time picker and the extended combo box. A picker with a calendar gets the
// skinned drop-down button; one with up-down buttons gets a class-library up-down laid over the
// native one, which is hidden while the skin is on and shown again when the skin goes. The
// extended combo box is painted over its inner combo box: frame, button and arrow.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/bar_controls.h"
#include "classlib/gui/date_time_picker.h"
#include "classlib/gui/window_proc_hook.h"
#include "skin/skin_control_bases_win.h"

class TlumSkinDateTimePicker;

// The up-down over a picker's native one, 16 pixels wide along the picker's right edge. Its
// presses reach the native up-down at the same screen point, so the native one still does the
// stepping; the native one then holds the mouse and gets the release, which is played back
// here when it lets go, so that this one's skin lets go of its held button too. It looks
// enabled or disabled as the picker is. Owned by the picker: it dies with it.
class TlumSkinInternalUpDown : public TUpDown {
public:
    TlumSkinInternalUpDown(TWinControl* host, TlumSkinDateTimePicker* skin);
    ~TlumSkinInternalUpDown() override;
    const char* ClassName() const override { return "TlumSkinInternalUpDown"; }
    TWinControl* GetHostControl() const { return FHostControl; }
    void ForgetSkin() { FSkin = nullptr; }

protected:
    void WndProc(TMessage& message) override;

private:
    // Watches the native up-down for the end of the press passed on to it.
    void WatchNative(HWND native);
    void PlayBackRelease();
    TWinControl* FHostControl;         // the picker; its owner
    TlumSkinDateTimePicker* FSkin;     // the skin that made it; nullptr once that is gone
    std::unique_ptr<TSubclassHook> FNativeWatch;   // on the native up-down, once a press went there
    bool FPressPassedOn = false;       // the native up-down holds the mouse for a press of ours
    bool FPlayingBack = false;         // the release now in the message path is a played-back one
};

class TlumSkinDateTimePicker : public TlumSkinExtComboboxLikeControl {
public:
    using TlumSkinExtComboboxLikeControl::TlumSkinExtComboboxLikeControl;
    ~TlumSkinDateTimePicker() override;
    const char* ClassName() const override { return "TlumSkinDateTimePicker"; }
    void SaveOriginal() override;
    void ApplySkinColours() override;
    // The up-down is drawn again when the picker is enabled or disabled.
    void AfterMessage(TMessage& message) override;
    // Frees the drop-down button and the up-down, and shows the native up-down again.
    void Restore() override;
    TlumSkinInternalUpDown* GetUpDown() const { return FUpDown; }
    // A calendar to drop down: not in dmUpDown, and never for a time picker.
    static bool HasDropDownButton(const TDateTimePicker* picker);
    // The picker's own up-down window (not the skin's), or nullptr.
    HWND NativeUpDown() const;

private:
    friend class TlumSkinInternalUpDown;
    void FreeUpDown();
    TlumSkinInternalUpDown* FUpDown = nullptr;
    bool FNativeHidden = false;   // the skin hid the native up-down
};

class TlumSkinComboBoxEx : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinComboBoxEx"; }
    void AfterMessage(TMessage& message) override;
    // Nothing for csExSimple, before the window exists, or when the combo box cannot be read.
    void Paint() override;
};
