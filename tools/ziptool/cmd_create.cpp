// ziptool create ARCHIVE FOLDER [--password P] [--level N] [--action update|replace|freshen]
//                [--split N [--first N] [--reserve N] [--zfc]]:
// zips the folder as the builder does: everything below it, recursively, stored under
// paths relative to it, attributes kept, Deflate level N (default 6; 0 stores). An existing
// ARCHIVE is merged per --action (default update). --split writes parts of N bytes
// (ARCHIVE without its extension + ".zip.z01", ... and the last part ARCHIVE), --first the
// first part's size, --reserve bytes kept free on the first part, --zfc the ".zfc" copy of
// the directory. Files that are left out are listed on standard output ("skipped" TAB
// reason TAB name); the last line counts the entries.

#include "tools/ziptool/builder_settings.h"
#include "tools/ziptool/commands.h"
#include "ziparchive/arc_zip.h"
#include "ziparchive/multi_zip_info.h"

namespace {

const char* SkipReasonName(TSkipReason reason) {
    static const char* const kNames[] = {"bad password",  "duplicate name",      "cannot open",
                                         "cannot create", "excluded",            "archive bit clear",
                                         "not in archive", "refused by handler"};
    return reason <= srSkippedInStartZip ? kNames[reason] : "unknown";
}

int64_t SizeArg(const std::string& text) {
    int32_t v = 0;
    if (!TryStrToInt(text, v) || v < 0) throw EUsage();
    return v;
}

TZipAction ActionArg(const std::string& text) {
    if (text == "update") return zaUpdate;
    if (text == "replace") return zaReplace;
    if (text == "freshen") return zaFreshen;
    throw EUsage();
}

}  // namespace

int CmdCreate(const TArgs& args) {
    std::string archive, folder, password;
    int level = 6;
    int positional = 0;
    TZipAction action = zaUpdate;
    int64_t split = 0, first = 0, reserve = 0;
    bool zfc = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--action" && hasValue) {
            action = ActionArg(args[++i]);
        } else if (a == "--split" && hasValue) {
            split = SizeArg(args[++i]);
        } else if (a == "--first" && hasValue) {
            first = SizeArg(args[++i]);
        } else if (a == "--reserve" && hasValue) {
            reserve = SizeArg(args[++i]);
        } else if (a == "--zfc") {
            zfc = true;
        } else if (a == "--password" && hasValue) {
            password = args[++i];
        } else if (a == "--level" && i + 1 < args.size()) {
            int32_t v = 0;
            if (!TryStrToInt(args[++i], v) || v < 0 || v > 9) throw EUsage();
            level = v;
        } else if (positional == 0) {
            archive = a;
            ++positional;
        } else if (positional == 1) {
            folder = a;
            ++positional;
        } else {
            throw EUsage();
        }
    }
    if (positional != 2 || ((first != 0 || reserve != 0 || zfc) && split == 0)) throw EUsage();
    if (EndsWithChar(folder, '/')) folder = DropLastChar(folder);

    std::string report;
    TArcZip zip(nullptr);
    UseBuilderSettings(zip, folder, archive, password, level);
    zip.SetZipAction(action);
    if (split != 0) {
        TMultiZipInfo* m = zip.GetMultiZipInfo();
        m->SetBlockSize(split);
        m->SetFirstBlockSize(first);
        m->SetSaveOnFirstDisk(reserve);
        m->SetSaveZipInfoOnFirstDisk(zfc);
        zip.SetMultiMode(mmBlocks);
    }
    zip.SetDoProcessMessages(false);   // a console program has no windows to keep answering
    zip.OnSkippingFile = [&](TObject*, TSkipReason reason, const AnsiString& name, int, bool&) {
        report += "skipped\t" + std::string(SkipReasonName(reason)) + "\t" + name + "\n";
    };
    zip.OnNoSuchFile = [&](TObject*, const AnsiString& name) { report += "skipped\tno such file\t" + name + "\n"; };
    // Notices go to the output instead of a message box: nobody is there to close it.
    zip.OnHandleMessage = [&](TObject*, int id, const AnsiString& text, const AnsiString& name, uint32_t, int& answer) {
        report += "notice\t" + IntToStr(id) + " " + text + "\t" + name + "\n";
        answer = 1;
    };
    const int count = zip.Zip();
    WriteOut(report + "zipped\t" + IntToStr(count) + "\n");
    return 0;
}
