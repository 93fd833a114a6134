#include "classlib/gui/application_events.h"

TApplicationEvents::TApplicationEvents(TComponent* owner) : TComponent(owner) {
    FMessage = Application->AddMessageListener([this](TMsg& msg, bool& handled) {
        if (OnMessage) OnMessage(msg, handled);
    });
    FIdle = Application->AddIdleListener([this](TObject* sender, bool& done) {
        if (!OnIdle) return;
        bool mine = true;
        OnIdle(sender, mine);
        if (!mine) done = false;
    });
    FException = Application->AddExceptionListener([this](TObject* sender, const Exception& e, bool& taken) {
        if (!OnException) return;
        OnException(sender, e);
        taken = true;
    });
}
