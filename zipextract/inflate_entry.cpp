#include <zlib.h>

#include "ziparchive/arc_exceptions.h"
#include "zipextract/entry_decoders.h"

namespace {

// A negative zlib result is an error of the data (or of memory); zlib's own words say which.
void CheckZlibResult(int result, const z_stream& zs) {
    if (result < 0) throw EInflateDataError(zs.msg ? zs.msg : zError(result));
}

// inflateEnd on every way out of InflateEntry.
struct TInflateState {
    z_stream Stream{};   // zero-filled: zlib's default memory functions
    bool Started = false;
    ~TInflateState() {
        if (Started) inflateEnd(&Stream);
    }
};

}  // namespace

void InflateEntry(TEntryInput& input, TEntryOutput& output) {
    TInflateState state;
    z_stream& zs = state.Stream;
    CheckZlibResult(inflateInit2(&zs, -15), zs);   // raw Deflate: no zlib header or trailer
    state.Started = true;
    zs.next_out = output.Buffer();
    zs.avail_out = kExtractBlockSize;
    for (;;) {
        if (zs.avail_in == 0) {
            const int32_t n = input.LoadBlock();
            // The entry's bytes are used up while the Deflate stream still wants more: the
            // stream is cut, which is corrupt data as much as a bad code is.
            if (n == 0) throw EInflateDataError("compressed data ends before the stream does");
            zs.next_in = const_cast<Bytef*>(input.Block());
            zs.avail_in = static_cast<uInt>(n);
        }
        const uInt inBefore = zs.avail_in, outBefore = zs.avail_out;
        int result = inflate(&zs, Z_NO_FLUSH);
        if (result == Z_NEED_DICT) result = Z_DATA_ERROR;   // a raw stream names no dictionary
        if (result != Z_BUF_ERROR) CheckZlibResult(result, zs);
        const bool progressed = zs.avail_in != inBefore || zs.avail_out != outBefore;
        if (zs.avail_out == 0 || result == Z_STREAM_END) {
            output.SetCount(static_cast<int32_t>(kExtractBlockSize - zs.avail_out));
            output.FlushOutput();
            zs.next_out = output.Buffer();
            zs.avail_out = kExtractBlockSize;
        }
        if (result == Z_STREAM_END) break;
        // zlib made no progress with input and room to spare: nothing more will come of it.
        if (!progressed && zs.avail_in != 0) CheckZlibResult(Z_DATA_ERROR, zs);
    }
}
