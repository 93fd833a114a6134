// The corpus in memory, for the benchmarks that time work on bytes without the file system.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/sysutils.h"

// Every file below folder (a path ending in '\'), read whole, in search order; total gets the
// sum of their sizes.
std::vector<std::string> LoadFolder(const AnsiString& folder, int64_t& total);
