// skin_gallery: shows the gallery form, one of each control, skinned by the programs' engine,
// for a look or a screenshot.
#include "classlib/gui/application.h"
#include "tests/skin/gallery/skinned_gallery_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Application->Initialize();
        Application->SetTitle("skin_gallery");
        TSkinnedGalleryForm* gallery = nullptr;
        Application->CreateForm(gallery);
        Application->Run();
        delete gallery;
    } catch (...) {
        Application->HandleException(Application);
    }
    return 0;
}
