// One archive entry in memory: the fields of its central directory header, its name split
// into directory and file name, its zip64 values and its comment. Reads itself from a
// central or local header and writes both.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "classlib/classes.h"

enum TOEMConvert : uint8_t { oemAlways = 0, oemNever = 1, oemFlexible = 2 };

constexpr uint32_t kMarker32 = 0xFFFFFFFFu;   // "the value is in the zip64 record"
constexpr uint16_t kMarker16 = 0xFFFF;
constexpr int kLocalHeaderFixed = 30;
constexpr int kCentralHeaderFixed = 46;
constexpr uint16_t kZip64Tag = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8Name = 0x0800;   // the name (and comment) are UTF-8

// The values of an entry's zip64 extra block (tag 1).
struct TZip64Record {
    uint16_t Tag = kZip64Tag;
    uint16_t DataSize = 0;
    uint64_t UncompressedSize = 0;
    uint64_t CompressedSize = 0;
    uint64_t RelativeOffset = 0;
    uint32_t DiskNumberStart = 0;
};

// Called when a central header is cut short by the end of a disk: returns the stream of
// the next disk (the old one may be gone) or raises.
using TNextDiskHandler = std::function<TStream*()>;

class TZipHeaderInfo : public TPersistent {
public:
    TZipHeaderInfo();
    ~TZipHeaderInfo() override;
    const char* ClassName() const override { return "TZipHeaderInfo"; }

    void ClearHeader();
    void Assign(TPersistent* source) override;

    // Central header fields (raw; sizes, offset and disk may hold their markers).
    uint16_t VersionMadeBy = 45;
    uint16_t VersionNeeded = 20;
    uint16_t Flag = 0;
    uint16_t CompressionMethod = 8;
    uint32_t DateTime = 0;   // MS-DOS: time low, date high
    uint32_t CRC32 = 0xFFFFFFFFu;
    uint32_t CompressedSizeField = 0;
    uint32_t UncompressedSizeField = 0;
    uint16_t FileNameLength = 0;
    uint16_t CentralExtraLength = 0;
    uint16_t LocalExtraLength = 0;
    uint16_t CommentLength = 0;
    uint16_t DiskNumberStartField = 0;
    uint16_t InternalAttributes = 1;
    uint32_t ExternalAttributes = 0x20;
    uint32_t RelativeOffsetField = 0;
    int64_t CentralHeaderPosition = 0;

    uint8_t MatchFlag = 0;
    uint8_t EntryState = 0;   // writer's per-run state; 2 = dropped from the new archive
    uint8_t Selected = 0;
    TOEMConvert OEMConvert = oemNever;

    // Where the stored central extra field was found in the archive it was read from.
    int64_t CentralExtraPosition = 0;
    uint16_t StoredCentralExtraLength = 0;
    uint16_t Zip64BlockLength = 0;

    const AnsiString& GetFileName() const { return FFileName; }
    const AnsiString& GetDirectory() const { return FDirectory; }
    void SetFileName(const AnsiString& name);
    void SetDirectory(const AnsiString& dir);
    AnsiString FullName() const { return FDirectory + FFileName; }   // "\" separated
    // The name's bytes as stored in the archive it was read from; they are written back
    // unchanged until the name is set anew (empty for a header made here).
    const AnsiString& GetStoredNameBytes() const { return FStoredNameBytes; }

    // 64-bit values: the field unless it holds its marker, then the zip64 record's value.
    int64_t GetRelativeOffset() const;
    void SetRelativeOffset(int64_t v);
    int64_t GetCompressedSize() const;
    void SetCompressedSize(int64_t v);
    int64_t GetUncompressedSize() const;
    void SetUncompressedSize(int64_t v);
    uint32_t GetDiskNumberStart() const;
    void SetDiskNumberStart(uint32_t v);

    bool HasZip64Record() const { return FZip64 != nullptr; }
    TZip64Record& Zip64Record();   // created on first use
    const TZip64Record* Zip64RecordOrNull() const { return FZip64.get(); }
    void FreeZip64Record() { FZip64.reset(); }

    // The comment text, once loaded; CommentLength may be set before the text is read.
    bool HasComment() const { return CommentLength != 0; }
    bool CommentLoaded() const { return FComment != nullptr; }
    const AnsiString& GetComment() const;
    void SetComment(const AnsiString& text);    // empty = none
    void SetCommentFromArchive(const AnsiString& text);   // loads the text, keeps CommentLength

    bool HasDataDescriptor() const { return (Flag & kFlagDataDescriptor) != 0; }
    bool IsEncrypted() const { return (Flag & 1) != 0; }
    int64_t LocalHeaderSize() const { return kLocalHeaderFixed + FileNameLength + LocalExtraLength; }
    int64_t CentralHeaderSize() const {
        return kCentralHeaderFixed + FileNameLength + CentralExtraLength + CommentLength;
    }

    int Zip64ExtraSize(bool central) const;
    void WriteZip64Extra(TStream* stream, bool central);
    void WriteLocalHeader(TStream* stream);
    // sourceArchive supplies the old extra blocks that are kept; may be null.
    void WriteCentralHeader(TStream* dest, TStream* sourceArchive);

    // Return false on a bad or short record, with the stream back where the record began.
    // On success the central reader leaves the stream at the start of the extra field;
    // the local reader leaves it at the start of the extra field too.
    bool ReadCentralHeader(TStream*& stream, const TNextDiskHandler& nextDisk);
    bool ReadLocalHeader(TStream* stream);
    // Reads CentralExtraLength bytes at the stream's position and takes the zip64 values.
    void ReadZip64Extra(TStream* stream);

    void NameToOem(AnsiString& name);
    void NameFromOem(AnsiString& name) const;
    // A stored name in the ANSI code page and with "\" separators: UTF-8 names (flag bit
    // 11) converted, an unrepresentable character becoming SUB (0x1A), which no extraction
    // accepts; other names per OEMConvert (a DOS-made central entry) or as stored.
    AnsiString NameFromArchive(const AnsiString& stored, bool madeOnDos) const;
    // True when every 64-bit value read (sizes and offset) is a real file position, not
    // above 2^63 - 1: larger values are damage and no reader takes them.
    bool SizesSound() const;

    // Byte images of the two fixed headers (the parts before the name).
    void FillFromCentral(const uint8_t* rec, const AnsiString& fullName);
    void FillFromLocal(const uint8_t* rec, const AnsiString& fullName);

protected:
    void AssignTo(TPersistent* dest) override;

private:
    void SplitName(const AnsiString& fullName);
    void TakeZip64Extra(const uint8_t* extra, size_t length, bool central);
    AnsiString StoredName();

    AnsiString FFileName;
    AnsiString FDirectory;
    AnsiString FStoredNameBytes;
    std::unique_ptr<TZip64Record> FZip64;
    std::unique_ptr<AnsiString> FComment;
};
