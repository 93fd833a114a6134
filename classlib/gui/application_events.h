// TApplicationEvents: the application's OnMessage, OnIdle and OnException for one more
// listener, so that several parts of a program (the player's key filter, the skin engine's
// shortcut handler) listen at once without displacing each other. Listeners are called after
// the application's own events, in the order they were created: a message set handled stops
// the next listener; every idle listener runs (the loop waits only when all say done); an
// exception goes to every listener with OnException (the message box shows when none has one).
#pragma once
#include "classlib/gui/application.h"
#include "classlib/multicast.h"

class TApplicationEvents : public TComponent {
public:
    explicit TApplicationEvents(TComponent* owner);
    const char* ClassName() const override { return "TApplicationEvents"; }

    TMessageEvent OnMessage;
    TIdleEvent OnIdle;
    TExceptionEvent OnException;

private:
    TSubscription FMessage, FIdle, FException;
};
