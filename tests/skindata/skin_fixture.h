// The fixtures drawn by tests/fixtures/make_skindata_fixtures.py at build time.
#pragma once
#include <string>

#include <zlib.h>

#include "classlib/bmp_format.h"
#include "tests/support/tempdir.h"

inline std::string SkinFixture(const std::string& skin, const std::string& file) {
    return std::string(PW_FIXTURE_DIR) + "/skindata/" + skin + "/" + file;
}

inline TBmpImage FixtureBmp(const std::string& skin, const std::string& file) {
    TStringStream s(ReadWholeFile(SkinFixture(skin, file)));
    return ReadBmp(s);
}

inline bool SameBmp(const TBmpImage& a, const TBmpImage& b) {
    return a.Width == b.Width && a.Height == b.Height && a.BitCount == b.BitCount && a.Palette == b.Palette &&
           a.Bits == b.Bits;
}

// zlib's own compress2 at level 9: the compressed data of a stored skin, made by another writer.
inline std::string ZlibDeflate(const std::string& raw) {
    uLongf size = compressBound(raw.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
    out.resize(size);
    return out;
}
