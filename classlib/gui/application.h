// The application object: message loop, application-wide message event, exception reporting.
#pragma once
#include "classlib/gui/windows_api.h"

#include <exception>
#include <functional>

#include "classlib/gui/forms.h"
#include "classlib/gui/lifecycle.h"
#include "classlib/multicast.h"

// OnMessage sees every message that a message loop of the main thread takes from the queue,
// before it is translated and dispatched: in Run, in ShowModal, in ProcessMessages, and in the
// loops of the system (message boxes, common dialogs, moving a window), through a thread hook
// that is always installed on the main thread. Setting handled swallows the message.
using TMessageEvent = std::function<void(TMsg& msg, bool& handled)>;
using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;
using TIdleEvent = std::function<void(TObject* sender, bool& done)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    // Prepares COM (for the web browser) and the common controls.
    void Initialize();
    // Creates a form owned by the application and stores it in reference before OnCreate runs;
    // the first form created becomes the main form.
    template <class T>
    void CreateForm(T*& reference) {
        T* form = new T(this);
        reference = form;
        FormCreated(form);
    }
    // Shows the main form and handles messages until the program is told to end.
    void Run();
    // Asks the message loop to end (the program ends when Run returns).
    void Terminate();
    bool GetTerminated() const { return FTerminated; }
    // Handles every message waiting in the calling thread's queue. On a worker thread it only
    // pumps that thread's queue.
    void ProcessMessages();
    // Handles one message, or waits for one when the queue is empty.
    void HandleMessage();

    // Reports the exception being handled (call inside a catch block): OnException, or a
    // message box with its text. EAbort is silent.
    void HandleException(TObject* sender);
    void ShowException(const Exception& e);
    // A system message box with the active window as owner (see dialogs.h for ShowMessage).
    int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags);

    // The program's title (the file name without extension until set).
    AnsiString GetTitle() const;
    void SetTitle(const AnsiString& title) { FTitle = title; FTitleSet = true; }
    AnsiString GetExeName() const;
    TCustomForm* GetMainForm() const { return FMainForm; }
    bool GetShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool v) { FShowMainForm = v; }
    // A hidden window of the main thread that serves timers, synchronisation and releases.
    HWND GetHandle();

    TMessageEvent OnMessage;
    TExceptionEvent OnException;
    TIdleEvent OnIdle;

    // Updates the actions of the visible controls of every shown, enabled form (the message
    // loop does so whenever it has emptied the queue and the idle handlers are done).
    void UpdateActions();

    // The control under the mouse gets CM_MOUSEENTER, the one it left CM_MOUSELEAVE.
    void UpdateMouseControl();
    TControl* GetMouseControl() const { return FMouseControl; }

    // More listeners beside OnMessage, OnIdle and OnException (see TApplicationEvents), called
    // after them in the order they joined.
    [[nodiscard]] TSubscription AddMessageListener(TMessageEvent listener);
    [[nodiscard]] TSubscription AddIdleListener(TIdleEvent listener);
    // An exception listener says whether it took the exception (else the next one is asked,
    // and without any taker the message box shows it).
    using TExceptionListener = std::function<void(TObject* sender, const Exception& e, bool& taken)>;
    [[nodiscard]] TSubscription AddExceptionListener(TExceptionListener listener);

private:
    void ControlEvent(TLifecycleEvent event, TControl* control);
    void ReportException(TObject* sender, const Exception& e);
    void FormCreated(TCustomForm* form);
    bool ProcessMessage(MSG& msg);
    void Idle();
    bool IsPreProcessMessage(MSG& msg);
    bool IsKeyMsg(MSG& msg);
    bool IsMDIMsg(MSG& msg);
    void InstallMessageHook();
    static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
    bool RunMessageEvent(MSG& msg);

    TCustomForm* FMainForm = nullptr;
    TControl* FMouseControl = nullptr;
    AnsiString FTitle;
    bool FTitleSet = false;
    bool FTerminated = false;
    bool FShowMainForm = true;
    bool FInitialized = false;
    bool FSwallowed = false;
    HHOOK FHook = nullptr;
    TMulticast<TMsg&, bool&> FMessageListeners;
    TMulticast<TObject*, bool&> FIdleListeners;
    TMulticast<TObject*, const Exception&, bool&> FExceptionListeners;
    TSubscription FLifecycle;
};

extern TApplication* Application;
// The thread that created the application object (the program's main thread).
extern const DWORD MainThreadID;
bool IsMainThread();
