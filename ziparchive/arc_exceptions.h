// Exceptions of the archive library. Each carries only its message; the constructors that
// take a message id load the text from the message table at the moment of raising.
#pragma once
#include "classlib/sysutils.h"
#include "ziparchive/arc_messages.h"

class EArcZipException : public Exception {
public:
    using Exception::Exception;
    explicit EArcZipException(TArcMessageId id) : Exception(ArcLoadStr(id)) {}
    const char* ClassName() const override { return "EArcZipException"; }
};

PW_DECLARE_EXCEPTION(EBadZipFile, EArcZipException)              // directory unreadable, not rebuildable
PW_DECLARE_EXCEPTION(EIncompleteZip, EArcZipException)           // no end record, mode izAssumeMulti
PW_DECLARE_EXCEPTION(ENotAZipFile, EArcZipException)             // no end record, mode izAssumeNotAZip
PW_DECLARE_EXCEPTION(EUserCanceled, EArcZipException)            // a dialog, prompt or handler stopped the work
PW_DECLARE_EXCEPTION(ENotEnoughRoom, EArcZipException)           // short write of the archive
PW_DECLARE_EXCEPTION(EConfigFileSaveError, EArcZipException)     // the ".zfc" file was not written
PW_DECLARE_EXCEPTION(EFatalUnzipError, EArcZipException)         // archive data ends early while extracting
PW_DECLARE_EXCEPTION(EBiggerThanUncompressed, EArcZipException)  // more data than the stored size
PW_DECLARE_EXCEPTION(ECantWriteUCF, EArcZipException)            // short write of an extracted file
PW_DECLARE_EXCEPTION(ECanceledUnzipToBuffer, EArcZipException)   // buffered extraction stopped

// Compression errors of the archive library's zlib calls.
PW_DECLARE_EXCEPTION(EZLibError, Exception)
PW_DECLARE_EXCEPTION(EZCompressionError, EZLibError)   // a zlib call returned a negative code

// The literal of a next-disk request that was cancelled (not the table's entry 180).
constexpr const char* kCanceledNewDiskText = "User canceled loading new disk.";
