// The fixtures drawn by tests/fixtures/make_skindata_fixtures.py at build time.
#pragma once
#include <string>

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
