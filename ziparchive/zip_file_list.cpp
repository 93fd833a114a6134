// File list expansion and stored names: which files a run zips, and under which name.
#include "classlib/file_find.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/file_search.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/pump_throttle.h"
#include "ziparchive/writer_platform.h"

namespace {
bool MatchesAny(const TStrings& patterns, const AnsiString& path) {
    for (int i = 0; i < patterns.Count(); ++i)
        if (IsMatch(patterns.Get(i), path)) return true;
    return false;
}

bool ArchiveBitClear(uint32_t attr) { return (attr & TArcZip::kArchiveBit) == 0; }
}  // namespace

bool TArcZip::IsExcluded(const AnsiString& path) const { return MatchesAny(*FExcludeList, path); }
bool TArcZip::IsNoCompress(const AnsiString& path) const { return MatchesAny(*FNoCompressList, path); }

TStoredPathRules TArcZip::PathRules() const {
    TStoredPathRules r;
    r.StorePaths = FStorePaths;
    r.RelativePaths = FRelativePaths;
    r.StoreVolumes = FStoreVolumes;
    r.RelativePathList = FRelativePathList.get();
    return r;
}

AnsiString TArcZip::BuildStoredPath(const AnsiString& path) const { return StoredDirectory(path, PathRules()); }

void TArcZip::MakeStoredName(const AnsiString& path, AnsiString& directory, AnsiString& fileName) const {
    AnsiString p = FStore83Names ? ShortPathName(path) : path;
    if (FOEMConvert == oemAlways) OemRoundTrip(p);
    fileName = EndsWithChar(p, '\\') ? AnsiString() : ExtractFileName(p);
    directory = BuildStoredPath(p);
}

bool TArcZip::InArchiveDirectory(const AnsiString& path) const {
    if (!FSortedList) return false;
    AnsiString p = path;
    if (FOEMConvert == oemAlways) OemRoundTrip(p);
    TZipHeaderInfo probe;
    probe.SetFileName(ExtractFileName(p));
    probe.SetDirectory(BuildStoredPath(p));
    int32_t index = 0;
    return FSortedList->Search(static_cast<TObject*>(&probe), index);
}

void TArcZip::CheckCancel() {
    if (FDoProcessMessages) ThrottledProcessMessages(FLastPump);
    if (FCancel) throw EUserCanceled(msgUserAborted);
    if (FPause) WaitWhilePaused();
}

// The tests every concrete file passes, in both passes; false after the skip event.
bool TArcZip::KeepExpandedName(const AnsiString& name) {
    bool retry = false;
    if (FSkipIfArchiveBitNotSet) {
        uint32_t attr = writer_platform::FileGetAttr(name);
        if (attr != writer_platform::kInvalidAttributes && ArchiveBitClear(attr)) {
            if (OnSkippingFile) OnSkippingFile(this, srArchiveBitNotSet, name, -1, retry);
            return false;
        }
    }
    if (FZipAction == zaFreshen && !InArchiveDirectory(name)) {
        if (OnSkippingFile) OnSkippingFile(this, srNoFileToFreshen, name, -1, retry);
        return false;
    }
    return true;
}

void TArcZip::ExpandFilesList() {
    FTotalBytes = 0;
    FBytesDone = 0;
    const bool freshen = FZipAction == zaFreshen;
    if (freshen) {
        if (!FPhysicalList && FileExists(FZipName)) OpenZip();
        SortEntries(ByName);
    }

    TStringList patterns;
    TStrings& list = *FFilesList;
    for (int i = 0; i < list.Count();) {
        AnsiString name = list.Get(i);
        if (EndsWithChar(name, '\\')) {   // a folder entry
            ++i;
            continue;
        }
        if (HasWildcards(name)) {
            patterns.Add(name);
            list.Delete(i);
            continue;
        }
        if (ExtractFilePath(name).empty()) {
            name = FRootDir + name;
            list.Put(i, name);
        }
        bool retry = false;
        if (IsExcluded(name)) {
            if (OnSkippingFile) OnSkippingFile(this, srExcludeList, name, -1, retry);
            list.Delete(i);
            continue;
        }
        TSearchRec rec;
        if (FindFirst(name, FSearchAttributes, rec) != 0) {
            if (OnNoSuchFile) OnNoSuchFile(this, name);
            list.Delete(i);
            continue;
        }
        FindClose(rec);
        if (!KeepExpandedName(name)) {
            list.Delete(i);
            continue;
        }
        FTotalBytes += SearchRecSize(rec);
        ++i;
    }

    for (int i = 0; i < patterns.Count(); ++i) ExpandPattern(patterns.Get(i));

    if (freshen) SortEntries(ByNone);
}

void TArcZip::ExpandPattern(AnsiString pattern) {
    bool recurse = FRecurse;
    if (!pattern.empty() && (pattern[0] == '|' || pattern[0] == '>')) {
        recurse = pattern[0] == '>';
        pattern.erase(0, 1);
    }
    AnsiString folder = ExtractFilePath(pattern);
    if (folder.empty()) folder = FRootDir;
    if (!DirExists(folder) && !HasWildcards(folder)) {
        if (OnNoSuchFile) OnNoSuchFile(this, pattern);
        return;
    }
    AnsiString namePart = ExtractFileName(pattern);
    if (namePart == "*.*") namePart = "*";

    TDirSearch search(folder, FSearchAttributes, recurse, namePart);
    TSearchRec rec;
    AnsiString name;
    while (search.NextFile(rec, name)) {
        if (OnRecursingFile) OnRecursingFile(this, name);
        if (EndsWithChar(name, '\\')) {
            if (recurse && FAddDirEntriesOnRecurse) FFilesList->Add(name);
            continue;
        }
        if (IsExcluded(name)) {
            bool retry = false;
            if (OnSkippingFile) OnSkippingFile(this, srExcludeList, name, -1, retry);
            continue;
        }
        CheckCancel();
        if (CompareText(name, FZipName) == 0) continue;   // the archive being written
        if (!KeepExpandedName(name)) continue;
        FFilesList->Add(name);
        FTotalBytes += SearchRecSize(rec);
    }
}
