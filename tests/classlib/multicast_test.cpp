// The listener list: order, leaving and joining while it is being called, either side first.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/multicast.h"

TEST(Multicast, CallsInJoinOrderAndStopsWhenAsked) {
    TMulticast<std::string&> list;
    auto a = list.Add([](std::string& s) { s += 'a'; });
    auto b = list.Add([](std::string& s) { s += 'b'; });
    auto c = list.Add([](std::string& s) { s += 'c'; });
    std::string seen;
    list(seen);
    EXPECT_EQ(seen, "abc");
    seen.clear();
    list.CallUntil([&] { return seen.back() == 'b'; }, seen);
    EXPECT_EQ(seen, "ab");
    b.Reset();
    seen.clear();
    list(seen);
    EXPECT_EQ(seen, "ac");
}

TEST(Multicast, ListenersLeaveAndJoinWhileCalled) {
    TMulticast<std::string&> list;
    TSubscription b, late;
    auto a = list.Add([&](std::string& s) {
        s += 'a';
        b.Reset();   // b is not called in this round
        if (!late.Active()) late = list.Add([](std::string& t) { t += 'l'; });
    });
    b = list.Add([](std::string& s) { s += 'b'; });
    TSubscription self;
    self = list.Add([&](std::string& s) {
        s += 's';
        self.Reset();   // leaves inside its own call
    });
    std::string seen;
    list(seen);
    EXPECT_EQ(seen, "as");
    seen.clear();
    list(seen);
    EXPECT_EQ(seen, "al");
}

TEST(Multicast, EitherSideMayGoFirst) {
    TSubscription kept;
    {
        TMulticast<int> list;
        kept = list.Add([](int) {});
    }
    kept.Reset();   // the list is gone: nothing to leave
    EXPECT_FALSE(kept.Active());
    auto list = std::make_unique<TMulticast<int>>();
    {
        auto s = list->Add([](int) {});
        EXPECT_FALSE(list->Empty());
    }
    EXPECT_TRUE(list->Empty());
}
