// The packing thread: zips the site into the temporary archive, writes the player stub under a
// temporary name beside the book, appends the archive and the settings, puts the finished book
// in place of an old one, and hands the outcome to the packing window on the main thread.
#pragma once
#include "classlib/gui/thread.h"
#include "classlib/sysutils.h"

class TArcZip;
class TForm2;

class qvpackthread : public TThread {
public:
    explicit qvpackthread(TForm2* form) : FForm(form) {}
    const char* ClassName() const override { return "qvpackthread"; }

protected:
    void Execute() override;

private:
    // Every step of a run; returns why it failed, or empty when the book is in place.
    AnsiString PackBook();
    // Zips SiteFolder into TempArchivePath; the failure's reason, or empty.
    AnsiString ZipSite(TArcZip* zip);

    TForm2* FForm;
    AnsiString FPartialPath;   // the book while it is written, beside OutputPath
};
