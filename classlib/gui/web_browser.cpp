#include "classlib/gui/web_browser.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include <vector>

#include "classlib/gui/application.h"

namespace {

std::wstring ToWide(const AnsiString& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

AnsiString ToAnsi(const wchar_t* w, int len) {
    if (!w || len <= 0) return AnsiString();
    int n = WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
    AnsiString s(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, w, len, &s[0], n, nullptr, nullptr);
    return s;
}

AnsiString BstrToAnsi(BSTR b) { return b ? ToAnsi(b, static_cast<int>(SysStringLen(b))) : AnsiString(); }

// The string in an event argument (a BSTR, possibly behind a VARIANT reference).
AnsiString VariantText(const VARIANT& v) {
    const VARIANT* p = &v;
    if (p->vt == (VT_BYREF | VT_VARIANT) && p->pvarVal) p = p->pvarVal;
    if (p->vt == VT_BSTR) return BstrToAnsi(p->bstrVal);
    if (p->vt == (VT_BYREF | VT_BSTR) && p->pbstrVal) return BstrToAnsi(*p->pbstrVal);
    return AnsiString();
}

IDispatch* VariantDispatch(const VARIANT& v) {
    if (v.vt == VT_DISPATCH) return v.pdispVal;
    if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal) return *v.ppdispVal;
    return nullptr;
}

VARIANT_BOOL* VariantBoolRef(VARIANT& v) { return v.vt == (VT_BYREF | VT_BOOL) ? v.pboolVal : nullptr; }

// OLE is set up once, by the thread that first needs it (the main thread).
void InitializeOleOnce() {
    static const bool ready = SUCCEEDED(OleInitialize(nullptr));
    (void)ready;
}

}  // namespace

// ---- the event sink -----------------------------------------------------------------------

class WebBrowserEvents final : public IDispatch {
public:
    explicit WebBrowserEvents(TWebBrowser* owner) : FOwner(owner) {}
    void Detach() { FOwner = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&FRefs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&FRefs);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        TWebBrowser* owner = FOwner;
        if (!owner || !params) return S_OK;
        // Arguments arrive last first.
        VARIANT* a = params->rgvarg;
        UINT n = params->cArgs;
        try {
            switch (id) {
                case DISPID_NEWWINDOW2: {
                    if (n < 2 || !owner->OnNewWindow2) break;
                    VARIANT_BOOL* cancelArg = VariantBoolRef(a[0]);
                    IDispatch** pp = a[1].vt == (VT_BYREF | VT_DISPATCH) ? a[1].ppdispVal : nullptr;
                    if (!cancelArg || !pp) break;
                    bool cancel = *cancelArg != VARIANT_FALSE;
                    owner->OnNewWindow2(owner, pp, cancel);
                    *cancelArg = cancel ? VARIANT_TRUE : VARIANT_FALSE;
                    break;
                }
                case DISPID_BEFORENAVIGATE2: {
                    if (n < 7 || !owner->OnBeforeNavigate2) break;
                    VARIANT_BOOL* cancelArg = VariantBoolRef(a[0]);
                    if (!cancelArg) break;
                    bool cancel = *cancelArg != VARIANT_FALSE;
                    owner->OnBeforeNavigate2(owner, VariantDispatch(a[6]), VariantText(a[5]), cancel);
                    *cancelArg = cancel ? VARIANT_TRUE : VARIANT_FALSE;
                    break;
                }
                case DISPID_NAVIGATECOMPLETE2:
                    if (n >= 2 && owner->OnNavigateComplete2)
                        owner->OnNavigateComplete2(owner, VariantDispatch(a[1]), VariantText(a[0]));
                    break;
                case DISPID_DOCUMENTCOMPLETE:
                    if (n >= 2 && owner->OnDocumentComplete)
                        owner->OnDocumentComplete(owner, VariantDispatch(a[1]), VariantText(a[0]));
                    break;
                default:
                    break;
            }
        } catch (...) {
            Application->HandleException(owner);
        }
        return S_OK;
    }

private:
    LONG FRefs = 1;
    TWebBrowser* FOwner;
};

// ---- the site and frame ---------------------------------------------------------------------

