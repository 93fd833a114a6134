#include "skin/program_skin_win.h"

#include "classlib/resource_stream.h"

namespace {

std::vector<uint8_t> DefaultSkinData() {
    try {
        TResourceStream resource(nullptr, "LUMSKIN_DEFAULT", MAKEINTRESOURCEA(10));   // RT_RCDATA
        return std::vector<uint8_t>(resource.Memory(), resource.Memory() + resource.GetSize());
    } catch (const Exception&) {
        return {};   // a program built without the skin stays unskinned
    }
}

}  // namespace

TlumSkinEngine* CreateProgramSkinEngine(TCustomForm* form) {
    auto* engine = new TlumSkinEngine(form);
    engine->SetName("lumSkinEngine1");
    engine->SetActive(true);
    engine->SetSkinFile("D:\\lumSkin\\Skins\\default.lsk");   // a design-time path, absent here
    engine->SetResSysMenuMin("Mi&nimize");
    engine->SetResSysMenuMax("Ma&ximize/Restore");
    engine->SetResSysMenuClose("&Close");
    engine->SetDisabledTag(9999);
    engine->SetDrawScrollBar(true);
    engine->SetBuiltIn(true);
    engine->SetSkinDialogs(true);
    engine->SetSkinAllForms(true);
    engine->SetNoChangeButtonsFontColor(false);
    engine->ReadSkinData(DefaultSkinData());
    return engine;
}
