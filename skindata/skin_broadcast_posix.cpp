#include "skindata/skin_broadcast.h"

// No window system here: no form to tell.
void BroadcastToForms(TgwSkinData*, unsigned) {}
