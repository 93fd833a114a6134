// The stream the writer puts an archive through: buffered like every file stream of the
// library (TS_BufferStream with the component's buffer size) over a file stream that
// remembers its position. The writer asks for the position around every entry; answering
// from memory saves the system calls (costly under Wine).
#pragma once
#include <memory>

#include "ziparchive/buffered_stream.h"

class TTrackedFileStream : public TFileStream {
public:
    TTrackedFileStream(const AnsiString& fileName, uint32_t mode) : TFileStream(fileName, mode) {}
    const char* ClassName() const override { return "TTrackedFileStream"; }
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int origin) override;

private:
    int64_t FPosition = 0;
    bool FKnown = true;   // false after a failed write: the system is asked again
};

class TArchiveOutputStream : public TS_BufferStream {
public:
    // Creates FileName (fmCreate); FlushOnClose asks the system to flush its caches on
    // destruction.
    TArchiveOutputStream(const AnsiString& fileName, int32_t bufferSize, bool flushOnClose);
    ~TArchiveOutputStream() override;
    const char* ClassName() const override { return "TArchiveOutputStream"; }

private:
    std::unique_ptr<TTrackedFileStream> FFile;
};
