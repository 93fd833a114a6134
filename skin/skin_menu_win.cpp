#include "skin/skin_menu_win.h"

#include <algorithm>

#include "skin/skin_keys.h"
#include "skin/skin_registry_win.h"
#include "skin/skin_utils_win.h"

void SetMenuItemEvents(TMenuItem* item, const TMenuMeasureItemEvent& measure, const TMenuDrawItemEvent& draw) {
    if (!item) return;
    item->OnMeasureItem = measure;
    item->OnDrawItem = draw;
    for (int i = 0; i < item->Count(); ++i) SetMenuItemEvents(item->Items(i), measure, draw);
}

namespace {

// The item's menu images when ImageIndex names one of them.
bool HasUsableImage(const TMenuItem* item, const TImageList* images) {
    return images && item->GetImageIndex() >= 0 && item->GetImageIndex() < images->Count();
}

bool IsTopOfMainMenu(const TMenuItem* item) {
    TMenu* menu = item->GetParentMenu();
    return menu && dynamic_cast<TMainMenu*>(menu) && item->GetParent() == menu->GetItems();
}

}  // namespace

TlumSkinMenus::TlumSkinMenus(TlumSkinEngineIntf* engine, const AnsiString& minimizeText,
                             const AnsiString& maxRestoreText, const AnsiString& closeText)
    : FEngine(engine), FSystemMenu(std::make_unique<TPopupMenu>(nullptr)) {
    FSystemMenu->SetAutoHotkeys(maManual);
    const AnsiString texts[] = {minimizeText, maxRestoreText, "-", closeText};
    for (const AnsiString& text : texts) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(text);
        FSystemMenu->GetItems()->Add(item);
    }
    // A click after the target's window went finds an empty slot and does nothing.
    FSystemMenu->GetItems()->Items(smMinimize)->OnClick = [this](TObject*) {
        if (TlumSkinSysMenuTarget* target = *FTarget) target->DoMinimize();
    };
    FSystemMenu->GetItems()->Items(smMaxRestore)->OnClick = [this](TObject*) {
        if (TlumSkinSysMenuTarget* target = *FTarget) target->DoMaxRestore();
    };
    FSystemMenu->GetItems()->Items(smClose)->OnClick = [this](TObject*) {
        if (TlumSkinSysMenuTarget* target = *FTarget) target->DoClose();
    };
    FSystemMenu->OnPopup = [this](TObject*) { SystemMenuPopup(); };
    SkinMenu(FSystemMenu.get());
}

TlumSkinMenus::~TlumSkinMenus() {
    *FTarget = nullptr;
    FSystemMenu.reset();
}

void TlumSkinMenus::SystemMenuPopup() {
    TlumSkinSysMenuTarget* target = *FTarget;
    if (!target) return;
    const TSysMenuButtons shown = target->PaintedCaptionButtons();
    TMenuItem* items = FSystemMenu->GetItems();
    items->Items(smClose)->SetEnabled((shown & sbCloseShown) != 0);
    items->Items(smMaxRestore)->SetEnabled((shown & sbMaximizeShown) != 0);
    items->Items(smMinimize)->SetEnabled((shown & sbMinimizeShown) != 0);
}

void TlumSkinMenus::RenameSystemMenuItem(int item, const AnsiString& caption) {
    TMenuItem* items = FSystemMenu->GetItems();
    if (item >= 0 && item < items->Count() && item != 2) items->Items(item)->SetCaption(caption);
}

void TlumSkinMenus::SetSystemMenuTarget(TlumSkinSysMenuTarget* target) {
    if (target)
        target->BindSlot(FTarget);
    else
        *FTarget = nullptr;
}

void TlumSkinMenus::ShowSystemMenu(TlumSkinSysMenuTarget* target, int x, int y) {
    SetSystemMenuTarget(target);
    FSystemMenu->Popup(x, y);
}

// ---- skinning menus -------------------------------------------------------------------------

