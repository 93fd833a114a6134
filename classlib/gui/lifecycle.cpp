#include "classlib/gui/lifecycle.h"

TControlLifecycle& ControlLifecycle() {
    static TControlLifecycle list;
    return list;
}
