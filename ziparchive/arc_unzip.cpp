// The reader component: configuration setters, copying, entry accessors, messages and the
// members of the traditional encryption. Directory reading is in directory_reader.cpp.
#include "ziparchive/arc_unzip.h"

#include "ziparchive/record_fields.h"

#include <chrono>
#include <thread>

#include "ziparchive/crc32.h"
#include "ziparchive/file_utils.h"
#include "classlib/little_endian.h"
#include "ziparchive/stream_read.h"
#include "ziparchive/zip_signatures.h"
#if defined(_WIN32)
#include "classlib/gui/dialogs.h"
#endif

TArcUnZip::TArcUnZip(TComponent* owner)
    : TComponent(owner),
      FRelativePathList(std::make_unique<TStringList>()),
      FFilesList(std::make_unique<TStringList>()),
      FCurrentHeader(std::make_unique<TZipHeaderInfo>()),
      FEndRecord(std::make_unique<TEndCentral>()) {
    FCurrentHeader->OEMConvert = FOEMConvert;
}

TArcUnZip::~TArcUnZip() { ClearZip(); }

void TArcUnZip::Loaded() {
    FThisVersion = kThisVersion;
    FThisBuild = kThisBuild;
    FCurrentHeader->OEMConvert = FOEMConvert;
}

void TArcUnZip::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TArcUnZip*>(source);
    if (!src) {
        TComponent::Assign(source);
        return;
    }
    if (src == this) return;
    // Another archive's name: the directory and stream held for the old one must not be
    // extracted under it.
    if (AnsiCompareText(src->FZipName, FZipName) != 0) {
        ForgetDirectory();
        TakeZipName(src->FZipName);
    } else {
        FZipName = src->FZipName;
    }
    FDestDir = src->FDestDir;
    FRootDir = src->FRootDir;
    FSortMode = src->FSortMode;
    FRecreateDirs = src->FRecreateDirs;
    FOverwriteMode = src->FOverwriteMode;
    FFilesList->Assign(src->FFilesList.get());
    FRelativePathList->Assign(src->FRelativePathList.get());
    FDoAll = src->FDoAll;
    FIncompleteZipMode = src->FIncompleteZipMode;
    FKeepZipOpen = src->FKeepZipOpen;
    FDoProcessMessages = src->FDoProcessMessages;
    FRetainAttributes = src->FRetainAttributes;
    FReplaceReadOnly = src->FReplaceReadOnly;
    OnStartUnZipInfo = src->OnStartUnZipInfo;
    OnFilePercentDone = src->OnFilePercentDone;
    OnTotalPercentDone = src->OnTotalPercentDone;
    OnStartUnZip = src->OnStartUnZip;
    OnEndUnZip = src->OnEndUnZip;
    OnPromptForOverwrite = src->OnPromptForOverwrite;
    OnSkippingFile = src->OnSkippingFile;
    OnBadPassword = src->OnBadPassword;
    OnBadCRC = src->OnBadCRC;
    OnInCompleteZip = src->OnInCompleteZip;
    OnGetNextDisk = src->OnGetNextDisk;
    OnUnZipComplete = src->OnUnZipComplete;
    OnGetNextBuffer = src->OnGetNextBuffer;
    OnFileNameForSplitPart = src->OnFileNameForSplitPart;
}

void TArcUnZip::SetOEMConvert(TOEMConvert v) {
    FOEMConvert = v;
    FCurrentHeader->OEMConvert = v;
}

void TArcUnZip::SetZipName(const AnsiString& value) {
    if (AnsiCompareText(value, FZipName) == 0) return;
    AnsiString name = value;
    if (!value.empty() && value.back() == '?' && LastCharIndex(value) == static_cast<int>(value.size()) - 1) {
        AnsiString dir = ExtractFilePath(value);
        if (dir.empty() || !DirExists(dir)) dir = "C:\\";
        if (!arc_platform::PromptForFileName(ArcLoadStr(msgOpenZipFile), ArcLoadStr(msgZipFilter), dir, name))
            throw EUserCanceled(msgCanceledZipName);
    }
    TakeZipName(name);
    ForgetDirectory();
}

void TArcUnZip::TakeZipName(const AnsiString& name) {
    FZipName = name;
    // The base of split part names: the name cut before the first "." of its file part.
    AnsiString file = ExtractFileName(FZipName);
    size_t dot = file.find('.');
    FSplitBaseName = dot == AnsiString::npos ? FZipName : ExtractFilePath(FZipName) + file.substr(0, dot);
}

void TArcUnZip::ForgetDirectory() {
    FArchiveStream.reset();
    FSortedView.reset();
    FSortedList = nullptr;
    FPhysicalList.reset();
    FArchiveDate = 0;
    FArchiveStamp = arc_platform::TFileStamp();
    FEndRecord->ClearEndCentral();
    FRescanned = false;
}

void TArcUnZip::SetDestDir(const AnsiString& value) {
    if (value != "?") {
        FDestDir = value;
    } else {
        AnsiString dir = FDestDir;
        if (!DirExists(dir + "\\")) dir = GetDriveDir(0);
#if defined(_WIN32)
        // a folder that does not exist yet may be typed; the user is asked, then it is made
        if (!SelectDirectory(dir, sdAllowCreate | sdPerformCreate | sdPrompt, 0)) throw EUserCanceled(msgCanceledDestDir);
#else
        if (!arc_platform::PromptForDirectory(dir)) throw EUserCanceled(msgCanceledDestDir);
#endif
        FDestDir = dir;
    }
    if (EndsWithChar(FDestDir, '\\')) FDestDir = DropLastChar(FDestDir);
}

