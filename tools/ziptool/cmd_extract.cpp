// ziptool extract ARCHIVE DESTDIR [--password P]: extracts every entry the way the player
// does (folders re-created, attributes kept, existing files replaced). Exit status 0 only
// when every entry was extracted; otherwise one line per failed entry on standard error.
#include <cstdio>
#include <vector>

#include "tools/ziptool/commands.h"
#include "ziparchive/file_utils.h"
#include "zipextract/unzip_run.h"

namespace {

struct TFailure {
    int Index;
    AnsiString Reason;
};

}  // namespace

TExtractArgs ParseExtractArgs(const TArgs& args, size_t positional) {
    TExtractArgs result;
    std::vector<std::string> plain;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--password") {
            if (i + 1 >= args.size()) throw EUsage();
            result.Password = args[++i];
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != positional) throw EUsage();
    result.Archive = plain[0];
    if (positional > 1) result.DestDir = plain[1];
    return result;
}

int RunUnZip(const TExtractArgs& a, bool testOnly) {
    TArcUnZip zip(nullptr);
    zip.SetZipName(a.Archive);
    if (!testOnly) zip.SetDestDir(a.DestDir);
    zip.SetRecreateDirs(true);
    zip.SetRetainAttributes(true);
    zip.SetDoAll(true);
    zip.SetOverwriteMode(Always);
    zip.Password = a.Password;
    // No one to answer a message box: prompts are cancelled, notices only noted.
    zip.OnHandleMessage = [](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int& answer) {
        answer = 2;
    };

    std::vector<TFailure> failures;
    auto report = [&]() {
        for (const TFailure& f : failures) {
            // The name as stored ("/" separated).
            const AnsiString name =
                f.Index >= 0 && f.Index < zip.EntryCount() ? ToZipSlashes(zip.Entry(f.Index)->FullName()) : "?";
            std::fprintf(stderr, "ziptool: %s: %s\n", name.c_str(), f.Reason.c_str());
        }
    };
    TUnZipRun run(zip, testOnly);
    run.OnEntryFailed = [&](int index, const AnsiString& reason) { failures.push_back({index, reason}); };
    int done;
    try {
        done = run.UnZip();
    } catch (...) {
        report();
        throw;
    }
    report();
    const int count = zip.EntryCount();
    if (failures.empty() && done != count)
        std::fprintf(stderr, "ziptool: %d of %d entries done\n", done, count);
    if (!failures.empty() || done != count) return 1;
    if (testOnly) WriteOut(Format("%d entries ok\n", done));
    return 0;
}

int CmdExtract(const TArgs& args) { return RunUnZip(ParseExtractArgs(args, 2), false); }
