#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <thread>
#include <vector>

#include "classlib/thread_sync.h"

// Items handed from one producer to several consumers, each wake-up a notify_one: a lost
// wake-up leaves a consumer asleep with work queued (the test then never ends), a broken
// lock loses or doubles items.
TEST(ThreadSync, EveryItemHandedOverOnce) {
    constexpr int kItems = 20000;
    constexpr int kConsumers = 3;
    TLightMutex lock;
    TLightCondition changed;
    std::deque<int> queue;
    bool finished = false;
    std::vector<long long> sums(kConsumers, 0);
    std::vector<int> counts(kConsumers, 0);
    std::vector<std::thread> consumers;
    for (int c = 0; c < kConsumers; ++c) {
        consumers.emplace_back([&, c] {
            for (;;) {
                std::unique_lock<TLightMutex> guard(lock);
                changed.wait(guard, [&] { return finished || !queue.empty(); });
                if (queue.empty()) return;
                sums[static_cast<size_t>(c)] += queue.front();
                ++counts[static_cast<size_t>(c)];
                queue.pop_front();
            }
        });
    }
    for (int i = 1; i <= kItems; ++i) {
        {
            std::lock_guard<TLightMutex> guard(lock);
            queue.push_back(i);
        }
        changed.notify_one();
    }
    {
        std::lock_guard<TLightMutex> guard(lock);
        finished = true;
    }
    changed.notify_all();
    for (std::thread& t : consumers) t.join();
    long long sum = 0;
    int count = 0;
    for (int c = 0; c < kConsumers; ++c) {
        sum += sums[static_cast<size_t>(c)];
        count += counts[static_cast<size_t>(c)];
    }
    EXPECT_EQ(count, kItems);
    EXPECT_EQ(sum, static_cast<long long>(kItems) * (kItems + 1) / 2);
}

TEST(ThreadSync, WaitForEndsByTimeOrByTheCondition) {
    TLightMutex lock;
    TLightCondition changed;
    bool ready = false;
    {
        std::unique_lock<TLightMutex> guard(lock);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(changed.wait_for(guard, std::chrono::milliseconds(30), [&] { return ready; }));
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
        EXPECT_TRUE(guard.owns_lock());
    }
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        {
            std::lock_guard<TLightMutex> guard(lock);
            ready = true;
        }
        changed.notify_all();
    });
    std::unique_lock<TLightMutex> guard(lock);
    EXPECT_TRUE(changed.wait_for(guard, std::chrono::seconds(60), [&] { return ready; }));
    guard.unlock();
    setter.join();
}

// The try-lock (bound when first used under Windows) takes a free lock and refuses a held one.
TEST(ThreadSync, TryLockTakesOnlyAFreeLock) {
    TLightMutex lock;
    ASSERT_TRUE(lock.try_lock());
    bool otherGot = true;
    std::thread([&] { otherGot = lock.try_lock(); }).join();
    EXPECT_FALSE(otherGot);
    lock.unlock();
    std::thread([&] {
        otherGot = lock.try_lock();
        if (otherGot) lock.unlock();
    }).join();
    EXPECT_TRUE(otherGot);
}
