// ShowMessage apart from the common dialogs: a program that only shows messages (the player)
// then does not load the dialogs' system library, and its printing libraries, when it starts.
#include "classlib/gui/application.h"
#include "classlib/gui/dialogs.h"

void ShowMessage(const AnsiString& text) { Application->MessageBox(text, Application->GetTitle(), MB_OK); }
