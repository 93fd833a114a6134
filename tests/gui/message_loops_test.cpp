// The application's message event in every loop, Synchronize from workers, and errors in
// handlers: reported, never fatal.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "classlib/gui/application.h"
#include "classlib/gui/application_events.h"
#include "classlib/gui/dialogs.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/thread.h"
#include "classlib/gui/timer.h"
#include "tests/gui/gui_test_support.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

constexpr UINT WM_PROBE = WM_APP + 10;

// Counts the probes that reach its window procedure.
class TProbeForm : public TForm {
public:
    explicit TProbeForm(TComponent* owner) : TForm(owner) {
        SetClientWidth(200);
        SetClientHeight(80);
        SetPosition(poScreenCenter);
    }
    std::vector<WPARAM> Dispatched;
protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_PROBE) {
            Dispatched.push_back(m.WParam);
            return;
        }
        TForm::WndProc(m);
    }
};

class TWorker : public TThread {
public:
    std::function<void(TWorker*)> Body;
protected:
    void Execute() override { Body(this); }
};

// Closes the dialog with the caption once it shows, as a user would with OK; gives up after
// a few seconds so that a broken test fails instead of hanging.
class DialogCloser {
public:
    explicit DialogCloser(const std::string& caption) {
        FTimer.SetInterval(30);
        FTimer.OnTimer = [this, caption](TObject*) {
            if (HWND box = FindDialog(caption)) {
                if (Texts.empty()) Texts = DialogTexts(box);
                if (++FSeen >= 4 || GetTickCount() - FStart > 5000) PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        };
    }
    std::string Texts;
private:
    TTimer FTimer{nullptr};
    int FSeen = 0;
    DWORD FStart = GetTickCount();
};

struct MessageEventReset {
    ~MessageEventReset() { Application->OnMessage = nullptr; }
};

}  // namespace

TEST(MessageEvent, SeesEveryQueuedMessageAndHandledSwallowsIt) {
    MessageEventReset reset;
    TProbeForm form(nullptr);
    form.HandleNeeded();
    std::vector<WPARAM> seen;
    Application->OnMessage = [&](TMsg& m, bool& handled) {
        if (m.message != WM_PROBE) return;
        seen.push_back(m.wParam);
        handled = m.wParam == 2;
    };
    PostMessageA(form.GetHandle(), WM_PROBE, 1, 0);
    PostMessageA(form.GetHandle(), WM_PROBE, 2, 0);
    PostMessageA(form.GetHandle(), WM_PROBE, 3, 0);
    ASSERT_TRUE(PumpUntil([&] { return seen.size() == 3; }));
    PumpFor(50);
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 3}));
    EXPECT_EQ(form.Dispatched, (std::vector<WPARAM>{1, 3}));
}

TEST(MessageEvent, SeesMessagesInTheModalLoop) {
    MessageEventReset reset;
    TProbeForm modal(nullptr);
    bool seenWhileModal = false;
    modal.OnShow = [&](TObject*) { PostMessageA(modal.GetHandle(), WM_PROBE, 7, 0); };
    Application->OnMessage = [&](TMsg& m, bool&) {
        if (m.message == WM_PROBE && m.wParam == 7 && (modal.GetFormState() & fsModal)) {
            seenWhileModal = true;
            modal.SetModalResult(mrOk);
        }
    };
    EXPECT_EQ(modal.ShowModal(), mrOk);
    EXPECT_TRUE(seenWhileModal);
    EXPECT_EQ(modal.Dispatched, (std::vector<WPARAM>{7}));
    EXPECT_FALSE(modal.GetVisible());
}

