// ziptool COMMAND ARGS...: a console driver of the archive library for tests.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <string>

#include "classlib/sysutils.h"
#include "tools/ziptool/commands.h"

namespace {

const TCommand kCommands[] = {
    {"list", "ARCHIVE", CmdList},
    {"extract", "ARCHIVE DESTDIR [--password P]", CmdExtract},
    {"test", "ARCHIVE [--password P]", CmdTest},
    {"create",
     "ARCHIVE FOLDER [--password P] [--level N] [--action update|replace|freshen] "
     "[--split N [--first N] [--reserve N] [--zfc]]",
     CmdCreate},
};

int Usage() {
    std::fputs("usage:\n", stderr);
    for (const TCommand& c : kCommands) std::fprintf(stderr, "  ziptool %s %s\n", c.Name, c.Usage);
    return 2;
}

// One line: the reason, without line breaks of its own.
int Fail(std::string reason) {
    for (char& c : reason)
        if (c == '\r' || c == '\n') c = ' ';
    std::fprintf(stderr, "ziptool: %s\n", reason.c_str());
    return 1;
}

}  // namespace

void WriteOut(const std::string& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc < 2) return Usage();
    const std::string name = argv[1];
    for (const TCommand& c : kCommands) {
        if (name != c.Name) continue;
        try {
            int status = c.Run(TArgs(argv + 2, argv + argc));
            std::fflush(stdout);
            return status;
        } catch (const EUsage&) {
            return Usage();
        } catch (const Exception& e) {
            return Fail(e.Message.empty() ? e.ClassName() : e.Message);
        } catch (const std::exception& e) {
            return Fail(e.what());
        } catch (...) {
            return Fail("unexpected failure");
        }
    }
    return Usage();
}
