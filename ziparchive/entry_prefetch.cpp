#include "ziparchive/entry_prefetch.h"

#include <zlib.h>

#include <algorithm>
#include <iterator>

#include "classlib/file_find.h"
#include "ziparchive/buffered_stream.h"
#include "ziparchive/parallel_pipeline.h"
#include "ziparchive/raw_deflater.h"
#include "ziparchive/writer_platform.h"

TDeflaterPool::TDeflaterPool() = default;
TDeflaterPool::~TDeflaterPool() = default;

std::unique_ptr<TRawDeflater> TDeflaterPool::Take(int level) {
    {
        std::lock_guard<TLightMutex> guard(FLock);
        for (auto it = FFree.rbegin(); it != FFree.rend(); ++it) {
            if ((*it)->Level() != level) continue;
            std::unique_ptr<TRawDeflater> d = std::move(*it);
            FFree.erase(std::next(it).base());
            return d;
        }
    }
    return std::make_unique<TRawDeflater>(level);
}

void TDeflaterPool::GiveBack(std::unique_ptr<TRawDeflater> deflater) {
    deflater->Reset();
    std::lock_guard<TLightMutex> guard(FLock);
    FFree.push_back(std::move(deflater));
}

namespace {

// The writer's store loop: a read of up to one buffer, then its write.
void StoreSteps(TPrefetchedEntry& e, int32_t bufferSize) {
    for (int64_t done = 0; done < e.BytesRead;) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(bufferSize, e.BytesRead - done));
        e.Steps.push_back(n);
        e.Steps.push_back(-n);
        done += n;
    }
}

// The writer's Deflate loop (same buffer sizes, same calls), over the bytes in memory.
void DeflateSteps(TPrefetchedEntry& e, const std::vector<uint8_t>& source, TRawDeflater& deflater,
                  int32_t bufferSize) {
    z_stream& z = deflater.Stream();
    size_t readPos = 0, outPos = 0;
    e.Data.resize(static_cast<size_t>(bufferSize));
    z.next_out = e.Data.data();
    z.avail_out = static_cast<uInt>(bufferSize);
    z.avail_in = 0;
    int flush = Z_NO_FLUSH;
    for (;;) {
        if (z.avail_in == 0 && flush != Z_FINISH) {
            const size_t left = static_cast<size_t>(e.BytesRead) - readPos;
            const int32_t n = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(bufferSize), left));
            z.next_in = const_cast<Bytef*>(source.data() + readPos);
            z.avail_in = static_cast<uInt>(n);
            readPos += static_cast<size_t>(n);
            if (n == 0)
                flush = Z_FINISH;
            else
                e.Steps.push_back(n);
        }
        const int result = deflater.Deflate(flush);
        if (z.avail_out != 0 && flush != Z_FINISH) continue;
        const int32_t produced = bufferSize - static_cast<int32_t>(z.avail_out);
        if (produced > 0) {
            e.Steps.push_back(-produced);
            outPos += static_cast<size_t>(produced);
        }
        if (result == Z_STREAM_END) break;
        e.Data.resize(outPos + static_cast<size_t>(bufferSize));
        z.next_out = e.Data.data() + outPos;
        z.avail_out = static_cast<uInt>(bufferSize);
    }
    e.Data.resize(outPos);
    e.Data.shrink_to_fit();
}

