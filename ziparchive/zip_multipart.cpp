// Archives across several files: mmBlocks writes numbered part files of BlockSize bytes,
// mmSpan fills removable disks that the user changes, labelling each. Each entry's data
// is made in a temporary file first and then copied onto the parts, split wherever one is
// full; headers and directory records are never split. On request a copy of the directory
// goes to a ".zfc" file, so that the directory can be read without the last disk.
#include "classlib/little_endian.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/archive_output_stream.h"
#include "ziparchive/file_utils.h"
#include "ziparchive/multi_zip_info.h"
#include "ziparchive/record_buffer.h"
#include "ziparchive/writer_platform.h"

namespace {
constexpr uint32_t kSpanningSig = 0x08074B50u;
constexpr int64_t kDefaultClusterSize = 4096;
constexpr int kMaxSameDiskPrompts = 10;
const char kFreshenRefused[] =
    "Freshening cannot write a split or spanned archive: it would hold only the freshened files";
const char kTooManyParts[] = "An archive cannot have more than 999 parts: choose a larger BlockSize";
const char kRenameFailed[] = "Cannot give the last part its name: ";
const char kConfigSaveError[] = "Unable to save Zip Configuration File to disk";

AnsiString DiskLabel(uint32_t disk) { return "PKBACK# " + Format("%3.3d", static_cast<int>(disk + 1)); }
}  // namespace

void TArcZip::CheckMultiPartSettings() const {
    // Any part size is taken: a part too small for what must stand on it whole (a header,
    // a directory record, the end record) fails the run with ENotEnoughRoom.
    if (FZipAction == zaFreshen) throw EArcZipException(kFreshenRefused);
}

int64_t TArcZip::FreeSpaceOfZipDrive() { return writer_platform::FreeSpaceOfDrive(FZipName); }

int64_t TArcZip::GetClusterSize(const AnsiString& root) { return writer_platform::ClusterSize(root); }

int64_t TArcZip::RoomLeft() const { return FVolumeRoom - (FOutputStream ? FOutputStream->GetPosition() : 0); }

void TArcZip::OpenVolumeFile(const AnsiString& fileName) {
    FOutputFileName = fileName;
    FOutputStream = std::make_unique<TArchiveOutputStream>(fileName, FBufferSize, FFlushFilesOnClose);
    FOutputCreated = true;
    if (GetMultiMode() == mmBlocks) FPartNames.push_back(fileName);
    if (FNewEndCentral) FNewEndCentral->SetEntriesThisDisk(0);
    if (FVolumeRoom <= 0) throw ENotEnoughRoom(msgNotEnoughRoom);
}

void TArcZip::OpenFirstVolume() {
    TMultiZipInfo& m = *FMultiZipInfo;
    FCurrentDisk = 0;
    FPartNames.clear();
    FLastDiskSerialKnown = false;
    AnsiString name;
    if (GetMultiMode() == mmBlocks) {
        name = FSplitBaseName;
        GetSplitPartFileName(name, 1, spFirst);
    } else {
        name = FZipName;
        GetNextDisk(1, name);
        if (name.empty()) throw EUserCanceled(msgCanceledZip);
        if (FileExists(name)) RemoveFile(name);
        if (OnPrepareNextDisk) OnPrepareNextDisk(this, 1);
    }

    // Room kept free on the first disk: the directory copy, sized from the average name.
    int64_t reserve = m.GetSaveOnFirstDisk();
    if (m.GetSaveZipInfoOnFirstDisk()) {
        reserve += FFilesList->Count() * (FNameLengthSum + kCentralHeaderFixed) + FEndRecord->CommentLength +
                   kEndCentralSize + 2048;
        if (GetMultiMode() == mmSpan) {
            int64_t cluster = kDefaultClusterSize;
            try {
                cluster = GetClusterSize(ExtractFileDrive(FZipName) + "\\");
            } catch (const Exception&) {
            }
            reserve += cluster;
        }
    }
    if (GetMultiMode() == mmSpan)
        FVolumeRoom = FreeSpaceOfZipDrive() - reserve;
    else
        FVolumeRoom = (m.GetFirstBlockSize() != 0 ? m.GetFirstBlockSize() : m.GetBlockSize()) - reserve;
    OpenVolumeFile(name);

    FTotalBytes *= 2;   // every byte passes twice: into its temporary file and onto the parts
    uint8_t sig[4];
    PutLE32(sig, kSpanningSig);
    if (RoomLeft() < static_cast<int64_t>(sizeof sig)) throw ENotEnoughRoom(msgNotEnoughRoom);
    WriteRecord(std::string(reinterpret_cast<const char*>(sig), sizeof sig));
}

