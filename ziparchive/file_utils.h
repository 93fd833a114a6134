// Small routines shared by the whole archive library: message pumping, 64-bit arithmetic,
// string slicing, slash conversion of stored names, DOS date-time repair, file and directory
// tests, moving and copying files, temporary names, volume labels, short paths, OEM names.
// Everything here is lead-byte aware where it looks for "\" (a GBK trail byte can be 0x5C).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "classlib/date_time.h"
#include "classlib/sysutils.h"

// ---- directories and files -----------------------------------------------------------
// True when Path names an existing directory (a trailing "\" is allowed). Looks at the
// attributes only: the process's current directory never changes.
bool DirExists(const AnsiString& path);
bool DirExistsByName(const AnsiString& path);
bool FileExistsByName(const AnsiString& path);

// Pumps the calling thread's message queue until it is empty. A WM_QUIT is posted again and
// ends the pumping at once with true, so that the caller stops and the application's own
// loop still sees it. False when the queue ran empty (always false off Windows).
bool ProcessWindowMessages();

// ---- arithmetic and memory -----------------------------------------------------------
inline void* PtrAdd(void* p, int32_t offset) { return static_cast<char*>(p) + offset; }
inline const void* PtrAdd(const void* p, int32_t offset) { return static_cast<const char*>(p) + offset; }
void MoveBytes(void* dest, const void* source, size_t count);   // overlap allowed
inline int64_t Min64(int64_t a, int64_t b) { return a < b ? a : b; }
inline int64_t Max64(int64_t a, int64_t b) { return a > b ? a : b; }
// Part * 100 / Whole rounded half to even, at most 100; 0 when Whole <= 0.
int64_t PercentOf(int64_t part, int64_t whole);

// ---- strings ---------------------------------------------------------------------------
// In place on a zero-terminated text. ToZipSlashes turns every "\" character into "/"
// (a trail byte 0x5C of a double-byte character stays); ToDosSlashes every "/" into "\".
void ToZipSlashes(char* s);
void ToDosSlashes(char* s);
AnsiString ToZipSlashes(const AnsiString& s);
AnsiString ToDosSlashes(const AnsiString& s);
AnsiString RightChars(const AnsiString& s, int n);   // last n bytes, all of s when shorter
AnsiString LeftChars(const AnsiString& s, int n);    // first n bytes
bool HasWildcards(const AnsiString& s);              // one of * < > ? |
// Compares two texts of the ANSI code page as the system does, ignoring case: double-byte
// letters that differ only in case (fullwidth Latin, Greek and Cyrillic of code page 936)
// are equal, as ASCII letters are. 0 when equal, else the sign of their order.
int AnsiCompareText(const AnsiString& a, const AnsiString& b);
AnsiString PCharToString(const char* s);             // none gives ""
// A fresh zero-terminated copy; none for an empty string.
std::unique_ptr<char[]> StringToNewPChar(const AnsiString& s);
inline const char* StringAsPChar(const AnsiString& s) { return s.c_str(); }

// ---- dates -----------------------------------------------------------------------------
// A valid DOS date-time comes back unchanged; otherwise every field is clamped into range
// (day and month 0 become 1, years beyond 2099 become 2099, and so on).
uint32_t RepairDosDateTime(uint32_t v);
// Last write time (local) of the first entry found for Path, as a DOS date-time; a time
// before 1980 gives 1 January 1980 00:00:00; 0xFFFFFFFF when nothing is found.
uint32_t GetFileDosDateTime(const AnsiString& path);
// The same as a date-time value (one trailing "\" ignored); a missing path gives
// 31 December 2099 23:59:58.
TDateTime GetFileDateTime(const AnsiString& path);

// ---- moving and copying ----------------------------------------------------------------
// Current directory of a drive (0 = the current drive, 1 = A: ...), with a trailing "\".
AnsiString GetDriveDir(int drive);
// Renames Source to Dest on one drive, replacing an existing Dest. False when the drives
// differ or a rename fails; an old Dest is then back under its own name.
bool MoveFileSameDrive(const AnsiString& source, const AnsiString& dest);
// Moves Source to Dest when they share a drive, else copies it byte for byte. Raises
// Exception when Source and Dest are the same file, and on any failed or short copy
// (a partial Dest is removed). An empty Source gives an empty Dest.
void CopyFileByName(const AnsiString& source, const AnsiString& dest);
// Creates a new empty file with a unique name beginning "ZKZ" in Dir; its full name, or ""
// when the system refuses.
AnsiString MakeTempFileName(const AnsiString& dir);

// ---- volumes ---------------------------------------------------------------------------
bool SetDiskLabel(const AnsiString& root, const AnsiString& label);
bool IsRemovableDrive(const AnsiString& root);
// The volume label of Root, cut to 13 bytes (never inside a double-byte character).
AnsiString GetDiskLabel(const AnsiString& root);

// ---- code pages ------------------------------------------------------------------------
// ANSI <-> OEM conversions of names (identity off Windows).
AnsiString AnsiToOemString(const AnsiString& s);
AnsiString OemToAnsiString(const AnsiString& s);
// To the OEM code page and back: characters without an OEM form come back replaced.
void OemRoundTrip(AnsiString& s);
// UTF-8 to the ANSI code page (936 here; GBK off Windows). Each character that the code
// page cannot hold, and each invalid UTF-8 sequence, becomes SUB (0x1A).
AnsiString Utf8ToAnsiString(const AnsiString& s);
constexpr char kUnrepresentableChar = '\x1A';

// ---- short names -----------------------------------------------------------------------
// Each component of Path replaced by its 8.3 name where the system has one.
AnsiString ShortPathName(const AnsiString& path);
