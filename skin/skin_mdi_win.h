// A maximised MDI child's close, restore and minimise buttons, shown at the right end of its
// frame's skinned menu bar. Each paints a top-to-bottom gradient from Color to ToColor with
// its glyph (a cell of the bitmap "LUMSKIN_MDI_CONTROLER"), framed black while the mouse is
// over it; a click acts on the frame's active child.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/gui/bitmap.h"
#include "classlib/gui/panel.h"

class TlumSkinMenuBarControlButton : public TCustomPanel {
public:
    // Tags of the three buttons.
    static constexpr intptr_t kCloseTag = -1381, kRestoreTag = -1382, kMinimizeTag = -1383;

    explicit TlumSkinMenuBarControlButton(TComponent* owner);
    const char* ClassName() const override { return "TlumSkinMenuBarControlButton"; }

    TBitmap* GetGlyph() { return &FGlyph; }
    TColor GetToColor() const { return FToColor; }
    void SetToColor(TColor value);
    bool GetHot() const { return FHot; }
    // The action of the Tag on the frame's active MDI child.
    void Click() override;

protected:
    void WndProc(TMessage& message) override;
    void Paint() override;

private:
    TBitmap FGlyph;
    TColor FToColor = 0xFFFFFF;
    bool FHot = false;
};
