// Bit input for the older compression methods: bits are taken from the low end of a 32-bit
// buffer that is topped up byte by byte from the entry's input. Once the entry's bytes are
// used up a few zero bytes are supplied (decoders may look a little past the last code),
// and then a further request fails the entry instead of producing endless zero bits.
#pragma once
#include <cstdint>

#include "classlib/sysutils.h"
#include "zipextract/entry_input.h"

// The entry's bits are used up while its decoder still wants more: the entry fails, the run
// goes on (an archive that ends early raises EFatalUnzipError instead).
PW_DECLARE_EXCEPTION(EEntryDataEnded, Exception)

// Entry n holds the n low bits set (n = 0 to 16).
extern const uint16_t kBitMasks[17];

class TBitInput {
public:
    explicit TBitInput(TEntryInput& input) : FInput(input) {}

    // Back to an empty bit buffer for a new entry.
    void Reset();

    // Tops the buffer up to at least 25 bits while bytes are left; sets EndOfInput when no
    // byte could be added.
    void FillBitBuffer();
    // The low N bits (N from 0 to 16), removed from the buffer.
    uint32_t ReadBits(int n);

    // The same on a bit buffer held by the caller.
    void NeedBits(int n, uint32_t& buf, int& count);
    static void DumpBits(int n, uint32_t& buf, int& count) {
        buf >>= n;
        count -= n;
    }

    bool EndOfInput() const { return FEndOfInput; }
    int BitCount() const { return FBitCount; }

    // Zero bytes supplied past the end of an entry's data before a request fails.
    static constexpr int kZeroPadBytes = 4;

private:
    // A byte of the entry, or one of the zero bytes past its end; raises EEntryDataEnded
    // when those are used up as well.
    bool NextByte(uint8_t& b);

    TEntryInput& FInput;
    uint32_t FBitBuffer = 0;
    int FBitCount = 0;
    bool FEndOfInput = false;
    int FPadded = 0;
};
