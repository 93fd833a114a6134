#include "ziparchive/archive_output_stream.h"

int32_t TTrackedFileStream::Read(void* buffer, int32_t count) {
    const int32_t n = TFileStream::Read(buffer, count);
    if (n > 0) FPosition += n;
    return n;
}

int32_t TTrackedFileStream::Write(const void* buffer, int32_t count) {
    const int32_t n = TFileStream::Write(buffer, count);
    if (n > 0) FPosition += n;
    if (n != count) FKnown = false;   // whatever the system did, it is asked next time
    return n;
}

int64_t TTrackedFileStream::Seek(int64_t offset, int origin) {
    if (origin == soCurrent && offset == 0 && FKnown) return FPosition;
    const int64_t p = TFileStream::Seek(offset, origin);
    FPosition = p;
    FKnown = p >= 0;
    return p;
}

TArchiveOutputStream::TArchiveOutputStream(const AnsiString& fileName, int32_t bufferSize, bool flushOnClose)
    : TS_BufferStream(nullptr, bufferSize), FFile(std::make_unique<TTrackedFileStream>(fileName, fmCreate)) {
    FInnerStream = FFile.get();
    FFlushOnDestroy = flushOnClose;
}

TArchiveOutputStream::~TArchiveOutputStream() {
    try {
        FinishWriting();   // while the file is still open
    } catch (...) {
    }
    FInnerStream = nullptr;
}
