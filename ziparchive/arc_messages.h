// The archive library's numbered message table. Texts are loaded when an exception is
// raised or a prompt is shown; the table is compiled into every program that links the
// library, so both programs show the same texts.
#pragma once
#include "classlib/sysutils.h"

enum TArcMessageId : int {
    msgOpenZipFile = 176,
    msgZipFilter = 177,
    msgCanceledDestDir = 178,
    msgIndexOutOfRange = 179,
    msgCanceledNewDisk = 180,
    msgUserAborted = 181,
    msgIncompleteZip = 182,
    msgNotAZipFile = 183,
    msgInsertDisk = 184,
    msgOfMultiDiskSet = 185,
    msgCanceledZipName = 186,
    msgCanceledZip = 187,
    msgSelectFixedName = 188,
    msgZipFiles = 189,
    msgSeekError = 190,
    msgInvalidSeekOrigin = 191,
    msgPutbackOverflow = 192,
    msgInflateOutOfMemory = 193,
    msgPrematureEnd = 194,
    msgReplaceExisting = 195,
    msgFileExistsAlert = 196,
    msgUnknownMethod = 197,
    msgZipError = 198,
    msgLargerThanUncompressed = 199,
    msgCouldNotCopy = 202,
    msgError = 203,
    msgNotEnoughRoom = 204,
    msgCantCreateConfig = 205,
    msgErrorWritingConfig = 206,
    msgCantWriteUncompressed = 207,
};

// The text of a message id; an id that is not in the table gives an empty text.
AnsiString ArcLoadStr(int id);
