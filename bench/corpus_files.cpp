#include "bench/corpus_files.h"

#include "classlib/classes.h"
#include "ziparchive/file_search.h"

std::vector<std::string> LoadFolder(const AnsiString& folder, int64_t& total) {
    std::vector<std::string> files;
    TDirSearch search(folder, 0x39, true, "*");
    TSearchRec rec;
    AnsiString path;
    total = 0;
    while (search.NextFile(rec, path)) {
        if (EndsWithChar(path, '\\')) continue;
        TFileStream f(path, fmOpenRead | fmShareDenyNone);
        std::string data(static_cast<size_t>(f.GetSize()), '\0');
        if (!data.empty()) f.ReadBuffer(&data[0], static_cast<int32_t>(data.size()));
        total += static_cast<int64_t>(data.size());
        files.push_back(std::move(data));
    }
    return files;
}