void TlumSkinMenus::SkinMenu(TMenu* menu) {
    if (!menu) return;
    menu->SetOwnerDraw(true);
    if (dynamic_cast<TMainMenu*>(menu) && !menu->GetImages()) menu->SetImages(EmptyMenuImages());
    for (int i = 0; i < menu->GetItems()->Count(); ++i) SkinMenuItem(menu->GetItems()->Items(i));
}

void TlumSkinMenus::SkinMenuItem(TMenuItem* item) {
    if (!item || item->GetParent() == item) return;
    SetMenuItemEvents(
        item, [this](TObject* s, TCanvas* c, int& w, int& h) { MeasureMenuItem(s, c, w, h); },
        [this](TObject* s, TCanvas* c, const TRect& r, bool selected) { PaintMenuItem(s, c, r, selected); });
}

void TlumSkinMenus::UnskinMenu(TMenu* menu) {
    if (!menu) return;
    menu->SetOwnerDraw(false);
    if (dynamic_cast<TMainMenu*>(menu) && menu->GetImages() == EmptyMenuImages()) menu->SetImages(nullptr);
    for (int i = 0; i < menu->GetItems()->Count(); ++i) SetMenuItemEvents(menu->GetItems()->Items(i), nullptr, nullptr);
}

void TlumSkinMenus::Notification(TComponent* component, TOperation operation) {
    if (operation == opInsert) {
        if (auto* menu = dynamic_cast<TMenu*>(component)) {
            if (menu->GetTag() != FEngine->GetDisabledTag() && FEngine->IsSkinActive()) SkinMenu(menu);
        } else if (auto* item = dynamic_cast<TMenuItem*>(component)) {
            if (FEngine->IsSkinActive()) SkinMenuItem(item);
        }
    } else if (auto* menu = dynamic_cast<TMenu*>(component)) {
        UnskinMenu(menu);
    }
}

void TlumSkinMenus::ApplyMenuCheckImage(TBitmap* checkedIcon, TColor transparentColor) {
    if (!checkedIcon || checkedIcon->Empty()) return;
    TBitmap copy;
    copy.Assign(checkedIcon);
    copy.SetTransparent(true);
    TImageList* list = MenuCheckedImages();
    if (list->Count() > 0) list->Delete(0);
    list->AddMasked(&copy, transparentColor != -1 ? transparentColor : copy.GetTransparentColor());
}

// ---- measuring and painting -----------------------------------------------------------------

TColor TlumSkinMenus::SkinColor(uint8_t index, TColor fallback) const {
    const TColor color = FEngine ? FEngine->GetSkinColor(index) : -1;
    return color == -1 ? fallback : color;
}

void TlumSkinMenus::MeasureMenuItem(TObject* sender, TCanvas* canvas, int& width, int& height) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas || IsTopOfMainMenu(item)) return;
    height = item->IsLine() ? 5 : std::max(canvas->TextHeight(item->GetCaption()), 21);
    width = canvas->TextWidth(item->GetCaption()) + canvas->TextWidth(ShortCutToText(item->GetShortCut())) + 66;
}

void TlumSkinMenus::PaintGutterAndBackground(TCanvas* canvas, const TRect& rect, bool rightToLeft) const {
    const TColor start = SkinColor(SKIN2_LEFTBARSTARTCOLOR, clBtnFace);
    const TColor end = SkinColor(SKIN2_LEFTBARENDCOLOR, clBtnFace);
    const int gutter = std::min(kGutterWidth, std::max(rect.Width(), 0));
    const TRect bar = rightToLeft ? TRect(rect.Right - gutter, rect.Top, rect.Right, rect.Bottom)
                                  : TRect(rect.Left, rect.Top, rect.Left + gutter, rect.Bottom);
    const TRect rest = rightToLeft ? TRect(rect.Left, rect.Top, rect.Right - gutter, rect.Bottom)
                                   : TRect(rect.Left + gutter, rect.Top, rect.Right, rect.Bottom);
    if (start == end)
        FillRectColor(canvas, bar, start);
    else if (rightToLeft)
        GradientFillH(canvas, bar, end, start);
    else
        GradientFillH(canvas, bar, start, end);
    FillRectColor(canvas, rest, SkinColor(SKIN2_MENUITEMCOLOR, clMenu));
}

