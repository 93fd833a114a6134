// The builder's main window: the author picks the site's folder and its home page, sets the
// size of the reader's window and starts packing, which shows the packing window modally.
// A second page holds the usage notes.
#pragma once
#include "classlib/gui/common_controls.h"
#include "classlib/gui/dialogs.h"
#include "classlib/gui/forms.h"
#include "classlib/gui/labeled_edit.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/standard_controls.h"
#include "flatctrls/flat_spin_edit.h"
#include "skindata/link_label_win.h"
#include "skin/skin_engine_win.h"

// The book's settings as the last click on "start packing" left them; written on the main
// thread before the packing window starts its thread, read by that thread.
extern AnsiString WindowHeight, WindowWidth, SettingsField2, SettingsField3, SettingsField4;
extern AnsiString SiteFolder;   // ends in "\" or "/" once the checks have passed
extern AnsiString HomePage;     // relative to SiteFolder

// Texts of the main window's checks (code page 936).
extern const char kChooseFolderText[];     // no folder chosen
extern const char kChooseHomePageText[];   // no home page inside the folder chosen
extern const char kRootFolderText[];       // a whole drive chosen as the folder
// Where the help page's links lead.
extern const char kWebSiteAddress[];

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    const char* ClassName() const override { return "TForm1"; }

    TPanel* Panel1;
    TStatusBar* StatusBar1;
    TPageControl* PageControl1;
    TTabSheet* TabSheet1;
    TPanel* Panel2;
    TLabeledEdit* qvpath;
    TButton* Button1;
    TLabeledEdit* qvplay;
    TButton* Button2;
    TButton* Button3;
    TFlatSpinEditInteger* chang;
    TFlatSpinEditInteger* kuan;
    TStaticText* StaticText1;
    TStaticText* StaticText2;
    TStaticText* StaticText3;
    TCheckBox* CheckBox1;
    TCheckBox* neww;
    TCheckBox* copyw;
    TCheckBox* mousew;
    TTabSheet* TabSheet2;
    TMemo* mmm;
    // The help page's links to the program's web site.
    TgwSkinLinkLabel* gwSkinLinkLabel1;
    TgwSkinLinkLabel* gwSkinLinkLabel2;
    // Draws every form of the program in our default skin.
    TlumSkinEngine* lumSkinEngine1 = nullptr;
    TOpenDialog* OpenDialog1;

    void Button1Click(TObject* sender);
    void Button2Click(TObject* sender);
    void Button3Click(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
};

extern TForm1* Form1;
