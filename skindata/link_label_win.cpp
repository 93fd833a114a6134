#include "skindata/link_label_win.h"

#include <shellapi.h>

namespace {

void ShellOpen(const AnsiString& verb, const AnsiString& url, int show) {
    ShellExecuteA(nullptr, verb.c_str(), url.c_str(), nullptr, nullptr, show);
}

// Skin colours name system colours as $FF0000nn; ours as 0x800000nn.
TColor FromSkinColor(TgwColor color) {
    uint32_t bits = static_cast<uint32_t>(color);
    return (bits & 0xFF000000u) == 0xFF000000u ? SystemColor(static_cast<int>(bits & 0xFF)) : static_cast<TColor>(bits);
}

}  // namespace

TgwShellOpen gwShellOpen = ShellOpen;

TgwSkinLinkLabel::TgwSkinLinkLabel(TComponent* owner) : TCustomLabel(owner), FDefaultFont(std::make_unique<TFont>()) {
    SetTransparent(true);
    FDefaultFont->SetName("Arial");
    FDefaultFont->SetHeight(14);
    FDefaultFont->SetStyle(fsUnderline);
    GetFont()->Assign(FDefaultFont.get());
    SetCursor(crHandPoint);
}

TgwSkinLinkLabel::~TgwSkinLinkLabel() {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
}

void TgwSkinLinkLabel::SetUseSkinFont(bool v) {
    if (v == FUseSkinFont) return;
    FUseSkinFont = v;
    Invalidate();
}

void TgwSkinLinkLabel::SetDefaultFont(TFont* font) {
    FDefaultFont->Assign(font);
    Invalidate();
}

void TgwSkinLinkLabel::SetSkinData(TgwSkinData* value) {
    if (FSkinData) FSkinData->RemoveFreeNotification(this);
    FSkinData = value;
    if (!value) return;
    value->FreeNotification(this);
    ChangeSkinData();
}

void TgwSkinLinkLabel::Notification(TComponent* component, TOperation operation) {
    TCustomLabel::Notification(component, operation);
    if (operation == opRemove && component == FSkinData) {
        FSkinData = nullptr;
        FIndex = -1;
        Invalidate();
    }
}

void TgwSkinLinkLabel::UpdateSkinFont() {
    FIndex = FSkinData && !FSkinData->Empty ? FSkinData->GetControlIndex(FSkinDataName) : -1;
    if (FIndex < 0) return;
    // Only a stdlabel descriptor says how a label looks; under any other the label stays
    // skinned with the values it copied last.
    auto* d = dynamic_cast<TgwDataSkinStdLabelControl*>(FSkinData->SkinControlList[static_cast<size_t>(FIndex)].get());
    if (!d) return;
    FSkinFontName = d->fontname;
    FSkinFontColor = FromSkinColor(d->fontcolor);
    FSkinFontStyle = d->fontstyle;
    FSkinFontHeight = d->fontheight;
    FSkinActiveFontColor = FromSkinColor(d->activefontcolor);
}

void TgwSkinLinkLabel::ChangeSkinData() {
    UpdateSkinFont();
    Repaint();
}

void TgwSkinLinkLabel::DoDrawText(TRect& rect, UINT flags) {
    UpdateSkinFont();
    AnsiString text = GetText();
    if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += " ";
    const UINT format = DrawTextBiDiModeFlags(flags | (FShowAccelChar ? 0 : DT_NOPREFIX));

    TCanvas* canvas = GetCanvas();
    TFont* font = canvas->GetFont();
    const bool skinned = FIndex >= 0;
    if (skinned && FUseSkinFont) {
        font->SetName(FSkinFontName);
        font->SetStyle(FSkinFontStyle | fsUnderline);
        font->SetHeight(FSkinFontHeight);
    } else {
        canvas->SetFont(FUseSkinFont ? FDefaultFont.get() : GetFont());
    }
    TgwResourceStrData* strings = FSkinData ? FSkinData->GetResourceStrData() : nullptr;
    font->SetCharset(strings ? strings->GetCharSet() : FDefaultFont->GetCharset());
    if (skinned) font->SetColor(FMouseIn ? FSkinActiveFontColor : FSkinFontColor);
    else if (FMouseIn) font->SetColor(FDefaultActiveFontColor);
    if (!skinned) font->SetStyle(font->GetStyle() | fsUnderline);
    canvas->GetBrush()->SetStyle(bsClear);

    if (FEnabled || (flags & DT_CALCRECT)) {
        canvas->DrawText(text, rect, format);
        return;
    }
    TRect shifted = rect.Offset(1, 1);
    font->SetColor(skinned ? FromSkinColor(FSkinData->SkinColors.cbtnhighlight) : clBtnHighlight);
    canvas->DrawText(text, shifted, format);
    font->SetColor(skinned ? FromSkinColor(FSkinData->SkinColors.cbtnshadow) : clBtnShadow);
    canvas->DrawText(text, rect, format);
}

void TgwSkinLinkLabel::Click() {
    TCustomLabel::Click();
    // The URL is the program's own setting, handed over as it is (empty too); the result
    // does not matter.
    gwShellOpen("open", FURL, SW_SHOWNORMAL);
}

void TgwSkinLinkLabel::WndProc(TMessage& m) {
    TCustomLabel::WndProc(m);
    if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
        FMouseIn = m.Msg == CM_MOUSEENTER;
        Repaint();
    }
}
