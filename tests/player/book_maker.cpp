#include "tests/player/book_maker.h"

#include <windows.h>

#include <algorithm>

#include "tests/support/tempdir.h"
#include "tools/ziptool/builder_settings.h"

void WriteFiles(const std::string& folder, const FileList& files) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const auto& f : files) {
        const std::string path = folder + f.first;
        // Make each folder on the way (names are ASCII or whole GBK characters here).
        for (size_t i = folder.size(); i < path.size(); ++i) {
            if (IsLeadByte(static_cast<unsigned char>(path[i]))) {
                ++i;
                continue;
            }
            if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
        }
        WriteWholeFile(path, f.second);
    }
}

static void CollectFiles(const std::string& root, const std::string& relative, FileList& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + relative + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFiles(root, relative + name + "\\", out);
        else
            out.emplace_back(relative + name, ReadWholeFile(root + relative + name));
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

FileList ReadFiles(const std::string& folder) {
    FileList out;
    CollectFiles(folder, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

::testing::AssertionResult HoldsFiles(const std::string& folder, const FileList& expected) {
    FileList want = expected;
    std::sort(want.begin(), want.end());
    const FileList got = ReadFiles(folder);
    std::string report;
    size_t i = 0, j = 0;
    while (i < want.size() || j < got.size()) {
        if (j == got.size() || (i < want.size() && want[i].first < got[j].first)) {
            report += " missing " + want[i++].first + ";";
        } else if (i == want.size() || got[j].first < want[i].first) {
            report += " extra " + got[j++].first + ";";
        } else {
            if (want[i].second != got[j].second)
                report += " different " + want[i].first + " (" + std::to_string(got[j].second.size()) + " bytes, want " +
                          std::to_string(want[i].second.size()) + ");";
            ++i;
            ++j;
        }
    }
    if (report.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << folder << ":" << report;
}

bool ZipFolder(const std::string& folder, const std::string& archive, const std::string& password) {
    TArcZip zip(nullptr);
    UseBuilderSettings(zip, folder, archive, password, 6);
    zip.SetDoProcessMessages(false);
    bool complete = true;
    zip.OnSkippingFile = [&](TObject*, TSkipReason, const AnsiString&, int, bool&) { complete = false; };
    zip.OnHandleMessage = [&](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int& answer) {
        complete = false;
        answer = 1;
    };
    try {
        zip.Zip();
    } catch (...) {
        return false;
    }
    return complete;
}

bool MakeBook(const std::string& stub, const std::string& archive, const std::string& book,
              const TBookSettings& settings) {
    if (!CopyFileA(stub.c_str(), book.c_str(), FALSE)) return false;
    return WritePackedFile(archive, book, settings);
}

static std::string U32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

std::string BookTail(const std::string& archiveBytes, const std::string& hex) {
    return archiveBytes + U32(static_cast<uint32_t>(archiveBytes.size())) + hex + U32(static_cast<uint32_t>(hex.size()));
}

bool MakeBookWithTail(const std::string& stub, const std::string& book, const std::string& tail) {
    const std::string bytes = ReadWholeFile(stub);
    if (bytes.empty()) return false;
    WriteWholeFile(book, bytes + tail);
    return true;
}
