#include "zipextract/entry_output.h"

#include <zlib.h>

#include "ziparchive/arc_exceptions.h"

TEntryOutput::TEntryOutput() : FBuffer(kExtractBlockSize + 1) {}

void TEntryOutput::StartEntry(TStream* target, int64_t uncompressedSize, TBlockDecrypter decryptOutput,
                              TOutputProgress progress) {
    FTarget = target;
    FLimit = uncompressedSize;
    FWritten = 0;
    FCount = 0;
    FRunningCrc = 0xFFFFFFFFu;
    FDecrypt = std::move(decryptOutput);
    FProgress = std::move(progress);
}

void TEntryOutput::FlushOutput() {
    if (FCount <= 0) return;
    if (FDecrypt) FDecrypt(FBuffer.data(), FCount);
    if (FCount > FLimit - FWritten) throw EBiggerThanUncompressed(msgLargerThanUncompressed);
    if (FTarget && FTarget->Write(FBuffer.data(), FCount) != FCount) throw ECantWriteUCF(msgCantWriteUncompressed);
    // The ZIP CRC-32 (polynomial 0xEDB88320) through zlib's table-driven routine; zlib
    // takes and returns the finished value, the running value is its complement.
    FRunningCrc = ~static_cast<uint32_t>(crc32_z(~FRunningCrc, FBuffer.data(), static_cast<z_size_t>(FCount)));
    FWritten += FCount;
    FRunWritten += FCount;
    FCount = 0;
    if (FProgress) FProgress(FWritten, FRunWritten);
}
