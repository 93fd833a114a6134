#include "classlib/gui/thread.h"

#include <process.h>

#include <deque>
#include <mutex>

#include "classlib/gui/application.h"
#include "classlib/gui/gui_internal.h"

namespace {

struct SyncRequest {
    std::function<void()> method;
    HANDLE done = nullptr;          // nullptr: queued, nobody waits
    std::exception_ptr error;
};

std::mutex gSyncLock;
std::deque<SyncRequest*> gSyncQueue;

void PostSync(SyncRequest* r) {
    {
        std::lock_guard<std::mutex> lock(gSyncLock);
        gSyncQueue.push_back(r);
        SetEvent(SyncEvent());
    }
    // Wakes whichever loop the main thread is in (its own, a modal one, a system dialog's).
    if (HWND util = gui_internal::UtilityWindow()) PostMessageA(util, gui_internal::WM_PW_SYNC, 0, 0);
}

}  // namespace

HANDLE SyncEvent() {
    static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

bool CheckSynchronize() {
    if (!IsMainThread()) return false;
    bool ran = false;
    for (;;) {
        SyncRequest* r;
        {
            std::lock_guard<std::mutex> lock(gSyncLock);
            if (gSyncQueue.empty()) {
                ResetEvent(SyncEvent());
                break;
            }
            r = gSyncQueue.front();
            gSyncQueue.pop_front();
        }
        ran = true;
        if (r->done) {
            try {
                r->method();
            } catch (...) {
                r->error = std::current_exception();
            }
            SetEvent(r->done);   // the waiting thread owns the request from here on
        } else {
            try {
                r->method();
            } catch (...) {
                Application->HandleException(Application);
            }
            delete r;
        }
    }
    return ran;
}

// ---- TThread ---------------------------------------------------------------------------------

TThread::TThread() {
    unsigned id = 0;
    uintptr_t h = _beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id);
    if (!h) throw EOSError("Cannot create thread");
    FHandle = reinterpret_cast<HANDLE>(h);
    FThreadID = id;
}

TThread::~TThread() {
    if (!FHandle) return;
    if (GetCurrentThreadId() != FThreadID) {
        if (!FStarted) {
            // Never started: let it run to its end without Execute.
            FTerminated = true;
            FAbandoned = true;
            FStarted = true;
            FreeOnTerminate = false;
            ResumeThread(FHandle);
            WaitForSingleObject(FHandle, INFINITE);
        } else if (!FFinished) {
            Terminate();
            WaitFor();
        }
    }
    CloseHandle(FHandle);
}

void TThread::Start() {
    if (FStarted) throw Exception("Thread already started");
    // The main thread's hidden window must exist before the worker asks it for anything.
    if (IsMainThread()) Application->GetHandle();
    FStarted = true;
    ResumeThread(FHandle);
}

unsigned __stdcall TThread::ThreadProc(void* param) {
    auto* t = static_cast<TThread*>(param);
    // A thread freed before Start runs nothing.
    if (!t->FAbandoned) {
        try {
            t->Execute();
        } catch (...) {
            t->FatalException = std::current_exception();
        }
        try {
            t->DoTerminate();
        } catch (...) {
        }
    }
    bool freeIt = t->FreeOnTerminate;
    auto result = static_cast<unsigned>(t->ReturnValue);
    t->FFinished = true;
    if (freeIt) delete t;
    return result;
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

uint32_t TThread::WaitFor() {
    if (!FStarted || !FHandle) return static_cast<uint32_t>(ReturnValue);
    if (IsMainThread()) {
        HANDLE handles[2] = {FHandle, SyncEvent()};
        for (;;) {
            DWORD r = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
            if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) break;
            if (r == WAIT_OBJECT_0 + 1) {
                CheckSynchronize();
            } else {
                MSG msg;
                PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // delivers sent messages
            }
        }
    } else {
        WaitForSingleObject(FHandle, INFINITE);
    }
    return static_cast<uint32_t>(ReturnValue);
}

void TThread::Synchronize(TThread*, const std::function<void()>& method) {
    if (IsMainThread()) {
        method();
        return;
    }
    SyncRequest r;
    r.method = method;
    r.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!r.done) throw EOSError("Cannot create event");
    PostSync(&r);
    WaitForSingleObject(r.done, INFINITE);
    CloseHandle(r.done);
    if (r.error) std::rethrow_exception(r.error);
}

void TThread::Queue(const std::function<void()>& method) {
    if (IsMainThread()) {
        method();
        return;
    }
    auto* r = new SyncRequest;
    r->method = method;
    PostSync(r);
}
