// Window messages as the class library passes them around: TMessage, and the library's
// own notification messages (CM_*) and the reflected notifications of child windows (CN_*).
#pragma once
#include "classlib/gui/windows_api.h"

#include <cstdint>

// One message on its way through a control's WindowProc. WParam, LParam and Result have
// the platform's pointer size.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const { return LOWORD(WParam); }
    WORD WParamHi() const { return HIWORD(WParam); }
    WORD LParamLo() const { return LOWORD(LParam); }
    WORD LParamHi() const { return HIWORD(LParam); }
    // Signed client coordinates of a mouse message.
    int XPos() const { return static_cast<short>(LOWORD(LParam)); }
    int YPos() const { return static_cast<short>(HIWORD(LParam)); }
};

// A queued message as the application's message event sees it.
using TMsg = MSG;

// Notifications between controls of the class library.
enum : UINT {
    CM_BASE = 0xB000,
    CM_ACTIVATE = CM_BASE + 0,
    CM_DEACTIVATE = CM_BASE + 1,
    CM_GOTFOCUS = CM_BASE + 2,
    CM_LOSTFOCUS = CM_BASE + 3,
    CM_CANCELMODE = CM_BASE + 4,
    CM_DIALOGKEY = CM_BASE + 5,
    CM_DIALOGCHAR = CM_BASE + 6,
    CM_FOCUSCHANGED = CM_BASE + 7,
    CM_PARENTFONTCHANGED = CM_BASE + 8,
    CM_PARENTCOLORCHANGED = CM_BASE + 9,
    CM_HITTEST = CM_BASE + 10,
    CM_VISIBLECHANGED = CM_BASE + 11,
    CM_ENABLEDCHANGED = CM_BASE + 12,
    CM_COLORCHANGED = CM_BASE + 13,
    CM_FONTCHANGED = CM_BASE + 14,
    CM_CURSORCHANGED = CM_BASE + 15,
    CM_CTL3DCHANGED = CM_BASE + 16,
    CM_PARENTCTL3DCHANGED = CM_BASE + 17,
    CM_TEXTCHANGED = CM_BASE + 18,
    CM_MOUSEENTER = CM_BASE + 19,
    CM_MOUSELEAVE = CM_BASE + 20,
    CM_MENUCHANGED = CM_BASE + 21,
    CM_APPKEYDOWN = CM_BASE + 22,
    CM_APPSYSCOMMAND = CM_BASE + 23,
    CM_BUTTONPRESSED = CM_BASE + 24,
    CM_SHOWINGCHANGED = CM_BASE + 25,
    CM_ENTER = CM_BASE + 26,
    CM_EXIT = CM_BASE + 27,
    CM_DESIGNHITTEST = CM_BASE + 28,
    CM_ICONCHANGED = CM_BASE + 29,
    CM_WANTSPECIALKEY = CM_BASE + 30,
    CM_INVOKEHELP = CM_BASE + 31,
    CM_WINDOWHOOK = CM_BASE + 32,
    CM_RELEASE = CM_BASE + 33,
    CM_SHOWHINTCHANGED = CM_BASE + 34,
    CM_PARENTSHOWHINTCHANGED = CM_BASE + 35,
    CM_SYSCOLORCHANGE = CM_BASE + 36,
    CM_WININICHANGE = CM_BASE + 37,
    CM_FONTCHANGE = CM_BASE + 38,
    CM_TIMECHANGE = CM_BASE + 39,
    CM_TABSTOPCHANGED = CM_BASE + 40,
    CM_UIACTIVATE = CM_BASE + 41,
    CM_UIDEACTIVATE = CM_BASE + 42,
    CM_DOCWINDOWACTIVATE = CM_BASE + 43,
    CM_CONTROLLISTCHANGE = CM_BASE + 44,
    CM_GETDATALINK = CM_BASE + 45,
    CM_CHILDKEY = CM_BASE + 46,
    CM_DRAG = CM_BASE + 47,
    CM_HINTSHOW = CM_BASE + 48,
    CM_DIALOGHANDLE = CM_BASE + 49,
    CM_ISTOOLCONTROL = CM_BASE + 50,
    CM_RECREATEWND = CM_BASE + 51,
    CM_INVALIDATE = CM_BASE + 52,
    CM_SYSFONTCHANGED = CM_BASE + 53,
    CM_CONTROLCHANGE = CM_BASE + 54,
    CM_CHANGED = CM_BASE + 55,
    CM_BORDERCHANGED = CM_BASE + 59,
};

// Notifications a parent window receives about a child, handed back to the child's object.
enum : UINT {
    CN_BASE = 0xBC00,
    CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM,
    CN_COMMAND = CN_BASE + WM_COMMAND,
    CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM,
    CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
    CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG,
    CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
    CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
    CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX,
    CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR,
    CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
    CN_DELETEITEM = CN_BASE + WM_DELETEITEM,
    CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
    CN_HSCROLL = CN_BASE + WM_HSCROLL,
    CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
    CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY,
    CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM,
    CN_VSCROLL = CN_BASE + WM_VSCROLL,
    CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
    CN_KEYUP = CN_BASE + WM_KEYUP,
    CN_CHAR = CN_BASE + WM_CHAR,
    CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
    CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
    CN_NOTIFY = CN_BASE + WM_NOTIFY,
};
