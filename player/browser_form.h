// The player's main window: a web browser under a row of four navigation buttons. When shown
// it reads the book's settings from the end of its own program file, claims and creates the
// work folder, sizes itself and shows the loading window, whose thread extracts the book and
// navigates the browser to the home page. Closing it removes what this run extracted.
#pragma once
#include <memory>

#include "classlib/gui/forms.h"
#include "classlib/gui/panel.h"
#include "classlib/gui/standard_controls.h"
#include "classlib/gui/web_browser.h"
#include "classlib/gui/window_proc_hook.h"
#include "player/work_folder_win.h"
#include "skin/skin_engine_win.h"

// The book's settings and paths, written on the main thread before the loading window starts
// its thread, and read by that thread.
extern AnsiString WindowHeight, WindowWidth, SettingsField2, SettingsField3, SettingsField4, HomePage;
extern AnsiString ProgramPath;   // the running program: the packed book
extern AnsiString WorkFolder;    // where the book is extracted (no trailing separator)
extern AnsiString LoadStatus;    // empty, or "error" when the book could not be loaded
// Set by the extraction thread once it has made the temporary archive of this run.
extern bool ArchiveCreated;

// Texts of the player (code page 936).
extern const char kDamagedBookText[];   // the book's tail is damaged
extern const char kLoadFailedText[];    // the book could not be loaded

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;
    const char* ClassName() const override { return "TForm1"; }

    TPanel* Panel1;
    TButton* Button1;
    TButton* Button2;
    TButton* Button3;
    TButton* Button4;
    TWebBrowser* WebBrowser1;
    TlumSkinEngine* lumSkinEngine1 = nullptr;

    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormCloseQuery(TObject* sender, bool& canClose);
    void Button1Click(TObject* sender);
    void Button2Click(TObject* sender);
    void Button3Click(TObject* sender);
    void Button4Click(TObject* sender);
    void WebBrowser1NewWindow2(TObject* sender, IDispatch** ppDisp, bool& cancel);

    // Shows the loading window modally; returns when it has closed and its thread has ended.
    void ShowLoadingWindow();
    // The temporary folder this run works in (empty until the start-up found it).
    const AnsiString& GetTempFolderPath() const { return FTempFolder; }

private:
    // Deletes this run's temporary archive and work folder (once); nothing that this run did
    // not set up. releaseBrowser first points the browser away from the extracted pages.
    void RemoveWorkFiles(bool releaseBrowser);
    void ReleaseBrowserHold();
    void SizeWindow();

    std::unique_ptr<TWorkFolderClaim> FClaim;
    std::unique_ptr<TWindowProcHook> FLocationReport;   // only when a check asked for it
    AnsiString FTempFolder;
    bool FLoading = false;
    bool FCloseRequested = false;
    bool FClosing = false;
    bool FFilesRemoved = false;
};

extern TForm1* Form1;
