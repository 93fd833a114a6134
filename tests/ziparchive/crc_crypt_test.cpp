// CRC-32 against its check value and zlib, and the traditional cipher's documented
// properties and round trip.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "ziparchive/crc32.h"
#include "ziparchive/zip_crypt.h"

namespace {

TEST(Crc32, CheckValueAndEmpty) {
    EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Of("", 0), 0u);
    EXPECT_EQ(CrcTable[1], 0x77073096u);
    EXPECT_EQ(CrcTable[255], 0x2D02EF8Du);
}

TEST(Crc32, AgreesWithZlibOnRandomBuffersAndSplits) {
    std::mt19937 rng(7);
    for (size_t len : {1u, 2u, 3u, 15u, 255u, 256u, 4096u, 65537u, 300000u}) {
        std::vector<uint8_t> buf(len);
        for (auto& b : buf) b = static_cast<uint8_t>(rng());
        const uLong want = crc32(crc32(0L, Z_NULL, 0), buf.data(), static_cast<uInt>(len));
        EXPECT_EQ(Crc32Of(buf.data(), len), want) << len;
        // A running CRC fed in pieces gives the same value.
        size_t cut = len / 3;
        uint32_t running = UpdateCrc32(0xFFFFFFFFu, buf.data(), cut);
        running = UpdateCrc32(running, buf.data() + cut, len - cut);
        EXPECT_EQ(~running, want) << len;
    }
}

TEST(ZipKeys, EmptyPasswordLeavesTheStartKeys) {
    TZipKeys k;
    k.Key0 = k.Key1 = k.Key2 = 1;
    k.InitKeys("");
    EXPECT_EQ(k.Key0, 0x12345678u);
    EXPECT_EQ(k.Key1, 0x23456789u);
    EXPECT_EQ(k.Key2, 0x34567890u);
}

TEST(ZipKeys, KeystreamUsesOnlyTheLow16BitsOfKey2) {
    TZipKeys a, b;
    a.Key2 = 0x0000BEEFu;
    b.Key2 = 0xFFFFBEEFu;
    EXPECT_EQ(a.DecryptByte(), b.DecryptByte());
    uint8_t before = a.DecryptByte();
    EXPECT_EQ(a.DecryptByte(), before);   // no key movement
}

// Keys after a known password, computed independently with the definition
// (CRC update on Key0, linear congruence on Key1, CRC update on Key2).
TEST(ZipKeys, UpdateKeysFollowsTheDefinition) {
    TZipKeys k;
    k.InitKeys("a");
    uint32_t key0 = 0x12345678u, key1 = 0x23456789u, key2 = 0x34567890u;
    auto crcByte = [](uint32_t c, uint8_t b) {
        c ^= b;
        for (int i = 0; i < 8; ++i) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        return c;
    };
    key0 = crcByte(key0, 'a');
    key1 = static_cast<uint32_t>((static_cast<uint64_t>(key1) + (key0 & 0xFF)) * 134775813u + 1);
    key2 = crcByte(key2, static_cast<uint8_t>(key1 >> 24));
    EXPECT_EQ(k.Key0, key0);
    EXPECT_EQ(k.Key1, key1);
    EXPECT_EQ(k.Key2, key2);
}

TEST(ZipKeys, DecryptUndoesEncryptAndTheCheckByteComesBack) {
    const std::string password = "\xD6\xD0\xCE\xC4-14-chars-pw";
    std::mt19937 rng(11);
    std::vector<uint8_t> plain(5000);
    for (auto& b : plain) b = static_cast<uint8_t>(rng());
    plain[11] = 0xA7;   // the header's check byte

    TZipKeys enc;
    enc.InitKeys(password);
    std::vector<uint8_t> data = plain;
    enc.EncryptBuffer(data.data(), data.size());
    EXPECT_NE(data, plain);

    TZipKeys dec;
    uint8_t header[kEncryptionHeaderSize];
    std::copy(data.begin(), data.begin() + kEncryptionHeaderSize, header);
    EXPECT_EQ(dec.DecryptHeader(password, header), 0xA7);
    dec.DecryptBuffer(data.data() + kEncryptionHeaderSize, data.size() - kEncryptionHeaderSize);
    EXPECT_TRUE(std::equal(plain.begin() + kEncryptionHeaderSize, plain.end(), data.begin() + kEncryptionHeaderSize));

    // Another password turns the same bytes into other plain text.
    TZipKeys wrong;
    std::vector<uint8_t> again = plain;
    enc.InitKeys(password);
    enc.EncryptBuffer(again.data(), again.size());
    wrong.InitKeys("other");
    wrong.DecryptBuffer(again.data(), again.size());
    EXPECT_NE(again, plain);
}

}  // namespace
