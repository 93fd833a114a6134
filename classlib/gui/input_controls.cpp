#include "classlib/gui/input_controls.h"

#include <commctrl.h>

#include "classlib/gui/gui_internal.h"

using gui_internal::NameIn;

TCustomHotKey::TCustomHotKey(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    FTabStop = true;
    FWidth = 121;
    FHeight = 25;
}

bool TCustomHotKey::HasProperty(const AnsiString& name) const { return NameIn(name, {"BevelEdges"}); }

void TCustomHotKey::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SystemClassName = HOTKEY_CLASSA;
    p.ExStyle |= WS_EX_CLIENTEDGE;
}
