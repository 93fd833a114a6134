// A fixed set of worker threads that run the data stage of extraction jobs in the order they
// were handed in, while the calling thread goes on with the next entries' events. The
// calling thread collects each job by waiting for it; it pumps its message queue meanwhile.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "classlib/thread_sync.h"

class TExtractWorkers {
public:
    // A job's work on one worker; Worker (0 .. Count - 1) names the worker's own state. It
    // must not throw: a job keeps its own failure.
    using TWork = std::function<void(int worker)>;

    explicit TExtractWorkers(int count);
    // Waits for the jobs handed in and ends the threads.
    ~TExtractWorkers();
    TExtractWorkers(const TExtractWorkers&) = delete;
    TExtractWorkers& operator=(const TExtractWorkers&) = delete;

    int Count() const { return static_cast<int>(FThreads.size()); }

    // A job handed in; Done() once its work has run.
    class TTicket {
    public:
        bool Done() const;

    private:
        friend class TExtractWorkers;
        TWork Work;
        bool Finished = false;   // guarded by the workers' mutex
        const TExtractWorkers* Owner = nullptr;
    };

    std::shared_ptr<TTicket> Submit(TWork work);
    // Returns once the job has run; Idle runs every few milliseconds until then.
    void Wait(const std::shared_ptr<TTicket>& ticket, const std::function<void()>& idle);

    // As many workers as the machine has cores, at most 8 and at least 1.
    static int DefaultCount();

private:
    void Run(int worker);

    std::vector<std::thread> FThreads;
    mutable TLightMutex FMutex;
    TLightCondition FWork;   // a job came in, or the end
    TLightCondition FDone;   // a job finished
    std::deque<std::shared_ptr<TTicket>> FQueue;
    bool FStopping = false;
};
