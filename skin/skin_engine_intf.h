// What the hook, the caches' painter and the control bases need of the skin engine component
// and of a skin window. The engine and the skin windows implement these; tests use fakes.
#pragma once
#include "classlib/gui/windows_api.h"

#include <cstdint>

#include "classlib/gui/graphics.h"

class TCustomForm;
class TlumSkinScrollBtnRes;

// Private window messages of the skin engine.
enum : UINT {
    WM_SKIN_QUERY = 0x2AAA,      // answered 1 by every skinned window and control
    WM_SKIN_ISACTIVE = 0x2AAB,   // 1 drawn active, 2 inactive
    WM_SKIN_REPAINT = 0x2AAC,    // a skinned control repaints
};

class TlumSkinEngineIntf {
public:
    virtual ~TlumSkinEngineIntf() = default;
    // Active, Ready and not designing.
    virtual bool IsSkinActive() const = 0;
    // The engine is being destroyed.
    virtual bool IsEngineDestroying() const = 0;
    virtual bool GetSkinDialogs() const = 0;
    virtual intptr_t GetDisabledTag() const = 0;
    virtual bool GetDrawScrollBar() const = 0;
    // Skins a top-level window (nothing when it already is).
    virtual void SkinWindow(HWND window, bool fromHook) = 0;
    // The current skin's colour (group-relative index), -1 when missing.
    virtual TColor GetSkinColor(uint8_t index) const = 0;
    virtual TlumSkinScrollBtnRes* GetScrollBtnRes() = 0;
};

class TlumSkinWindowIntf {
public:
    virtual ~TlumSkinWindowIntf() = default;
    virtual TlumSkinEngineIntf* GetEngine() const = 0;
    // Set for windows with an animation or a progress bar child: foreign button skins run
    // without their timer then.
    virtual void SetAnimationOrProgress(bool value) = 0;
    virtual bool GetAnimationOrProgress() const = 0;
    // The skinned form, or nullptr (a foreign window, or the form began to go).
    virtual TCustomForm* GetForm() const { return nullptr; }
};

// A skin window as the target of the engine's system-menu popup: the three caption operations
// and which caption buttons its frame showed at its last paint. Opening the popup binds the
// target into the popup's slot; a target clears that slot when it is destroyed, so a click
// that arrives after its window went finds no target rather than a freed one.
using TSysMenuButtons = uint8_t;
enum : TSysMenuButtons { sbMinimizeShown = 1, sbMaximizeShown = 2, sbCloseShown = 4 };

class TlumSkinSysMenuTarget {
public:
    using TSlot = std::shared_ptr<TlumSkinSysMenuTarget*>;
    TlumSkinSysMenuTarget() = default;
    TlumSkinSysMenuTarget(const TlumSkinSysMenuTarget&) = delete;
    TlumSkinSysMenuTarget& operator=(const TlumSkinSysMenuTarget&) = delete;
    virtual ~TlumSkinSysMenuTarget() { LeaveSlot(); }
    virtual void DoMinimize() = 0;
    virtual void DoMaxRestore() = 0;
    virtual void DoClose() = 0;
    virtual TSysMenuButtons PaintedCaptionButtons() const = 0;

    // Becomes the slot's target (the popup's side calls this).
    void BindSlot(const TSlot& slot) {
        LeaveSlot();
        FSlot = slot;
        if (slot) *slot = this;
    }

private:
    void LeaveSlot() {
        if (TSlot slot = FSlot.lock())
            if (*slot == this) *slot = nullptr;
        FSlot.reset();
    }
    std::weak_ptr<TlumSkinSysMenuTarget*> FSlot;
};
