#include "ziparchive/parallel_pipeline.h"

#include <algorithm>
#include <stdexcept>

TOrderedPipeline::TOrderedPipeline(size_t count, unsigned threads, size_t maxAhead, uint64_t budgetBytes, TJob job)
    : FCount(count), FMaxAhead(std::max<size_t>(1, maxAhead)), FBudget(budgetBytes), FJob(std::move(job)),
      FDone(count, 0), FHeld(count, 0), FErrors(count) {
    const size_t n = std::min<size_t>(std::max(1u, threads), count);
    FThreads.reserve(n);
    try {
        for (size_t i = 0; i < n; ++i) FThreads.emplace_back([this] { WorkerLoop(); });
    } catch (...) {
        Stop();
        throw;
    }
}

TOrderedPipeline::~TOrderedPipeline() { Stop(); }

void TOrderedPipeline::Stop() {
    {
        std::lock_guard<TLightMutex> guard(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    for (std::thread& t : FThreads)
        if (t.joinable()) t.join();
    FThreads.clear();
}

unsigned TOrderedPipeline::DefaultThreads(unsigned limit) {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::max(1u, std::min(cores == 0 ? 1u : cores, limit));
}

void TOrderedPipeline::WorkerLoop() {
    for (;;) {
        size_t index;
        {
            std::unique_lock<TLightMutex> guard(FLock);
            FChanged.wait(guard, [this] {
                return FStopping || FNextJob >= FCount || FNextJob < FConsumerAt + FMaxAhead;
            });
            if (FStopping || FNextJob >= FCount) return;
            index = FNextJob++;
        }
        std::exception_ptr error;
        try {
            FJob(index, *this);
        } catch (...) {
            // No exception leaves a thread: the consumer gets it with the result.
            error = std::current_exception();
        }
        {
            std::lock_guard<TLightMutex> guard(FLock);
            FErrors[index] = error;
            FDone[index] = 1;
        }
        FChanged.notify_all();
    }
}

void TOrderedPipeline::WaitFor(size_t index) {
    std::exception_ptr error;
    {
        std::unique_lock<TLightMutex> guard(FLock);
        if (index >= FCount) return;
        FConsumerAt = std::max(FConsumerAt, index);
        FChanged.notify_all();   // the window and the always-granted index moved
        FChanged.wait(guard, [&] { return FDone[index] != 0 || (FStopping && index >= FNextJob); });
        if (!FDone[index]) throw std::logic_error("the pipeline was stopped");
        error = FErrors[index];
        FErrors[index] = nullptr;
    }
    if (error) std::rethrow_exception(error);
}

void TOrderedPipeline::Release(size_t index) {
    {
        std::lock_guard<TLightMutex> guard(FLock);
        if (index >= FCount) return;
        FReserved -= FHeld[index];
        FHeld[index] = 0;
        if (FConsumerAt <= index) FConsumerAt = index + 1;
    }
    FChanged.notify_all();
}

bool TOrderedPipeline::Reserve(size_t index, uint64_t bytes) {
    std::unique_lock<TLightMutex> guard(FLock);
    FChanged.wait(guard, [&] { return FStopping || index <= FConsumerAt || FReserved + bytes <= FBudget; });
    if (FStopping) return false;
    FReserved += bytes;
    FHeld[index] += bytes;
    return true;
}

void TOrderedPipeline::Shrink(size_t index, uint64_t keepBytes) {
    {
        std::lock_guard<TLightMutex> guard(FLock);
        if (FHeld[index] <= keepBytes) return;
        FReserved -= FHeld[index] - keepBytes;
        FHeld[index] = keepBytes;
    }
    FChanged.notify_all();
}
