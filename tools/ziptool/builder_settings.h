// The writer settings of the builder's packing thread: the folder with everything below it,
// stored under paths relative to it, all files, attributes kept, the given password and
// Deflate level. ziptool create, the writer's tests and the benchmark zip folders this way.
#pragma once
#include "ziparchive/arc_zip.h"

inline void UseBuilderSettings(TArcZip& zip, const AnsiString& folder, const AnsiString& archive,
                               const AnsiString& password, int packLevel) {
    const AnsiString root = IncludeTrailingPathDelimiter(folder);
    zip.SetOverwriteMode(Always);
    zip.SetStorePaths(true);
    zip.SetRelativePaths(true);
    zip.GetFilesList()->Clear();
    zip.SetRootDir(root);
    zip.GetFilesList()->Add(root + "*.*");
    zip.SetZipName(archive);
    zip.Password = password;
    zip.SetRecurse(true);
    zip.SetDoAll(true);
    zip.SetRetainAttributes(true);
    zip.SetPackLevel(packLevel);
}
