// A read and write buffer in front of another stream (TS_BufferStream), and the file stream
// that every archive, volume and source file of the archive library is opened through
// (TLFNFileStream). Positions are 64-bit.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/classes.h"

class TS_BufferStream : public TStream {
public:
    // The inner stream is not owned. BufferSize must be positive.
    TS_BufferStream(TStream* innerStream, int32_t bufferSize);
    // Pending bytes are flushed (a failure is ignored here: call Flush first to see it).
    ~TS_BufferStream() override;
    TS_BufferStream(const TS_BufferStream&) = delete;
    TS_BufferStream& operator=(const TS_BufferStream&) = delete;
    const char* ClassName() const override { return "TS_BufferStream"; }

    int32_t Read(void* buffer, int32_t count) override;
    // Bytes accepted: kept in the buffer or written. After a failed flush only the bytes of
    // this call that reached the inner stream count; earlier pending bytes stay pending.
    int32_t Write(const void* buffer, int32_t count) override;
    // Origin soEnd moves back by |Offset| from the end (pending bytes count towards it).
    // A negative target, a failed flush or a bad origin raises.
    int64_t Seek(int64_t offset, int origin) override;
    // Pending bytes are written (or read-ahead given back) before the inner size changes.
    void SetSize(int64_t newSize) override;

    // Writes the pending bytes; raises EWriteError when the inner stream refuses any of them.
    void Flush();

    virtual bool FillBuffer();
    // True when every pending byte was written; bytes not written stay pending.
    virtual bool FlushBuffer();
    // Makes B the next byte that Read delivers; raises EStreamError "Putback overflow" when
    // no read-ahead byte has been consumed.
    virtual void PutBackByte(uint8_t b);

    TStream* GetInnerStream() const { return FInnerStream; }
    int32_t GetBufferSize() const { return FBufferSize; }
    bool GetFlushOnDestroy() const { return FFlushOnDestroy; }
    void SetFlushOnDestroy(bool v) { FFlushOnDestroy = v; }
    bool GetWritten() const { return FWritten; }

    std::function<void(TObject*)> OnFillBuffer;
    std::function<void(TObject*)> OnFlushBuffer;

protected:
    enum TBufferState : uint8_t { bsIdle = 0, bsReading = 1, bsWriting = 2 };

    virtual void DoFillBuffer();
    virtual void DoFlushBuffer();
    // Inner position + buffered offset.
    int64_t LogicalPosition();
    // Leaves the stream idle with the inner position at the logical position; raises
    // EWriteError when pending bytes cannot be written.
    void SyncInner();
    // What destruction does: flush pending bytes (result ignored), then the system's caches
    // when asked to. Safe to call twice; derived classes call it before freeing the inner stream.
    void FinishWriting();

    TStream* FInnerStream;
    std::vector<uint8_t> FBuffer;
    int32_t FBufferPtr = -1;   // -1: nothing buffered yet
    int32_t FBufferEnd = 0;
    int32_t FBufferSize;
    TBufferState FState = bsIdle;
    // While reading: the inner position at the end of the buffer, so that the logical
    // position and a seek inside the buffer need no call to the inner stream.
    int64_t FFillEnd = 0;
    // A byte put back differs from the file's: the buffer then no longer serves seeks.
    bool FPutBack = false;
    bool FFlushOnDestroy = false;
    bool FWritten = false;
};

class TLFNFileStream : public TS_BufferStream {
public:
    // Opens FileName with the class-library file modes (fmCreate 0xFFFF creates); opening
    // errors propagate. FlushOnClose asks the system to flush its caches on destruction
    // when the mode can write.
    TLFNFileStream(const AnsiString& fileName, int32_t bufferSize, bool flushOnClose, uint32_t mode);
    ~TLFNFileStream() override;
    const char* ClassName() const override { return "TLFNFileStream"; }

    THandle GetFileHandle() const;
    const AnsiString& GetFileName() const { return FFile->GetFileName(); }

private:
    std::unique_ptr<TFileStream> FFile;
};
