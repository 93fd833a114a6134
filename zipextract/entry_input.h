// The input side shared by the decompressors: an entry's compressed bytes come from the
// archive stream in blocks of up to 32768 bytes, are deciphered block by block for an
// encrypted entry, and are handed out as whole blocks (Deflate) or byte by byte (the bit
// input of the older methods). Every read is bounded by the entry's compressed size.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "classlib/classes.h"

constexpr int32_t kExtractBlockSize = 32768;

// Deciphers Count bytes in place, continuing the entry's key state.
using TBlockDecrypter = std::function<void(uint8_t* buffer, int32_t count)>;
// The stream of the next disk or part of a spanned archive; raises when there is none.
using TNextDiskStream = std::function<TStream*()>;

class TEntryInput {
public:
    TEntryInput();

    // Starts an entry whose CompressedSize bytes (after any encryption header) begin at
    // the stream's position. NextDisk is empty for an archive in one file; Decrypt is
    // empty for an entry that is not encrypted; Pump (may be empty) runs before every block.
    void StartEntry(TStream* stream, int64_t compressedSize, TNextDiskStream nextDisk, TBlockDecrypter decrypt,
                    std::function<void()> pump);

    // Reads the next block of the entry into the input buffer and deciphers it; the number
    // of bytes, 0 once the entry's bytes are used up. Raises EFatalUnzipError when the
    // archive ends before the entry does.
    int32_t LoadBlock();
    const uint8_t* Block() const { return FBuffer.data(); }

    // Reads Count raw bytes of the entry (not deciphered) straight into Dest, as the
    // stored method does; the compressed size left is lowered by Count. Raises
    // EFatalUnzipError when the archive ends first.
    void ReadRaw(uint8_t* dest, int32_t count);

    // One byte of the entry: 8 when a byte was delivered, 0 when the entry's bytes are
    // used up (B unchanged).
    int ReadInputByte(uint8_t& b);

    // Reads the first Count bytes of the entry raw (an encryption header), on into the next
    // part when the part ends inside them, as the rest of the entry's data is read. False,
    // with nothing asked of the next part, when the entry holds fewer bytes, and false when
    // an archive in one file ends first. The entry's data goes on at DataPosition() of the
    // stream the header ended in (the archive's current part).
    bool ReadHeader(uint8_t* dest, int32_t count);
    int64_t DataPosition() const { return FDataPosition; }

    int64_t CompressedLeft() const { return FCompressedLeft; }
    int64_t Remaining() const { return FRemaining; }

private:
    void ReadFromArchive(uint8_t* dest, int32_t count);

    std::vector<uint8_t> FBuffer;   // 32768 used, one spare byte
    int32_t FCount = 0;             // bytes of the buffer not yet handed out
    int32_t FPtr = 0;
    int64_t FRemaining = 0;         // bytes ReadInputByte may still deliver
    int64_t FCompressedLeft = 0;    // bytes not yet read from the archive
    TStream* FStream = nullptr;
    int64_t FDataPosition = 0;      // where the data after ReadHeader's bytes begins
    TNextDiskStream FNextDisk;
    TBlockDecrypter FDecrypt;
    std::function<void()> FPump;
};
