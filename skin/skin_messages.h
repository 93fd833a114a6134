// The skin engine's private window messages (the range the class library leaves to programs).
#pragma once
#include "skin/skin_engine_intf.h"   // WM_SKIN_QUERY, WM_SKIN_ISACTIVE, WM_SKIN_REPAINT

enum : UINT {
    WM_SKIN_NCREPAINT = 0x2AAD,
    WM_SKIN_MDICHILDMENU = 0x83E8,
    WM_SKIN_MENUBARHEIGHT = 0x83E9,
    WM_SKIN_MDILISTCHANGED = 0x83EA,
    WM_SKIN_CAPTIONHEIGHT = 0x83EB,
    WM_SKIN_MDIHIDDEN = 0x83EE,
};

// A docked form floats again (the class library's message; the skin re-checks its caption).
enum : UINT { CM_FLOAT = 0xB03A };
