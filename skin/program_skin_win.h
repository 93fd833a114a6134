// The skin engine our programs' main forms carry, set as their stored properties are and
// holding our default skin (resource LUMSKIN_DEFAULT, RCDATA).
#pragma once
#include "skin/skin_engine_win.h"

// Call from the form's constructor while it is loading; the form owns the engine.
TlumSkinEngine* CreateProgramSkinEngine(TCustomForm* form);
