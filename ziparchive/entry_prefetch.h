// The part of writing an entry that needs no event and no output: a worker thread reads a
// source file whole, takes its CRC and compresses it (or keeps it, for a stored entry)
// the way the writer's own loops would, recording where those loops read and where they
// write. The calling thread then raises the entry's events and writes its bytes in the
// same steps, so the archive and the events come out as if it had done the work itself.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "classlib/sysutils.h"
#include "classlib/thread_sync.h"
#include "ziparchive/arc_platform.h"
#include "ziparchive/zip_crypt.h"

class TLFNFileStream;
class TOrderedPipeline;
class TRawDeflater;

// Deflate states shared by the workers: each job takes one of the level it packs at and
// gives it back, so that a run allocates one per thread and level rather than one per file.
class TDeflaterPool {
public:
    TDeflaterPool();
    ~TDeflaterPool();
    std::unique_ptr<TRawDeflater> Take(int level);   // reset and ready
    void GiveBack(std::unique_ptr<TRawDeflater> deflater);

private:
    TLightMutex FLock;
    std::vector<std::unique_ptr<TRawDeflater>> FFree;
};

struct TPrefetchedEntry {
    // False: the worker left this file to the calling thread (missing, unreadable, larger
    // than the chunk limit, ...), which zips it as it would without workers.
    bool Ready = false;
    uint32_t Attributes = 0;
    arc_platform::TFileStamp Stamp;   // valid when Ready; Stamp.Size is the size at open
    // A file above the whole-read limit with a password is read twice, as the calling thread
    // would: first for the CRC that the encryption header carries, then for the data.
    bool TwoReadings = false;
    int64_t ReadLimit = 0;            // bytes of the first reading (the data's limit)
    uint32_t FirstCrc = 0;            // final CRC-32 of the first reading
    int64_t BytesRead = 0;            // of the data, never more than ReadLimit
    bool Grew = false;                // a byte was left after the data
    uint32_t Crc = 0;                 // final (inverted) CRC-32 of the data
    bool Stored = false;
    int Level = 0;
    std::vector<uint8_t> Data;        // the stored bytes or the raw Deflate stream
    // The writer's steps in order: n > 0 reads n source bytes, n < 0 writes -n bytes of Data.
    std::vector<int32_t> Steps;
    // With a password, the worker encrypts too, with the random header bytes this entry
    // gets when no entry before it is left out: Data is then cipher text, and HeaderCipher
    // the encryption header to write. The calling thread uses them only when its own header
    // comes out the same (HeaderPlain); else it decrypts Data with DataKeys and encrypts it
    // itself.
    bool PreEncrypted = false;
    uint8_t HeaderPlain[kEncryptionHeaderSize] = {};
    uint8_t HeaderCipher[kEncryptionHeaderSize] = {};
    TZipKeys DataKeys;                // the keys after the header
};

struct TPrefetchSettings {
    TDeflaterPool* Deflaters = nullptr;
    // The pack level in force on the calling thread (a handler may change it per entry):
    // a job packs at the level it finds when it starts; 0 stores.
    const std::atomic<int>* Level = nullptr;
    int64_t WholeReadLimit = 0;
    int64_t ChunkLimit = 0;           // larger files stay with the calling thread
    bool Encrypted = false;
    int32_t DeflateBufferSize = 0;
    int32_t StoreBufferSize = 0;
    // With a password: the random bytes (kEncryptionHeaderSize - 2 per entry) of the
    // encryption header that each index would get; empty: the calling thread encrypts.
    std::string Password;
    std::vector<uint8_t> HeaderRandom;
    // Opens a source for reading; called on worker threads.
    std::function<std::unique_ptr<TLFNFileStream>(const AnsiString& path)> OpenSource;
};

// Fills Entry for the file at Path, job Index of Pipeline (whose memory budget it reserves
// from); NoCompress: the file is stored whatever the level. Never raises: whatever goes
// wrong leaves Entry not Ready, and the calling thread meets the same condition itself
// (and reports it).
void PrefetchEntry(const AnsiString& path, size_t index, bool noCompress, const TPrefetchSettings& settings,
                   TOrderedPipeline& pipeline, TPrefetchedEntry& entry);
