#include "skin/skin_ctrl_helpers_win.h"

POINT MessageCursor() {
    const DWORD pos = GetMessagePos();
    return POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
}

LPARAM PointParam(const POINT& p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }
