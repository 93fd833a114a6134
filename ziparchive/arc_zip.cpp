// The writer component itself: defaults, copying and the setters that keep related options
// consistent.
#include "ziparchive/arc_zip.h"

#include "ziparchive/file_utils.h"
#include "ziparchive/raw_deflater.h"

TArcZip::TArcZip(TComponent* owner)
    : TArcUnZip(owner),
      FMultiZipInfo(std::make_unique<TMultiZipInfo>()),
      FExcludeList(std::make_unique<TStringList>()),
      FNoCompressList(std::make_unique<TStringList>()) {
    FSearchAttributes = 0x3F;
    SetIncludeHiddenFiles(false);
    SetIncludeSysFiles(false);
    SetIncludeReadOnlyFiles(true);
    SetIncludeArchiveFiles(true);
}

TArcZip::~TArcZip() = default;

void TArcZip::Loaded() {
    TArcUnZip::Loaded();
    SetCheckDiskLabels(FMultiZipInfo->GetCheckDiskLabels());
    SetMultiMode(FMultiZipInfo->GetMultiMode());
}

void TArcZip::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TArcZip*>(source);
    TArcUnZip::Assign(source);
    if (!src || src == this) return;
    FPackLevel = src->FPackLevel;
    FRecurse = src->FRecurse;
    FDispose = src->FDispose;
    FStorePaths = src->FStorePaths;
    FRelativePaths = src->FRelativePaths;
    FStoreVolumes = src->FStoreVolumes;
    FZipAction = src->FZipAction;
    FMultiZipInfo->Assign(src->FMultiZipInfo.get());
    FStore83Names = src->FStore83Names;
    FTempPath = src->FTempPath;
    FSkipIfArchiveBitNotSet = src->FSkipIfArchiveBitNotSet;
    FResetArchiveBitOnZip = src->FResetArchiveBitOnZip;
    FExcludeList->Assign(src->FExcludeList.get());
    FNoCompressList->Assign(src->FNoCompressList.get());
    FAddDirEntriesOnRecurse = src->FAddDirEntriesOnRecurse;
    OnStartZip = src->OnStartZip;
    OnStartZipInfo = src->OnStartZipInfo;
    OnEndZip = src->OnEndZip;
    OnDisposeFile = src->OnDisposeFile;
    OnDeleteEntry = src->OnDeleteEntry;
    OnNoSuchFile = src->OnNoSuchFile;
    OnZipComplete = src->OnZipComplete;
    OnUpdate = src->OnUpdate;
}

void TArcZip::SetZipName(const AnsiString& value) {
    // The same name in other letter case keeps the directory already read.
    if (AnsiCompareText(value, FZipName) != 0) TArcUnZip::SetZipName(value);
}

void TArcZip::SetStorePaths(bool v) {
    if (v == FStorePaths) return;
    FStorePaths = v;
    if (!v) {
        FStoreVolumes = false;
        FRelativePaths = false;
    }
}

void TArcZip::SetRelativePaths(bool v) {
    if (v == FRelativePaths) return;
    FRelativePaths = v;
    if (v) {
        FStorePaths = true;
        FRecurse = true;
    }
}

void TArcZip::SetStoreVolumes(bool v) {
    if (v == FStoreVolumes) return;
    FStoreVolumes = v;
    if (v) FStorePaths = true;
}

void TArcZip::SetSearchBit(uint32_t bit, bool on) {
    if (on)
        FSearchAttributes |= bit;
    else
        FSearchAttributes &= ~bit;
}

bool TArcZip::GetCheckDiskLabels() const { return FMultiZipInfo->GetCheckDiskLabels(); }

void TArcZip::SetCheckDiskLabels(bool v) {
    if (FMultiZipInfo->GetCheckDiskLabels() != v) FMultiZipInfo->SetCheckDiskLabels(v);
    FCheckDiskLabels = v;
}

TMultiMode TArcZip::GetMultiMode() const { return FMultiZipInfo ? FMultiZipInfo->GetMultiMode() : FMultiMode; }

void TArcZip::SetMultiMode(TMultiMode v) {
    if (!FMultiZipInfo) return;
    if (FMultiZipInfo->GetMultiMode() != v) FMultiZipInfo->SetMultiMode(v);
    FMultiMode = v;
}
