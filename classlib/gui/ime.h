// Input methods chosen by name. A control that names an input method (ImeName) switches the
// thread to the keyboard layout whose input-method description is that name while it has the
// focus, and gives the layout it found back when the focus leaves. A name that no installed
// layout carries changes nothing.
#pragma once
#include "classlib/gui/windows_api.h"

#include <vector>

#include "classlib/classes.h"

// Where the keyboard layouts come from: the system's, or a stand-in (a machine without the
// input method wanted, such as Wine, cannot show the choice otherwise).
class TKeyboardLayouts {
public:
    virtual ~TKeyboardLayouts() = default;
    virtual std::vector<HKL> List() = 0;                   // GetKeyboardLayoutList
    virtual AnsiString ImeDescription(HKL layout) = 0;     // ImmGetDescriptionA; empty: no IME
    virtual HKL Active() = 0;                              // GetKeyboardLayout(0)
    virtual void Activate(HKL layout) = 0;                 // ActivateKeyboardLayout
};

// The layouts in use: the system's unless a stand-in was set; SetKeyboardLayouts(nullptr)
// goes back to the system's. The stand-in stays the caller's.
TKeyboardLayouts& KeyboardLayouts();
void SetKeyboardLayouts(TKeyboardLayouts* layouts);

// The input method one control asks for. Enter on getting the focus, Leave on losing it.
class TImeSwitch {
public:
    TImeSwitch() = default;
    TImeSwitch(const TImeSwitch&) = delete;
    TImeSwitch& operator=(const TImeSwitch&) = delete;
    ~TImeSwitch() { Leave(); }

    const AnsiString& GetName() const { return FName; }
    void SetName(const AnsiString& name) { FName = name; }
    void Enter();
    void Leave();

private:
    AnsiString FName;
    HKL FPrevious = nullptr;   // the layout to give back, while ours is active
    bool FSwitched = false;
};
