// Worker threads, and running code on the main thread from them (Synchronize).
#pragma once
#include "classlib/gui/windows_api.h"

#include <atomic>
#include <exception>
#include <functional>

#include "classlib/classes.h"

// A worker thread. Derive, override Execute, construct, then Start. Execute runs on the new
// thread; an exception that leaves it is kept in FatalException. With FreeOnTerminate the
// object deletes itself when Execute has ended (never wait for or touch such a thread after
// Start).
//
// Synchronize runs a function on the main thread and waits for it. The main thread serves
// such calls in every message loop (its own and the system's: they arrive as a posted message
// to the application's window), when its loop goes idle, and while it waits in WaitFor, so a
// worker that synchronises while the main thread waits for it does not deadlock.
class TThread : public TObject {
public:
    TThread();
    // A thread still running is told to terminate and waited for.
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    const char* ClassName() const override { return "TThread"; }

    // Lets the thread run (once; the object must be fully constructed).
    void Start();
    // Sets Terminated; Execute is expected to look at it and end early.
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    // Waits until Execute has ended and returns ReturnValue. On the main thread it keeps
    // serving Synchronize calls and sent messages while it waits.
    uint32_t WaitFor();
    bool Finished() const { return FFinished; }

    HANDLE GetHandle() const { return FHandle; }
    DWORD GetThreadID() const { return FThreadID; }
    bool FreeOnTerminate = false;
    int ReturnValue = 0;
    std::exception_ptr FatalException;
    // Runs on the main thread (through Synchronize) after Execute has ended.
    std::function<void(TObject*)> OnTerminate;

    // Runs method on the main thread and waits; an exception it raises is raised again here.
    // Called on the main thread, it just runs method.
    void Synchronize(const std::function<void()>& method) { Synchronize(this, method); }
    static void Synchronize(TThread* thread, const std::function<void()>& method);
    // Hands method to the main thread without waiting (its errors are reported there).
    static void Queue(const std::function<void()>& method);

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();

private:
    static unsigned __stdcall ThreadProc(void* param);
    HANDLE FHandle = nullptr;
    DWORD FThreadID = 0;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FAbandoned{false};
    bool FStarted = false;
};

// Runs the pending Synchronize and Queue calls; main thread only. True when any ran.
bool CheckSynchronize();
// Signalled whenever a call is waiting for the main thread (for loops that wait on handles).
HANDLE SyncEvent();