void TArcZip::NextVolume() {
    if (!MultiPart()) return;
    // The readers take at most 999 disks: the set is refused before a part they cannot read.
    if (FCurrentDisk + 1 >= kMaxParts) throw EArcZipException(kTooManyParts);
    const AnsiString previous = FOutputFileName;
    CloseOutput();
    AnsiString name;
    if (GetMultiMode() == mmSpan) {
        WriteDiskLabel();
        // The disk just written must never be taken for the next one: the same file on the
        // same volume means the disk was not changed, and the user is asked again.
        uint32_t serial = 0;
        const bool known = writer_platform::VolumeSerial(previous, serial);
        for (int tries = 0;; ++tries) {
            if (tries == kMaxSameDiskPrompts) throw EUserCanceled(msgCanceledZip);
            name = FZipName;
            GetNextDisk(static_cast<int>(FCurrentDisk) + 2, name);
            if (name.empty()) throw EUserCanceled(msgCanceledZip);
            uint32_t now = 0;
            const bool sameVolume = !known || !writer_platform::VolumeSerial(name, now) || now == serial;
            if (CompareText(name, previous) != 0 || !sameVolume) break;
        }
        ++FCurrentDisk;
        if (FileExists(name)) RemoveFile(name);
        if (OnPrepareNextDisk) OnPrepareNextDisk(this, static_cast<int>(FCurrentDisk) + 1);
        FVolumeRoom = FreeSpaceOfZipDrive();
    } else {
        name = FSplitBaseName;
        GetSplitPartFileName(name, static_cast<int>(FCurrentDisk) + 2, spMiddle);
        ++FCurrentDisk;
        FVolumeRoom = FMultiZipInfo->GetBlockSize();
    }
    OpenVolumeFile(name);
}

void TArcZip::WriteDiskLabel() {
    if (GetMultiMode() != mmSpan || !FMultiZipInfo->GetWriteDiskLabels()) return;
    const AnsiString root = ExtractFileDrive(FOutputFileName.empty() ? FZipName : FOutputFileName) + "\\";
    if (IsRemovableDrive(root)) SetDiskLabel(root, DiskLabel(FCurrentDisk));
}

void TArcZip::PlaceLocalHeader() {
    TZipHeaderInfo& h = *FEntryHeader;
    auto assemble = [&]() {
        h.SetDiskNumberStart(FCurrentDisk);
        TRecordBuffer record(FOutputStream->GetPosition());
        h.WriteLocalHeader(&record);   // takes the position as the entry's offset
        return record.Data;
    };
    std::string bytes = assemble();
    if (MultiPart() && RoomLeft() <= static_cast<int64_t>(bytes.size())) {
        NextVolume();
        bytes = assemble();
        if (RoomLeft() <= static_cast<int64_t>(bytes.size())) throw ENotEnoughRoom(msgNotEnoughRoom);
    }
    WriteRecord(bytes);
}

void TArcZip::SpanCopy(const AnsiString& path) {
    const int64_t size = FileSizeByName(FEntryTempName);
    if (OnStartSpanCopy) OnStartSpanCopy(this, path, size);
    if (RoomLeft() <= 0) NextVolume();
    // The second pass moves the temporary file's bytes, not the source's.
    FTotalBytes -= FEntryBytesDone - size;
    // The file percentage runs on from where compressing left it, up to 100 at the end.
    const int64_t percentWhole = FEntryBytesDone + size;
    int64_t percentDone = FEntryBytesDone;
    TLFNFileStream temp(FEntryTempName, FBufferSize, false, fmOpenRead | fmShareDenyWrite);
    int64_t remaining = size;
    while (remaining > 0) {
        const int64_t chunk = Min64(remaining, RoomLeft());
        CopyBlocks(&temp, FOutputStream.get(), chunk, percentDone, percentWhole);
        percentDone += chunk;
        remaining -= chunk;
        if (remaining > 0 || RoomLeft() <= 0) NextVolume();
    }
}

void TArcZip::FinishMultiPart() {
    FNumberOfParts = FCurrentDisk + 1;
    if (GetMultiMode() != mmBlocks) {
        FZipName = FOutputFileName;
        return;
    }
    AnsiString last = FSplitBaseName;
    GetSplitPartFileName(last, static_cast<int>(FCurrentDisk) + 1, spLast);
    if (CompareText(last, FOutputFileName) != 0) {
        // An older file of that name is replaced; a rename that fails fails the run.
        if (!writer_platform::ReplaceByRename(FOutputFileName, last)) throw EArcZipException(kRenameFailed + last);
        FPartNames.back() = last;
        FOutputFileName = last;
    }
    FZipName = last;   // a plain store: the setter would forget the directory just written
}

void TArcZip::SaveConfigurationIfAsked() {
    if (!FMultiZipInfo->GetSaveZipInfoOnFirstDisk() || FEndRecord->GetThisDisk() == 0) return;
    const AnsiString lastDisk = FZipName;
    AnsiString name;
    try {
        if (GetMultiMode() == mmSpan) OpenNextDisk(1);   // the first disk in the drive again
        name = ChangeFileExt(FZipName, ".zfc");
    } catch (const Exception&) {
        FZipName = lastDisk;
        throw EConfigFileSaveError(kConfigSaveError);
    }
    FZipName = lastDisk;
    SaveZipConfiguration(name);
}

void TArcZip::SaveZipConfiguration(const AnsiString& fileName) {
    TSortedZip* entries = FPhysicalList.get();
    bool complete = false;
    try {
        TFileStream out(fileName, fmCreate);
        for (int32_t i = 0; entries && i < entries->GetCount(); ++i) entries->Header(i)->WriteCentralHeader(&out, nullptr);
        FEndRecord->WriteEndCentral(&out);
        complete = true;
    } catch (const Exception&) {
    }
    if (!complete) {
        RemoveFile(fileName);   // half a directory would be trusted by the next reader
        throw EConfigFileSaveError(kConfigSaveError);
    }
}
