// Services of the operating system that the reader component needs: the identity of an
// open archive file, the user prompts and dialogs. One implementation in
// arc_platform_win.cpp, one in arc_platform_posix.cpp (no user there: every prompt
// answers "cancel").
#pragma once
#include <cstdint>

#include "classlib/date_time.h"
#include "classlib/fileio.h"

namespace arc_platform {

// What tells one state of a file from another: its size and its full last-write time.
struct TFileStamp {
    bool Valid = false;
    int64_t Size = 0;
    int64_t WriteTime = 0;   // system units (100 ns on Windows, ns elsewhere)
    TDateTime Date = 0;      // local last-write time at the 2-second grain of a DOS date
    bool operator==(const TFileStamp& o) const {
        return Valid && o.Valid && Size == o.Size && WriteTime == o.WriteTime;
    }
};
TFileStamp FileStampOf(THandle handle);

// A message box without owner window; returns the button pressed (IDOK 1, IDCANCEL 2, ...).
int ShowMessageBox(const AnsiString& text, const AnsiString& caption, uint32_t flags);

// The open-file dialog; false when cancelled.
bool PromptForFileName(const AnsiString& title, const AnsiString& filter, const AnsiString& initialDir,
                       AnsiString& fileName);

// The folder-selection dialog (a new folder may be created in it); false when cancelled.
bool PromptForDirectory(AnsiString& dir);

// Shows the default arrow cursor while it lives.
class TDefaultCursor {
public:
    TDefaultCursor();
    ~TDefaultCursor();
    TDefaultCursor(const TDefaultCursor&) = delete;
    TDefaultCursor& operator=(const TDefaultCursor&) = delete;
private:
    void* FOld = nullptr;
};

}  // namespace arc_platform
