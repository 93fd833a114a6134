// The output side shared by the decompressors: uncompressed bytes gather in a 32768-byte
// buffer, which is written to the output file (or, when testing an archive, to nowhere),
// checked against the entry's stored size, added to the CRC-32 and reported as progress.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "classlib/classes.h"
#include "zipextract/entry_input.h"

// Bytes written for the entry and for the run, after each block.
using TOutputProgress = std::function<void(int64_t entryWritten, int64_t runWritten)>;

class TEntryOutput {
public:
    TEntryOutput();

    // Starts an entry of UncompressedSize bytes written to Target (none: bytes are only
    // checked). DecryptOutput deciphers each block before it is written (the stored method
    // reads its bytes raw); it may be empty.
    void StartEntry(TStream* target, int64_t uncompressedSize, TBlockDecrypter decryptOutput,
                    TOutputProgress progress);

    uint8_t* Buffer() { return FBuffer.data(); }
    int32_t Count() const { return FCount; }
    void SetCount(int32_t count) { FCount = count; }

    // Appends one byte; a full buffer is flushed.
    void PutOutputByte(uint8_t b) {
        FBuffer[static_cast<size_t>(FCount++)] = b;
        if (FCount == kExtractBlockSize) FlushOutput();
    }

    // Writes out the buffer. Raises EBiggerThanUncompressed (nothing of the block written)
    // when the entry would grow past its stored size, ECantWriteUCF on a short write.
    void FlushOutput();

    int64_t Written() const { return FWritten; }
    // The finished CRC-32 of the bytes written so far.
    uint32_t Crc() const { return ~FRunningCrc; }
    uint32_t RunningCrc() const { return FRunningCrc; }

    // Bytes written in the whole run (all entries since the last ResetRun).
    int64_t RunWritten() const { return FRunWritten; }
    void ResetRun() { FRunWritten = 0; }

private:
    std::vector<uint8_t> FBuffer;   // 32768 used, one spare byte
    int32_t FCount = 0;
    TStream* FTarget = nullptr;
    int64_t FLimit = 0;
    int64_t FWritten = 0;
    int64_t FRunWritten = 0;
    uint32_t FRunningCrc = 0xFFFFFFFFu;
    TBlockDecrypter FDecrypt;
    TOutputProgress FProgress;
};
