#include "ziparchive/raw_deflater.h"

#include "ziparchive/arc_exceptions.h"

namespace {
constexpr int kRawWindowBits = -15;
constexpr int kMemoryLevel = 8;

int CheckZlibResult(int result) {
    if (result < 0 && result != Z_BUF_ERROR) throw EZCompressionError("error");
    return result;
}
}  // namespace

TRawDeflater::TRawDeflater(int level) : FLevel(level) {
    CheckZlibResult(deflateInit2(&FStream, level, Z_DEFLATED, kRawWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY));
}

TRawDeflater::~TRawDeflater() { deflateEnd(&FStream); }

void TRawDeflater::Reset() { CheckZlibResult(deflateReset(&FStream)); }

int TRawDeflater::Deflate(int flush) { return CheckZlibResult(deflate(&FStream, flush)); }
