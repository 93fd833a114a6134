// skintool: reads a skin file with the skin engine's own reader, for tests and manual checks.
//   skintool dump FILE.lsk [--password P]            what the reader loaded, one item a line
//   skintool pixel FILE.lsk NAME X Y [--password P]  one bitmap pixel as RRGGBB (X, Y from top left)
// Exit 0 on success; 1 with the reader's message on one line; 2 for a wrong command line.
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

#include "skin/sk2_container.h"
#include "skin/sk2_dump.h"
#include "skin/skin_pixels.h"
#include "skin/skin_temp.h"

namespace {

int Usage() {
    std::fputs("usage:\n  skintool dump FILE.lsk [--password P]\n  skintool pixel FILE.lsk NAME X Y [--password P]\n",
               stderr);
    return 2;
}

int Fail(std::string message) {
    for (char& c : message)
        if (c == '\r' || c == '\n') c = ' ';
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

bool ParseCoordinate(const std::string& text, int& value) {
    int32_t v;
    if (!TryStrToInt(text, v)) return false;
    value = v;
    return true;
}

int Run(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::string password;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--password") {
            if (i + 1 >= args.size()) return Usage();
            password = args[++i];
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.empty()) return Usage();
    const std::string command = positional[0];
    if (!(command == "dump" && positional.size() == 2) && !(command == "pixel" && positional.size() == 5))
        return Usage();
    int x = 0, y = 0;
    if (command == "pixel" && (!ParseCoordinate(positional[3], x) || !ParseCoordinate(positional[4], y)))
        return Usage();

    TSk2SkinData skin = LoadSk2SkinFile(positional[1], password, NewSkinTempName());
    if (command == "dump") {
        std::string text = DumpSk2SkinData(skin);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    const TBmpImage* image = skin.FindBitmap(positional[2]);
    if (!image) return Fail("No bitmap " + positional[2]);
    TSkinPixels pixels = PixelsFromBmp(*image);
    if (!pixels.Contains(x, y)) return Fail("Pixel outside the bitmap");
    uint32_t c = pixels.At(x, y);   // 0x00BBGGRR
    std::printf("%02X%02X%02X\n", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    try {
        int status = Run(std::vector<std::string>(argv + 1, argv + argc));
        std::fflush(stdout);
        return status;
    } catch (const Exception& e) {
        return Fail(e.Message);
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail("unexpected failure");
    }
}
