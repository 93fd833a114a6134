#pragma once
// What the skin test programs share: the GUI set-up, the engine with the default skin, a stand-in
// skin window, a plain form fixture, message pumping, real mouse and keyboard input, screen reads.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/gui/controls.h"
#include "classlib/gui/forms.h"
#include "skin/skin_engine_win.h"

// Initialises the application once, then registers the skins the program tests (if any).
class TSkinGuiEnvironment : public ::testing::Environment {
public:
    explicit TSkinGuiEnvironment(void (*registerSkins)() = nullptr) : FRegisterSkins(registerSkins) {}
    void SetUp() override;

private:
    void (*FRegisterSkins)();
};

// The engine with our default skin, on a form of its own (never shown).
struct TSkinEngineHost {
    TSkinEngineHost();
    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine;
};
TSkinEngineHost& Host();

// A form with an engine of its own, loaded and shown as the programs' main forms load theirs.
struct TSkinnedMainForm {
    TSkinnedMainForm(int left, int top, int width, int height);
    std::unique_ptr<TForm> Form;
    TlumSkinEngine* Engine;
};

// Stands in for the skin window of a form or a foreign dialog.
class TTestSkinWindow : public TlumSkinWindowIntf {
public:
    TlumSkinEngineIntf* GetEngine() const override { return Host().Engine; }
    void SetAnimationOrProgress(bool value) override { AnimationOrProgress = value; }
    bool GetAnimationOrProgress() const override { return AnimationOrProgress; }
    TCustomForm* GetForm() const override { return Form; }
    bool AnimationOrProgress = false;
    TCustomForm* Form = nullptr;   // the skinned form it stands for, if any
};

// A form of a class the engine does not skin by itself.
class TPlainTestForm : public TForm {
public:
    explicit TPlainTestForm(const char* className) : TForm(nullptr), FClassName(className) {}
    const char* ClassName() const override { return FClassName; }

private:
    const char* FClassName;
};

// The number of files and folders in a folder (given with its trailing backslash).
int FilesIn(const std::string& folder);

// Runs the messages for about ms milliseconds.
void Pump(int ms = 40);

// Lets the application handle its messages, five times over about 50 ms.
void ProcessMessagesAWhile();

// Plays input steps from a second thread, delayMs apart, while this one runs the application's
// messages (a menu or a moving frame runs a loop of its own until a key or a click ends it).
void PlayInput(const std::vector<std::function<void()>>& steps, int delayMs);

// Real input, each followed by settleMs of messages.
void MoveTo(POINT screen, int settleMs = 30);
void Press(int settleMs = 30);
void Release(int settleMs = 30);
void Key(BYTE vk, bool down, int settleMs = 30);

POINT ScreenPoint(HWND wnd, int x, int y);

// The colour the screen shows at a client point of the window.
COLORREF ClientPixel(HWND wnd, int x, int y);

// The cells of a skin bitmap whose opaque pixels the window shows at (x0, y0) (a skin may draw
// two states alike).
std::vector<int> ShownCells(HWND wnd, int x0, int y0, TSkinBitmapKey key, int cells);
bool Shows(const std::vector<int>& cells, int cell);

// A shown plain form to put controls on, with the shared engine loaded.
class TSkinFormTest : public ::testing::Test {
protected:
    TSkinFormTest(const char* formClass, int left, int top, int width, int height, bool topmost = false)
        : FFormClass(formClass), FBounds{left, top, width, height}, FTopmost(topmost) {}
    void SetUp() override;
    void TearDown() override { Form.reset(); }
    // A control on the form, with its window made if it has one.
    template <class T>
    T* Add(int left, int top, int width, int height) {
        auto* c = new T(Form.get());
        c->SetParent(Form.get());
        c->SetBounds(left, top, width, height);
        if (auto* w = dynamic_cast<TWinControl*>(static_cast<TControl*>(c))) w->HandleNeeded();
        return c;
    }
    std::unique_ptr<TPlainTestForm> Form;
    TTestSkinWindow SkinWindow;

private:
    const char* FFormClass;
    RECT FBounds;
    bool FTopmost;
};
