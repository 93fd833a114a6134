// TMultiZipInfo: the multi-part settings of the writer (part sizes, first-disk reserve,
// mode, disk labels), a persistent object owned by TArcZip.
#pragma once
#include <cstdint>

#include "classlib/classes.h"
#include "ziparchive/arc_unzip.h"

class TMultiZipInfo : public TPersistent {
public:
    static constexpr int64_t kDefaultBlockSize = 1457600;   // a 1.44 MB diskette

    TMultiZipInfo() = default;
    const char* ClassName() const override { return "TMultiZipInfo"; }
    void Assign(TPersistent* source) override;

    int64_t GetBlockSize() const { return FBlockSize; }
    void SetBlockSize(int64_t v) { FBlockSize = v; }
    int64_t GetFirstBlockSize() const { return FFirstBlockSize; }   // 0: BlockSize
    void SetFirstBlockSize(int64_t v) { FFirstBlockSize = v; }
    int64_t GetSaveOnFirstDisk() const { return FSaveOnFirstDisk; }
    void SetSaveOnFirstDisk(int64_t v) { FSaveOnFirstDisk = v; }
    bool GetSaveZipInfoOnFirstDisk() const { return FSaveZipInfoOnFirstDisk; }
    void SetSaveZipInfoOnFirstDisk(bool v) { FSaveZipInfoOnFirstDisk = v; }
    TMultiMode GetMultiMode() const { return FMultiMode; }
    void SetMultiMode(TMultiMode v) { FMultiMode = v; }
    bool GetCheckDiskLabels() const { return FCheckDiskLabels; }
    void SetCheckDiskLabels(bool v) { FCheckDiskLabels = v; }
    bool GetWriteDiskLabels() const { return FWriteDiskLabels; }
    void SetWriteDiskLabels(bool v) { FWriteDiskLabels = v; }

private:
    int64_t FBlockSize = kDefaultBlockSize;
    int64_t FFirstBlockSize = 0;
    int64_t FSaveOnFirstDisk = 0;
    bool FSaveZipInfoOnFirstDisk = false;
    TMultiMode FMultiMode = mmNone;
    bool FCheckDiskLabels = true;
    bool FWriteDiskLabels = true;
};
