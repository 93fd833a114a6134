// skindata_pack: drives the skin-data family from the shell (tests and manual checks).
//   skindata_pack pack INI OUT   builds a compressed skin file from a skin INI and its BMPs
//   skindata_pack dump FILE      loads a compressed skin file and lists what it holds
// Exit 0 on success; otherwise the reason on one line and exit 1.
#include <cstdio>
#include <exception>
#include <string>

#include "skindata/skin_data.h"
#include "skindata/stored_skin.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: skindata_pack pack INI OUT | dump FILE\n");
    return 2;
}

std::string Size(const TBmpImage& image) {
    return BmpIsEmpty(image) ? "none" : std::to_string(image.Width) + "x" + std::to_string(image.Height);
}

void Pack(const AnsiString& ini, const AnsiString& out) {
    TgwCompressedStoredSkin stored(nullptr);
    stored.BuildFromIniFile(ini);
    if (stored.IsEmpty()) throw Exception("\"" + ini + "\" is not a skin INI (a section is missing)");
    TFileStream f(out, fmCreate);
    WriteCompressedSkinFile(f, stored.CompressedData());
}

void Dump(const AnsiString& path) {
    int32_t version = 0;
    {
        TFileStream f(path, fmOpenRead | fmShareDenyWrite);
        version = ReadLEInt32(f);
    }
    TgwCompressedStoredSkin stored(nullptr);
    stored.LoadFromCompressedFile(path);
    TgwSkinData data(nullptr);
    data.LoadCompressedStoredSkin(&stored);
    if (data.Empty) throw Exception(Format("Skin version %d is not supported", version));

    std::printf("version %d\n", version);
    std::printf("Picture %s\n", Size(data.Picture).c_str());
    std::printf("InactivePicture %s\n", Size(data.InactivePicture).c_str());
    std::printf("Mask %s\n", Size(data.Mask).c_str());
    std::printf("active %d\n", static_cast<int>(data.ActivePictureList.size()));
    for (const TBmpImage& image : data.ActivePictureList) std::printf("%s\n", Size(image).c_str());
    std::printf("skinname %s\n", data.SkinName.c_str());
    for (const auto& o : data.SkinObjectList)
        std::printf("object %s %s\n", o->SectionName.c_str(), SkinObjectKind(*o).c_str());
    for (const auto& c : data.SkinControlList)
        std::printf("control %s %s\n", c->SectionName.c_str(), SkinControlKind(*c).c_str());
}

// One line, whatever the message holds.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    try {
        if (command == "pack" && argc == 4) Pack(argv[2], argv[3]);
        else if (command == "dump" && argc == 3) Dump(argv[2]);
        else return Usage();
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", OneLine(e.what()).c_str());
        return 1;
    }
    return 0;
}
