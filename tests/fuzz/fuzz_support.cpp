#include "tests/fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "ziparchive/arc_exceptions.h"

const std::string& FuzzScratchFolder() {
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pw-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0])) throw std::runtime_error("mkdtemp failed");
        return pattern + "/";
    }();
    return folder;
}

std::string WriteFuzzFile(const uint8_t* data, size_t size, const char* name) {
    const std::string path = FuzzScratchFolder() + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

void ExpectArchiveFailure(const Exception& e) {
    if (dynamic_cast<const EArcZipException*>(&e) || dynamic_cast<const EZLibError*>(&e) ||
        dynamic_cast<const EFileStreamError*>(&e))
        return;
    std::fprintf(stderr, "unexpected exception from the archive library: %s: %s\n", e.ClassName(),
                 e.Message.c_str());
    std::abort();
}

void QuietReader(TArcUnZip& zip) {
    zip.OnHandleMessage = [](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int& answer) {
        answer = 7;   // "No"
    };
    zip.OnBadPassword = [](TObject*, int, AnsiString&) {};
    zip.SetIncompleteZipMode(izAssumeBad);
}
