// File list expansion and stored names: which files a run zips, and under which name.
#include "classlib/file_find.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/file_search.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/pump_throttle.h"
#include "ziparchive/writer_platform.h"

namespace {
// A pattern with a folder part (c:\a\*) is matched against the whole path, any other
// ("*.bak", "logo.png") against the file name alone.
bool MatchesAny(const TStrings& patterns, const AnsiString& path) {
    const AnsiString name = ExtractFileName(path);
    for (int i = 0; i < patterns.Count(); ++i) {
        const AnsiString pattern = patterns.Get(i);
        if (IsMatch(pattern, LastDelimiter("\\", pattern) >= 0 ? path : name)) return true;
    }
    return false;
}

bool ArchiveBitClear(uint32_t attr) { return (attr & TArcZip::kArchiveBit) == 0; }

bool AllDigits(const AnsiString& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}
}  // namespace

// The archive itself, its parts (any of the part names, standard or classic), its ".zfc"
// copy and the run's temporary files are never zipped into it.
bool TArcZip::IsRunOwnFile(const AnsiString& name) const {
    if (AnsiCompareText(name, FZipName) == 0) return true;
    if (AnsiCompareText(name, ChangeFileExt(FZipName, ".zfc")) == 0) return true;
    const AnsiString file = ExtractFileName(name);
    if (file.size() > 3 && CompareText(file.substr(0, 3), "ZKZ") == 0 &&
        AnsiCompareText(ExtractFilePath(name), IncludeTrailingPathDelimiter(TempFolder())) == 0)
        return true;
    if (!MultiPart() || FSplitBaseName.empty() || name.size() <= FSplitBaseName.size() ||
        AnsiCompareText(name.substr(0, FSplitBaseName.size()), FSplitBaseName) != 0)
        return false;
    const AnsiString rest = LowerCase(name.substr(FSplitBaseName.size()));   // ".zip", ".zip.z01", ".001"
    if (rest == ".zip") return true;
    if (rest.size() > 6 && rest.substr(0, 6) == ".zip.z" && AllDigits(rest.substr(6))) return true;
    return rest.size() > 1 && rest[0] == '.' && AllDigits(rest.substr(1));
}

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

void TArcZip::CountNameLength(const AnsiString& name) {
    if (MultiPart() && FMultiZipInfo->GetSaveZipInfoOnFirstDisk() && FStorePaths)
        FNameLengthSum += static_cast<int64_t>(name.size()) - 2;   // without the drive
}

void TArcZip::ExpandFilesList() {
    FTotalBytes = 0;
    FNameLengthSum = 0;
    FBytesDone = 0;
    const bool freshen = FZipAction == zaFreshen;
    if (freshen) {
        if (!FPhysicalList && FileExists(FZipName)) ReadOldDirectory();
        SortEntries(ByName);
    }

    TStringList patterns;
    TStrings& list = *FFilesList;
    for (int i = 0; i < list.Count();) {
        AnsiString name = list.Get(i);
        if (EndsWithChar(name, '\\')) {   // a folder entry
            CountNameLength(name);
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
        CountNameLength(name);
        ++i;
    }

    for (int i = 0; i < patterns.Count(); ++i) ExpandPattern(patterns.Get(i));
    // The reserve for the directory copy works with the average name length.
    if (FFilesList->Count() > 0 && FNameLengthSum > 0) FNameLengthSum /= FFilesList->Count();

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
        if (IsRunOwnFile(name)) continue;
        if (!KeepExpandedName(name)) continue;
        FFilesList->Add(name);
        FTotalBytes += SearchRecSize(rec);
        CountNameLength(name);
    }
}
