#include "zipextract/entry_input.h"

#include <algorithm>

#include "ziparchive/arc_exceptions.h"

TEntryInput::TEntryInput() : FBuffer(kExtractBlockSize + 1) {}

void TEntryInput::StartEntry(TStream* stream, int64_t compressedSize, TNextDiskStream nextDisk,
                             TBlockDecrypter decrypt, std::function<void()> pump) {
    FStream = stream;
    FCompressedLeft = compressedSize > 0 ? compressedSize : 0;
    FRemaining = FCompressedLeft;
    FCount = 0;
    FPtr = 0;
    FNextDisk = std::move(nextDisk);
    FDecrypt = std::move(decrypt);
    FPump = std::move(pump);
}

void TEntryInput::ReadFromArchive(uint8_t* dest, int32_t count) {
    int32_t got = 0;
    while (got < count) {
        const int32_t n = FStream->Read(dest + got, count - got);
        if (n > 0) {
            got += n;
            continue;
        }
        // The rest of a spanned entry lies on the following disks; an archive in one file
        // that ends here is damaged.
        if (!FNextDisk) throw EFatalUnzipError(msgPrematureEnd);
        FStream = FNextDisk();
    }
}

int32_t TEntryInput::LoadBlock() {
    if (FCompressedLeft <= 0) return 0;
    if (FPump) FPump();
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(kExtractBlockSize, FCompressedLeft));
    FCompressedLeft -= n;
    ReadFromArchive(FBuffer.data(), n);
    if (FDecrypt) FDecrypt(FBuffer.data(), n);
    FCount = n;
    FPtr = 0;
    return n;
}

void TEntryInput::ReadRaw(uint8_t* dest, int32_t count) {
    if (count <= 0) return;
    if (count > FCompressedLeft) throw EFatalUnzipError(msgPrematureEnd);
    if (FPump) FPump();
    FCompressedLeft -= count;
    FRemaining -= count;
    ReadFromArchive(dest, count);
}

bool TEntryInput::ReadHeader(uint8_t* dest, int32_t count) {
    if (count > FCompressedLeft) return false;
    try {
        ReadRaw(dest, count);
    } catch (const EFatalUnzipError&) {
        return false;
    }
    FDataPosition = FStream->GetPosition();
    return true;
}

int TEntryInput::ReadInputByte(uint8_t& b) {
    if (FRemaining <= 0) return 0;
    --FRemaining;
    if (FCount == 0 && LoadBlock() == 0) return 0;
    b = FBuffer[static_cast<size_t>(FPtr++)];
    --FCount;
    return 8;
}
