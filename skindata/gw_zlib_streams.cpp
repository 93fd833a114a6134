#include "skindata/gw_zlib_streams.h"

namespace {

const char kInvalidOperation[] = "Invalid stream operation";

int ZlibLevel(int levelIndex) {
    static const int kLevels[] = {Z_NO_COMPRESSION, Z_BEST_SPEED, Z_DEFAULT_COMPRESSION, Z_BEST_COMPRESSION};
    if (levelIndex < 0 || levelIndex > 3) throw ECompressionError("Invalid compression level");
    return kLevels[levelIndex];
}

}  // namespace

TCustomZlibStream::TCustomZlibStream(TStream* inner) : FInner(inner), FInnerPosition(inner->GetPosition()) {}

void TCustomZlibStream::RestoreInnerPosition() {
    if (FInner->GetPosition() != FInnerPosition) FInner->SetPosition(FInnerPosition);
}

// ---- TCompressionStream -------------------------------------------------------------

TCompressionStream::TCompressionStream(int levelIndex, TStream* dest) : TCustomZlibStream(dest) {
    int level = ZlibLevel(levelIndex);
    FZ.next_out = FBuffer;
    FZ.avail_out = kBufferSize;
    if (deflateInit(&FZ, level) < 0) throw ECompressionError("error");
}

TCompressionStream::~TCompressionStream() {
    // A destructor cannot raise: a failure to write the end is lost here; Finish() reports it.
    try {
        Finish();
    } catch (...) {
    }
    deflateEnd(&FZ);
}

void TCompressionStream::FlushBuffer() {
    uInt have = kBufferSize - FZ.avail_out;
    if (have) FInner->WriteBuffer(FBuffer, static_cast<int32_t>(have));
    FZ.next_out = FBuffer;
    FZ.avail_out = kBufferSize;
    NoteInnerPosition();
    Progress();
}

int32_t TCompressionStream::Read(void*, int32_t) { throw ECompressionError(kInvalidOperation); }

int32_t TCompressionStream::Write(const void* buffer, int32_t count) {
    if (FFinished) throw ECompressionError(kInvalidOperation);
    if (count <= 0) return 0;
    RestoreInnerPosition();
    FZ.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    FZ.avail_in = static_cast<uInt>(count);
    while (FZ.avail_in > 0) {
        if (deflate(&FZ, Z_NO_FLUSH) < 0) throw ECompressionError("error");
        if (FZ.avail_out == 0) FlushBuffer();
    }
    return count;
}

int64_t TCompressionStream::Seek(int64_t offset, int origin) {
    if (offset == 0 && origin == soCurrent) return static_cast<int64_t>(FZ.total_in);
    throw ECompressionError(kInvalidOperation);
}

void TCompressionStream::Finish() {
    if (FFinished) return;
    RestoreInnerPosition();
    FZ.next_in = nullptr;
    FZ.avail_in = 0;
    for (;;) {
        int rc = deflate(&FZ, Z_FINISH);
        if (rc < 0 && rc != Z_BUF_ERROR) throw ECompressionError("error");
        if (rc == Z_STREAM_END) break;
        if (FZ.avail_out == 0) FlushBuffer();
        else if (rc == Z_BUF_ERROR) throw ECompressionError("error");
    }
    FlushBuffer();
    FFinished = true;
}

// ---- TDecompressionStream ------------------------------------------------------------

TDecompressionStream::TDecompressionStream(TStream* source) : TCustomZlibStream(source), FStart(FInnerPosition) {
    FZ.next_in = FBuffer;
    FZ.avail_in = 0;
    if (inflateInit(&FZ) < 0) throw EDecompressionError("compression error");
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&FZ); }

int32_t TDecompressionStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || FEnded) return 0;
    RestoreInnerPosition();
    FZ.next_out = static_cast<Bytef*>(buffer);
    FZ.avail_out = static_cast<uInt>(count);
    while (FZ.avail_out > 0) {
        if (FZ.avail_in == 0) {
            int32_t got = FInner->Read(FBuffer, static_cast<int32_t>(kBufferSize));
            // Input ending before zlib's end of data is damage, not a short file.
            if (got <= 0) throw EDecompressionError("compressed data ends early");
            FZ.next_in = FBuffer;
            FZ.avail_in = static_cast<uInt>(got);
            NoteInnerPosition();
            Progress();
        }
        int rc = inflate(&FZ, Z_NO_FLUSH);
        if (rc == Z_NEED_DICT) throw EDecompressionError("compressed data needs a preset dictionary");
        if (rc < 0) throw EDecompressionError("compression error");
        if (rc == Z_STREAM_END) {
            FEnded = true;
            break;
        }
    }
    return count - static_cast<int32_t>(FZ.avail_out);
}

int32_t TDecompressionStream::Write(const void*, int32_t) { throw EDecompressionError(kInvalidOperation); }

int64_t TDecompressionStream::Seek(int64_t offset, int origin) {
    const int64_t delivered = static_cast<int64_t>(FZ.total_out);
    if (offset == 0 && origin == soBeginning) {
        if (inflateReset(&FZ) != Z_OK) throw EDecompressionError("compression error");
        FZ.next_in = FBuffer;
        FZ.avail_in = 0;
        FEnded = false;
        FInner->SetPosition(FStart);
        FInnerPosition = FStart;
        return 0;
    }
    int64_t skip;
    if (origin == soCurrent && offset >= 0) skip = offset;
    else if (origin == soBeginning && offset > delivered) skip = offset - delivered;
    else throw EDecompressionError(kInvalidOperation);
    Bytef scratch[kBufferSize];
    while (skip > 0) {
        int32_t n = static_cast<int32_t>(skip < kBufferSize ? skip : kBufferSize);
        ReadBuffer(scratch, n);
        skip -= n;
    }
    return static_cast<int64_t>(FZ.total_out);
}

// ---- Whole-stream routines -----------------------------------------------------------

void CompressStream(TStream* source, TStream* dest) {
    TCompressionStream z(3, dest);
    source->SetPosition(0);
    Bytef buf[4096];
    for (;;) {
        int32_t n = source->Read(buf, sizeof buf);
        if (n <= 0) break;
        z.WriteBuffer(buf, n);
    }
    z.Finish();
}

void DecompressStream(TStream* dest, TStream* source, int64_t maxBytes) {
    source->SetPosition(0);
    TDecompressionStream z(source);
    Bytef buf[4096];
    int64_t total = 0;
    for (;;) {
        int32_t n = z.Read(buf, sizeof buf);
        if (n <= 0) break;
        total += n;
        if (maxBytes > 0 && total > maxBytes) throw EDecompressionError("decompressed data too large");
        dest->WriteBuffer(buf, n);
    }
}
