// ziptool list ARCHIVE
#include "tools/ziptool/commands.h"
#include "tools/ziptool/listing.h"

int CmdList(const TArgs& args) {
    if (args.size() != 1) throw EUsage();
    WriteOut(ListArchive(args[0]));
    return 0;
}
