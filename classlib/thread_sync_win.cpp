#include <windows.h>

#include "classlib/thread_sync.h"

static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");
static_assert(sizeof(CONDITION_VARIABLE) == sizeof(void*), "a CONDITION_VARIABLE is one pointer");

namespace {
PSRWLOCK Native(void*& lock) { return reinterpret_cast<PSRWLOCK>(&lock); }
PCONDITION_VARIABLE NativeCondition(void*& condition) { return reinterpret_cast<PCONDITION_VARIABLE>(&condition); }

// TryAcquireSRWLockExclusive came with Windows 7, the rest of the lock with Vista: it is looked
// up when first used, so that importing it does not raise the programs' floor above Vista.
using TTryAcquire = BOOLEAN(WINAPI*)(PSRWLOCK);
TTryAcquire TryAcquireExclusive() {
    static const TTryAcquire found = reinterpret_cast<TTryAcquire>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "TryAcquireSRWLockExclusive")));
    return found;
}
}  // namespace

void TLightMutex::lock() { AcquireSRWLockExclusive(Native(FLock)); }
// Without the system's call (Vista) the attempt fails, as std::mutex::try_lock may spuriously.
bool TLightMutex::try_lock() {
    TTryAcquire tryAcquire = TryAcquireExclusive();
    return tryAcquire && tryAcquire(Native(FLock)) != 0;
}
void TLightMutex::unlock() { ReleaseSRWLockExclusive(Native(FLock)); }

void TLightCondition::notify_one() { WakeConditionVariable(NativeCondition(FCondition)); }
void TLightCondition::notify_all() { WakeAllConditionVariable(NativeCondition(FCondition)); }

void TLightCondition::wait(std::unique_lock<TLightMutex>& lock) {
    SleepConditionVariableSRW(NativeCondition(FCondition), Native(lock.mutex()->FLock), INFINITE, 0);
}

void TLightCondition::WaitMilliseconds(std::unique_lock<TLightMutex>& lock, long long milliseconds) {
    const DWORD ms = milliseconds <= 0 ? 0 : milliseconds >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(milliseconds);
    SleepConditionVariableSRW(NativeCondition(FCondition), Native(lock.mutex()->FLock), ms, 0);
}
