#include "ziparchive/zip_signatures.h"

namespace {
TZipSignatures g_signatures;
}

const TZipSignatures& ZipSignatures() { return g_signatures; }

void SetZipSignatures(uint32_t central, uint32_t local, uint32_t endCentral) {
    TZipSignatures s;
    s.Central = central ? central : kStdCentralSig;
    s.Local = local ? local : kStdLocalSig;
    s.EndCentral = endCentral ? endCentral : kStdEndCentralSig;
    for (int i = 0; i < 4; ++i) s.LocalBytes[i] = static_cast<uint8_t>(s.Local >> (8 * i));
    s.EndCentralFirstByte = static_cast<uint8_t>(s.EndCentral);
    g_signatures = s;
}
