#include "ziparchive/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
const char kWriteError[] = "Stream write error";
const char kSeekError[] = "Seek error";
}  // namespace

TS_BufferStream::TS_BufferStream(TStream* innerStream, int32_t bufferSize)
    : FInnerStream(innerStream), FBufferSize(bufferSize) {
    if (bufferSize <= 0) throw EStreamError(Format("Invalid buffer size (%d)", bufferSize));
    FBuffer.resize(static_cast<size_t>(bufferSize));
    FBufferEnd = bufferSize;
}

TS_BufferStream::~TS_BufferStream() {
    try {
        FinishWriting();
    } catch (...) {
        // Destruction cannot report; owners call Flush first to see write errors.
    }
}

void TS_BufferStream::FinishWriting() {
    if (!FInnerStream) return;
    if (FState == bsWriting) FlushBuffer();
    if (FFlushOnDestroy && FWritten)
        if (auto* h = dynamic_cast<THandleStream*>(FInnerStream)) FileFlush(h->GetHandle());
    FFlushOnDestroy = false;
    FState = bsIdle;
    FBufferPtr = -1;
}

int64_t TS_BufferStream::LogicalPosition() {
    if (FState == bsReading) return FFillEnd + (FBufferPtr - FBufferEnd);
    int64_t inner = FInnerStream->Seek(0, soCurrent);
    return FState == bsWriting ? inner + FBufferPtr : inner;
}

void TS_BufferStream::SyncInner() {
    if (FState == bsWriting) {
        if (!FlushBuffer()) throw EWriteError(kWriteError);
    } else if (FState == bsReading) {
        FInnerStream->Seek(LogicalPosition(), soBeginning);   // give the read-ahead back
    }
    FState = bsIdle;
    FBufferPtr = -1;
}

void TS_BufferStream::Flush() {
    if (FState == bsWriting && FBufferPtr > 0 && !FlushBuffer()) throw EWriteError(kWriteError);
}

bool TS_BufferStream::FillBuffer() {
    int32_t n = FInnerStream->Read(FBuffer.data(), FBufferSize);
    if (n < 0) n = 0;
    FBufferPtr = 0;
    FBufferEnd = n;
    FState = n > 0 ? bsReading : bsIdle;
    FPutBack = false;
    if (n > 0) FFillEnd = FInnerStream->Seek(0, soCurrent);
    DoFillBuffer();
    return n > 0;
}

bool TS_BufferStream::FlushBuffer() {
    int32_t pending = (FState == bsWriting && FBufferPtr > 0) ? FBufferPtr : 0;
    int32_t written = pending > 0 ? FInnerStream->Write(FBuffer.data(), pending) : 0;
    written = std::max(0, std::min(written, pending));
    bool complete = written == pending;
    if (complete) {
        FBufferPtr = 0;
        FState = bsIdle;
    } else {
        // Keep what the inner stream refused, so that nothing is silently lost.
        std::memmove(FBuffer.data(), FBuffer.data() + written, static_cast<size_t>(pending - written));
        FBufferPtr = pending - written;
        FState = bsWriting;
    }
    FBufferEnd = FBufferSize;
    DoFlushBuffer();
    return complete;
}

void TS_BufferStream::PutBackByte(uint8_t b) {
    if (FState != bsReading || FBufferPtr <= 0) throw EStreamError("Putback overflow");
    FBuffer[static_cast<size_t>(--FBufferPtr)] = b;
    FPutBack = true;
}

void TS_BufferStream::DoFillBuffer() {
    if (OnFillBuffer) OnFillBuffer(this);
}

void TS_BufferStream::DoFlushBuffer() {
    if (OnFlushBuffer) OnFlushBuffer(this);
}

