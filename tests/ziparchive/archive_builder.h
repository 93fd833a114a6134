// Small archives built in memory with the library's own record writers, for the reader
// tests that need a shape no tool makes (damage, spanning, odd orders).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ziparchive/crc32.h"
#include "ziparchive/end_record.h"
#include "ziparchive/header_record.h"

struct TBuildEntry {
    TBuildEntry(std::string name, std::string data, std::string comment = "")
        : Name(std::move(name)), Data(std::move(data)), Comment(std::move(comment)) {}
    std::string Name;   // "/" separated
    std::string Data;   // stored as it is
    std::string Comment;
};

struct TBuiltArchive {
    std::string Bytes;
    std::vector<int64_t> LocalOffsets;
    std::vector<int64_t> CentralPositions;
    int64_t CentralOffset = 0;
    int64_t EndOffset = 0;
};

inline std::string StreamBytes(TMemoryStream& m) {
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.GetSize()));
}

inline void FillEntry(TZipHeaderInfo& h, const TBuildEntry& e) {
    h.OEMConvert = oemNever;
    size_t cut = e.Name.rfind('/');
    std::string dir = cut == std::string::npos ? "" : e.Name.substr(0, cut + 1);
    for (char& c : dir)
        if (c == '/') c = '\\';
    h.SetDirectory(dir);
    h.SetFileName(cut == std::string::npos ? e.Name : e.Name.substr(cut + 1));
    h.CompressionMethod = 0;
    h.DateTime = 0x52A3641E;
    h.CRC32 = Crc32Of(e.Data.data(), e.Data.size());
    h.SetCompressedSize(static_cast<int64_t>(e.Data.size()));
    h.SetUncompressedSize(static_cast<int64_t>(e.Data.size()));
    if (!e.Comment.empty()) h.SetComment(e.Comment);
}

// Prefix bytes, the local headers with their data, the central directory in the order of
// centralOrder (default: as given), and the end record. Offsets count the prefix.
inline TBuiltArchive BuildArchive(const std::vector<TBuildEntry>& entries, const std::string& comment = "",
                                  const std::string& prefix = "", std::vector<size_t> centralOrder = {}) {
    TBuiltArchive out;
    TMemoryStream m;
    m.Write(prefix.data(), static_cast<int32_t>(prefix.size()));
    std::vector<TZipHeaderInfo> headers(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        FillEntry(headers[i], entries[i]);
        headers[i].WriteLocalHeader(&m);
        out.LocalOffsets.push_back(headers[i].GetRelativeOffset());
        m.Write(entries[i].Data.data(), static_cast<int32_t>(entries[i].Data.size()));
    }
    if (centralOrder.empty())
        for (size_t i = 0; i < entries.size(); ++i) centralOrder.push_back(i);
    out.CentralOffset = m.GetPosition();
    for (size_t i : centralOrder) {
        out.CentralPositions.push_back(m.GetPosition());
        headers[i].WriteCentralHeader(&m, nullptr);
    }
    TEndCentral e;
    e.SetEntriesThisDisk(centralOrder.size());
    e.SetTotalEntries(centralOrder.size());
    e.SetCentralSize(static_cast<uint64_t>(m.GetPosition() - out.CentralOffset));
    e.SetCentralOffset(out.CentralOffset);
    e.SetComment(comment);
    out.EndOffset = m.GetPosition();
    e.WriteEndCentral(&m);
    out.Bytes = StreamBytes(m);
    return out;
}

inline TMemoryStream* MemoryStreamOf(const std::string& bytes) {
    auto* m = new TMemoryStream;
    m->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    m->Seek(0, soBeginning);
    return m;
}
