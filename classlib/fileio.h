// Thin file routines over the operating system: CreateFileA and friends on Windows,
// POSIX calls in the native build (where they serve the unit tests of the byte-level core).
#pragma once
#include <cstdint>
#include "classlib/sysutils.h"

using THandle = intptr_t;
constexpr THandle INVALID_FILE_HANDLE = -1;

// Open modes, combined from an access part and a sharing part.
enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF,   // create or truncate, exclusive
};

// Each returns INVALID_FILE_HANDLE / -1 / false on failure and never raises.
THandle FileOpen(const AnsiString& name, uint32_t mode);
THandle FileCreate(const AnsiString& name);
int32_t FileRead(THandle h, void* buffer, int32_t count);
int32_t FileWrite(THandle h, const void* buffer, int32_t count);
int64_t FileSeek(THandle h, int64_t offset, int origin);
bool FileTruncateHere(THandle h);   // end the file at the current position
bool FileFlush(THandle h);          // FlushFileBuffers
void FileClose(THandle h);

bool FileExists(const AnsiString& name);
bool DirectoryExists(const AnsiString& name);
bool RemoveFile(const AnsiString& name);   // deletes a file (DeleteFile is a Windows macro)
bool RenameFile(const AnsiString& from, const AnsiString& to);
bool CreateDir(const AnsiString& name);
bool RemoveDir(const AnsiString& name);
// Creates every missing folder of the path.
bool ForceDirectories(const AnsiString& name);
// Size of a file in bytes, or -1.
int64_t FileSizeByName(const AnsiString& name);
