// The running book's claim on its work folder. A named mutex marks the folder as in use for
// as long as this process lives, so that a second copy of the same book (or another book of
// the same file name) extracts into a folder of its own and never removes this one's pages.
#pragma once
#include "classlib/gui/windows_api.h"

#include "classlib/sysutils.h"

// The user's temporary folder, ending in "\"; empty when the system does not report an
// absolute folder.
AnsiString GetTempFolder();

class TWorkFolderClaim {
public:
    TWorkFolderClaim() = default;
    ~TWorkFolderClaim() { Release(); }
    TWorkFolderClaim(const TWorkFolderClaim&) = delete;
    TWorkFolderClaim& operator=(const TWorkFolderClaim&) = delete;

    // Takes the first free work folder for the book file fileName under tempFolder and makes
    // sure it exists as a folder: the usual name, then the suffixed ones. A name whose mutex
    // another process holds, that exists as something other than a plain folder, or that
    // cannot be created is passed over. False when every attempt failed.
    bool Claim(const AnsiString& tempFolder, const AnsiString& fileName);
    // Lets the folder go (the process ending does the same).
    void Release();
    bool Claimed() const { return FMutex != nullptr; }
    const AnsiString& GetFolder() const { return FFolder; }

    static constexpr int kMaxAttempts = 100;

private:
    HANDLE FMutex = nullptr;
    AnsiString FFolder;
};
