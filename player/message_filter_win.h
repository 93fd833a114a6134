// The player's message filter as the application's message event (Application->OnMessage).
#pragma once
#include "classlib/gui/application.h"

// The application's message event: swallows what FilterPlayerMessage refuses, reading the
// keyboard's Ctrl state for each message. Only ever sets handled to true.
void AppMessageFilter(TMsg& msg, bool& handled);
// Makes AppMessageFilter the application's message event.
void InstallAppMessageFilter();
// Forgets a held Ctrl key (the browser window does this when it is shown).
void ClearCtrlDown();
// The filter's memory of the Ctrl key.
bool GetCtrlDown();