void TArcUnZip::SetRootDir(const AnsiString& value) {
    FRootDir = value;
    if (!FRootDir.empty() && !EndsWithChar(FRootDir, '\\')) FRootDir += '\\';
    FRelativePathList->Clear();
    FRelativePathList->Add(FRootDir);
}

void TArcUnZip::SetSortMode(TZipSortMode value) {
    if (FPhysicalList)
        SortEntries(value);
    else
        FSortMode = value;
}

AnsiString TArcUnZip::StripRelativePath(AnsiString& path) const {
    for (int i = 0; i < FRelativePathList->Count(); ++i) {
        AnsiString line = FRelativePathList->Get(i);
        if (line.size() <= path.size() && AnsiCompareText(line, path.substr(0, line.size())) == 0) {
            path.erase(0, line.size());
            break;
        }
    }
    return path;
}

bool TArcUnZip::ExchangeUnzipFlag(bool v) {
    bool old = FReadingFlag;
    FReadingFlag = v;
    return old;
}

bool TArcUnZip::ExchangeBusyFlag(bool v) {
    bool old = FBusyFlag;
    FBusyFlag = v;
    return old;
}

void TArcUnZip::WaitWhilePaused() {
    while (FPause) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        ProcessWindowMessages();
    }
}

void TArcUnZip::PumpMessages() const {
    if (FDoProcessMessages) ProcessWindowMessages();
}

int TArcUnZip::EntryCount() const { return FPhysicalList ? FPhysicalList->GetCount() : 0; }

void TArcUnZip::CheckIndex(int index) const {
    if (!FSortedList || index < 0 || index >= FSortedList->GetCount())
        throw EListError(Format(ArcLoadStr(msgIndexOutOfRange).c_str(), index));
}

TZipHeaderInfo* TArcUnZip::Entry(int index) const {
    CheckIndex(index);
    return FSortedList->Header(index);
}

AnsiString TArcUnZip::Filename(int index) const { return Entry(index)->GetFileName(); }

TDateTime TArcUnZip::DateTime(int index) const {
    TZipHeaderInfo* h = Entry(index);
    try {
        return FileDateToDateTime(h->DateTime);
    } catch (const EConvertError&) {
        return Now();
    }
}

AnsiString TArcUnZip::FileComment(int index) {
    TZipHeaderInfo* h = Entry(index);
    if (!h->HasComment()) return AnsiString();
    if (h->CommentLoaded()) return h->GetComment();
    OpenZip();
    h = Entry(index);   // the directory may have been read again
    if (!h->HasComment()) return AnsiString();
    if (!h->CommentLoaded()) {
        // The comment follows the record's name and extra field as they are stored.
        namespace f = central_header;
        TStream* s = FArchiveStream.get();
        const int64_t saved = s->GetPosition();
        uint8_t rec[f::Size];
        const TRecordCursor r(rec, f::Size);
        AnsiString text;
        s->Seek(h->CentralHeaderPosition, soBeginning);
        if (ReadExactly(s, rec, f::Size) && r.U32(f::Signature) == ZipSignatures().Central)
            text = ReadTextAt(s, h->CentralHeaderPosition + f::Size + r.U16(f::NameLength) + r.U16(f::ExtraLength),
                              h->CommentLength);
        h->SetCommentFromArchive(text);
        s->Seek(saved, soBeginning);
    }
    if (GetMultiMode() == mmNone) CloseZip();
    return h->GetComment();
}

void TArcUnZip::SetFileComment(int index, const AnsiString& text) {
    TZipHeaderInfo* h = Entry(index);
    if (h->CommentLoaded() ? h->GetComment() == text : (!h->HasComment() && text.empty())) return;
    h->SetComment(text);
    FEndRecord->FModified = true;
}

AnsiString TArcUnZip::ZipComment() {
    TEndCentral& e = *FEndRecord;
    if (!e.HasComment()) return AnsiString();
    if (e.CommentLoaded()) return e.GetComment();
    OpenZip();
    if (!e.HasComment()) return AnsiString();
    // A comment cut short by the end of the file keeps what is there.
    if (!e.CommentLoaded()) e.SetCommentFromArchive(ReadTextAt(FArchiveStream.get(), e.CommentPosition, e.CommentLength));
    if (GetMultiMode() == mmNone) CloseZip();
    return e.GetComment();
}

void TArcUnZip::SetZipComment(const AnsiString& text) {
    TEndCentral& e = *FEndRecord;
    if (e.CommentLoaded() ? e.GetComment() == text : (!e.HasComment() && text.empty())) return;
    e.SetComment(text);
    e.FModified = true;
}

int TArcUnZip::HandleMessage(int messageID, const AnsiString& msg1, const AnsiString& msg2, uint32_t flags) {
    if (OnHandleMessage) {
        int result = 0;
        OnHandleMessage(this, messageID, msg1, msg2, flags, result);
        return result;
    }
    return arc_platform::ShowMessageBox(msg1, msg2, flags);
}

int TArcUnZip::ReadEncryptionHeader(const AnsiString& password, TStream* stream) {
    if (FCurrentHeader->GetCompressedSize() < kEncryptionHeaderSize) return -1;
    uint8_t header[kEncryptionHeaderSize];
    if (ReadUpTo(stream, header, kEncryptionHeaderSize) != kEncryptionHeaderSize) return -1;
    FCurrentHeader->SetCompressedSize(FCurrentHeader->GetCompressedSize() - kEncryptionHeaderSize);
    return DecryptHeader(password, header);
}

void TArcUnZip::UpdateCrcBuffer(const void* buffer, size_t count) { FCrc = UpdateCrc32(FCrc, buffer, count); }