TEST(ApplicationEvents, SeveralListenersSeeEachMessageInOrderUntilOneHandlesIt) {
    MessageEventReset reset;
    for (bool modal : {false, true}) {
        SCOPED_TRACE(modal ? "modal loop" : "main loop");
        TProbeForm form(nullptr);
        std::vector<std::string> seen;
        Application->OnMessage = [&](TMsg& m, bool&) {
            if (m.message == WM_PROBE) seen.push_back("app:" + std::to_string(m.wParam));
        };
        TApplicationEvents first(nullptr), second(nullptr);
        first.OnMessage = [&](TMsg& m, bool& handled) {
            if (m.message != WM_PROBE) return;
            seen.push_back("first:" + std::to_string(m.wParam));
            handled = m.wParam == 2;
        };
        second.OnMessage = [&](TMsg& m, bool&) {
            if (m.message != WM_PROBE) return;
            seen.push_back("second:" + std::to_string(m.wParam));
            if (m.wParam == 3 && modal) form.SetModalResult(mrOk);
        };
        auto post = [&] {
            for (WPARAM n : {1, 2, 3}) PostMessageA(form.GetHandle(), WM_PROBE, n, 0);
        };
        if (modal) {
            form.OnShow = [&](TObject*) { post(); };
            EXPECT_EQ(form.ShowModal(), mrOk);
        } else {
            form.HandleNeeded();
            post();
            ASSERT_TRUE(PumpUntil([&] { return seen.size() == 8; }));
        }
        EXPECT_EQ(seen, (std::vector<std::string>{"app:1", "first:1", "second:1", "app:2", "first:2", "app:3",
                                                  "first:3", "second:3"}));
        EXPECT_EQ(form.Dispatched, (std::vector<WPARAM>{1, 3}));
    }
}

TEST(ApplicationEvents, ExceptionsGoToEveryListenerAndIdleAsksThemAll) {
    TApplicationEvents a(nullptr), b(nullptr);
    std::vector<std::string> reports;
    a.OnException = [&](TObject*, const Exception& e) { reports.push_back("a:" + e.Message); };
    b.OnException = [&](TObject*, const Exception& e) { reports.push_back("b:" + e.Message); };
    try {
        throw Exception("boom");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(reports, (std::vector<std::string>{"a:boom", "b:boom"}));
    int idleA = 0, idleB = 0;
    // a never says done, so the loop never waits and every idle turn asks both.
    a.OnIdle = [&](TObject*, bool& done) {
        ++idleA;
        done = false;
    };
    b.OnIdle = [&](TObject*, bool&) { ++idleB; };
    for (int i = 0; i < 200 && idleA < 3; ++i) Application->HandleMessage();
    EXPECT_EQ(idleA, 3);
    EXPECT_EQ(idleA, idleB);
}

TEST(MessageEvent, SeesAndSwallowsMessagesWhileAMessageBoxIsUp) {
    MessageEventReset reset;
    Application->SetTitle("probe-title");
    TProbeForm form(nullptr);
    form.Show();
    std::vector<WPARAM> seenWithBox;
    Application->OnMessage = [&](TMsg& m, bool& handled) {
        if (m.message == WM_PROBE && FindDialog("probe-title")) {
            seenWithBox.push_back(m.wParam);
            handled = m.wParam == 1;
        }
    };
    TTimer poster(nullptr);
    poster.SetInterval(40);
    poster.OnTimer = [&](TObject* t) {
        if (!FindDialog("probe-title")) return;
        static_cast<TTimer*>(t)->SetEnabled(false);
        PostMessageA(form.GetHandle(), WM_PROBE, 1, 0);
        PostMessageA(form.GetHandle(), WM_PROBE, 2, 0);
    };
    DialogCloser closer("probe-title");
    ShowMessage("box text");
    EXPECT_EQ(seenWithBox, (std::vector<WPARAM>{1, 2}));
    EXPECT_EQ(form.Dispatched, (std::vector<WPARAM>{2}));
    EXPECT_EQ(closer.Texts, "box text");
}

TEST(Synchronize, ReachesTheMainThreadDuringShowModal) {
    TProbeForm modal(nullptr);
    DWORD ranOn = 0;
    TWorker worker;
    worker.Body = [&](TWorker* t) {
        t->Synchronize([&] { ranOn = GetCurrentThreadId(); });
        t->Synchronize([&] { modal.SetModalResult(mrOk); });
    };
    modal.OnShow = [&](TObject*) { worker.Start(); };
    EXPECT_EQ(modal.ShowModal(), mrOk);
    EXPECT_EQ(ranOn, MainThreadID);
    worker.WaitFor();
    EXPECT_FALSE(worker.FatalException);
}

TEST(Synchronize, IsServedWhileTheMainThreadWaitsForTheWorker) {
    TWorker worker;
    int calls = 0;
    worker.Body = [&](TWorker* t) {
        for (int i = 0; i < 3; ++i) t->Synchronize([&] { ++calls; });
        t->ReturnValue = 5;
    };
    worker.Start();
    EXPECT_EQ(worker.WaitFor(), 5u);
    EXPECT_EQ(calls, 3);
}

TEST(Synchronize, IsServedWhileAMessageBoxIsUp) {
    Application->SetTitle("sync-title");
    TWorker worker;
    std::atomic<bool> closed{false};
    worker.Body = [&](TWorker* t) {
        for (int i = 0; i < 200 && !closed; ++i) {
            Sleep(20);
            t->Synchronize([&] {
                if (HWND box = FindDialog("sync-title")) {
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    closed = true;
                }
            });
        }
    };
    worker.Start();
    ShowMessage("waiting for the worker");
    worker.WaitFor();
    EXPECT_TRUE(closed);
}

TEST(Synchronize, ErrorsComeBackToTheCallerAndExecuteErrorsAreKept) {
    TWorker worker;
    std::string caught;
    worker.Body = [&](TWorker* t) {
        try {
            t->Synchronize([] { throw Exception("sync failed"); });
        } catch (const Exception& e) {
            caught = e.Message;
        }
        throw Exception("execute failed");
    };
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(caught, "sync failed");
    ASSERT_TRUE(worker.FatalException);
    try {
        std::rethrow_exception(worker.FatalException);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "execute failed");
    }
}

