// Extraction of one member of a skin file (a ZIP archive that starts with "SK" instead of "PK",
// has no comment, and holds Deflate data whatever its method field says).
#pragma once
#include <cstdint>
#include <string>

#include "classlib/sysutils.h"

enum : uint8_t {
    kSkinExtractOk = 0,
    kSkinExtractFailed = 1,          // no file, not a skin file, no such member, bad data
    kSkinExtractWrongPassword = 2,   // wrong/missing password, or not the recorded size
};

// Skin files and their members above this size are refused (a skin is well below 1 MiB).
constexpr int64_t kSkinMaxFileSize = 64 * 1024 * 1024;
// The central directory name buffer of the format: 259 characters and a zero.
constexpr uint32_t kSkinMaxMemberName = 259;

// Writes the member (name compared without regard to ASCII case) to outputName. On any result
// other than kSkinExtractOk the output file is deleted. reason (when given) says why it failed.
uint8_t ExtractZipMember(const AnsiString& archiveName, const AnsiString& memberName, const AnsiString& outputName,
                         const AnsiString& password, std::string* reason = nullptr);
// The same from a skin file already in a stream, to any output stream (a skin stored in a
// program is read without touching the disk). The output is left as written.
class TStream;
uint8_t ExtractZipMember(TStream& archive, const AnsiString& memberName, TStream& output, const AnsiString& password,
                         std::string* reason = nullptr);
