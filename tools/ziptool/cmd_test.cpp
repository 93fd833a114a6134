// ziptool test ARCHIVE [--password P]: decodes and checks every entry (password, data, size
// and CRC-32) and writes nothing. Exit status 0 only when every entry passed; otherwise one
// line per failed entry on standard error.
#include "tools/ziptool/commands.h"

int CmdTest(const TArgs& args) { return RunUnZip(ParseExtractArgs(args, 1), true); }
