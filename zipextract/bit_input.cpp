#include "zipextract/bit_input.h"


const uint16_t kBitMasks[17] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F, 0x003F, 0x007F, 0x00FF,
                                0x01FF, 0x03FF, 0x07FF, 0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

void TBitInput::Reset() {
    FBitBuffer = 0;
    FBitCount = 0;
    FEndOfInput = false;
    FPadded = 0;
}

void TBitInput::FillBitBuffer() {
    FEndOfInput = true;
    uint8_t b;
    while (FBitCount < 25 && FInput.ReadInputByte(b) == 8) {
        FBitBuffer |= static_cast<uint32_t>(b) << FBitCount;
        FBitCount += 8;
        FEndOfInput = false;
    }
}

bool TBitInput::NextByte(uint8_t& b) {
    if (FInput.ReadInputByte(b) == 8) return true;
    if (FPadded >= kZeroPadBytes) throw EEntryDataEnded("data ends before the entry does");
    ++FPadded;
    FEndOfInput = true;
    b = 0;
    return false;
}

uint32_t TBitInput::ReadBits(int n) {
    if (FBitCount < n) {
        FillBitBuffer();
        uint8_t b;
        while (FBitCount < n) {
            NextByte(b);   // a zero byte past the end, or the failure
            FBitCount += 8;
        }
    }
    const uint32_t v = FBitBuffer & kBitMasks[n];
    FBitBuffer >>= n;
    FBitCount -= n;
    return v;
}

void TBitInput::NeedBits(int n, uint32_t& buf, int& count) {
    uint8_t b;
    while (count < n) {
        NextByte(b);
        buf |= static_cast<uint32_t>(b) << count;
        count += 8;
    }
}
