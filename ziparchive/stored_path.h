// How a source path becomes the directory stored in the archive: one rule for the names
// written and for the look-ups of entries already in an archive. Names are in the ANSI
// code page; every cut is made on a character boundary (a GBK trail byte can be 0x5C).
#pragma once
#include "classlib/classes.h"

struct TStoredPathRules {
    bool StorePaths = false;
    bool RelativePaths = false;
    bool StoreVolumes = false;
    const TStrings* RelativePathList = nullptr;   // first matching line is cut off
};

// When Prefix begins Path (ASCII letters compared without case, ending on a character
// boundary of Path), removes it from Path and returns true.
bool CutPathPrefix(AnsiString& path, const AnsiString& prefix);

// The stored directory of Path ("\" separated and ending in "\", or empty): Path's folder;
// with RelativePaths the first RelativePathList line that begins it is cut off; without
// StoreVolumes the drive (letter and ":" or a UNC server and share) and one leading "\".
AnsiString StoredDirectory(const AnsiString& path, const TStoredPathRules& rules);
