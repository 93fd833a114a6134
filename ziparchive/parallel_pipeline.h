// An ordered parallel loop: jobs 0..Count-1 run on worker threads, ahead of one consumer
// that takes their results strictly in index order (an archive is written, or its entries'
// events raised, in order). Two bounds keep the work ahead in check: a number of indices
// beyond the one the consumer waits for, and a memory budget that each job reserves from
// before it holds data.
//
// Contract:
// - Job(i, pipeline) runs exactly once per index, on a worker, in no particular order between
//   indices; it writes its result to storage of its own for index i (for example slot i of
//   a vector sized beforehand). An exception it throws is kept and rethrown by WaitFor(i).
// - The consumer calls WaitFor(0), WaitFor(1), ... in increasing order from one thread;
//   after WaitFor(i) returns, slot i is complete and visible to the consumer. Release(i)
//   gives the bytes that job reserved back to the budget.
// - Reserve(i, bytes) blocks a job until the bytes fit. The job of the index the consumer
//   waits for (or is about to) is always granted, so the pipeline cannot lock itself up
//   whatever the sizes. It returns false when the pipeline is stopping: the job should
//   return at once.
// - The destructor (or Stop) lets running jobs finish, starts no more and joins the
//   threads; results not taken are simply dropped by their owner.
// No job may call WaitFor, and the consumer must not call Reserve.
#pragma once
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

#include "classlib/thread_sync.h"

class TOrderedPipeline {
public:
    using TJob = std::function<void(size_t index, TOrderedPipeline& pipeline)>;

    TOrderedPipeline(size_t count, unsigned threads, size_t maxAhead, uint64_t budgetBytes, TJob job);
    ~TOrderedPipeline();
    TOrderedPipeline(const TOrderedPipeline&) = delete;
    TOrderedPipeline& operator=(const TOrderedPipeline&) = delete;

    // Blocks until job Index has finished; rethrows its exception.
    void WaitFor(size_t index);
    void Release(size_t index);
    bool Reserve(size_t index, uint64_t bytes);
    // Gives back part of a reservation (the job holds less than it asked for).
    void Shrink(size_t index, uint64_t keepBytes);
    void Stop();

    // Worker threads for this machine: one per core, at most Limit, at least 1.
    static unsigned DefaultThreads(unsigned limit);

private:
    void WorkerLoop();

    const size_t FCount;
    const size_t FMaxAhead;
    const uint64_t FBudget;
    TJob FJob;
    TLightMutex FLock;
    TLightCondition FChanged;
    size_t FNextJob = 0;        // the next index a worker takes
    size_t FConsumerAt = 0;     // the index the consumer waits for or takes next
    uint64_t FReserved = 0;
    bool FStopping = false;
    std::vector<uint8_t> FDone;
    std::vector<uint64_t> FHeld;
    std::vector<std::exception_ptr> FErrors;
    std::vector<std::thread> FThreads;
};
