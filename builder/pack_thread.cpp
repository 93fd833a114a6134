#include "builder/pack_thread.h"

#include "packedbook/book_constants.h"
#include "builder/main_form.h"
#include "builder/pack_files_win.h"
#include "packedbook/packed_book.h"
#include "builder/packing_form.h"
#include "classlib/fileio.h"
#include "ziparchive/arc_zip.h"

namespace {

// Reasons of a failed run, shown after "打包失败" (code page 936).
const char kNoTempFileText[] = "无法建立临时文件";
const char kUnreadableText[] = "无法读取文件：";
const char kUnwritableText[] = "无法写入文件：";
const char kUnreplaceableText[] = "无法替换文件：";
const char kTooLargeText[] =
    "打包后的文件将达到 2GB，无法打包";

TBookSettings CurrentSettings() {
    TBookSettings s;
    s.WindowHeight = WindowHeight;
    s.WindowWidth = WindowWidth;
    s.Reserved2 = SettingsField2;
    s.Reserved3 = SettingsField3;
    s.Reserved4 = SettingsField4;
    s.HomePage = HomePage;
    return s;
}

void RemoveIfExists(const AnsiString& path) {
    try {
        if (!path.empty() && FileExists(path)) RemoveFile(path);
    } catch (...) {
    }
}

}  // namespace

void qvpackthread::Execute() {
    AnsiString failure;
    try {
        failure = PackBook();
    } catch (const Exception& e) {
        failure = e.Message;
        if (failure.empty()) failure = kUnwritableText + OutputPath;
    } catch (const std::exception& e) {
        failure = e.what();
        if (failure.empty()) failure = kUnwritableText + OutputPath;
    } catch (...) {
        failure = kUnwritableText + OutputPath;
    }
    // Whatever happened, neither the archive nor a partial book stays behind.
    RemoveIfExists(TempArchivePath);
    RemoveIfExists(FPartialPath);
    try {
        TForm2* form = FForm;
        Synchronize([form, failure] { form->FinishFromThread(failure); });
    } catch (...) {
        // The window's timer notices a thread that ended without handing the window back.
    }
}

AnsiString qvpackthread::PackBook() {
    if (TempArchivePath.empty()) return kNoTempFileText;
    AnsiString failure = ZipSite(FForm->ArcZip1);
    if (!failure.empty()) return failure;
    const int64_t archiveSize = FileSizeByName(TempArchivePath);
    if (archiveSize < 0) return kUnreadableText + TempArchivePath;

    // The book is written beside its final place and replaces an old one only when complete.
    FPartialPath = UniqueFileName(ExtractFilePath(OutputPath), ExtractFileName(OutputPath) + ".", ".tmp");
    if (FPartialPath.empty() || !ExtractPlayerResource("exefile", "qvplay", FPartialPath))
        return kUnwritableText + OutputPath;
    const int64_t stubSize = FileSizeByName(FPartialPath);
    const TBookSettings settings = CurrentSettings();
    if (PackedBookSize(stubSize, archiveSize, settings) > MaxPackedBookSize) return kTooLargeText;
    if (!WritePackedFile(TempArchivePath, FPartialPath, settings) ||
        FileSizeByName(FPartialPath) != PackedBookSize(stubSize, archiveSize, settings))
        return kUnwritableText + OutputPath;
    if (!ReplaceFileByRename(FPartialPath, OutputPath)) return kUnreplaceableText + OutputPath;
    FPartialPath.clear();
    return AnsiString();
}

AnsiString qvpackthread::ZipSite(TArcZip* zip) {
    AnsiString unreadable;
    bool tooLarge = false;
    // The handlers refer to this call's locals: they go when it returns.
    struct Unhook {
        TArcZip* zip;
        ~Unhook() {
            zip->OnSkippingFile = nullptr;
            zip->OnNoSuchFile = nullptr;
            zip->OnHandleMessage = nullptr;
            zip->OnEndZip = nullptr;
        }
    } unhook{zip};
    // A file left out would make a book without it: every such file fails the run.
    zip->OnSkippingFile = [&](TObject*, TSkipReason, const AnsiString& name, int, bool&) {
        if (unreadable.empty()) unreadable = name;
    };
    zip->OnNoSuchFile = [&](TObject*, const AnsiString& name) {
        if (unreadable.empty()) unreadable = name;
    };
    // Reported instead of a message box from this thread.
    zip->OnHandleMessage = [&](TObject*, int, const AnsiString&, const AnsiString& name, uint32_t, int& result) {
        if (unreadable.empty()) unreadable = name;
        result = 1;
    };
    zip->OnEndZip = [&](TObject*, const AnsiString&, int64_t, int64_t, int64_t currentZipSize) {
        if (currentZipSize >= MaxPackedBookSize) {
            tooLarge = true;
            zip->SetCancel(true);
        }
    };

    zip->GetFilesList()->Clear();
    zip->SetRootDir(SiteFolder);
    zip->GetFilesList()->Add(SiteFolder + "*.*");
    zip->SetZipName(TempArchivePath);
    zip->Password = BookArchivePassword;
    zip->SetRecurse(true);
    zip->SetRelativePaths(true);
    zip->SetDoAll(true);
    zip->SetRetainAttributes(true);
    try {
        zip->Zip();
    } catch (const Exception& e) {
        if (tooLarge) return kTooLargeText;
        return e.Message.empty() ? kUnwritableText + TempArchivePath : e.Message;
    }
    if (tooLarge) return kTooLargeText;
    if (!unreadable.empty()) return kUnreadableText + unreadable;
    if (!FileExists(TempArchivePath)) return kUnwritableText + TempArchivePath;
    return AnsiString();
}
