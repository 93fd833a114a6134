#include "ziparchive/multi_zip_info.h"

void TMultiZipInfo::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TMultiZipInfo*>(source);
    if (!src) {
        TPersistent::Assign(source);
        return;
    }
    FBlockSize = src->FBlockSize;
    FFirstBlockSize = src->FFirstBlockSize;
    FSaveOnFirstDisk = src->FSaveOnFirstDisk;
    FSaveZipInfoOnFirstDisk = src->FSaveZipInfoOnFirstDisk;
    FMultiMode = src->FMultiMode;
    FCheckDiskLabels = src->FCheckDiskLabels;
    FWriteDiskLabels = src->FWriteDiskLabels;
}
