// Pumping the message queue from inside long loops (directory records, entries, data
// blocks) keeps the caller's windows alive, but each look at the queue is a system call
// (under Wine a round trip to the server): the loops pump at most once per interval.
#pragma once
#include <chrono>

using TPumpClock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPumpInterval(20);

// True when Now is at least kPumpInterval after Last, which then becomes Now. A default
// Last means "not pumped yet": the first call is always due.
bool PumpDue(TPumpClock::time_point& last, TPumpClock::time_point now);

// Empties the queue (ProcessWindowMessages) when a pump is due; true when a WM_QUIT ended it.
bool ThrottledProcessMessages(TPumpClock::time_point& last);
