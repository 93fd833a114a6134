#include "zipextract/extract_workers.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr int kMaxDefaultWorkers = 8;
// How long the calling thread sleeps between looks at its message queue while it waits.
constexpr std::chrono::milliseconds kIdleInterval(10);
}  // namespace

TExtractWorkers::TExtractWorkers(int count) {
    const int n = std::max(1, count);
    FThreads.reserve(static_cast<size_t>(n));
    try {
        for (int i = 0; i < n; ++i) FThreads.emplace_back([this, i] { Run(i); });
    } catch (...) {
        // No thread to spare: those already running are enough, but at least one is needed.
        if (FThreads.empty()) throw;
    }
}

TExtractWorkers::~TExtractWorkers() {
    {
        std::lock_guard<TLightMutex> lock(FMutex);
        FStopping = true;
    }
    FWork.notify_all();
    for (std::thread& t : FThreads) t.join();
}

int TExtractWorkers::DefaultCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(cores), 1, kMaxDefaultWorkers);
}

bool TExtractWorkers::TTicket::Done() const {
    std::lock_guard<TLightMutex> lock(Owner->FMutex);
    return Finished;
}

std::shared_ptr<TExtractWorkers::TTicket> TExtractWorkers::Submit(TWork work) {
    auto ticket = std::make_shared<TTicket>();
    ticket->Work = std::move(work);
    ticket->Owner = this;
    {
        std::lock_guard<TLightMutex> lock(FMutex);
        FQueue.push_back(ticket);
    }
    FWork.notify_one();
    return ticket;
}

void TExtractWorkers::Wait(const std::shared_ptr<TTicket>& ticket, const std::function<void()>& idle) {
    std::unique_lock<TLightMutex> lock(FMutex);
    while (!ticket->Finished) {
        FDone.wait_for(lock, kIdleInterval, [&] { return ticket->Finished; });
        if (ticket->Finished || !idle) continue;
        lock.unlock();
        idle();
        lock.lock();
    }
}

void TExtractWorkers::Run(int worker) {
    for (;;) {
        std::shared_ptr<TTicket> ticket;
        {
            std::unique_lock<TLightMutex> lock(FMutex);
            FWork.wait(lock, [this] { return FStopping || !FQueue.empty(); });
            // Jobs handed in are run even when the end is asked for: their owner waits on them.
            if (FQueue.empty()) return;
            ticket = std::move(FQueue.front());
            FQueue.pop_front();
        }
        ticket->Work(worker);
        {
            std::lock_guard<TLightMutex> lock(FMutex);
            ticket->Finished = true;
            ticket->Work = nullptr;
        }
        FDone.notify_all();
    }
}
