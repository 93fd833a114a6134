#include "tests/zipextract/zip_builder.h"

#include <zlib.h>

#include <stdexcept>

#include "ziparchive/zip_crypt.h"

namespace {

void U16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void U32(std::string& s, uint32_t v) {
    U16(s, v & 0xFFFF);
    U16(s, v >> 16);
}
void U64(std::string& s, uint64_t v) {
    U32(s, static_cast<uint32_t>(v));
    U32(s, static_cast<uint32_t>(v >> 32));
}

}  // namespace

uint32_t Crc32(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string DeflateRaw(const std::string& data, int level) {
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    const int r = deflate(&zs, Z_FINISH);
    deflateEnd(&zs);
    if (r != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(zs.total_out);
    return out;
}

std::string BuildZip(const std::vector<TTestEntry>& entries, std::vector<TPlacement>* placements) {
    std::string zip, central;
    std::vector<int64_t> centralPositions;
    uint32_t seed = 12345;
    for (const TTestEntry& e : entries) {
        const uint32_t crc = e.DeclaredCrc >= 0 ? static_cast<uint32_t>(e.DeclaredCrc) : Crc32(e.Data);
        const uint64_t size = e.DeclaredSize >= 0 ? static_cast<uint64_t>(e.DeclaredSize) : e.Data.size();
        std::string data = !e.RawCompressed.empty() ? e.RawCompressed
                           : e.Method == 8          ? DeflateRaw(e.Data)
                                                    : e.Data;
        uint16_t flag = 0;
        if (e.Encrypt) {
            flag |= 1;
            std::string header(12, '\0');
            for (int i = 0; i < 10; ++i) {
                seed = seed * 1103515245u + 12345u;
                header[static_cast<size_t>(i)] = static_cast<char>(seed >> 16);
            }
            const uint32_t check = e.DataDescriptor ? (e.DosTime & 0xFFFF) << 16 : crc;
            header[10] = static_cast<char>(check >> 16);
            header[11] = static_cast<char>(check >> 24);
            data = header + data;
            TZipKeys keys;
            keys.InitKeys(e.Password);
            keys.EncryptBuffer(&data[0], data.size());
        }
        if (e.DataDescriptor) flag |= 8;
        const bool zip64 = size >= 0xFFFFFFFFu;
        std::string extra;
        if (zip64) {
            U16(extra, 1);
            U16(extra, 16);
            U64(extra, size);
            U64(extra, data.size());
        }
        const int64_t offset = static_cast<int64_t>(zip.size());
        const uint32_t size32 = zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
        const uint32_t packed32 = zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(data.size());
        U32(zip, 0x04034B50);
        U16(zip, zip64 ? 45 : 20);
        U16(zip, flag);
        U16(zip, e.Method);
        U32(zip, e.DosTime);
        U32(zip, e.DataDescriptor ? 0 : crc);
        U32(zip, e.DataDescriptor ? 0 : packed32);
        U32(zip, e.DataDescriptor ? 0 : size32);
        U16(zip, static_cast<uint32_t>(e.Name.size()));
        U16(zip, static_cast<uint32_t>(extra.size()));
        zip += e.Name + extra;
        if (placements) placements->push_back({offset, static_cast<int64_t>(zip.size()), static_cast<int64_t>(data.size())});
        zip += data;
        if (e.DataDescriptor) {
            U32(zip, 0x08074B50);
            U32(zip, crc);
            U32(zip, packed32);
            U32(zip, size32);
        }
        centralPositions.push_back(static_cast<int64_t>(central.size()));
        U32(central, 0x02014B50);
        U16(central, (static_cast<uint32_t>(e.Host) << 8) | 20);
        U16(central, zip64 ? 45 : 20);
        U16(central, flag);
        U16(central, e.Method);
        U32(central, e.DosTime);
        U32(central, crc);
        U32(central, packed32);
        U32(central, size32);
        U16(central, static_cast<uint32_t>(e.Name.size()));
        U16(central, static_cast<uint32_t>(extra.size()));
        U16(central, 0);   // comment
        U16(central, 0);   // disk
        U16(central, 0);   // internal attributes
        U32(central, e.ExternalAttr);
        U32(central, static_cast<uint32_t>(offset));
        central += e.Name + extra;
    }
    const uint32_t centralOffset = static_cast<uint32_t>(zip.size());
    zip += central;
    if (placements)
        for (size_t i = 0; i < placements->size() && i < centralPositions.size(); ++i)
            (*placements)[i].CentralHeader = centralOffset + centralPositions[i];
    U32(zip, 0x06054B50);
    U16(zip, 0);
    U16(zip, 0);
    U16(zip, static_cast<uint32_t>(entries.size()));
    U16(zip, static_cast<uint32_t>(entries.size()));
    U32(zip, static_cast<uint32_t>(central.size()));
    U32(zip, centralOffset);
    U16(zip, 0);
    return zip;
}
