// Makes a book for the opening benchmark as the builder does: the site folder zipped with the
// builder's writer settings and the book password, appended with the settings to a copy of
// the player stub.
//
// usage: open_book_maker SITE_FOLDER STUB BOOK HOME_PAGE
#include <windows.h>

#include <cstdio>

#include "tools/ziptool/builder_settings.h"
#include "packedbook/book_constants.h"
#include "packedbook/packed_book.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: open_book_maker SITE_FOLDER STUB BOOK HOME_PAGE\n");
        return 2;
    }
    const AnsiString site = argv[1], stub = argv[2], book = argv[3];
    const AnsiString archive = book + ".zip";
    try {
        TArcZip zip(nullptr);
        UseBuilderSettings(zip, site, archive, BookArchivePassword, 6);
        zip.SetDoProcessMessages(false);
        zip.Zip();
        TBookSettings settings;
        settings.WindowHeight = "600";
        settings.WindowWidth = "800";
        settings.HomePage = argv[4];
        if (!CopyFileA(stub.c_str(), book.c_str(), FALSE) || !WritePackedFile(archive, book, settings)) {
            std::fprintf(stderr, "open_book_maker: cannot write %s\n", book.c_str());
            return 1;
        }
        DeleteFileA(archive.c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "open_book_maker: %s\n", e.Message.c_str());
        return 1;
    }
    return 0;
}
