// The commands of ziptool. Each takes the arguments after its name, writes its results to
// standard output and returns the exit status; failures are raised as exceptions, which
// main turns into one line on standard error and a non-zero status.
#pragma once
#include <string>
#include <vector>

using TArgs = std::vector<std::string>;

struct TCommand {
    const char* Name;
    const char* Usage;   // the arguments, for the usage text
    int (*Run)(const TArgs& args);
};

int CmdList(const TArgs& args);
int CmdExtract(const TArgs& args);
int CmdTest(const TArgs& args);
int CmdCreate(const TArgs& args);

// Raised for wrong arguments; main prints the usage text.
struct EUsage {};

// extract and test: ARCHIVE [DESTDIR] [--password P]; RunUnZip runs either (cmd_extract.cpp).
struct TExtractArgs {
    std::string Archive;
    std::string DestDir;
    std::string Password;
};
TExtractArgs ParseExtractArgs(const TArgs& args, size_t positional);
int RunUnZip(const TExtractArgs& args, bool testOnly);

// Writes bytes to standard output unchanged (no newline translation).
void WriteOut(const std::string& bytes);
