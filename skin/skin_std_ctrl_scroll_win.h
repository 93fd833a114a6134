// Skin of the class library's scroll bar control: a panel laid over the bar shows the skin's
// bar, and passes the mouse on to the native bar underneath, which does all the tracking.
//
// The overlay belongs to the engine and lies on the scroll bar's parent. Overlay and skin each
// clear the other's link when they go, whichever goes first; Restore and the skin's destructor
// free the overlay when it still exists.
#pragma once
#include "classlib/gui/windows_api.h"

#include <memory>

#include "classlib/gui/panel.h"
#include "skin/skin_control_bases_win.h"

class TScrollBar;
class TlumSkinScrollBar;

class TlumSkinInternalScrollBar2 : public TCustomPanel {
public:
    TlumSkinInternalScrollBar2(TComponent* owner, TlumSkinScrollBar* skin, TScrollBar* host);
    ~TlumSkinInternalScrollBar2() override;
    const char* ClassName() const override { return "TlumSkinInternalScrollBar2"; }
    TBitmap* GetOverlayBitmap() const { return FOverlayBitmap.get(); }
    // The scroll bar it covers; nullptr once that is gone.
    TScrollBar* GetHostControl() const { return FHostControl; }
    void ForgetSkin() { FSkin = nullptr; }

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& message) override;
    void Paint() override;

private:
    TScrollBar* FHostControl;
    std::unique_ptr<TBitmap> FOverlayBitmap;   // the bar as last drawn
    TlumSkinScrollBar* FSkin;                  // the skin that made it; nullptr once that is gone
};

class TlumSkinScrollBar : public TlumSkinControlVCL {
public:
    using TlumSkinControlVCL::TlumSkinControlVCL;
    ~TlumSkinScrollBar() override;
    const char* ClassName() const override { return "TlumSkinScrollBar"; }
    void AfterMessage(TMessage& message) override;
    void Paint() override;
    void ApplySkinColours() override;
    // Lets the bar hold controls (the overlay) and lays the overlay over it.
    void SaveOriginal() override;
    // Gives the control style back and frees the overlay.
    void Restore() override;
    TlumSkinInternalScrollBar2* GetOverlay() const { return FOverlay; }

private:
    friend class TlumSkinInternalScrollBar2;
    void FreeOverlay();
    void RestoreControlStyle();
    TlumSkinInternalScrollBar2* FOverlay = nullptr;
    bool FStyleSaved = false;
    TControlStyle FOriginalStyle = 0;
};
