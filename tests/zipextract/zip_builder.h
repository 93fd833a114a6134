// Builds small ZIP archives in memory for the extraction tests: stored or Deflate entries,
// traditional encryption with the check byte from the CRC or (with a data descriptor) from
// the time, any host and attributes, and damage made to measure (a wrong CRC or size, a
// huge declared size through a zip64 block, raw name bytes).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TTestEntry {
    std::string Name;   // stored bytes, "/" separated; ending in "/" for a folder
    std::string Data;
    uint16_t Method = 8;
    bool Encrypt = false;
    std::string Password;
    bool DataDescriptor = false;
    uint32_t DosTime = 0x5A8E5B2Cu;   // 14 Apr 2025 11:25:24
    uint8_t Host = 0;                 // 0 DOS, 3 Unix, 11 NTFS
    uint32_t ExternalAttr = 0x20;
    int64_t DeclaredSize = -1;        // uncompressed size in the headers (-1: the real one)
    int64_t DeclaredCrc = -1;         // CRC in the headers (-1: the real one)
    std::string RawCompressed;        // when not empty: the entry's data as stored (before encryption)
};

// Where an entry ended up in the archive.
struct TPlacement {
    int64_t LocalHeader = 0;
    int64_t Data = 0;            // first byte after the local header (the encryption header, if any)
    int64_t DataLength = 0;      // bytes of data, the encryption header included
    int64_t CentralHeader = 0;
};

std::string BuildZip(const std::vector<TTestEntry>& entries, std::vector<TPlacement>* placements = nullptr);

// Raw Deflate (zlib, window bits -15) of Data.
std::string DeflateRaw(const std::string& data, int level = 6);
uint32_t Crc32(const std::string& data);
