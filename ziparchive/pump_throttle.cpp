#include "ziparchive/pump_throttle.h"

#include "ziparchive/file_utils.h"

bool PumpDue(TPumpClock::time_point& last, TPumpClock::time_point now) {
    if (last != TPumpClock::time_point() && now - last < kPumpInterval) return false;
    last = now;
    return true;
}

bool ThrottledProcessMessages(TPumpClock::time_point& last) {
    return PumpDue(last, TPumpClock::now()) && ProcessWindowMessages();
}
