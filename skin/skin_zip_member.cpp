#include "skin/skin_zip_member.h"

#include <memory>
#include <vector>

#include "classlib/classes.h"
#include "classlib/little_endian.h"
#include "skin/skin_crypt.h"
#include "skin/skin_inflate.h"

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr int kEndRecordSize = 22;
constexpr int kCentralHeaderSize = 46;
constexpr int kLocalHeaderSize = 30;
constexpr int kEncryptionHeaderSize = 12;
constexpr int kDecryptPiece = 1024;

struct TExtractFailure {
    uint8_t Result;
    const char* Reason;
};

[[noreturn]] void Fail(const char* reason) { throw TExtractFailure{kSkinExtractFailed, reason}; }

// The fields of a central directory entry that extraction uses.
struct TMemberInfo {
    uint16_t Flags = 0;
    uint16_t Time = 0;
    uint32_t Crc = 0;
    uint32_t UncompressedSize = 0;
    uint32_t LocalHeaderOffset = 0;
};

void ReadAt(TStream& file, int64_t offset, uint8_t* buffer, int32_t count) {
    if (file.Seek(offset, soBeginning) != offset || file.Read(buffer, count) != count) Fail("unexpected end of file");
}

bool SameMemberName(const std::string& a, const std::string& b) {
    return UpperCase(a) == UpperCase(b);
}

// Walks the central directory for the member; every header must lie before the end record.
bool FindMember(TStream& file, int64_t endPos, const AnsiString& memberName, TMemberInfo& info) {
    uint8_t end[kEndRecordSize];
    ReadAt(file, endPos, end, kEndRecordSize);
    if (GetLE32(end) != kEndSignature || GetLE16(end + 20) != 0) Fail("no end record (or an archive comment)");
    int64_t pos = GetLE32(end + 16);
    if (pos > endPos) Fail("central directory outside the file");
    std::vector<uint8_t> name;
    while (pos < endPos) {
        uint8_t header[kCentralHeaderSize];
        if (pos + kCentralHeaderSize > endPos) Fail("central directory runs into the end record");
        ReadAt(file, pos, header, kCentralHeaderSize);
        uint32_t nameLength = GetLE16(header + 28);
        uint32_t extraLength = GetLE16(header + 30);
        uint32_t commentLength = GetLE16(header + 32);
        int64_t next = pos + kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (next > endPos) Fail("central directory runs into the end record");
        // A name longer than the format's buffer can never be the member: skip it unread.
        if (nameLength <= kSkinMaxMemberName) {
            name.resize(nameLength);
            if (nameLength > 0) ReadAt(file, pos + kCentralHeaderSize, name.data(), static_cast<int32_t>(nameLength));
            if (SameMemberName(std::string(name.begin(), name.end()), memberName)) {
                info.Flags = GetLE16(header + 8);
                info.Time = GetLE16(header + 12);
                info.Crc = GetLE32(header + 16);
                info.UncompressedSize = GetLE32(header + 24);
                info.LocalHeaderOffset = GetLE32(header + 42);
                return true;
            }
        }
        pos = next;
    }
    return false;
}

// Decrypts everything after the encryption header into memory (the member's own size is not
// trusted for this, as the format reads to the end of the file).
std::unique_ptr<TMemoryStream> DecryptRest(TStream& file, const TMemberInfo& info, const AnsiString& password) {
    if (password.empty()) throw TExtractFailure{kSkinExtractWrongPassword, "the member is encrypted"};
    TSkinZipDecrypter decrypter(password);
    uint8_t header[kEncryptionHeaderSize];
    if (file.Read(header, kEncryptionHeaderSize) != kEncryptionHeaderSize) Fail("unexpected end of file");
    decrypter.Decrypt(header, kEncryptionHeaderSize);
    uint32_t check = (info.Flags & 8) ? uint32_t(info.Time) << 16 : info.Crc;
    if (header[kEncryptionHeaderSize - 1] != static_cast<uint8_t>(check >> 24))
        throw TExtractFailure{kSkinExtractWrongPassword, "wrong password"};
    auto plain = std::make_unique<TMemoryStream>();
    uint8_t piece[kDecryptPiece];
    for (;;) {
        int32_t got = file.Read(piece, kDecryptPiece);
        if (got <= 0) break;
        decrypter.Decrypt(piece, static_cast<size_t>(got));
        plain->Write(piece, got);
    }
    plain->SetPosition(0);
    return plain;
}

}  // namespace

