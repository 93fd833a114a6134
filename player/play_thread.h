// The extraction thread: copies the archive out of the packed book into the temporary
// archive, extracts it into the work folder with the loading window's reader component, and
// has the main thread show the home page and close the loading window.
#pragma once
#include "classlib/gui/thread.h"
#include "classlib/sysutils.h"

class TArcUnZip;

class playthread : public TThread {
public:
    playthread() = default;
    const char* ClassName() const override { return "playthread"; }

protected:
    void Execute() override;

private:
    // Extracts the temporary archive; true unless the run failed or extracted no file of an
    // archive that has some.
    bool ExtractArchive(TArcUnZip* zip);
};

// Copies the archive part of the packed book source into the file target (replacing an old
// one); true on success. Lets no exception out.
bool CopyArchiveOut(const AnsiString& source, const AnsiString& target);
// Points the browser window's browser at the home page inside the work folder (main thread).
void NavigateHome();
