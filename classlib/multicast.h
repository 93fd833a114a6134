// A list of listeners called in the order they joined. Joining returns a TSubscription that
// leaves the list when it is destroyed; either side may go first. Listeners may join or leave
// while the list is being called: one that leaves is not called again, one that joins is
// called from the next call on. Single-threaded.
#pragma once
#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Membership in a TMulticast; leaves on destruction or Reset.
class TSubscription {
public:
    TSubscription() = default;
    explicit TSubscription(std::function<void()> leave) : FLeave(std::move(leave)) {}
    ~TSubscription() { Reset(); }
    TSubscription(TSubscription&& other) noexcept : FLeave(std::move(other.FLeave)) { other.FLeave = nullptr; }
    TSubscription& operator=(TSubscription&& other) noexcept {
        if (this != &other) {
            Reset();
            FLeave = std::move(other.FLeave);
            other.FLeave = nullptr;
        }
        return *this;
    }
    TSubscription(const TSubscription&) = delete;
    TSubscription& operator=(const TSubscription&) = delete;

    void Reset() {
        std::function<void()> leave;
        leave.swap(FLeave);
        if (leave) leave();
    }
    bool Active() const { return static_cast<bool>(FLeave); }

private:
    std::function<void()> FLeave;
};

template <class... Args>
class TMulticast {
public:
    using Listener = std::function<void(Args...)>;

    TMulticast() : FState(std::make_shared<State>()) {}
    TMulticast(const TMulticast&) = delete;
    TMulticast& operator=(const TMulticast&) = delete;

    [[nodiscard]] TSubscription Add(Listener listener) {
        auto entry = std::make_shared<Entry>(Entry{std::move(listener), false});
        FState->entries.push_back(entry);
        std::weak_ptr<State> state = FState;
        std::weak_ptr<Entry> weakEntry = entry;
        return TSubscription([state, weakEntry] {
            auto s = state.lock();
            auto e = weakEntry.lock();
            if (!s || !e) return;
            e->gone = true;
            s->entries.erase(std::remove(s->entries.begin(), s->entries.end(), e), s->entries.end());
        });
    }

    bool Empty() const { return FState->entries.empty(); }

    // Calls every listener in order.
    void operator()(Args... args) const {
        CallUntil([] { return false; }, args...);
    }

    // Calls listeners in order until stop() holds after one of them.
    template <class Stop>
    void CallUntil(Stop stop, Args... args) const {
        std::vector<std::shared_ptr<Entry>> snapshot = FState->entries;
        for (const auto& e : snapshot) {
            if (e->gone) continue;
            e->listener(args...);
            if (stop()) return;
        }
    }

private:
    struct Entry {
        Listener listener;
        bool gone;
    };
    struct State {
        std::vector<std::shared_ptr<Entry>> entries;
    };
    std::shared_ptr<State> FState;
};
