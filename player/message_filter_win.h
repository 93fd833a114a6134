// The player's message filter as a listener of the application's message event (its own
// TApplicationEvents, so that other listeners can join beside it).
#pragma once
#include "classlib/gui/application_events.h"

// The application's message event: swallows what FilterPlayerMessage refuses, reading the
// keyboard's Ctrl state for each message. Only ever sets handled to true.
void AppMessageFilter(TMsg& msg, bool& handled);
// Makes AppMessageFilter listen to the application's messages for as long as owner lives.
TApplicationEvents* InstallAppMessageFilter(TComponent* owner);
// Forgets a held Ctrl key (the browser window does this when it is shown).
void ClearCtrlDown();
// The filter's memory of the Ctrl key.
bool GetCtrlDown();
