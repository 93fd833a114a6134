#include "classlib/thread_sync.h"

void TLightMutex::lock() { FLock.lock(); }
bool TLightMutex::try_lock() { return FLock.try_lock(); }
void TLightMutex::unlock() { FLock.unlock(); }

void TLightCondition::notify_one() { FCondition.notify_one(); }
void TLightCondition::notify_all() { FCondition.notify_all(); }

// The caller's lock holds the inner mutex: it is lent to the condition and handed back
// still locked.
void TLightCondition::wait(std::unique_lock<TLightMutex>& lock) {
    std::unique_lock<std::mutex> inner(lock.mutex()->FLock, std::adopt_lock);
    FCondition.wait(inner);
    inner.release();
}

void TLightCondition::WaitMilliseconds(std::unique_lock<TLightMutex>& lock, long long milliseconds) {
    std::unique_lock<std::mutex> inner(lock.mutex()->FLock, std::adopt_lock);
    FCondition.wait_for(inner, std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds));
    inner.release();
}