uint8_t ExtractZipMember(TStream& file, const AnsiString& memberName, TStream& output, const AnsiString& password,
                         std::string* reason) {
    uint8_t result = kSkinExtractFailed;
    std::string why;
    try {
        file.SetPosition(0);
        int64_t fileSize = file.GetSize();
        if (fileSize > kSkinMaxFileSize) Fail("file too large for a skin");
        uint8_t signature[4];
        if (file.Read(signature, 4) != 4 || GetLE16(signature) != 0x4B53) Fail("not a skin file");
        int64_t endPos = fileSize - kEndRecordSize;
        if (endPos < 0) Fail("file too short");
        TMemberInfo info;
        if (!FindMember(file, endPos, memberName, info)) Fail("member not found");
        if (info.UncompressedSize > kSkinMaxFileSize) Fail("member too large for a skin");

        uint8_t local[kLocalHeaderSize];
        ReadAt(file, info.LocalHeaderOffset, local, kLocalHeaderSize);
        int64_t dataPos = int64_t(info.LocalHeaderOffset) + kLocalHeaderSize + GetLE16(local + 26) + GetLE16(local + 28);
        if (dataPos > fileSize || file.Seek(dataPos, soBeginning) != dataPos) Fail("member data outside the file");

        std::unique_ptr<TMemoryStream> plain;
        if (info.Flags & 1) plain = DecryptRest(file, info, password);
        TStream& source = plain ? static_cast<TStream&>(*plain) : file;
        TInflateResult inflated = InflateStream(source, output, info.UncompressedSize, &why);
        result = static_cast<uint8_t>(inflated);
        int64_t written = output.GetSize();
        if (result == kSkinExtractOk && written == 0) {
            result = kSkinExtractFailed;
            why = "empty member";
        } else if (written != 0 && written != info.UncompressedSize) {
            result = kSkinExtractWrongPassword;
            if (why.empty()) why = "member size differs from the recorded size";
        }
    } catch (const TExtractFailure& failure) {
        result = failure.Result;
        why = failure.Reason;
        // A partial output of the wrong size still reads as a wrong password.
        if (result == kSkinExtractFailed && output.GetSize() > 0) result = kSkinExtractWrongPassword;
    } catch (const std::exception&) {
        result = kSkinExtractFailed;
        why = "cannot read or write the data";
    }
    if (reason) *reason = result == kSkinExtractOk ? std::string() : why;
    return result;
}

uint8_t ExtractZipMember(const AnsiString& archiveName, const AnsiString& memberName, const AnsiString& outputName,
                         const AnsiString& password, std::string* reason) {
    uint8_t result = kSkinExtractFailed;
    std::string why;
    try {
        if (!FileExists(archiveName)) {
            why = "no such file";
        } else {
            TFileStream file(archiveName, fmOpenRead | fmShareDenyNone);
            // The size check comes before the output exists, as a refused file makes none.
            if (file.GetSize() > kSkinMaxFileSize) {
                why = "file too large for a skin";
            } else {
                TFileStream output(outputName, fmCreate);
                result = ExtractZipMember(file, memberName, output, password, &why);
            }
        }
    } catch (const std::exception&) {
        result = kSkinExtractFailed;
        why = "cannot read or write the file";
    }
    if (result != kSkinExtractOk) RemoveFile(outputName);
    if (reason) *reason = result == kSkinExtractOk ? std::string() : why;
    return result;
}
