// Packed books made by the tests: a folder of pages zipped with the writer and the shared
// password, then appended to a copy of the player stub with WritePackedFile; and books with
// tails written by hand, for the damaged cases.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "packedbook/packed_book.h"

using FileList = std::vector<std::pair<std::string, std::string>>;   // relative name, bytes

// Writes each file below folder (which ends in "\"), making it and sub-folders on the way.
void WriteFiles(const std::string& folder, const FileList& files);
// Every file below folder by relative name ("\" separated), with its bytes; sorted by name.
FileList ReadFiles(const std::string& folder);
// The folder holds exactly these files with these bytes; the failure names what differs.
::testing::AssertionResult HoldsFiles(const std::string& folder, const FileList& expected);
// Zips everything below folder (ending in "\") into archive as the builder does: recursive,
// relative paths, attributes kept, Deflate level 6, encrypted with password. True when every
// file went in.
bool ZipFolder(const std::string& folder, const std::string& archive, const std::string& password);
// Copies the stub to book and appends the archive and the settings.
bool MakeBook(const std::string& stub, const std::string& archive, const std::string& book,
              const TBookSettings& settings);
// What follows the stub in a book: archiveBytes, their size, hexText as the settings and its
// length; a tail with any text at all (ScrambleSettings gives the builder's own).
std::string BookTail(const std::string& archiveBytes, const std::string& hexText);
// Copies the stub to book and appends tail.
bool MakeBookWithTail(const std::string& stub, const std::string& book, const std::string& tail);
