#include "skin/skin_temp.h"

#include <cstdlib>
#include <random>

AnsiString GetSkinTempPath() {
    const char* dir = std::getenv("TMPDIR");
    AnsiString path = dir && *dir ? dir : "/tmp";
    if (path.back() != '/') path += '/';
    return path;
}

AnsiString NewSkinTempName() {
    static std::random_device device;
    std::uniform_int_distribution<unsigned> byte(0, 255);
    unsigned b[16];
    for (unsigned& v : b) v = byte(device);
    return GetSkinTempPath() + Format("{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0], b[1],
                                      b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14],
                                      b[15]);
}
