// The gallery form carrying the programs' skin engine with our default skin, so that every
// control shows its skin beside the others, as a program's form would show them.
#pragma once
#include "skin/skin_engine_win.h"
#include "tests/skin/gallery/gallery_form.h"

class TSkinnedGalleryForm : public TGalleryForm {
public:
    // The engine is made last, as a program's form makes it after its controls.
    explicit TSkinnedGalleryForm(TComponent* owner);

    TlumSkinEngine* SkinEngine;   // owned by the form
};
