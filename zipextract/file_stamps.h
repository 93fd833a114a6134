// The last-write time and the attributes of an extracted file: what the system keeps
// beside a file's bytes. One implementation in file_stamps_win.cpp, one in
// file_stamps_posix.cpp (where only the read-only bit has a counterpart).
#pragma once
#include <cstdint>

#include "classlib/fileio.h"
#include "classlib/sysutils.h"

namespace file_stamps {

// MS-DOS attribute bits.
constexpr uint32_t faReadOnly = 0x01;
constexpr uint32_t faHidden = 0x02;
constexpr uint32_t faSysFile = 0x04;
constexpr uint32_t faDirectory = 0x10;
constexpr uint32_t faArchive = 0x20;

// Sets the last-write time of a file open for writing to a DOS date-time (local time), and
// its attributes unless Attributes is negative. Done on the open handle after the last
// write, in one request. False when the system refuses.
bool SetHandleStamp(THandle handle, uint32_t dosDateTime, int32_t attributes);

// The same on a closed file by name (opened for writing, sharing everything).
bool SetFileDosDate(const AnsiString& name, uint32_t dosDateTime);

// The attributes of Name, or -1 when it does not exist.
int32_t GetFileAttr(const AnsiString& name);
bool SetFileAttr(const AnsiString& name, uint32_t attr);

}  // namespace file_stamps
