// The life of every control, for whoever keeps plain pointers to controls (the application,
// the screen, forms, the skin engine's registries): one list of observers in place of code
// that knows them all.
//
//   Created       at the end of TControl's constructor (the object is still being built: keep
//                 its address, do not ask what kind it is yet)
//   Destroying    destruction has begun; the object and its window still exist. Sent for a
//                 component's owned controls right after the owner's, so a form's whole tree
//                 hears before any of it is freed.
//   Destroyed     the control's part of the object is gone; forget the pointer
//   FocusChanged  the control's window got the keyboard focus
#pragma once
#include "classlib/multicast.h"

class TControl;

enum class TLifecycleEvent { Created, Destroying, Destroyed, FocusChanged };

using TControlLifecycle = TMulticast<TLifecycleEvent, TControl*>;

// The program's one list (main thread only, like the controls).
TControlLifecycle& ControlLifecycle();
