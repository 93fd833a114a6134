// The packed book: a player stub followed by the ZIP archive, the archive's size (u32 LE),
// the scrambled settings text (hex) and that text's length (u32 LE). Everything is found
// from the end of the file. The builder appends the tail (WritePackedFile); the player reads
// the settings and copies the archive out (ReadBookSettings, ExtractBookArchive).
#pragma once
#include <cstdint>
#include <vector>

#include "classlib/classes.h"

// The six fields of the settings text, in stored order.
struct TBookSettings {
    AnsiString WindowHeight;   // decimal; "0" with WindowWidth "0" means maximised
    AnsiString WindowWidth;
    AnsiString Reserved2 = "0";
    AnsiString Reserved3;
    AnsiString Reserved4;
    AnsiString HomePage;       // relative to the book's folder, such as sub\start.html
};

constexpr char SettingsSeparator[] = "|_|";
constexpr int SettingsFieldCount = 6;
// Longest hex settings text a book may carry; anything longer is a damaged tail.
constexpr uint32_t MaxSettingsHexLength = 65536;
// The smallest ZIP archive (an empty end record).
constexpr uint32_t MinBookArchiveSize = 22;

// Each byte XOR the settings key (index cycling from 0) as two upper-case hex digits.
AnsiString ScrambleSettings(const AnsiString& text);
// The inverse: reads pairs from the start, ignores a trailing odd character; a pair that is
// not hexadecimal raises EConvertError.
AnsiString UnscrambleSettings(const AnsiString& hex);
// Splits at every "|_|"; empty fields count, so five separators always give six fields.
std::vector<AnsiString> SplitText(const AnsiString& text, const AnsiString& separator = SettingsSeparator);
AnsiString JoinSettings(const TBookSettings& settings);
// False unless the text has exactly six fields.
bool ParseSettings(const AnsiString& text, TBookSettings& settings);

// Largest packed book: the player reads the tail's lengths as signed 32-bit values and seeks
// with 32-bit offsets from the end, so a book must stay below 2 GiB.
constexpr int64_t MaxPackedBookSize = 0x7FFFFFFF;
// The size of the book that WritePackedFile makes from a stub and an archive of these sizes.
int64_t PackedBookSize(int64_t stubSize, int64_t archiveSize, const TBookSettings& settings);

// Appends archive, size, hex settings and length to OutputPath, which must already hold the
// stub. True when every step succeeded; false on any failure (nothing is reported), and
// false without touching the output when the book would reach 2 GiB or the settings text
// is too long.
bool WritePackedFile(const AnsiString& zipPath, const AnsiString& outputPath, const TBookSettings& settings);

// Where the parts of a book lie, all checked against the file's size.
struct TBookTail {
    int64_t ArchiveOffset = 0;
    uint32_t ArchiveSize = 0;
    int64_t SettingsOffset = 0;
    uint32_t SettingsLength = 0;
};

// Each returns false for a damaged or unreadable book and lets no exception out.
bool LocateBookTail(TStream* book, TBookTail& tail);
bool ReadBookSettings(TStream* book, TBookSettings& settings);
bool ReadBookSettings(const AnsiString& bookPath, TBookSettings& settings);
// Copies exactly the archive's bytes into Output.
bool ExtractBookArchive(TStream* book, TStream* output);
// Copies the archive into a file of its own (created or truncated); a partial file is removed.
bool ExtractBookArchive(const AnsiString& bookPath, const AnsiString& archivePath);