struct TWebBrowser::Host final : public IOleClientSite,
                           public IOleInPlaceSite,
                           public IOleInPlaceFrame,
                           public IDocHostUIHandler {
    explicit Host(TWebBrowser* owner) : Owner(owner), Events(new WebBrowserEvents(owner)) {}
    ~Host() {
        if (ActiveObject) ActiveObject->Release();
        Events->Release();
    }
    void Detach() {
        Owner = nullptr;
        Events->Detach();
        if (ActiveObject) ActiveObject->Release();
        ActiveObject = nullptr;
    }
    HWND Window() const { return Owner ? Owner->GetHandleIfAllocated() : nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame))
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (IsEqualIID(riid, IID_IDocHostUIHandler))
            *out = static_cast<IDocHostUIHandler*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&Refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&Refs);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
        if (m) *m = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
        if (c) *c = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (both the site and the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* w) override {
        if (!w) return E_POINTER;
        *w = Window();
        return *w ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (frame) {
            *frame = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
        }
        if (doc) *doc = nullptr;
        RECT r{0, 0, 0, 0};
        if (HWND w = Window()) ::GetClientRect(w, &r);
        if (pos) *pos = r;
        if (clip) *clip = r;
        if (info) {
            info->fMDIApp = FALSE;
            HWND w = Window();
            info->hwndFrame = w ? GetAncestor(w, GA_ROOT) : nullptr;
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        // The object that takes the page's keyboard accelerators from the message loop.
        if (object) object->AddRef();
        if (ActiveObject) ActiveObject->Release();
        ActiveObject = object;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        return S_OK;   // shown by us: that is, no menu at all, from the mouse or the keyboard
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override {
        if (!info || info->cbSize < sizeof(DOCHOSTUIINFO)) return E_INVALIDARG;
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        if (key) *key = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }

    LONG Refs = 1;
    TWebBrowser* Owner;
    WebBrowserEvents* Events;
    IOleInPlaceActiveObject* ActiveObject = nullptr;
};

// ---- TWebBrowser ----------------------------------------------------------------------------

TWebBrowser::TWebBrowser(TComponent* owner) : TWinControl(owner) {
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    FTabStop = true;
    FWidth = 300;
    FHeight = 150;
}

TWebBrowser::~TWebBrowser() {
    // While this is still a TWebBrowser: the control lets go of our window first.
    DestroyHandle();
    ReleaseBrowser();
}

void TWebBrowser::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
}

void TWebBrowser::HandleCreated() { CreateBrowser(); }

void TWebBrowser::DestroyWnd() {
    ReleaseBrowser();
    TWinControl::DestroyWnd();
}

IDispatch* TWebBrowser::GetEventSink() const { return FHost ? FHost->Events : nullptr; }

void TWebBrowser::CreateBrowser() {
    if (FOleObject) return;
    InitializeOleOnce();
    TComPtr<IOleObject> object;
    HRESULT hr = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                  IID_IOleObject, object.PutVoid());
    if (FAILED(hr) || !object) return;   // no browser on this system: the methods say so when called
    FHost = new Host(this);
    FOleObject = object;
    // A browser that cannot be sited, activated or heard from is let go, and the failure reported.
    try {
        Check(FOleObject->SetClientSite(static_cast<IOleClientSite*>(FHost)), "IOleObject::SetClientSite");
        OleSetContainedObject(FOleObject.Get(), TRUE);
        RECT r;
        ::GetClientRect(FHandle, &r);
        Check(FOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(FHost), 0, FHandle, &r),
              "IOleObject::DoVerb (in-place activation)");
        Check(FOleObject->QueryInterface(IID_IWebBrowser2, FBrowser.PutVoid()), "QueryInterface (IWebBrowser2)");
        TComPtr<IConnectionPointContainer> container;
        Check(FBrowser->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()),
              "QueryInterface (IConnectionPointContainer)");
        TComPtr<IConnectionPoint> point;
        Check(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put()), "FindConnectionPoint");
        Check(point->Advise(FHost->Events, &FCookie), "IConnectionPoint::Advise (browser events)");
        FConnectionPoint = std::move(point);
    } catch (...) {
        ReleaseBrowser();
        throw;
    }
    ResizeBrowser();
}

void TWebBrowser::ReleaseBrowser() {
    FPreloadedDocument.Reset();
    if (FConnectionPoint) {
        FConnectionPoint->Unadvise(FCookie);
        FConnectionPoint.Reset();
        FCookie = 0;
    }
    FBrowser.Reset();
    if (FOleObject) {
        if (auto inPlace = FOleObject.As<IOleInPlaceObject>(IID_IOleInPlaceObject)) inPlace->InPlaceDeactivate();
        FOleObject->Close(OLECLOSE_NOSAVE);
        FOleObject->SetClientSite(nullptr);
        FOleObject.Reset();
    }
    if (FHost) {
        FHost->Detach();
        FHost->Release();
        FHost = nullptr;
    }
}

