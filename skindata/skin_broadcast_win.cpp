#include "skindata/skin_broadcast.h"

#include <vector>

#include "classlib/gui/forms.h"
#include "skindata/skin_data.h"

namespace {

bool IsLiveForm(TCustomForm* form) {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) == form) return !form->IsDestroying();
    return false;
}

}  // namespace

void BroadcastToForms(TgwSkinData* sender, unsigned msg) {
    // A form's handler may free forms: deliver to a snapshot, checking each before sending.
    std::vector<TCustomForm*> forms;
    auto* owner = dynamic_cast<TCustomForm*>(sender->GetOwner());
    if (owner) forms.push_back(owner);
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) != owner) forms.push_back(Screen->Forms(i));
    for (TCustomForm* form : forms) {
        if (!IsLiveForm(form)) continue;
        // GetHandle makes the window of a form that has none yet.
        SendMessageA(form->GetHandle(), msg, reinterpret_cast<WPARAM>(sender), static_cast<LPARAM>(kSkinDataMessageTag));
    }
}
