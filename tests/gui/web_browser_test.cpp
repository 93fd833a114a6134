// The web-browser host: the system's control is created and in-place activated in our window,
// navigates (the location reads back), raises errors as exceptions, and its events reach our
// handlers with their cancel flags honoured. (Under Wine nothing renders: no HTML engine.)
#include <gtest/gtest.h>

#include <exdispid.h>
#include <mshtmhst.h>

#include "classlib/gui/application.h"
#include "classlib/gui/web_browser.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/tempdir.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
    void SetUp() override { Application->Initialize(); }
};
const auto* kEnv = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

// One browser for the suite: under Wine the first navigation of each control stalls for
// seconds while the system tries to start a service it cannot.
class BrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Form = new TForm(nullptr);
        Form->SetClientWidth(400);
        Form->SetClientHeight(300);
        Browser = new TWebBrowser(Form);
        Browser->SetParent(Form);
        Browser->SetAlign(alClient);
        Form->Show();
    }
    static void TearDownTestSuite() {
        delete Form;
        Form = nullptr;
        Browser = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(Browser, nullptr);
        ASSERT_NE(Browser->GetDefaultInterface(), nullptr) << "no web-browser control on this system";
    }
    void TearDown() override {
        if (!Browser) return;
        Browser->OnBeforeNavigate2 = nullptr;
        Browser->OnNewWindow2 = nullptr;
    }

    bool WaitForLocation(const std::function<bool(const AnsiString&)>& ok) {
        return PumpUntil([&] { return ok(Browser->GetLocationURL()); }, 5000);
    }

    // Fires the NewWindow2 event at our sink the way the control does: (ppDisp, Cancel), last first.
    bool FireNewWindow2(bool cancelBefore, IDispatch** pp) {
        VARIANT_BOOL cancel = cancelBefore ? VARIANT_TRUE : VARIANT_FALSE;
        VARIANT args[2];
        VariantInit(&args[0]);
        VariantInit(&args[1]);
        args[0].vt = VT_BYREF | VT_BOOL;
        args[0].pboolVal = &cancel;
        args[1].vt = VT_BYREF | VT_DISPATCH;
        args[1].ppdispVal = pp;
        DISPPARAMS params{args, nullptr, 2, 0};
        HRESULT hr = Browser->GetEventSink()->Invoke(DISPID_NEWWINDOW2, IID_NULL, 0, DISPATCH_METHOD, &params,
                                                     nullptr, nullptr, nullptr);
        EXPECT_EQ(hr, S_OK);
        return cancel != VARIANT_FALSE;
    }

    static TForm* Form;
    static TWebBrowser* Browser;
};

TForm* BrowserTest::Form = nullptr;
TWebBrowser* BrowserTest::Browser = nullptr;

}  // namespace

TEST_F(BrowserTest, NavigatesAndReadsTheLocationBack) {
    // The HTML engine started ahead (as the player does while it extracts) changes nothing.
    Browser->PreloadHtmlEngine();
    Browser->PreloadHtmlEngine();
    Browser->Navigate("about:blank");
    EXPECT_TRUE(WaitForLocation([](const AnsiString& u) { return u == "about:blank"; }))
        << Browser->GetLocationURL();

    TempDir dir;
    WriteWholeFile(dir / "index.htm", "<html><body>page</body></html>");
    std::vector<AnsiString> before;
    Browser->OnBeforeNavigate2 = [&](TObject*, IDispatch*, const AnsiString& url, bool&) { before.push_back(url); };
    Browser->Navigate(dir / "index.htm");
    EXPECT_TRUE(WaitForLocation([](const AnsiString& u) { return LowerCase(u).find("index.htm") != AnsiString::npos; }))
        << Browser->GetLocationURL();
    ASSERT_FALSE(before.empty());
    EXPECT_NE(LowerCase(before.back()).find("index.htm"), AnsiString::npos) << before.back();
}

TEST_F(BrowserTest, BeforeNavigate2CanCancel) {
    Browser->Navigate("about:blank");
    ASSERT_TRUE(WaitForLocation([](const AnsiString& u) { return u == "about:blank"; }));
    int asked = 0;
    Browser->OnBeforeNavigate2 = [&](TObject* sender, IDispatch*, const AnsiString&, bool& cancel) {
        EXPECT_EQ(sender, Browser);
        ++asked;
        cancel = true;
    };
    TempDir dir;
    WriteWholeFile(dir / "other.htm", "<html></html>");
    Browser->Navigate(dir / "other.htm");
    PumpFor(300);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Browser->GetLocationURL(), "about:blank");
}

TEST_F(BrowserTest, NewWindow2CancelFlagIsHonoured) {
    IDispatch* target = nullptr;
    EXPECT_FALSE(FireNewWindow2(false, &target));   // no handler: the default, no change
    int calls = 0;
    Browser->OnNewWindow2 = [&](TObject* sender, IDispatch** pp, bool& cancel) {
        EXPECT_EQ(sender, Browser);
        EXPECT_EQ(pp, &target);
        EXPECT_FALSE(cancel);
        ++calls;
        cancel = true;
    };
    EXPECT_TRUE(FireNewWindow2(false, &target));
    EXPECT_EQ(target, nullptr);
    Browser->OnNewWindow2 = [&](TObject*, IDispatch**, bool& cancel) {
        ++calls;
        cancel = false;
    };
    EXPECT_FALSE(FireNewWindow2(true, &target));
    EXPECT_EQ(calls, 2);

    CaughtErrors errors;   // a failing handler is reported; the control gets S_OK
    Browser->OnNewWindow2 = [](TObject*, IDispatch**, bool&) { throw Exception("handler failed"); };
    FireNewWindow2(false, &target);
    EXPECT_EQ(errors.Messages, (std::vector<std::string>{"handler failed"}));
}

TEST_F(BrowserTest, TheSiteRefusesContextMenusAndOffersKeysToTheControl) {
    IOleObject* object = nullptr;
    ASSERT_EQ(Browser->GetDefaultInterface()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)), S_OK);
    IOleClientSite* site = nullptr;
    ASSERT_EQ(object->GetClientSite(&site), S_OK);
    IDocHostUIHandler* ui = nullptr;
    ASSERT_EQ(site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&ui)), S_OK);
    POINT at{10, 10};
    EXPECT_EQ(ui->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, nullptr, nullptr), S_OK);
    ui->Release();
    site->Release();
    object->Release();

    MSG mouse{Browser->GetHandle(), WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(Browser->PreProcessMessage(mouse));
    MSG key{Browser->GetHandle(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    Browser->PreProcessMessage(key);   // answered by the control; must not fail
}

TEST_F(BrowserTest, RefusedCommandsRaiseAndTheBrowserFreesCleanly) {
    Browser->Navigate("about:blank");
    ASSERT_TRUE(WaitForLocation([](const AnsiString& u) { return !u.empty(); }));
    Browser->Navigate("about:blank");
    // Going back past the start of the history is refused; Refresh may be too (Wine).
    for (int i = 0; i < 8; ++i) {
        try {
            Browser->GoBack();
        } catch (const EOleException&) {
            break;
        }
        EXPECT_LT(i, 7) << "GoBack never refused";
    }
    EXPECT_NO_THROW(Browser->Stop());
    try {
        Browser->Refresh();
    } catch (const EOleException& e) {
        EXPECT_NE(e.ErrorCode, S_OK);
    }
    HWND w = Browser->GetHandle();
    delete Browser;
    Browser = nullptr;
    EXPECT_FALSE(IsWindow(w));
    PumpFor(50);
}