void TWebBrowser::ResizeBrowser() {
    if (!FOleObject || !FHandle) return;
    if (auto inPlace = FOleObject.As<IOleInPlaceObject>(IID_IOleInPlaceObject)) {
        RECT r;
        ::GetClientRect(FHandle, &r);
        inPlace->SetObjectRects(&r, &r);
    }
}

IWebBrowser2* TWebBrowser::GetDefaultInterface() {
    HandleNeeded();
    return FBrowser.Get();
}

void TWebBrowser::Check(HRESULT hr, const char* what) {
    if (SUCCEEDED(hr)) return;
    throw EOleException(Format("%s failed (%08lX)", what, static_cast<unsigned long>(hr)), hr);
}

namespace {
// The class of the system's HTML document ({25336920-03F9-11CF-8FD0-00AA00686F13}), which
// mingw's uuid library lacks.
const CLSID kHtmlDocumentClass = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
}  // namespace

void TWebBrowser::PreloadHtmlEngine() {
    if (FPreloadedDocument) return;
    InitializeOleOnce();
    CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, FPreloadedDocument.PutVoid());
}

void TWebBrowser::Navigate(const AnsiString& url) { NavigateW(ToWide(url)); }

void TWebBrowser::NavigateW(const std::wstring& url) {
    IWebBrowser2* b = GetDefaultInterface();
    if (!b) throw EOleException("The web-browser control is not available", E_NOINTERFACE);
    BSTR address = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    if (!address) throw EOutOfMemory("Out of memory");
    VARIANT empty;
    VariantInit(&empty);
    HRESULT hr = b->Navigate(address, &empty, &empty, &empty, &empty);
    SysFreeString(address);
    FPreloadedDocument.Reset();   // the engine runs for the control now
    Check(hr, "Navigate");
}

void TWebBrowser::Refresh() {
    IWebBrowser2* b = GetDefaultInterface();
    if (!b) throw EOleException("The web-browser control is not available", E_NOINTERFACE);
    Check(b->Refresh(), "Refresh");
}

void TWebBrowser::GoBack() {
    IWebBrowser2* b = GetDefaultInterface();
    if (!b) throw EOleException("The web-browser control is not available", E_NOINTERFACE);
    Check(b->GoBack(), "GoBack");
}

void TWebBrowser::GoForward() {
    IWebBrowser2* b = GetDefaultInterface();
    if (!b) throw EOleException("The web-browser control is not available", E_NOINTERFACE);
    Check(b->GoForward(), "GoForward");
}

void TWebBrowser::Stop() {
    IWebBrowser2* b = GetDefaultInterface();
    if (!b) throw EOleException("The web-browser control is not available", E_NOINTERFACE);
    Check(b->Stop(), "Stop");
}

std::wstring TWebBrowser::GetLocationURLW() {
    IWebBrowser2* b = GetDefaultInterface();
    if (!b) return std::wstring();
    BSTR url = nullptr;
    if (FAILED(b->get_LocationURL(&url)) || !url) return std::wstring();
    std::wstring s(url, SysStringLen(url));
    SysFreeString(url);
    return s;
}

AnsiString TWebBrowser::GetLocationURL() {
    std::wstring w = GetLocationURLW();
    return ToAnsi(w.data(), static_cast<int>(w.size()));
}

bool TWebBrowser::GetBusy() {
    IWebBrowser2* b = GetDefaultInterface();
    VARIANT_BOOL busy = VARIANT_FALSE;
    if (b) b->get_Busy(&busy);
    return busy != VARIANT_FALSE;
}

bool TWebBrowser::PreProcessMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !FOleObject) return false;
    IOleInPlaceActiveObject* active = FHost ? FHost->ActiveObject : nullptr;
    TComPtr<IOleInPlaceActiveObject> asked;
    if (!active) {
        asked = FOleObject.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
        if (!asked) return false;
        active = asked.Get();
    }
    return active->TranslateAccelerator(&msg) == S_OK;
}

void TWebBrowser::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_ERASEBKGND:
            if (FOleObject) {
                m.Result = 1;   // the control covers the whole window
                return;
            }
            break;
        case WM_SIZE:
            TWinControl::WndProc(m);
            ResizeBrowser();
            return;
        case WM_SETFOCUS:
            TWinControl::WndProc(m);
            if (FOleObject && FHost) {
                RECT r;
                ::GetClientRect(FHandle, &r);
                FOleObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(FHost), 0, FHandle, &r);
            }
            return;
        default:
            break;
    }
    TWinControl::WndProc(m);
}
