// TWebBrowser: hosts the system's web-browser control (IWebBrowser2) in a child window.
// Our site objects in-place activate it, refuse its context menu, and receive its
// DWebBrowserEvents2 events; keyboard accelerators of the page (Tab, Backspace, Ctrl+V in
// page fields) reach it through PreProcessMessage from the message loops.
#pragma once
#include "classlib/gui/windows_api.h"
#include <ole2.h>
#include <exdisp.h>

#include <functional>
#include <string>

#include "classlib/gui/controls.h"
#include "classlib/gui/handles.h"

// A failed call into a COM object; ErrorCode is its HRESULT.
class EOleException : public Exception {
public:
    EOleException(AnsiString msg, HRESULT code) : Exception(std::move(msg)), ErrorCode(code) {}
    const char* ClassName() const override { return "EOleException"; }
    HRESULT ErrorCode;
};

using TWebBrowserNewWindow2Event = std::function<void(TObject* sender, IDispatch** ppDisp, bool& cancel)>;
using TWebBrowserBeforeNavigate2Event =
    std::function<void(TObject* sender, IDispatch* pDisp, const AnsiString& url, bool& cancel)>;
using TWebBrowserNavigateEvent = std::function<void(TObject* sender, IDispatch* pDisp, const AnsiString& url)>;

class TWebBrowser : public TWinControl {
public:
    explicit TWebBrowser(TComponent* owner);
    ~TWebBrowser() override;
    const char* ClassName() const override { return "TWebBrowser"; }

    // Each raises EOleException when the control refuses (GoBack without history, say).
    void Navigate(const AnsiString& url);            // url in the ANSI code page
    void NavigateW(const std::wstring& url);
    void Refresh();
    void GoBack();
    void GoForward();
    void Stop();
    // The address the control shows or is loading (ANSI code page; empty before any).
    AnsiString GetLocationURL();
    std::wstring GetLocationURLW();
    bool GetBusy();

    // Starts the system's HTML engine ahead of the first page: an HTML document is made and
    // kept until the first Navigate has returned, so that the engine's one-time start-up
    // runs now, while the caller waits for something else, rather than inside that Navigate.
    // A system without the engine only says so later: failures here are not reported.
    void PreloadHtmlEngine();

    // The control's interface (the window is made first); nullptr when the system has none.
    IWebBrowser2* GetDefaultInterface();
    // Our DWebBrowserEvents2 sink, as advised to the control.
    IDispatch* GetEventSink() const;

    // A new window is about to open: set cancel to refuse it, or hand back a browser in *ppDisp.
    TWebBrowserNewWindow2Event OnNewWindow2;
    TWebBrowserBeforeNavigate2Event OnBeforeNavigate2;
    TWebBrowserNavigateEvent OnNavigateComplete2, OnDocumentComplete;

    bool PreProcessMessage(MSG& msg) override;

    struct Host;   // the COM site, frame and event sink

protected:
    void CreateParams(TCreateParams& params) override;
    void HandleCreated() override;
    void DestroyWnd() override;
    void WndProc(TMessage& message) override;

private:
    void CreateBrowser();
    void ReleaseBrowser();
    void Check(HRESULT hr, const char* what);
    void ResizeBrowser();
    Host* FHost = nullptr;
    TComPtr<IOleObject> FOleObject;
    TComPtr<IWebBrowser2> FBrowser;
    TComPtr<IConnectionPoint> FConnectionPoint;
    DWORD FCookie = 0;
    TComPtr<IUnknown> FPreloadedDocument;   // from PreloadHtmlEngine until the first Navigate
};
