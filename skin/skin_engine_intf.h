// What the hook, the caches' painter and the control bases need of the skin engine component
// and of a skin window. The engine and the skin windows implement these; tests use fakes.
#pragma once
#include "classlib/gui/windows_api.h"

#include <cstdint>

#include "classlib/gui/graphics.h"

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
};
