// TgwSkinLinkLabel: a transparent label that shows its caption underlined, changes colour
// while the mouse is over it and opens its URL through the shell when clicked.
//
// With a loaded skin (SkinData) it takes font and colours from the skin's "stdlabel"
// descriptor named by SkinDataName (a descriptor of another kind under that name keeps the
// values taken last); without one it draws in DefaultFont and, under the mouse,
// DefaultActiveFontColor. Text follows the control's right-to-left reading (BiDiMode).
#pragma once
#include <memory>

#include "classlib/gui/standard_controls.h"
#include "skindata/skin_data.h"

// The shell call behind a click; tests replace it. The default is
// ShellExecuteA(0, verb, url, 0, 0, show).
using TgwShellOpen = void (*)(const AnsiString& verb, const AnsiString& url, int show);
extern TgwShellOpen gwShellOpen;

class TgwSkinLinkLabel : public TCustomLabel {
public:
    explicit TgwSkinLinkLabel(TComponent* owner);
    ~TgwSkinLinkLabel() override;
    const char* ClassName() const override { return "TgwSkinLinkLabel"; }

    bool GetUseSkinFont() const { return FUseSkinFont; }
    void SetUseSkinFont(bool v);
    TColor GetDefaultActiveFontColor() const { return FDefaultActiveFontColor; }
    void SetDefaultActiveFontColor(TColor v) { FDefaultActiveFontColor = v; }
    const AnsiString& GetURL() const { return FURL; }
    void SetURL(const AnsiString& v) { FURL = v; }
    TFont* GetDefaultFont() const { return FDefaultFont.get(); }
    // Copies the given font.
    void SetDefaultFont(TFont* font);
    TgwSkinData* GetSkinData() const { return FSkinData; }
    // Follows the skin (null: none); repaints with its font.
    void SetSkinData(TgwSkinData* value);
    const AnsiString& GetSkinDataName() const { return FSkinDataName; }
    void SetSkinDataName(const AnsiString& v) { FSkinDataName = v; }

    bool GetMouseInControl() const { return FMouseIn; }
    // -1 while unskinned, else the index of the descriptor in use.
    int GetSkinIndex() const { return FIndex; }
    // Takes font and colours from the skin's descriptor, or goes unskinned.
    void UpdateSkinFont();
    void ChangeSkinData();

protected:
    void DoDrawText(TRect& rect, UINT flags) override;
    void Click() override;
    void WndProc(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::unique_ptr<TFont> FDefaultFont;
    TgwSkinData* FSkinData = nullptr;
    AnsiString FSkinDataName = "stdlabel";
    AnsiString FURL;
    TColor FDefaultActiveFontColor = clBlue;
    bool FUseSkinFont = true;
    bool FMouseIn = false;
    int FIndex = -1;
    // Copied from the skin's stdlabel descriptor; until then a descriptor's defaults.
    AnsiString FSkinFontName = "Arial";
    int FSkinFontHeight = 14;
    TFontStyles FSkinFontStyle = 0;
    TColor FSkinFontColor = clBlack;
    TColor FSkinActiveFontColor = clBlue;
};
