#include "skin/sk2_dump.h"

std::string DumpSk2SkinData(const TSk2SkinData& skin) {
    std::string out;
    for (const TSk2Bitmap& b : skin.Bitmaps)
        out += "bitmap\t" + b.Name + "\t" + std::to_string(b.Image.Width) + "\t" + std::to_string(b.Image.Height) + "\n";
    for (const TSk2Value& v : skin.Integers) out += "integer\t" + v.Name + "\t" + v.Value + "\n";
    for (const TSk2Value& v : skin.Bytes) out += "byte\t" + v.Name + "\t" + v.Value + "\n";
    for (const TSk2Value& v : skin.Texts) out += "text\t" + v.Name + "\t" + v.Value + "\n";
    return out;
}
