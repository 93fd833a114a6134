// A mutex and a condition variable for worker threads that hand each other work thousands of
// times a second. Under Windows they are the system's slim reader/writer lock and condition
// variable, which wait inside the process; the C++ library's mutex and condition variable of
// the mingw build wait on events and semaphores instead, and under Wine every signal and
// every wait on those is a round trip to the Wine server, which the file calls of the same
// threads queue behind. Elsewhere they are std::mutex and std::condition_variable.
//
// TLightMutex meets the standard's Lockable requirements (std::lock_guard, std::unique_lock);
// under Windows Vista, which lacks the system's try-lock, try_lock always fails (the standard
// lets a try_lock fail spuriously), so nothing may spin on it;
// TLightCondition has the interface of std::condition_variable for std::unique_lock of a
// TLightMutex. Neither can be copied or moved.
#pragma once
#include <chrono>
#include <mutex>
#if !defined(_WIN32)
#include <condition_variable>
#endif

class TLightMutex {
public:
    TLightMutex() = default;
    TLightMutex(const TLightMutex&) = delete;
    TLightMutex& operator=(const TLightMutex&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    friend class TLightCondition;
#if defined(_WIN32)
    void* FLock = nullptr;   // an SRWLOCK, whose unlocked state is all zero
#else
    std::mutex FLock;
#endif
};

class TLightCondition {
public:
    TLightCondition() = default;
    TLightCondition(const TLightCondition&) = delete;
    TLightCondition& operator=(const TLightCondition&) = delete;

    void notify_one();
    void notify_all();
    void wait(std::unique_lock<TLightMutex>& lock);
    template <class Predicate>
    void wait(std::unique_lock<TLightMutex>& lock, Predicate ready) {
        while (!ready()) wait(lock);
    }
    // Ready() once it holds, or its value when Timeout has passed.
    template <class Rep, class Period, class Predicate>
    bool wait_for(std::unique_lock<TLightMutex>& lock, const std::chrono::duration<Rep, Period>& timeout,
                  Predicate ready) {
        using namespace std::chrono;
        const steady_clock::time_point deadline = steady_clock::now() + duration_cast<steady_clock::duration>(timeout);
        while (!ready()) {
            const steady_clock::time_point now = steady_clock::now();
            if (now >= deadline) return ready();
            WaitMilliseconds(lock, duration_cast<milliseconds>(deadline - now).count() + 1);
        }
        return true;
    }

private:
    // Returns when notified, spuriously, or after about Milliseconds.
    void WaitMilliseconds(std::unique_lock<TLightMutex>& lock, long long milliseconds);

#if defined(_WIN32)
    void* FCondition = nullptr;   // a CONDITION_VARIABLE, all zero when nobody waits
#else
    std::condition_variable FCondition;
#endif
};
