// Exceptions and string routines of our class library.
// Strings are byte strings in the ANSI code page (936 on the target machines);
// every length counts bytes.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

using AnsiString = std::string;

// Root of every exception the system raises. Message is what a message box shows.
class Exception : public std::exception {
public:
    explicit Exception(AnsiString msg) : Message(std::move(msg)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    virtual const char* ClassName() const { return "Exception"; }
    AnsiString Message;
};

#define PW_DECLARE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                             \
    public:                                                                \
        using Base::Base;                                                  \
        const char* ClassName() const override { return #Name; }           \
    };

PW_DECLARE_EXCEPTION(EConvertError, Exception)
PW_DECLARE_EXCEPTION(EOutOfMemory, Exception)
PW_DECLARE_EXCEPTION(EAbort, Exception)
PW_DECLARE_EXCEPTION(EStreamError, Exception)
PW_DECLARE_EXCEPTION(EFileStreamError, EStreamError)
PW_DECLARE_EXCEPTION(EFCreateError, EFileStreamError)
PW_DECLARE_EXCEPTION(EFOpenError, EFileStreamError)
PW_DECLARE_EXCEPTION(EReadError, EStreamError)
PW_DECLARE_EXCEPTION(EWriteError, EStreamError)
PW_DECLARE_EXCEPTION(EListError, Exception)
PW_DECLARE_EXCEPTION(EStringListError, Exception)
PW_DECLARE_EXCEPTION(EClassNotFound, Exception)
PW_DECLARE_EXCEPTION(EResNotFound, Exception)
PW_DECLARE_EXCEPTION(EInOutError, Exception)
PW_DECLARE_EXCEPTION(EOSError, Exception)

// printf-style formatting into an AnsiString.
AnsiString Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

AnsiString IntToStr(int64_t value);
AnsiString IntToHex(uint64_t value, int digits);   // upper-case, at least `digits` wide
// Accepts optional sign, decimal digits, or "$"/"0x" followed by hex digits.
// Raises EConvertError ("'<s>' is not a valid integer value") on anything else.
int32_t StrToInt(const AnsiString& s);
bool TryStrToInt(const AnsiString& s, int32_t& value);
int32_t StrToIntDef(const AnsiString& s, int32_t def);

AnsiString UpperCase(const AnsiString& s);   // ASCII letters only; double-byte characters untouched
AnsiString LowerCase(const AnsiString& s);
int CompareText(const AnsiString& a, const AnsiString& b);   // ASCII case-insensitive
bool SameText(const AnsiString& a, const AnsiString& b);
AnsiString Trim(const AnsiString& s);

// Replace every occurrence of `from` (ASCII case-insensitive when ignoreCase).
AnsiString StringReplaceAll(const AnsiString& s, const AnsiString& from, const AnsiString& to, bool ignoreCase);

// Double-byte awareness for the ANSI code page. On Windows this asks the system;
// in the native build it follows code page 936 (lead bytes 0x81..0xFE).
bool IsLeadByte(unsigned char c);
// Byte index of the last character of s (the lead byte for a double-byte one), or -1 when empty.
int LastCharIndex(const AnsiString& s);
// True when the last *character* of s is the single byte c (a GBK trail byte 0x5C is not "\").
bool EndsWithChar(const AnsiString& s, char c);
// s without its last character (one or two bytes).
AnsiString DropLastChar(const AnsiString& s);
// Byte index of the last single-byte character equal to one of `chars`, or -1.
int LastDelimiter(const AnsiString& chars, const AnsiString& s);

// Path helpers in the manner of the class library (lead-byte aware, "\" , "/" and ":" delimit).
AnsiString ExtractFilePath(const AnsiString& path);   // up to and including the last "\" "/" or ":"
AnsiString ExtractFileName(const AnsiString& path);
AnsiString ExtractFileExt(const AnsiString& path);    // from the last "." of the name, with the dot
AnsiString ExtractFileDrive(const AnsiString& path);  // "C:" or "\\server\share", else empty
AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& path);
AnsiString ExcludeTrailingPathDelimiter(const AnsiString& path);

// Every single-byte character `from` replaced by `to`; double-byte characters are stepped
// over (a GBK trail byte can equal "\" or "/").
AnsiString ReplaceSingleByteChar(const AnsiString& s, char from, char to);
