// The text rules of a packing run: checking the author's folder and home page, and the names
// derived from the folder (the book beside it, the temporary archive). Lead-byte aware: a GBK
// character whose second byte is 0x5C is never taken for a "\".
#pragma once
#include "classlib/sysutils.h"

// What the checks of "start packing" found, in the order they are made.
enum TPackCheck {
    pcOk,
    pcNoFolder,     // no folder chosen (or not an absolute folder path)
    pcRootFolder,   // a drive's or share's root: the book would hold the whole drive
    pcNoHomePage,   // no home page, or one that is not a file inside the folder
};

struct TPackRequest {
    AnsiString SiteFolder;   // the folder, ending in "\" or "/"
    AnsiString HomePage;     // the home page relative to SiteFolder
};

// The folder with "\" appended unless its last character is "\" or "/".
AnsiString WithTrailingSeparator(const AnsiString& folder);

// True for "C:", "C:\", "\" and "\\server\share" with or without a final separator.
bool IsRootFolder(const AnsiString& folder);

// The home page relative to folder (which ends in a separator): folder removed from its start,
// comparing ASCII letters without regard to case and "\" and "/" alike. False when the home page
// does not start with the folder or names no file below it.
bool RelativeHomePage(const AnsiString& folder, const AnsiString& homePage, AnsiString& relative);

// The checks of "start packing" on the texts of the two edits. Request.SiteFolder is filled once
// the folder has passed (pcNoHomePage included), Request.HomePage on pcOk.
TPackCheck CheckPackRequest(const AnsiString& folderText, const AnsiString& homePageText, TPackRequest& request);

// The packed book: the folder without its last character (its separator), then ".exe".
AnsiString BookPathOf(const AnsiString& siteFolder);

// The file name part of path with the first occurrence of its extension removed
// (site.exe gives site; a.exe.b.exe gives a.b.exe).
AnsiString FileNameWithoutExt(const AnsiString& path);