// Reads up to Count bytes at the source's position into Buffer; the number read.
size_t ReadUpTo(TLFNFileStream& source, uint8_t* buffer, size_t count) {
    size_t got = 0;
    while (got < count) {
        const int32_t n = source.Read(buffer + got, static_cast<int32_t>(std::min<size_t>(count - got, 1u << 30)));
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    return got;
}

// The encryption header the entry gets when the random bytes for Index are the ones drawn
// for it, and the data encrypted after it.
void PreEncrypt(size_t index, const TPrefetchSettings& s, TPrefetchedEntry& e) {
    constexpr int kRandomBytes = kEncryptionHeaderSize - 2;
    const size_t at = index * kRandomBytes;
    if (at + kRandomBytes > s.HeaderRandom.size()) return;
    std::copy(s.HeaderRandom.begin() + static_cast<std::ptrdiff_t>(at),
              s.HeaderRandom.begin() + static_cast<std::ptrdiff_t>(at + kRandomBytes), e.HeaderPlain);
    e.HeaderPlain[10] = static_cast<uint8_t>(e.FirstCrc >> 16);
    e.HeaderPlain[11] = static_cast<uint8_t>(e.FirstCrc >> 24);
    TZipKeys keys;
    keys.InitKeys(s.Password);
    for (int i = 0; i < kEncryptionHeaderSize; ++i) e.HeaderCipher[i] = keys.EncryptByte(e.HeaderPlain[i]);
    e.DataKeys = keys;
    keys.EncryptBuffer(e.Data.data(), e.Data.size());
    e.PreEncrypted = true;
}

void Prefetch(const AnsiString& path, size_t index, bool noCompress, const TPrefetchSettings& s,
              TOrderedPipeline& pipeline, TPrefetchedEntry& e) {
    const int level = s.Level->load(std::memory_order_relaxed);
    const bool store = noCompress || level == 0;
    const uint32_t attr = writer_platform::FileGetAttr(path);
    if (attr == writer_platform::kInvalidAttributes || (attr & faDirectory)) return;
    std::unique_ptr<TLFNFileStream> source = s.OpenSource(path);
    const arc_platform::TFileStamp stamp = arc_platform::FileStampOf(source->GetFileHandle());
    if (!stamp.Valid || stamp.Size < 0 || stamp.Size > s.ChunkLimit) return;
    const size_t size = static_cast<size_t>(stamp.Size);
    const uint64_t bound = store ? 0 : deflateBound(nullptr, static_cast<uLong>(size)) + 2u * s.DeflateBufferSize;
    if (!pipeline.Reserve(index, size + 1 + bound)) return;

    std::vector<uint8_t> bytes;
    e.TwoReadings = s.Encrypted && stamp.Size > s.WholeReadLimit;
    if (!e.TwoReadings) {
        bytes.resize(size + 1);   // one more tells growth
        const size_t got = ReadUpTo(*source, bytes.data(), size + 1);
        e.Grew = got > size;
        e.BytesRead = e.ReadLimit = static_cast<int64_t>(std::min(got, size));
        e.Crc = e.FirstCrc = static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(e.BytesRead)));
    } else {
        // The CRC first, then the data up to where the first reading stopped, then a probe.
        bytes.resize(size);
        const size_t first = ReadUpTo(*source, bytes.data(), size);
        e.ReadLimit = static_cast<int64_t>(first);
        e.FirstCrc = static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(first)));
        source->Seek(0, soBeginning);
        e.BytesRead = static_cast<int64_t>(ReadUpTo(*source, bytes.data(), first));
        e.Crc = static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(e.BytesRead)));
        uint8_t probe = 0;
        e.Grew = source->Read(&probe, 1) > 0;
    }
    source.reset();
    e.Attributes = attr;
    e.Stamp = stamp;
    e.Stored = store;
    if (store) {
        StoreSteps(e, s.StoreBufferSize);
        bytes.resize(static_cast<size_t>(e.BytesRead));
        e.Data = std::move(bytes);
    } else {
        e.Level = level;
        std::unique_ptr<TRawDeflater> deflater = s.Deflaters->Take(level);
        DeflateSteps(e, bytes, *deflater, s.DeflateBufferSize);
        s.Deflaters->GiveBack(std::move(deflater));
        std::vector<uint8_t>().swap(bytes);
    }
    if (!s.HeaderRandom.empty()) PreEncrypt(index, s, e);
    pipeline.Shrink(index, e.Data.capacity() + e.Steps.capacity() * sizeof(int32_t));
    e.Ready = true;
}

}  // namespace

void PrefetchEntry(const AnsiString& path, size_t index, bool noCompress, const TPrefetchSettings& settings,
                   TOrderedPipeline& pipeline, TPrefetchedEntry& entry) {
    entry = TPrefetchedEntry();
    try {
        Prefetch(path, index, noCompress, settings, pipeline, entry);
    } catch (...) {
        // Locked, gone, out of memory, a zlib failure: the calling thread tries again and
        // reports what it meets.
        entry = TPrefetchedEntry();
    }
}
