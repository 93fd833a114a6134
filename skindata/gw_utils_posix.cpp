#include "skindata/gw_utils.h"

// No window system here: the entry points stay null.
const TgwMonitorFunctions& GetMonitorFunctions() {
    static const TgwMonitorFunctions none;
    return none;
}
