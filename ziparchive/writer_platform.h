// Services of the operating system that the archive writer needs beyond the reader's: file
// attributes, the system's temporary folder and the final replacing rename. One
// implementation in writer_platform_win.cpp, one in writer_platform_posix.cpp (no archive
// or hidden bits there: attributes are derived from the file's mode).
#pragma once
#include <cstdint>

#include "classlib/fileio.h"

namespace writer_platform {

constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;

// The attributes of a file or folder (faReadOnly, faHidden, ... bits), or kInvalidAttributes.
uint32_t FileGetAttr(const AnsiString& path);
bool FileSetAttr(const AnsiString& path, uint32_t attr);

// The system's folder for temporary files, with a trailing separator.
AnsiString SystemTempDir();

// Renames Source to Dest in one step, replacing an existing Dest. False (both files as
// they were) when the system cannot do it in one step, as across volumes.
bool ReplaceByRename(const AnsiString& source, const AnsiString& dest);
// The same, Source first taking Dest's own permissions: its mode, owner and group here,
// its attributes and access list on Windows (a read-only attribute only once the rename
// is made, since a read-only file cannot be renamed over). A file that already holds
// them, or a Dest that does not exist, is renamed as it is.
bool ReplaceKeepingAccess(const AnsiString& source, const AnsiString& dest);

// ---- disks of a spanned archive ------------------------------------------------------
// Free bytes of the drive that holds Path (a letter drive, or the current drive when Path
// has none); -1 when the system cannot tell.
int64_t FreeSpaceOfDrive(const AnsiString& path);
// Bytes per cluster of a drive root such as "A:\"; raises the system's error on failure.
int64_t ClusterSize(const AnsiString& root);
// The serial number of the volume that holds Path; false when it cannot be read.
bool VolumeSerial(const AnsiString& path, uint32_t& serial);

}  // namespace writer_platform
