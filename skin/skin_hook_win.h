// The thread's WH_CBT hook of the skin engine: sees every window of the GUI thread being created
// and activated, refuses size grips of skinned windows and skins dialogs, message boxes, dock
// hosts and auto-skin classes through the engine that installed it.
#pragma once
#include "classlib/gui/windows_api.h"

#include "skin/skin_engine_intf.h"

// The first engine installs the hook; later ones find it there. Returns true when this call
// installed it.
bool InstallSkinHook(TlumSkinEngineIntf* engine);
// Called by every engine's destructor: removes the hook when this engine installed it.
void RemoveSkinHook(TlumSkinEngineIntf* engine);
TlumSkinEngineIntf* SkinHookEngine();

// The dialog destroyed last (written by foreign-window skins): its handle's next activation
// is not skinned.
void SetLastDestroyedDialog(HWND dialog);
HWND GetLastDestroyedDialog();

LRESULT CALLBACK SkinCBTHook(int code, WPARAM wParam, LPARAM lParam);
