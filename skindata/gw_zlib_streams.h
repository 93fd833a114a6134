// One-way zlib streams (RFC 1950 format) over another stream, as the skin-data family
// stores its skins.
//
// TCompressionStream deflates what is written to it into the inner stream; Finish() writes
// the end of the data and reports any failure. The destructor finishes too, but swallows a
// failure, so call Finish() where a failed write must be known. TDecompressionStream inflates
// from the inner stream; damaged data raises EDecompressionError "compression error", as do a
// stream that asks for a preset dictionary or ends before zlib's end (with their own texts). Both streams put the inner stream back to where they last left
// it before every operation, so other users of the inner stream between calls do no harm.
#pragma once
#include <cstdint>

#include <zlib.h>

#include "classlib/classes.h"

PW_DECLARE_EXCEPTION(EZlibError, Exception)
PW_DECLARE_EXCEPTION(ECompressionError, EZlibError)
PW_DECLARE_EXCEPTION(EDecompressionError, EZlibError)

class TCustomZlibStream : public TStream {
public:
    explicit TCustomZlibStream(TStream* inner);
    const char* ClassName() const override { return "TCustomZlibStream"; }
    // Fired whenever a buffer of compressed bytes has gone to / come from the inner stream.
    std::function<void(TObject*)> OnProgress;

protected:
    static constexpr uInt kBufferSize = 4096;
    void Progress() {
        if (OnProgress) OnProgress(this);
    }
    // Puts the inner stream back to where this stream last left it.
    void RestoreInnerPosition();
    void NoteInnerPosition() { FInnerPosition = FInner->GetPosition(); }

    TStream* FInner;            // not owned
    int64_t FInnerPosition;
    z_stream FZ{};
    Bytef FBuffer[kBufferSize];
};

class TCompressionStream : public TCustomZlibStream {
public:
    // levelIndex 0..3 selects zlib level 0 (none), 1 (fastest), the default, 9 (best).
    TCompressionStream(int levelIndex, TStream* dest);
    ~TCompressionStream() override;
    const char* ClassName() const override { return "TCompressionStream"; }

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    // Only Seek(0, soCurrent): the number of uncompressed bytes taken in so far.
    int64_t Seek(int64_t offset, int origin) override;
    // Writes the end of the compressed data; nothing may be written afterwards. A failure
    // raises (ECompressionError, or the inner stream's error) and leaves the stream unfinished.
    void Finish();

private:
    void FlushBuffer();
    bool FFinished = false;
};

class TDecompressionStream : public TCustomZlibStream {
public:
    explicit TDecompressionStream(TStream* source);
    ~TDecompressionStream() override;
    const char* ClassName() const override { return "TDecompressionStream"; }

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    // Seek(0, soBeginning) restarts from where the compressed data began; otherwise only
    // forward moves (from the current position, or from the beginning past the bytes
    // delivered so far) are allowed, done by reading and dropping.
    int64_t Seek(int64_t offset, int origin) override;

private:
    int64_t FStart;          // inner position where the compressed data begins
    bool FEnded = false;     // zlib reported the end of the data
};

// Deflates the whole of source (from position 0) into dest at zlib level 9, finished.
void CompressStream(TStream* source, TStream* dest);
// Inflates the whole of source (from position 0) into dest; more than maxBytes of output
// raises EDecompressionError (0 = no limit).
void DecompressStream(TStream* dest, TStream* source, int64_t maxBytes = 0);
