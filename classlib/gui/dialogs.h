// Message boxes and the system's common dialogs.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/classes.h"

// A message box with the application's title as caption and one OK button.
void ShowMessage(const AnsiString& text);

using TOpenOptions = uint32_t;
enum : TOpenOptions {
    ofReadOnly = 1 << 0, ofOverwritePrompt = 1 << 1, ofHideReadOnly = 1 << 2, ofNoChangeDir = 1 << 3,
    ofAllowMultiSelect = 1 << 4, ofPathMustExist = 1 << 5, ofFileMustExist = 1 << 6,
    ofCreatePrompt = 1 << 7, ofNoValidate = 1 << 8, ofEnableSizing = 1 << 9, ofDontAddToRecent = 1 << 10
};

// The system's open-file dialog.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
    const char* ClassName() const override { return "TOpenDialog"; }
    // True when the user chose a file (FileName, and Files for a multiple choice).
    virtual bool Execute();

    const AnsiString& GetFileName() const { return FFileName; }
    void SetFileName(const AnsiString& v) { FFileName = v; }
    TStrings* GetFiles() { return &FFiles; }
    // "Description|*.ext|Description|*.a;*.b" pairs.
    const AnsiString& GetFilter() const { return FFilter; }
    void SetFilter(const AnsiString& v) { FFilter = v; }
    int GetFilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int v) { FFilterIndex = v; }
    const AnsiString& GetInitialDir() const { return FInitialDir; }
    void SetInitialDir(const AnsiString& v) { FInitialDir = v; }
    const AnsiString& GetTitle() const { return FTitle; }
    void SetTitle(const AnsiString& v) { FTitle = v; }
    const AnsiString& GetDefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const AnsiString& v) { FDefaultExt = v; }
    TOpenOptions GetOptions() const { return FOptions; }
    void SetOptions(TOpenOptions v) { FOptions = v; }

protected:
    bool RunDialog(bool save);
private:
    AnsiString FFileName, FFilter, FInitialDir, FTitle, FDefaultExt;
    TStringList FFiles;
    int FFilterIndex = 1;
    TOpenOptions FOptions = ofHideReadOnly | ofEnableSizing;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
    const char* ClassName() const override { return "TSaveDialog"; }
    bool Execute() override;
};

// The shell's folder browser (file-system folders only) with caption as its title, rooted at
// root (empty: the desktop). True with the chosen folder's path in directory.
bool SelectDirectory(const AnsiString& caption, const AnsiString& root, AnsiString& directory);

// The class library's own folder dialog: a folder-name box and the folders of the current one
// (a double click walks into one, ".." up). It starts in directory (empty: the current
// directory). With sdAllowCreate a folder that does not exist may be typed; sdPrompt asks
// before accepting it and sdPerformCreate makes it (with any missing parents). True with the
// chosen folder (absolute, no trailing "\" but on a drive's root) in directory.
using TSelectDirOpts = uint32_t;
enum : TSelectDirOpts { sdAllowCreate = 1 << 0, sdPerformCreate = 1 << 1, sdPrompt = 1 << 2 };
bool SelectDirectory(AnsiString& directory, TSelectDirOpts options, int helpCtx);