void TlumSkinMenus::PaintMenuItem(TObject* sender, TCanvas* canvas, const TRect& rect, bool selected) {
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas) return;
    TMenu* menu = item->GetParentMenu();
    const bool rightToLeft = menu && menu->GetBiDiMode() != bdLeftToRight;
    const TColor itemColor = SkinColor(SKIN2_MENUITEMCOLOR, clMenu);

    if (item->IsLine()) {
        PaintGutterAndBackground(canvas, rect, rightToLeft);
        DrawMenuSeparator(canvas, rect, kSeparatorColor, !rightToLeft, kGutterWidth);
        return;
    }
    const bool enabled = item->GetEnabled();
    if (selected && enabled) {
        FillRectColor(canvas, rect, SkinColor(SKIN2_SELECTEDMENUCOLOR, clHighlight));
        FrameRectColor(canvas, rect, SkinColor(SKIN2_SELECTEDMENUBORDERCOLOR, clHighlight));
    } else {
        PaintGutterAndBackground(canvas, rect, rightToLeft);
    }

    TFont* font = canvas->GetFont();
    SetMenuFont(font);
    canvas->GetBrush()->SetStyle(bsClear);
    font->SetColor(!enabled   ? clGray
                   : selected ? SkinColor(SKIN2_SELECTEDMENUFONTCOLOR, clHighlightText)
                              : SkinColor(SKIN2_MENUITEMFONTCOLOR, clMenuText));
    if (item->GetDefault()) font->SetStyle(font->GetStyle() | fsBold);

    const AnsiString shortCut = ShortCutToText(item->GetShortCut());
    const int shortCutWidth = shortCut.empty() ? 0 : canvas->TextWidth(shortCut);
    if (rightToLeft) {
        TRect text(rect.Left, rect.Top, rect.Right - kGutterWidth - 4, rect.Bottom);
        canvas->DrawText(item->GetCaption(), text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_RTLREADING);
        if (!shortCut.empty()) {
            TRect keys(rect.Left, rect.Top, rect.Left + shortCutWidth + 16, rect.Bottom);
            canvas->DrawText(shortCut, keys, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
    } else {
        TRect text(rect.Left + kGutterWidth + 4, rect.Top, rect.Right, rect.Bottom);
        canvas->DrawText(item->GetCaption(), text, DT_SINGLELINE | DT_VCENTER);
        if (!shortCut.empty()) {
            TRect keys(rect.Right - shortCutWidth - 16, rect.Top, rect.Right, rect.Bottom);
            canvas->DrawText(shortCut, keys, DT_SINGLELINE | DT_VCENTER);
        }
    }

    // Glyphs are 16 pixels square, 4 in from the gutter's outer edge.
    const int glyphX = rightToLeft ? rect.Right - 16 - 4 : rect.Left + 4;
    const int glyphY = rect.Top + 3;
    TImageList* images = menu ? menu->GetImages() : nullptr;
    const bool usableImage = HasUsableImage(item, images);
    if (item->GetChecked()) {
        if (!usableImage) {
            TImageList* checks = MenuCheckedImages();
            if (checks->Count() > 0) checks->Draw(canvas, glyphX, glyphY, 0, enabled);
        } else {
            const int frameLeft = glyphX - 2;
            FrameRectColor(canvas, TRect(frameLeft, rect.Top + 1, frameLeft + 19, rect.Top + 20), clBlack);
            FillRectColor(canvas, TRect(frameLeft + 1, rect.Top + 2, frameLeft + 18, rect.Top + 19), itemColor);
        }
    }
    if (item->GetImageIndex() != -1 && images) {
        if (usableImage) images->Draw(canvas, glyphX, glyphY, item->GetImageIndex(), enabled);
    } else if (item->HasBitmap()) {
        canvas->StretchDraw(TRect(glyphX, glyphY, glyphX + 16, glyphY + 16), item->GetBitmap());
    }
}
