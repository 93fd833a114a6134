#include "skin/skin_temp.h"

#include <windows.h>
#include <objbase.h>

AnsiString GetSkinTempPath() {
    char buffer[MAX_PATH] = {};
    DWORD length = GetTempPathA(sizeof buffer, buffer);
    AnsiString path(buffer, length < sizeof buffer ? length : 0);
    if (path.empty() || path.back() != '\\') path += '\\';
    return path;
}

AnsiString NewSkinTempName() {
    GUID guid = {};
    CoCreateGuid(&guid);
    return GetSkinTempPath() + Format("{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                                      static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                                      guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                                      guid.Data4[6], guid.Data4[7]);
}
