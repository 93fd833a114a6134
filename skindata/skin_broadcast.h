// Delivery of the skin-data messages to the application's forms: the window system's part of
// TgwSkinData::BroadcastSkinMessage.
#pragma once

class TgwSkinData;

// Sends msg with SendMessage (WPARAM the skin data, LPARAM kSkinDataMessageTag) to the skin
// data's owner when that is a form, then to every other form of Screen in order. A form
// without a window gets one; a form freed or being destroyed meanwhile is skipped. Without a
// window system there are no forms and nothing is sent.
void BroadcastToForms(TgwSkinData* sender, unsigned msg);