TEST(Thread, FreeOnTerminateDeletesItselfAndOnTerminateRunsOnTheMainThread) {
    static std::atomic<int> destroyed{0};
    struct TSelfFreeing : TWorker {
        ~TSelfFreeing() override { ++destroyed; }
    };
    auto* t = new TSelfFreeing;
    DWORD terminatedOn = 0;
    t->Body = [](TWorker*) {};
    t->OnTerminate = [&](TObject*) { terminatedOn = GetCurrentThreadId(); };
    t->FreeOnTerminate = true;
    t->Start();
    EXPECT_TRUE(PumpUntil([&] { return destroyed == 1; }));
    EXPECT_EQ(terminatedOn, MainThreadID);
}

TEST(Thread, ANeverStartedThreadIsFreedWithoutRunning) {
    bool ran = false;
    {
        TWorker t;
        t.Body = [&](TWorker*) { ran = true; };
    }
    EXPECT_FALSE(ran);
}

TEST(Errors, HandlerErrorsAreReportedAndTheProgramGoesOn) {
    MessageEventReset reset;
    CaughtErrors errors;
    TForm form(nullptr);
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->OnClick = [](TObject*) { throw Exception("click failed"); };
    form.Show();
    SendMessageA(button->GetHandle(), BM_CLICK, 0, 0);

    TTimer timer(nullptr);
    timer.SetInterval(20);
    timer.OnTimer = [](TObject* t) {
        static_cast<TTimer*>(t)->SetEnabled(false);
        throw std::runtime_error("tick failed");
    };
    Application->OnMessage = [](TMsg& m, bool&) {
        if (m.message == WM_PROBE) throw Exception("filter failed");
    };
    PostMessageA(form.GetHandle(), WM_PROBE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return errors.Messages.size() == 3; }));
    EXPECT_EQ(errors.Messages[0], "click failed");
    std::sort(errors.Messages.begin() + 1, errors.Messages.end());
    EXPECT_EQ(errors.Messages[1], "filter failed");
    EXPECT_EQ(errors.Messages[2], "tick failed");
    EXPECT_TRUE(IsWindow(form.GetHandle()));
}

TEST(Errors, AnUnhandledErrorIsShownInAMessageBoxWithItsText) {
    Application->SetTitle("report-title");
    TTimer timer(nullptr);
    timer.SetInterval(20);
    bool thrown = false;
    timer.OnTimer = [&](TObject* t) {
        static_cast<TTimer*>(t)->SetEnabled(false);
        thrown = true;
        throw Exception("disk on fire");
    };
    DialogCloser closer("report-title");
    ASSERT_TRUE(PumpUntil([&] { return thrown && !closer.Texts.empty() && !FindDialog("report-title"); }, 8000));
    EXPECT_EQ(closer.Texts, "disk on fire");
}

TEST(Timer, TicksOnlyWhileEnabled) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(15);
    timer.OnTimer = [&](TObject*) { ++ticks; };
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    timer.SetEnabled(false);
    int stopped = ticks;
    PumpFor(100);
    EXPECT_EQ(ticks, stopped);
}
