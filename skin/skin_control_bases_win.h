// The shared middle of the skin objects: controls with a border, controls with a drop-down
// button panel over their right edge, and controls whose native scroll bars are covered by
// skinned overlay panels. Also the skin's bitmaps, colours and switches as the skins read them.
//
// Lifetime of the auxiliary panels: the engine owns them (the skin frees them when there is no
// engine component). A panel and its skin each clear the other's link when they go, whichever
// goes first; Restore and the skin's destructor free whichever panels still exist.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/panel.h"
#include "skin/skin_control_win.h"
#include "skin/skin_keys.h"

class TlumSkinEngine;

// The engine component behind a skin object (nullptr when the engine is not one, or gone).
TlumSkinEngine* SkinEngineOf(const TlumSkinControl* skin);
// The skin's settings through the engine; defaults when there is no skin to read.
TColor SkinColor(const TlumSkinControl* skin, TSkinColorKey key);
bool SkinBool(const TlumSkinControl* skin, TSkinBoolKey key);
// Copies cell k of n of the skin bitmap into target (the whole bitmap when k or n is 0).
bool SkinBitmapPart(const TlumSkinControl* skin, TSkinBitmapKey key, TBitmap* target, int k, int n);
TColor SkinTransparentColor(const TlumSkinControl* skin);
TColor SkinFormColor(const TlumSkinControl* skin);
bool SkinNoChangeButtonsFontColor(const TlumSkinControl* skin);

// A class-library control with a one-pixel skin frame around its window.
class TlumSkinBorderWinControl : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinBorderWinControl"; }
    void Paint() override;

protected:
    // False for controls set to have no border, and for classes on the border-exclusion list.
    bool WantsBorder(TWinControl* control) const;
    void PaintBorder();
};

// A raw window with a one-pixel skin frame.
class TlumSkinBorderWndControl : public TlumSkinControlWnd {
public:
    using TlumSkinControlWnd::TlumSkinControlWnd;
    const char* ClassName() const override { return "TlumSkinBorderWndControl"; }
    void Paint() override;
};

// A frame keeps the base behaviour.
class TlumSkinFrame : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    const char* ClassName() const override { return "TlumSkinFrame"; }
};

class TlumSkinExtComboboxLikeControl;

// The skinned drop-down button, 16 pixels wide along the host's right edge. Its clicks reach
// the host as if the host's own button had been hit.
class TlumSkinInternalComboButton : public TCustomPanel {
public:
    TlumSkinInternalComboButton(TComponent* owner, TlumSkinExtComboboxLikeControl* skin, TWinControl* host);
    ~TlumSkinInternalComboButton() override;
    const char* ClassName() const override { return "TlumSkinInternalComboButton"; }
    TWinControl* GetHostControl() const { return FHostControl; }
    void ForgetSkin() { FSkin = nullptr; }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& message) override;
    void Paint() override;

private:
    TlumSkinExtComboboxLikeControl* FSkin;   // the skin that made it; nullptr once that is gone
    TWinControl* FHostControl;               // the control it lies on; nullptr once that is gone
};

class TlumSkinExtComboboxLikeControl : public TlumSkinBorderWinControl {
public:
    using TlumSkinBorderWinControl::TlumSkinBorderWinControl;
    ~TlumSkinExtComboboxLikeControl() override;
    const char* ClassName() const override { return "TlumSkinExtComboboxLikeControl"; }
    void SaveOriginal() override;
    void ApplySkinColours() override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    void Restore() override;
    TlumSkinInternalComboButton* GetComboButton() const { return FComboButton; }

private:
    friend class TlumSkinInternalComboButton;
    void FreeComboButton();
    TlumSkinInternalComboButton* FComboButton = nullptr;
};

class TlumSkinScrollWinControl;

// A panel over one native scroll bar of its target, showing the skin's bar; its clicks go to
// the native bar underneath, which does the scrolling.
class TlumSkinInternalScrollBar : public TCustomPanel {
public:
    TlumSkinInternalScrollBar(TComponent* owner, TlumSkinScrollWinControl* skin, TWinControl* target, bool horizontal);
    ~TlumSkinInternalScrollBar() override;
    const char* ClassName() const override { return "TlumSkinInternalScrollBar"; }
    TBitmap* GetOverlayBitmap() const { return FOverlayBitmap.get(); }
    TWinControl* GetTarget() const { return FTarget; }
    bool GetHorizontal() const { return FHorizontal; }
    void ForgetSkin() { FSkin = nullptr; }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& message) override;
    void Paint() override;

private:
    TWinControl* FTarget;                      // the control whose bar it covers; nullptr once gone
    std::unique_ptr<TBitmap> FOverlayBitmap;   // the bar as last drawn
    TlumSkinScrollWinControl* FSkin;           // the skin that made it; nullptr once that is gone
    bool FHorizontal;                          // false: the vertical bar
};

class TlumSkinScrollWinControl : public TlumSkinBorderWinControl {
public:
    using TlumSkinBorderWinControl::TlumSkinBorderWinControl;
    ~TlumSkinScrollWinControl() override;
    const char* ClassName() const override { return "TlumSkinScrollWinControl"; }
    void SaveOriginal() override;
    void ApplySkinColours() override;
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    // Frees whichever overlays exist (one alone too).
    void Restore() override;
    void UpdateScrollOverlays();
    TlumSkinInternalScrollBar* GetVertScrollBar() const { return FVertScrollBar; }
    TlumSkinInternalScrollBar* GetHorzScrollBar() const { return FHorzScrollBar; }

private:
    friend class TlumSkinInternalScrollBar;
    bool WantsOverlays(TWinControl* control) const;
    // The control's parent, or the skin window's form for a control without one.
    TWinControl* OverlayParent(TWinControl* control) const;
    TlumSkinInternalScrollBar* MakeOverlay(TWinControl* control, bool horizontal);
    bool UpdateOverlay(TlumSkinInternalScrollBar* overlay, HWND wnd, int& barSize);
    void FreeOverlays();
    TlumSkinInternalScrollBar* FVertScrollBar = nullptr;
    TlumSkinInternalScrollBar* FHorzScrollBar = nullptr;
};
