// Shared by the fuzz targets: a scratch file per process for the readers that take a file
// name, and the prompts of the reader component answered without a window.
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