int32_t TS_BufferStream::Read(void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (FState != bsReading) SyncInner();   // pending bytes reach the inner stream first
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t total = 0;
    while (count > 0) {
        if (FState != bsReading || FBufferPtr >= FBufferEnd) {
            if (!FillBuffer()) break;
        }
        int32_t n = std::min(count, FBufferEnd - FBufferPtr);
        std::memcpy(out + total, FBuffer.data() + FBufferPtr, static_cast<size_t>(n));
        FBufferPtr += n;
        total += n;
        count -= n;
    }
    return total;
}

int32_t TS_BufferStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (FState != bsWriting) {
        if (FState == bsReading) FInnerStream->Seek(LogicalPosition(), soBeginning);
        FState = bsWriting;
        FBufferPtr = 0;
        FBufferEnd = FBufferSize;
    }
    FWritten = true;
    auto* in = static_cast<const uint8_t*>(buffer);
    int32_t accepted = 0;
    int32_t mineInBuffer = 0;   // bytes of this call still pending
    while (count > 0) {
        int32_t n = std::min(count, FBufferEnd - FBufferPtr);
        std::memcpy(FBuffer.data() + FBufferPtr, in + accepted, static_cast<size_t>(n));
        FBufferPtr += n;
        FState = bsWriting;   // a flush below leaves the stream idle
        accepted += n;
        mineInBuffer += n;
        count -= n;
        if (FBufferPtr == FBufferEnd) {
            if (!FlushBuffer()) {
                // The refused bytes are the newest ones: this call's bytes among them are not
                // accepted; older pending bytes stay for the next flush.
                int32_t drop = std::min(FBufferPtr, mineInBuffer);
                FBufferPtr -= drop;
                accepted -= drop;
                break;
            }
            mineInBuffer = 0;
        }
    }
    FState = FBufferPtr > 0 ? bsWriting : bsIdle;
    return accepted;
}

int64_t TS_BufferStream::Seek(int64_t offset, int origin) {
    const int64_t logical = LogicalPosition();
    int64_t target = 0;
    switch (origin) {
    case soBeginning:
        target = offset;
        break;
    case soCurrent:
        if (__builtin_add_overflow(logical, offset, &target)) throw Exception(kSeekError);
        break;
    case soEnd: {
        if (offset == std::numeric_limits<int64_t>::min()) throw Exception(kSeekError);
        // Pending bytes may reach past the inner end; a mere position past the end does not.
        int64_t end = FInnerStream->GetSize();
        if (FState == bsWriting) end = std::max(end, logical);
        target = end - (offset < 0 ? -offset : offset);
        break;
    }
    default:
        throw Exception(Format("Invalid seek origin (%d)", origin));
    }
    if (target == logical) return logical;
    if (target < 0) throw Exception(kSeekError);
    // A target among the bytes read ahead moves within the buffer: the readers of records
    // step back and forth over a few bytes, and refilling each time would read the file
    // once per record.
    if (FState == bsReading && !FPutBack && target <= FFillEnd && target >= FFillEnd - FBufferEnd) {
        FBufferPtr = static_cast<int32_t>(target - (FFillEnd - FBufferEnd));
        return target;
    }
    if (FState == bsWriting && !FlushBuffer()) throw Exception(kSeekError);
    FInnerStream->Seek(target, soBeginning);
    FState = bsIdle;
    FBufferPtr = -1;
    return target;
}

void TS_BufferStream::SetSize(int64_t newSize) {
    SyncInner();
    FInnerStream->SetSize(newSize);
}

TLFNFileStream::TLFNFileStream(const AnsiString& fileName, int32_t bufferSize, bool flushOnClose, uint32_t mode)
    : TS_BufferStream(nullptr, bufferSize) {
    FFile = std::make_unique<TFileStream>(fileName, mode);
    FInnerStream = FFile.get();
    FFlushOnDestroy = flushOnClose && (mode & 3) != 0;
}

TLFNFileStream::~TLFNFileStream() {
    try {
        FinishWriting();   // while the file is still open
    } catch (...) {
    }
    FInnerStream = nullptr;
}

THandle TLFNFileStream::GetFileHandle() const { return FFile->GetHandle(); }
