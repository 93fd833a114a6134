// Shared by the fuzz targets: a scratch file per process for the readers that take a file
// name (read through the file streams, which raise on a seek before the start where a
// memory stream would quietly clamp it), the prompts of the reader component answered
// without a window, and the line between refusing bad bytes and failing on them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "ziparchive/arc_unzip.h"

// A folder of this process below the system's temporary folder, made on first use,
// ending in "/".
const std::string& FuzzScratchFolder();

// Writes Data to one file in the scratch folder and returns its name.
std::string WriteFuzzFile(const uint8_t* data, size_t size, const char* name = "input.zip");

// No message boxes, no disk prompts, no password prompts: every question is answered no.
void QuietReader(TArcUnZip& zip);

// For an exception that left the archive library: returns when it is one the library
// raises for bad data (its archive exceptions, a zlib or legacy decoder failure, a file
// that cannot be opened or created, such as a missing part); any other (a stream's seek
// or read error, a list index, a conversion) is a fault and aborts with its class and text.
void ExpectArchiveFailure(const Exception& e);
