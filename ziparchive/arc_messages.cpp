#include "ziparchive/arc_messages.h"

namespace {
struct TMessageEntry {
    int Id;
    const char* Text;
};

// 184 and 195 end with a space and 185 begins with one: they are joined with other text.
constexpr TMessageEntry kMessages[] = {
    {176, "Open a Zip File"},
    {177, "Zip Files (*.ZIP)|*.zip|SFX Files (*.EXE)|*.exe|Jar Files (*.JAR)|*.jar|All Files (*.*)|*.*"},
    {178, "User canceled Set Desination Directory"},
    {179, "Index %d is out of range"},
    {180, "User canceled loading new disk"},
    {181, "User Aborted Operation"},
    {182, "Incomplete Zip File"},
    {183, "Not a valid zip file!"},
    {184, "Please insert disk "},
    {185, " of the multi-disk set."},
    {186, "User canceled setting zip file name."},
    {187, "User canceled Zip operation"},
    {188, "Select a new name for the fixed file."},
    {189, "Zip Files (*.ZIP)"},
    {190, "Seek error"},
    {191, "Invalid seek origin (%d)"},
    {192, "Putback overflow"},
    {193, "*** inflate out of memory ***"},
    {194, "Premature end of file reached"},
    {195, "Replace existing file "},
    {196, "File Exists Alert"},
    {197, "Unknown Compression Method"},
    {198, "Zip Error"},
    {199, "File is larger than uncompressed size!"},
    {202, "Could not copy from "},
    {203, "Error"},
    {204, "Not enough room to write archive"},
    {205, "Cant create zip configuration file"},
    {206, "Error writing zip configuration file"},
    {207, "Cant write uncompressed file"},
};
}  // namespace

AnsiString ArcLoadStr(int id) {
    for (const TMessageEntry& m : kMessages)
        if (m.Id == id) return m.Text;
    return AnsiString();
}
