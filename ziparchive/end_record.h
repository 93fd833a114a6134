// The end-of-central-directory record with its optional zip64 end record and zip64 locator:
// found and read at the end of an archive, written after a new central directory.
#pragma once
#include <cstdint>
#include <memory>

#include "classlib/classes.h"

constexpr int kEndCentralSize = 22;
constexpr int kZip64EndCentralSize = 56;
constexpr int kZip64LocatorSize = 20;
constexpr int kMaxArchiveComment = 0xFFFF;

struct TZip64EndCentral {
    uint32_t Signature;
    uint64_t RecordSize = 44;   // bytes after this field
    uint16_t VersionMadeBy = 45;
    uint16_t VersionNeeded = 45;
    uint32_t ThisDisk = 0;
    uint32_t CentralStartDisk = 0;
    uint64_t EntriesThisDisk = 0;
    uint64_t TotalEntries = 0;
    uint64_t CentralSize = 0;
    uint64_t CentralOffset = 0;
    TZip64EndCentral();
};

struct TZip64Locator {
    uint32_t Signature;
    uint32_t Zip64Disk = 0;
    uint64_t Zip64Offset = 0;
    uint32_t TotalDisks = 1;
    TZip64Locator();
};

class TEndCentral : public TPersistent {
public:
    TEndCentral();
    ~TEndCentral() override;
    const char* ClassName() const override { return "TEndCentral"; }

    void ClearEndCentral();
    void Assign(TPersistent* source) override;

    // Finds the last end record in the final 65557 bytes and, when a locator stands right
    // before it and points at a sound zip64 end record inside the stream, both zip64 records.
    // True for an empty stream (a new archive); false when no end record is found.
    bool ReadEndCentral(TStream* stream);
    void WriteEndCentral(TStream* stream);

    // The 22-byte record, field by field (raw; markers included).
    uint32_t Signature = 0;
    uint16_t ThisDiskField = 0;
    uint16_t CentralStartDiskField = 0;
    uint16_t EntriesThisDiskField = 0;
    uint16_t TotalEntriesField = 0;
    uint32_t CentralSizeField = 0;
    uint32_t CentralOffsetField = 0;
    uint16_t CommentLength = 0;

    int64_t CommentPosition = 0;   // absolute position of the comment (after the record)
    bool FModified = false;

    bool HasComment() const { return CommentLength != 0; }
    bool CommentLoaded() const { return FZipComment != nullptr; }
    const AnsiString& GetComment() const;
    void SetComment(const AnsiString& text);   // longer texts are cut to 65535 bytes
    void SetCommentFromArchive(const AnsiString& text);   // loads the text, keeps CommentLength
    int64_t EndCentralSize() const { return kEndCentralSize + CommentLength; }
    uint32_t TotalDisks() const { return FZip64EOCL ? FZip64EOCL->TotalDisks : 0; }

    uint32_t GetThisDisk() const;
    void SetThisDisk(uint32_t v);
    uint32_t GetCentralStartDisk() const;
    void SetCentralStartDisk(uint32_t v);
    uint64_t GetEntriesThisDisk() const;
    void SetEntriesThisDisk(uint64_t v);
    uint64_t GetTotalEntries() const;
    void SetTotalEntries(uint64_t v);
    uint64_t GetCentralSize() const;
    void SetCentralSize(uint64_t v);
    int64_t GetCentralOffset() const;
    void SetCentralOffset(int64_t v);

    TZip64EndCentral* Zip64EndRecord() const { return FZip64EOC.get(); }
    TZip64Locator* Zip64Locator() const { return FZip64EOCL.get(); }
    TZip64EndCentral& Zip64EndRecordMake();
    void FreeZip64Records();

protected:
    void AssignTo(TPersistent* dest) override;

private:
    std::unique_ptr<AnsiString> FZipComment;
    std::unique_ptr<TZip64EndCentral> FZip64EOC;
    std::unique_ptr<TZip64Locator> FZip64EOCL;
};
